#pragma once
// The evaluation of one compiled expression on the current records: the walk of its code and
// its working stack and pool. Values are read in place: a popped text stays where it is in
// the pool until the next push, which may overwrite it. Only reading a memo and reporting an
// error allocate memory. Not for callers outside the expression engine.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "xbase/expr/ovparser.h"

namespace xbase::expr {

// Blanks for blank fields and SPACE().
extern const std::array<char, MaxTextValue> Blanks;

class ExprMachine {
 public:
  // Takes the expression to evaluate (SelectExpr).
  explicit ExprMachine(CompiledExpr& expr) : expr_(expr) { SelectExpr(); }

  // Runs the code to its end entry; false when the evaluation stopped at an error (354, 356,
  // 217), which has been reported.
  bool Engine();

  // ---- For operators and functions (their operands are popped last first)

  double PopNumber();  // N or D
  std::int32_t PopLogical();
  // A text in the pool; its bytes may be changed in place and pushed again.
  std::span<char> PopText();

  void PushNumber(double value, std::int32_t type = ExprNumeric);  // N or D
  void PushLogical(bool value);
  // Copies a text (cut to 255 characters) to the first free byte of the pool; it may lie in
  // the pool itself, at or after that byte.
  void PushText(std::string_view text);

  // Reports an evaluation error and goes on: "Error during evaluation: " + what for 358,
  // what alone for others, each with the tag of the engine.
  static void Report(std::uint16_t code, std::string_view what);
  // The value, or 0 after reporting 358 with `what` when it is not finite.
  static double Finite(double value, std::string_view what);

 private:
  // The stack, the pool and the walk of the code back at their bases.
  void SelectExpr();
  void Execute(const CodeEntry& entry);
  void PushLiteral(const CodeEntry& entry);
  void ReadField(const CodeEntry& entry);
  void PushMemo(int area, std::int32_t block);
  void PushText(std::string_view text, std::int32_t type);  // C or M
  void Arithmetic(const CodeEntry& entry);
  void Comparison(std::int32_t opcode);
  // The next working entry for a push, null (after stopping) when there is none.
  CodeEntry* NextEntry(std::int32_t type);
  void Stop(std::uint16_t code, const std::string& message);

  CompiledExpr& expr_;
  bool stopped_ = false;
};

// Runs a function call entry (opcode 257 to 320); an opcode of no function is passed over.
void CallFunction(ExprMachine& machine, const CodeEntry& call);

}  // namespace xbase::expr
