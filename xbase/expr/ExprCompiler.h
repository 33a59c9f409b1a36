#pragma once
// The parser of the expression compiler: recursive descent over the operator levels of
// uyactabl.h, checking operand types as each operator and call is complete and appending the
// postfix code to the compiled expression. Not for callers outside the expression engine.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "xbase/expr/ExprLexer.h"
#include "xbase/expr/ovparser.h"

namespace xbase::expr {

// Reports a compile error: 351 "Error in expression : " with the message and a window of the
// text around the last character read, then throws CompileFailed.
[[noreturn]] void FailCompile(std::string_view text, std::size_t lastRead, std::string_view message);

class ExprCompiler {
 public:
  // Compiles into `expr`, whose Literals and CodeBase it fills as it goes (so that FreeExpr
  // releases them whatever happens).
  ExprCompiler(std::string_view text, CompiledExpr& expr, CompileEstimates& estimates);

  // Parses the whole text and appends the end entry. On an error reports it (351 with its
  // message and window, 217) and throws CompileFailed.
  void ParseExpr();

  std::int32_t ResultType() const { return resultType_; }
  // The most working entries, and C or M values among them, an evaluation holds at once.
  std::size_t MostEntries() const { return mostEntries_; }
  std::size_t MostTexts() const { return mostTexts_; }

 private:
  [[noreturn]] void Fail(std::string_view message) const;
  class PendingEntries;

  void Advance() { token_ = lexer_.NextToken(); }
  std::int32_t ParseLevel(int level);
  std::int32_t ParseUnary();
  std::int32_t ParsePrimary();
  std::int32_t ParseCall(const FunctionEntry& function);
  void ExpectToken(std::int32_t token);

  // Appends a code entry: it takes `operands` values from the working stack and leaves one of
  // `resultType` (a literal takes none).
  CodeEntry& Emit(std::int32_t opcode, std::size_t operands, std::int32_t resultType);
  void EmitLogicalLiteral(std::int32_t value);

  ExprLexer lexer_;
  CompiledExpr& expr_;
  NodeList code_ = nullptr;
  std::int32_t token_ = TokenEnd;
  int pendingEntries_ = 0;
  std::vector<std::int32_t> stackTypes_;  // the working stack of an evaluation, by type
  std::size_t texts_ = 0;
  std::size_t mostEntries_ = 0;
  std::size_t mostTexts_ = 0;
  std::int32_t resultType_ = 0;
};

}  // namespace xbase::expr
