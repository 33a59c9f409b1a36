#pragma once
// The lexer of the expression compiler: one token a call, names resolved against the open work
// areas as they are read. Characters are read upper-cased except inside character literals.
// Not for callers outside the expression engine.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "xbase/expr/uyactabl.h"
#include "xbase/index/ovndxlow.h"

namespace xbase::expr {

// Thrown after a compile error has been reported, to leave the compile.
struct CompileFailed {};

// What the tokens read so far say about the result: its width and decimals (the last field
// read sets them, literals and keywords reset them) and the working-pool bytes its functions
// and character fields ask for.
struct CompileEstimates {
  static constexpr std::uint8_t kDecimalsUnset = 19;
  std::uint16_t width = 0;
  std::uint8_t decimals = kDecimalsUnset;
  std::uint32_t pool = 0;
};

class ExprLexer {
 public:
  // The text ends at its first NUL. Character literals become nodes of `literals`.
  ExprLexer(std::string_view text, CompileEstimates& estimates, NodeList& literals);

  // Reads the next token (uyactabl.h). A malformed number reads as an unknown name, a literal
  // without its closing quote as the end of the text. Reports 217 and throws CompileFailed when
  // a literal cannot be stored.
  std::int32_t NextToken();

  // Index of the last character read; the end of the text counts as the character after it.
  std::size_t LastRead() const { return lastRead_; }
  std::string_view Text() const { return text_; }

  // The value of the last token: a number literal, a character literal (in its node), a field
  // (1-based number, and the area for alias->field; 0 for the current area).
  double Number() const { return number_; }
  char* Literal() const { return literal_; }
  int FieldNumber() const { return fieldNumber_; }
  int AreaNumber() const { return areaNumber_; }

 private:
  char Peek(std::size_t ahead = 0) const;
  char Take();
  std::int32_t ReadNumber();
  std::int32_t ReadLiteral();
  std::int32_t ReadName();
  // The dotted word (.T., .F., .NOT., .AND., .OR.) that starts here, or null.
  const KeywordEntry* DottedWordHere() const;
  std::int32_t Keyword(const KeywordEntry& entry);
  // The field token of a name (TokenIdentifier when it names no field of an expression type).
  std::int32_t ResolveIdentifier(std::string_view alias, std::string_view name);

  std::string_view text_;
  CompileEstimates& estimates_;
  NodeList& literals_;
  std::size_t position_ = 0;  // the next character to read
  std::size_t lastRead_ = 0;
  double number_ = 0;
  char* literal_ = nullptr;
  int fieldNumber_ = 0;
  int areaNumber_ = 0;
};

}  // namespace xbase::expr
