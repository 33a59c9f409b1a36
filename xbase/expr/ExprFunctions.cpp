// The functions of expressions. Each pops its arguments (the last first) and pushes its result;
// results that are no longer than their first argument are made in place. Counts and positions
// are the numbers cut toward zero.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "xbase/core/NumberText.h"
#include "xbase/core/ovutils.h"
#include "xbase/core/timedate.h"
#include "xbase/expr/ExprMachine.h"
#include "xbase/workarea/dbf4.h"

namespace xbase::expr {
namespace {

// x cut toward zero, clamped to 64 bits.
std::int64_t Whole(double x) {
  constexpr double kLimit = 0x1p63;
  if (x >= kLimit) return std::numeric_limits<std::int64_t>::max();
  if (x <= -kLimit) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(x);
}

// A count or position: x cut toward zero, clamped well beyond any text's length.
long Count(double x) { return static_cast<long>(std::clamp<std::int64_t>(Whole(x), -100000, 100000)); }

std::string_view View(std::span<char> text) { return {text.data(), text.size()}; }

// The date of a day number, the blank date as all zeros.
CalendarDate DateOf(double day) { return JulianToCalendarDate(day).value_or(CalendarDate{}); }

// x with its fraction cut to k decimals by multiplying it by 10 k times, truncating and
// dividing again; index keys made with ROUND depend on exactly these steps.
double Round(double x, double y) {
  const double whole = std::trunc(x);
  // Beyond 308 steps the fraction's product no longer fits a double.
  const long k = std::min<long>(Count(y), 308);
  if (k <= 0) return whole;
  double fraction = x - whole;
  for (long i = 0; i < k; ++i) fraction *= 10;
  fraction = std::trunc(fraction);
  for (long i = 0; i < k; ++i) fraction /= 10;
  return whole + fraction;
}

// x right-aligned in `width` characters (1 to 255) with `decimals` decimals; all asterisks
// when it does not fit.
void Str(ExprMachine& machine, double x, double width, double decimals) {
  const auto w = static_cast<std::size_t>(std::clamp<long>(Count(width), 1, MaxTextValue));
  const int d = static_cast<int>(std::clamp<long>(Count(decimals), 0, MaxTextValue));
  char number[600];
  const std::size_t length = NumberText(x, d, number);
  char text[MaxTextValue];
  if (length == 0 || length > w) {
    std::fill_n(text, w, '*');
  } else {
    std::fill_n(text, w - length, ' ');
    std::memcpy(text + w - length, number, length);
  }
  machine.PushText({text, w});
}

// c with k characters from position s deleted and r inserted there; s outside the text
// deletes nothing, and beyond its end appends r.
void Stuff(ExprMachine& machine) {
  const std::string_view r = View(machine.PopText());
  const long k = Count(machine.PopNumber());
  const long s = Count(machine.PopNumber());
  const std::string_view c = View(machine.PopText());
  const auto length = static_cast<long>(c.size());
  const long at = std::clamp(s - 1, 0L, length);
  const long deleted = s >= 1 && s <= length ? std::clamp(k, 0L, length - at) : 0;
  char text[3 * MaxTextValue];
  std::memcpy(text, c.data(), at);
  std::memcpy(text + at, r.data(), r.size());
  std::memcpy(text + at + r.size(), c.data() + at + deleted, length - at - deleted);
  machine.PushText({text, c.size() - deleted + r.size()});
}

void Replicate(ExprMachine& machine) {
  const long n = Count(machine.PopNumber());
  const std::string_view c = View(machine.PopText());
  char text[MaxTextValue];
  std::size_t length = 0;
  if (!c.empty()) {
    for (long i = 0; i < n && length < MaxTextValue; ++i) {
      const std::size_t part = std::min(c.size(), MaxTextValue - length);
      std::memcpy(text + length, c.data(), part);
      length += part;
    }
  }
  machine.PushText({text, length});
}

// LEFT, RIGHT and SUBSTR: part of the text, moved to its start in place.
void Part(ExprMachine& machine, std::int32_t function) {
  const long count = Count(machine.PopNumber());
  const long start = function == TokenSubstr ? Count(machine.PopNumber()) : 0;
  const std::span<char> c = machine.PopText();
  const auto length = static_cast<long>(c.size());
  long from = 0;
  long taken = 0;
  switch (function) {
    case TokenLeft:
      taken = std::clamp(count, 0L, length);
      break;
    case TokenRight:
      taken = count < 0 ? length : std::min(count, length);
      from = length - taken;
      break;
    default:  // SUBSTR; a start below 1 counts as 1
      from = std::max(start, 1L) - 1;
      taken = from >= length || count <= 0 ? 0 : std::min(count, length - from);
      if (taken == 0) from = 0;
  }
  machine.PushText({c.data() + from, static_cast<std::size_t>(taken)});
}

// UPPER, LOWER, TRIM, RTRIM and LTRIM, in place.
void Reshape(ExprMachine& machine, std::int32_t function) {
  const std::span<char> c = machine.PopText();
  std::string_view text = View(c);
  switch (function) {
    case TokenUpper:
      for (char& ch : c) ch = UpCaseChar(ch);
      break;
    case TokenLower:
      for (char& ch : c) ch = LowCaseChar(ch);
      break;
    case TokenLtrim:
      text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
      break;
    default:  // TRIM and RTRIM
      text = text.substr(0, text.find_last_not_of(' ') + 1);
  }
  machine.PushText(text);
}

}  // namespace

void CallFunction(ExprMachine& machine, const CodeEntry& call) {
  switch (call.Opcode) {
    case TokenAbs:
      machine.PushNumber(std::fabs(machine.PopNumber()));
      break;
    case TokenInt:
      machine.PushNumber(std::trunc(machine.PopNumber()));
      break;
    case TokenAsc: {
      const std::span<char> c = machine.PopText();
      machine.PushNumber(c.empty() ? 0 : static_cast<unsigned char>(c[0]));
      break;
    }
    case TokenAt: {
      const std::string_view b = View(machine.PopText());
      const std::string_view a = View(machine.PopText());
      machine.PushNumber(AT(1, a, b));
      break;
    }
    case TokenLen:
      machine.PushNumber(static_cast<double>(machine.PopText().size()));
      break;
    case TokenVal:
      machine.PushNumber(LeadingNumber(AllTrimView(View(machine.PopText()))));
      break;
    case TokenChr: {
      const char c = static_cast<char>(Whole(machine.PopNumber()) & 0xFF);
      machine.PushText(c == '\0' ? std::string_view() : std::string_view(&c, 1));
      break;
    }
    case TokenSpace:
      machine.PushText({Blanks.data(), static_cast<std::size_t>(
                                           std::clamp<long>(Count(machine.PopNumber()), 0, MaxTextValue))});
      break;
    case TokenCdow:
      machine.PushText(DayNameOf(DateOf(machine.PopNumber()).dayOfWeek));
      break;
    case TokenCmonth:
      machine.PushText(MonthNameOf(DateOf(machine.PopNumber()).month));
      break;
    case TokenDay:
      machine.PushNumber(DateOf(machine.PopNumber()).day);
      break;
    case TokenMonth:
      machine.PushNumber(DateOf(machine.PopNumber()).month);
      break;
    case TokenYear:
      machine.PushNumber(DateOf(machine.PopNumber()).year);
      break;
    case TokenDow:
      machine.PushNumber(DateOf(machine.PopNumber()).dayOfWeek);
      break;
    case TokenDtoc:
      machine.PushText(JulianToDateText(machine.PopNumber()));
      break;
    case TokenDtos:
      machine.PushText(JulianToDbfDate(machine.PopNumber()));
      break;
    case TokenCtod:
      machine.PushNumber(DateTextToJulian(View(machine.PopText()).substr(0, 10)), ExprDate);
      break;
    case TokenDate: {
      const CalendarDate today = Today();
      machine.PushNumber(YmdToJulian(today.year, today.month, today.day), ExprDate);
      break;
    }
    case TokenDeleted: {
      const WorkAreaRecord* area = WorkArea(CurrentWorkArea);
      if (area == nullptr)
        ExprMachine::Report(215, "No database in use  WorkArea = " + std::to_string(CurrentWorkArea));
      machine.PushLogical(area != nullptr && !area->RecordBuffer.empty() && area->RecordBuffer[0] == '*');
      break;
    }
    case TokenRecno:
      machine.PushNumber(RecNo());
      break;
    case TokenIif: {
      const std::string_view b = View(machine.PopText());
      const std::string_view a = View(machine.PopText());
      machine.PushText(machine.PopLogical() != 0 ? a : b);
      break;
    }
    case TokenMax: case TokenMin: {
      const double b = machine.PopNumber();
      const double a = machine.PopNumber();
      const bool first = call.Opcode == TokenMax ? a > b : a < b;
      machine.PushNumber(first ? a : b, call.ValueType);
      break;
    }
    case TokenMod: {
      const std::int64_t m = Whole(machine.PopNumber());
      const std::int64_t n = Whole(machine.PopNumber());
      if (m == 0) {
        ExprMachine::Report(358, "Divide by 0");
        machine.PushNumber(0);
      } else {
        machine.PushNumber(static_cast<double>(m == -1 ? 0 : n % m));
      }
      break;
    }
    case TokenRound: {
      const double y = machine.PopNumber();
      machine.PushNumber(Round(machine.PopNumber(), y));
      break;
    }
    case TokenSoundex:
      machine.PushText(Soundex(View(machine.PopText())));
      break;
    case TokenStr: {
      const double decimals = call.ArgCount == 3 ? machine.PopNumber() : 0;
      const double width = call.ArgCount >= 2 ? machine.PopNumber() : 10;
      Str(machine, machine.PopNumber(), width, decimals);
      break;
    }
    case TokenStuff:
      Stuff(machine);
      break;
    case TokenReplicate:
      Replicate(machine);
      break;
    case TokenLeft: case TokenRight: case TokenSubstr:
      Part(machine, call.Opcode);
      break;
    case TokenUpper: case TokenLower: case TokenLtrim: case TokenRtrim: case TokenTrim:
      Reshape(machine, call.Opcode);
      break;
    default:
      break;
  }
}

}  // namespace xbase::expr
