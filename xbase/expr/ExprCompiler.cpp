#include "xbase/expr/ExprCompiler.h"

#include <algorithm>
#include <array>
#include <string>

#include "xbase/core/ovcommon.h"

namespace xbase::expr {
namespace {

// The parse stack's depth: symbols waiting for the rest of their rule.
constexpr int kMostPendingEntries = 150;

bool IsCurrentAreaField(std::int32_t token) {
  return token >= TokenCharField && token <= TokenMemoField;
}
bool IsAliasField(std::int32_t token) {
  return token >= TokenAliasCharField && token <= TokenAliasMemoField;
}
bool IsText(std::int32_t type) { return type == ExprChar || type == ExprMemo; }

std::int32_t FieldType(std::int32_t fieldToken) {
  static constexpr std::int32_t kTypes[] = {ExprChar, ExprNumeric, ExprLogical, ExprDate, ExprMemo};
  return kTypes[(fieldToken - TokenCharField) % AliasFieldOffset];
}

}  // namespace

void FailCompile(std::string_view text, std::size_t lastRead, std::string_view message) {
  // 51 characters around the place: from 50 before it, or from the start.
  const std::size_t start = lastRead < 50 ? 0 : lastRead - 50;
  const std::size_t count = 51;
  std::string window = start == 0 ? "[" : "[...";
  window += text.substr(std::min(start, text.size()), count);
  window += start + count >= text.size() ? "]" : "...]";
  SetError(351, "Error in expression : " + std::string(message) + "\r\n" + window + "\r\n" +
                    " [AssignExpr]");
  throw CompileFailed();
}

// Counts symbols on the parse stack for a scope; too many is a stack overflow.
class ExprCompiler::PendingEntries {
 public:
  PendingEntries(ExprCompiler& compiler, int count) : compiler_(compiler) { Add(count); }
  ~PendingEntries() { compiler_.pendingEntries_ -= added_; }
  PendingEntries(const PendingEntries&) = delete;
  PendingEntries& operator=(const PendingEntries&) = delete;

  void Add(int count) {
    compiler_.pendingEntries_ += count;
    added_ += count;
    if (compiler_.pendingEntries_ > kMostPendingEntries) compiler_.Fail("Parser_stack_overflow");
  }

