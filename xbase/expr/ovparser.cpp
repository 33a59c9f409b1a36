#include "xbase/expr/ovparser.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "xbase/expr/ExprCompiler.h"
#include "xbase/expr/ExprMachine.h"

namespace xbase {

NodeList ExpressionList;

namespace {

using expr::CompileEstimates;
using expr::CompileFailed;

constexpr std::size_t kTextValueRoom = MaxTextValue + 1;  // a C value and its NUL
constexpr std::uint16_t kMemoPoolEstimate = 256;

bool InExpressionList(const CompiledExpr* expr) {
  for (ListNode* node = ListNext(ExpressionList, nullptr); node != nullptr;
       node = ListNext(ExpressionList, node)) {
    if (NodePayload(node) == expr) return true;
  }
  return false;
}

// The list whose oldest node is `base`.
NodeList ListFrom(ListNode* base) { return base != nullptr ? base->Prev : nullptr; }

// Releases an expression of ExpressionList with everything it holds.
void Release(CompiledExpr* expr) {
  ListFreeAll(expr->Literals);
  NodeList code = ListFrom(expr->CodeBase);
  ListFreeAll(code);
  NodeList work = ListFrom(expr->WorkBase);
  ListFreeAll(work);
  ::operator delete(expr->PoolBase);
  ::operator delete(expr->Text);
  ExpressionList = PayloadNode(expr);
  ListFreeNode(ListRemove(ExpressionList));
}

[[noreturn]] void OutOfMemory(const std::string& tag) {
  SetError(217, tag);
  throw CompileFailed();
}

// What follows a successful parse: the text copy, the working stack and pool an evaluation
// needs, and the description of the result.
void Complete(CompiledExpr& expr, std::string_view text, const expr::ExprCompiler& compiler,
              CompileEstimates estimates) {
  expr.Text = static_cast<std::uint8_t*>(::operator new(text.size() + 1, std::nothrow));
  if (expr.Text == nullptr) OutOfMemory(" [AssignExpr(" + std::string(text) + ")]");
  expr.Text[0] = static_cast<std::uint8_t>(text.size());
  std::memcpy(expr.Text + 1, text.data(), text.size());

  NodeList work = nullptr;
  for (std::size_t i = 0; i < compiler.MostEntries(); ++i) {
    if (ListAllocNode(work, sizeof(CodeEntry)) == nullptr) OutOfMemory(" [PARSER/WStackCheck]");
    expr.WorkBase = work->Next;
  }
  // Room for every text an evaluation holds at once, each at its longest; the estimate of
  // the keywords and fields read only describes the result.
  expr.PoolSize = static_cast<std::uint16_t>(std::min<std::size_t>(
      compiler.MostTexts() * kTextValueRoom, std::numeric_limits<std::uint16_t>::max()));
  if (expr.PoolSize > 0) {
    expr.PoolBase = static_cast<char*>(::operator new(expr.PoolSize, std::nothrow));
    if (expr.PoolBase == nullptr) OutOfMemory(" [AssignExpr]");
  }

  const std::int32_t type = compiler.ResultType();
  expr.ResultType = TypeLetter(type);
  expr.ResultDecimals = 0;
  expr.Result = type == ExprChar || type == ExprMemo ? static_cast<void*>(expr.PoolBase)
                                                      : static_cast<void*>(&EntryOf(expr.WorkBase).Value);
  switch (type) {
    case ExprChar:
      expr.ResultWidth = estimates.pool == estimates.width + 1u ? estimates.width : 0;
      break;
    case ExprNumeric: {
      expr.ResultDecimals =
          estimates.decimals < CompileEstimates::kDecimalsUnset ? estimates.decimals : 2;
      const std::uint16_t width = estimates.width < expr.ResultDecimals + 2 ? 0 : estimates.width;
      expr.ResultWidth = width != 0 ? width : static_cast<std::uint16_t>(expr.ResultDecimals + 11);
      break;
    }
    case ExprDate:
      expr.ResultWidth = 8;
      break;
    case ExprLogical:
      expr.ResultWidth = 1;
      break;
    default:
      expr.ResultWidth = kMemoPoolEstimate;
  }
}

}  // namespace

CompiledExpr* AssignExpr(std::string_view text) {
  if (ErrorCode >= 350 && ErrorCode <= 363) ErrorCode = 0;
  text = text.substr(0, text.find('\0'));
  auto* expr = static_cast<CompiledExpr*>(ListAllocNode(ExpressionList, sizeof(CompiledExpr)));
  if (expr == nullptr) {
    SetError(217, " [AssignExpr]");
    return nullptr;
  }
  // Released on every way out but success, also when a reported error raises.
  struct Unfinished {
    CompiledExpr* expr;
    ~Unfinished() {
      if (expr != nullptr) FreeExpr(expr);
    }
  } unfinished{expr};
  try {
    if (text.size() > MaxExpressionLength) expr::FailCompile(text, 0, "Expression too long");
    CompileEstimates estimates;
    expr::ExprCompiler compiler(text, *expr, estimates);
    compiler.ParseExpr();
    Complete(*expr, text, compiler, estimates);
  } catch (const CompileFailed&) {
    return nullptr;
  }
  unfinished.expr = nullptr;
  return expr;
}

void FreeExpr(CompiledExpr*& expr) {
  if (expr == nullptr || !InExpressionList(expr)) return;
  Release(expr);
  expr = nullptr;
}

void* Evaluate(CompiledExpr* expr) {
  if (expr == nullptr) return nullptr;
  expr::ExprMachine machine(*expr);
  return machine.Engine() ? expr->Result : nullptr;
}

void* EvaluateCurrent() { return Evaluate(CurrentKeyExpr); }

std::string ExpressionText(const CompiledExpr& expr) {
  return std::string(reinterpret_cast<const char*>(expr.Text) + 1, expr.Text[0]);
}

void ParserInit() {
  ParserDone();
  ExprHookTable.Compile = [](const std::string& text) { return AssignExpr(text); };
  ExprHookTable.Free = [](CompiledExpr*& expr) { FreeExpr(expr); };
  ExprHookTable.Evaluate = [](CompiledExpr* expr) { return Evaluate(expr); };
  ExprHookTable.AssignString = [](CompiledExpr* expr, std::string& text) {
    if (expr != nullptr) text = ExpressionText(*expr);
  };
  EvaluateCurrentHook = EvaluateCurrent;
  ParserPresent = true;
}

void ParserDone() {
  while (ExpressionList != nullptr) Release(static_cast<CompiledExpr*>(NodePayload(ExpressionList)));
}

}  // namespace xbase
