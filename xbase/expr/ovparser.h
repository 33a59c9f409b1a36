#pragma once
// The expression engine: compiles the text of a dBase expression (an index key, a filter, a
// WHILE or LOCATE condition) into postfix code and evaluates it on the current records of the
// open work areas. The work-area and index engines reach it only through ExprHookTable and
// EvaluateCurrentHook (ovcommon.h), which ParserInit fills.
//
// The language: fields (NAME, or ALIAS->NAME of another area), literals (numbers such as 12.5
// or 1E3, 'texts' or "texts", .T., .F.), the functions of uyactabl.h, parentheses, unary -, +
// and .NOT. (binding tightest), and the binary operators from the loosest to the tightest,
// each level left-associative:
//   .OR.   .AND.   = <> #   == $   > < <= >=   + -   * /   ^ **
// Field names are resolved at compile time: compiled code holds field and area numbers.
//
// Values: C a NUL-terminated text of at most 255 characters; N and D doubles (D a day number of
// ovndxlow.h, 0 for the blank date); L a 32-bit integer, 0 false, anything else true (results
// are 0 or 1); M the text of a memo, joined from its lines.
//
// Errors go through SetError: compile errors are 351 "Error in expression : <message>" with a
// window of the text around the place of the error; evaluation errors are 354 (working pool),
// 356 (unknown value type), 358 (division by zero, a power or remainder without a value,
// numeric overflow), 215 and 220 (a field whose area was closed or changed since the compile).
// No evaluation gives NaN.
//
// Single thread; an evaluation must not start another one.

#include <cstdint>
#include <string>
#include <string_view>

#include "xbase/core/ovcommon.h"
#include "xbase/expr/uyactabl.h"
#include "xbase/index/ovndxlow.h"

namespace xbase {

// One entry of compiled code, or of the working stack of an evaluation.
struct CodeEntry {
  std::int32_t Opcode;     // OpLiteral, a function or field token, an operator, or OpEnd
  std::int32_t ArgCount;   // operands the entry takes from the working stack
  std::int32_t ValueType;  // ExprType of the value (literals, working entries) or of the result
  union {
    char* Text;            // C and M: a literal node or the working pool
    double Number;         // N and D
    std::int32_t Logical;  // L; also field and area numbers before a field opcode
  } Value;
};

// A compiled expression: the payload of a node of ExpressionList. Its code, literals and
// working stack are node lists (ovndxlow.h) of CodeEntry payloads.
struct CompiledExpr {
  std::uint8_t* Text;  // the source text: a length byte, then the characters
  char ResultType;     // C, N, L, D or M
  std::uint16_t ResultWidth;
  std::uint8_t ResultDecimals;
  // Where the last evaluation's result is: the pool base for C and M, else the value of the
  // bottom working entry.
  void* Result;
  NodeList Literals;  // the character literals
  ListNode* CodeCurrent;
  ListNode* WorkCurrent;  // top of the working stack, null when empty
  ListNode* CodeBase;     // the first code entry
  ListNode* WorkBase;     // the bottom working entry
  std::uint16_t PoolSize;
  char* PoolBase;     // the working pool, where C and M values live while evaluated
  char* PoolCurrent;  // its first free byte
};

inline CodeEntry& EntryOf(ListNode* node) { return *static_cast<CodeEntry*>(NodePayload(node)); }

// Every compiled expression that is not freed.
extern NodeList ExpressionList;

inline constexpr std::size_t MaxExpressionLength = 255;
inline constexpr std::size_t MaxTextValue = 255;  // characters of a C or M value

// Compiles an expression against the work areas open now. Null on failure, with the error
// reported.
CompiledExpr* AssignExpr(std::string_view text);

// Releases a compiled expression of ExpressionList and sets the variable to null; anything
// else (null among it) is left alone.
void FreeExpr(CompiledExpr*& expr);

// Evaluates on the current records and returns expr->Result, to be read by ResultType; null
// for a null expression and when the evaluation stopped at an error (354, 356, 217).
void* Evaluate(CompiledExpr* expr);

// Evaluates CurrentKeyExpr.
void* EvaluateCurrent();

// The source text of a compiled expression.
std::string ExpressionText(const CompiledExpr& expr);

// Start-up: fills ExprHookTable and EvaluateCurrentHook, sets ParserPresent, and releases any
// expression left from before. Done releases every expression.
void ParserInit();
void ParserDone();

}  // namespace xbase