 private:
  ExprCompiler& compiler_;
  int added_ = 0;
};

ExprCompiler::ExprCompiler(std::string_view text, CompiledExpr& expr, CompileEstimates& estimates)
    : lexer_(text, estimates, expr.Literals), expr_(expr) {}

void ExprCompiler::Fail(std::string_view message) const {
  FailCompile(lexer_.Text(), lexer_.LastRead(), message);
}

void ExprCompiler::ParseExpr() {
  Advance();
  resultType_ = ParseLevel(LoosestLevel);
  // A whole expression with more after it: the parser found no room for what follows.
  if (token_ != TokenEnd) Fail("Parser_stack_overflow");
  Emit(OpEnd, 0, 0);
}

std::int32_t ExprCompiler::ParseLevel(int level) {
  if (level > TightestLevel) return ParseUnary();
  std::int32_t left = ParseLevel(level + 1);
  while (const OperatorEntry* op = BinaryOperator(token_, level)) {
    PendingEntries pending(*this, 2);
    Advance();
    const std::int32_t right = ParseLevel(level + 1);
    const OperandRule* rule = FindRule(*op, left, right);
    if (rule == nullptr)
      Fail("PARSER:Type mismatch in expression \"" + std::string(op->Name) + "\"");
    Emit(rule->Opcode, 2, rule->Result);
    left = rule->Result;
  }
  return left;
}

std::int32_t ExprCompiler::ParseUnary() {
  const OperatorEntry* op = UnaryOperator(token_);
  if (op == nullptr) return ParsePrimary();
  PendingEntries pending(*this, 1);
  Advance();
  const std::int32_t operand = ParseUnary();
  const OperandRule* rule = FindRule(*op, 0, operand);
  if (rule == nullptr) Fail("PARSER:Type mismatch in expression \"" + std::string(op->Name) + "\"");
  if (rule->Opcode != OpNone) Emit(rule->Opcode, 1, rule->Result);
  return rule->Result;
}

std::int32_t ExprCompiler::ParsePrimary() {
  const std::int32_t token = token_;
  if (token == TokenNumericLiteral) {
    Emit(OpLiteral, 0, ExprNumeric).Value.Number = lexer_.Number();
  } else if (token == TokenCharLiteral) {
    Emit(OpLiteral, 0, ExprChar).Value.Text = lexer_.Literal();
  } else if (token == TokenTrue || token == TokenFalse) {
    EmitLogicalLiteral(token == TokenTrue ? 1 : 0);
  } else if (IsCurrentAreaField(token)) {
    EmitLogicalLiteral(lexer_.FieldNumber());
    Emit(token, 1, FieldType(token));
  } else if (IsAliasField(token)) {
    EmitLogicalLiteral(lexer_.FieldNumber());
    EmitLogicalLiteral(lexer_.AreaNumber());
    Emit(token, 2, FieldType(token));
  } else if (token == '(') {
    PendingEntries pending(*this, 1);
    Advance();
    const std::int32_t type = ParseLevel(LoosestLevel);
    ExpectToken(')');
    return type;
  } else if (const FunctionEntry* function = FindFunction(token)) {
    return ParseCall(*function);
  } else {
    Fail("Syntax error");
  }
  Advance();
  return stackTypes_.back();
}

std::int32_t ExprCompiler::ParseCall(const FunctionEntry& function) {
  PendingEntries pending(*this, 2);
  Advance();
  ExpectToken('(');
  std::array<std::int32_t, 4> arguments{};
  std::size_t count = 0;
  if (token_ != ')') {
    if (!TakesMoreArguments(function, 0)) Fail("Syntax error");
    for (;;) {
      arguments[count++] = ParseLevel(LoosestLevel);
      pending.Add(2);
      if (token_ != ',' || !TakesMoreArguments(function, count)) break;
      Advance();
    }
  }
  if (token_ != ')' || !TakesArguments(function, count)) Fail("Syntax error");
  // Checked on the closing parenthesis, before reading on.
  const FunctionSignature* signature =
      FindSignature(function, std::span<const std::int32_t>(arguments.data(), count));
  if (signature == nullptr)
    Fail("PARSER:Type mismatch in function \"" + std::string(function.Name) + "\"");
  Emit(function.Token, count, signature->Result);
  Advance();
  return signature->Result;
}

void ExprCompiler::ExpectToken(std::int32_t token) {
  if (token_ != token) Fail("Syntax error");
  Advance();
}

CodeEntry& ExprCompiler::Emit(std::int32_t opcode, std::size_t operands, std::int32_t resultType) {
  void* payload = ListAllocNode(code_, sizeof(CodeEntry));
  if (payload == nullptr) {
    SetError(217, " [PARSER/SStackCheck]");
    throw CompileFailed();
  }
  if (expr_.CodeBase == nullptr) expr_.CodeBase = code_;
  auto& entry = *static_cast<CodeEntry*>(payload);
  entry.Opcode = opcode;
  entry.ArgCount = static_cast<std::int32_t>(operands);
  entry.ValueType = resultType;
  if (opcode == OpEnd) return entry;
  // What the entry does to the working stack of an evaluation.
  for (std::size_t i = 0; i < operands; ++i) {
    if (IsText(stackTypes_.back())) --texts_;
    stackTypes_.pop_back();
  }
  stackTypes_.push_back(resultType);
  if (IsText(resultType)) ++texts_;
  mostEntries_ = std::max(mostEntries_, stackTypes_.size());
  mostTexts_ = std::max(mostTexts_, texts_);
  return entry;
}

void ExprCompiler::EmitLogicalLiteral(std::int32_t value) {
  Emit(OpLiteral, 0, ExprLogical).Value.Logical = value;
}

}  // namespace xbase::expr
