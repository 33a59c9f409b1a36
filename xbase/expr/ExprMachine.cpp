#include "xbase/expr/ExprMachine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "xbase/core/MemoTextFile.h"
#include "xbase/core/NumberText.h"
#include "xbase/core/ovutils.h"
#include "xbase/workarea/dbf4.h"

namespace xbase::expr {

const std::array<char, MaxTextValue> Blanks = [] {
  std::array<char, MaxTextValue> blanks{};
  blanks.fill(' ');
  return blanks;
}();

namespace {

bool IsFieldOfKind(char fieldType, std::int32_t kind) {
  switch (kind) {
    case TokenCharField: return fieldType == 'C';
    case TokenNumericField: return fieldType == 'N' || fieldType == 'F';
    case TokenLogicalField: return fieldType == 'L';
    case TokenDateField: return fieldType == 'D';
    default: return fieldType == 'M';
  }
}

// The bytes of field `number` of an area's current record, checked against the field kind the
// code was compiled for: nothing, after reporting 215 or 220, when the area was closed or
// holds another table since. A table without records reads as blanks.
std::string_view FieldBytes(int areaNumber, int number, std::int32_t kind) {
  const WorkAreaRecord* area = WorkArea(static_cast<unsigned>(areaNumber));
  if (area == nullptr) {
    ExprMachine::Report(215, "No database in use  WorkArea = " + std::to_string(areaNumber));
    return {};
  }
  if (number < 1 || number > area->FieldCount ||
      !IsFieldOfKind(area->FieldTable[number - 1].FieldType, kind)) {
    ExprMachine::Report(220, "Field " + std::to_string(number) + " of WorkArea " +
                                 std::to_string(areaNumber) + " is not the field compiled");
    return {};
  }
  const FieldEntry& field = area->FieldTable[number - 1];
  const auto& record = area->RecordBuffer;
  if (area->RecordCount == 0 || field.Offset + field.Length > record.size())
    return {Blanks.data(), field.Length};
  return {reinterpret_cast<const char*>(record.data()) + field.Offset, field.Length};
}

std::string_view View(std::span<char> text) { return {text.data(), text.size()}; }

}  // namespace

void ExprMachine::SelectExpr() {
  expr_.PoolCurrent = expr_.PoolBase;
  expr_.CodeCurrent = expr_.CodeBase;
  expr_.WorkCurrent = nullptr;
}

bool ExprMachine::Engine() {
  for (ListNode* node = expr_.CodeBase;; node = node->Next) {
    expr_.CodeCurrent = node;
    const CodeEntry& entry = EntryOf(node);
    if (entry.Opcode == OpEnd) return true;
    Execute(entry);
    if (stopped_) return false;
  }
}

void ExprMachine::Report(std::uint16_t code, std::string_view what) {
  SetError(code, (code == 358 ? "Error during evaluation: " : "") + std::string(what) +
                     " [Evaluate/Engine]");
}

double ExprMachine::Finite(double value, std::string_view what) {
  if (std::isfinite(value)) return value;
  Report(358, what);
  return 0;
}

void ExprMachine::Stop(std::uint16_t code, const std::string& message) {
  stopped_ = true;
  SetError(code, message);
}

// ---- Working stack and pool

CodeEntry* ExprMachine::NextEntry(std::int32_t type) {
  ListNode* current = expr_.WorkCurrent;
  ListNode* next = current == nullptr ? expr_.WorkBase : current->Next;
  if (next == nullptr || (current != nullptr && next == expr_.WorkBase)) {
    Stop(217, " [PARSER/WStackCheck]");
    return nullptr;
  }
  expr_.WorkCurrent = next;
  CodeEntry& entry = EntryOf(next);
  entry.ValueType = type;
  return &entry;
}

double ExprMachine::PopNumber() {
  ListNode* top = expr_.WorkCurrent;
  expr_.WorkCurrent = top == expr_.WorkBase ? nullptr : top->Prev;
  return EntryOf(top).Value.Number;
}

std::int32_t ExprMachine::PopLogical() {
  ListNode* top = expr_.WorkCurrent;
  expr_.WorkCurrent = top == expr_.WorkBase ? nullptr : top->Prev;
  return EntryOf(top).Value.Logical;
}

std::span<char> ExprMachine::PopText() {
  ListNode* top = expr_.WorkCurrent;
  expr_.WorkCurrent = top == expr_.WorkBase ? nullptr : top->Prev;
  char* text = EntryOf(top).Value.Text;
  expr_.PoolCurrent = text;
  return {text, std::strlen(text)};
}

void ExprMachine::PushNumber(double value, std::int32_t type) {
  if (CodeEntry* entry = NextEntry(type)) entry->Value.Number = value;
}

void ExprMachine::PushLogical(bool value) {
  if (CodeEntry* entry = NextEntry(ExprLogical)) entry->Value.Logical = value ? 1 : 0;
}

void ExprMachine::PushText(std::string_view text) { PushText(text, ExprChar); }

void ExprMachine::PushText(std::string_view text, std::int32_t type) {
  const std::size_t length = std::min(text.size(), MaxTextValue);
  char* at = expr_.PoolCurrent;
  if (at == nullptr || length + 1 > static_cast<std::size_t>(expr_.PoolBase + expr_.PoolSize - at)) {
    Stop(354, "Working pool overflow [PARSER/Allocate]");
    return;
  }
  CodeEntry* entry = NextEntry(type);
  if (entry == nullptr) return;
  if (length > 0) std::memmove(at, text.data(), length);
  at[length] = '\0';
  entry->Value.Text = at;
  expr_.PoolCurrent = at + length + 1;
}

// ---- Code entries

void ExprMachine::Execute(const CodeEntry& entry) {
  const std::int32_t op = entry.Opcode;
  if (op == OpLiteral) {
    PushLiteral(entry);
  } else if (op >= FirstFunctionToken && op <= LastFunctionToken) {
    CallFunction(*this, entry);
  } else if (op >= TokenCharField && op <= TokenAliasMemoField) {
    ReadField(entry);
  } else if (op >= OpAddNumbers && op <= OpPower) {
    Arithmetic(entry);
  } else if (op >= OpEqualNumbers && op <= OpGreaterEqualTexts) {
    Comparison(op);
  } else if (op == OpOr || op == OpAnd) {
    const bool b = PopLogical() != 0;
    const bool a = PopLogical() != 0;
    PushLogical(op == OpOr ? a || b : a && b);
  } else if (op == OpNot) {
    PushLogical(PopLogical() == 0);
  } else if (op == OpNegate) {
    PushNumber(-PopNumber());
  }
}

void ExprMachine::PushLiteral(const CodeEntry& entry) {
  switch (entry.ValueType) {
    case ExprChar:
      PushText(entry.Value.Text);
      break;
    case ExprNumeric: case ExprDate:
      PushNumber(entry.Value.Number, entry.ValueType);
      break;
    case ExprLogical:
      // Field and area numbers travel as logical literals: kept as they are.
      if (CodeEntry* pushed = NextEntry(ExprLogical)) pushed->Value.Logical = entry.Value.Logical;
      break;
    default:
      Stop(356, "Unknown data type (none of \"C\",\"N\",\"F\",\"L\",\"D\"or\"M\") [PARSER/PushWD]");
  }
}

void ExprMachine::ReadField(const CodeEntry& entry) {
  const bool aliased = entry.Opcode >= TokenAliasCharField;
  const int area = aliased ? PopLogical() : CurrentWorkArea;
  const int number = PopLogical();
  const std::int32_t kind = aliased ? entry.Opcode - AliasFieldOffset : entry.Opcode;
  const std::string_view bytes = FieldBytes(area, number, kind);
  switch (kind) {
    case TokenCharField:
      PushText(bytes);
      break;
    case TokenNumericField:
      PushNumber(LeadingNumber(AllTrimView(bytes)));
      break;
    case TokenLogicalField: {
      const char c = bytes.empty() ? ' ' : bytes.front();
      PushLogical(c == 'T' || c == 't' || c == 'Y' || c == 'y');
      break;
    }
    case TokenDateField:
      PushNumber(DbfDateToJulian(bytes), ExprDate);
      break;
    default:
      PushMemo(area, static_cast<std::int32_t>(LeadingNumber(AllTrimView(bytes))));
  }
}

// The memo's lines joined without line ends, as far as they fit a value. The memo store binds
// the text file to the memo of the area the field belongs to, made current for the read.
void ExprMachine::PushMemo(int area, std::int32_t block) {
  char text[MaxTextValue];
  std::size_t length = 0;
  if (MemoHookTable.AssignMemo) {
    struct AreaKept {
      std::uint8_t saved = CurrentWorkArea;
      ~AreaKept() { CurrentWorkArea = saved; }
    } kept;
    if (area < CallerWorkAreas) CurrentWorkArea = static_cast<std::uint8_t>(area);
    MemoTextFile file;
    MemoHookTable.AssignMemo(file, block);
    if (file.Open(TextFileMode::Input) == 0) {
      std::string line;
      while (length < MaxTextValue && !file.Eof() && file.ReadLine(line) == 0) {
        const std::size_t added = std::min(line.size(), MaxTextValue - length);
        std::memcpy(text + length, line.data(), added);
        length += added;
      }
      file.Close();
    }
  }
  PushText({text, length}, ExprMemo);
}

void ExprMachine::Arithmetic(const CodeEntry& entry) {
  const std::int32_t op = entry.Opcode;
  if (op == OpConcat || op == OpConcatBlanksLast) {
    const std::string_view b = View(PopText());
    const std::span<char> left = PopText();  // at the first free byte, b right after it
    const std::size_t kept = std::min(b.size(), MaxTextValue - std::min(left.size(), MaxTextValue));
    if (op == OpConcat) {
      std::memmove(left.data() + left.size(), b.data(), kept);
      PushText({left.data(), left.size() + kept});
      return;
    }
    // The left text's trailing blanks go after the right text.
    const std::string_view a = View(left);
    const std::size_t trimmed = a.find_last_not_of(' ') + 1;
    char joined[2 * MaxTextValue];
    std::memcpy(joined, a.data(), trimmed);
    std::memcpy(joined + trimmed, b.data(), b.size());
    std::fill_n(joined + trimmed + b.size(), a.size() - trimmed, ' ');
    PushText({joined, a.size() + b.size()});
    return;
  }
  const double b = PopNumber();
  const double a = PopNumber();
  double result = 0;
  switch (op) {
    case OpAddNumbers: case OpAddNumberDate: case OpAddDateNumber: result = a + b; break;
    case OpSubtractNumbers: case OpSubtractDateNumber: case OpSubtractDates: result = a - b; break;
    case OpMultiply: result = a * b; break;
    case OpDivide:
      if (b == 0) {
        Report(358, "Divide by 0");
        PushNumber(1.0E250);
        return;
      }
      result = a / b;
      break;
    default:  // OpPower
      PushNumber(Finite(std::pow(a, b), "Invalid power"));
      return;
  }
  PushNumber(Finite(result, "Numeric overflow"), entry.ValueType);
}

void ExprMachine::Comparison(std::int32_t op) {
  bool result = false;
  switch (op) {
    case OpEqualTexts: case OpExactTexts: case OpContains: case OpGreaterTexts:
    case OpLessTexts: case OpNotEqualTexts: case OpLessEqualTexts: case OpGreaterEqualTexts: {
      const std::string_view b = View(PopText());
      const std::string_view a = View(PopText());
      const int order = a.compare(b);  // bytes unsigned; a prefix is the smaller
      switch (op) {
        case OpEqualTexts: result = !b.empty() && a.starts_with(b); break;
        case OpExactTexts: result = a == b; break;
        case OpContains: result = !a.empty() && b.find(a) != std::string_view::npos; break;
        case OpGreaterTexts: result = order > 0; break;
        case OpLessTexts: result = order < 0; break;
        case OpNotEqualTexts: result = a != b; break;
        case OpLessEqualTexts: result = order <= 0; break;
        default: result = order >= 0; break;
      }
      break;
    }
    case OpEqualLogicals: case OpNotEqualLogicals: {
      const std::int32_t b = PopLogical();
      const std::int32_t a = PopLogical();
      result = op == OpEqualLogicals ? a == b : a != b;
      break;
    }
    default: {
      const double b = PopNumber();
      const double a = PopNumber();
      switch (op) {
        case OpEqualNumbers: case OpEqualDates: result = a == b; break;
        case OpGreaterNumbers: case OpGreaterDates: result = a > b; break;
        case OpLessNumbers: case OpLessDates: result = a < b; break;
        case OpNotEqualNumbers: case OpNotEqualDates: result = a != b; break;
        case OpLessEqualNumbers: case OpLessEqualDates: result = a <= b; break;
        default: result = a >= b; break;
      }
    }
  }
  PushLogical(result);
}

}  // namespace xbase::expr
