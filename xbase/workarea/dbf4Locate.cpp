// Locate and Continue: a sequential search by record number over the stored text of one field
// (read with Peek, so the current record stays where it is until a match is found).

#include <charconv>
#include <cmath>

#include "xbase/core/MemoTextFile.h"
#include "xbase/core/NumberText.h"
#include "xbase/core/ovutils.h"
#include "xbase/core/timedate.h"
#include "xbase/dbf/MemoField.h"
#include "xbase/workarea/dbf4.h"
#include "xbase/workarea/dbf4Internal.h"

namespace xbase {

int LocateField = 0;
std::string LocateValue;
bool LocateCaseSensitive = true;
bool LocateExact = false;
bool LocateContained = false;

namespace dbf4 {

void ResetLocate() {
  LocateField = 0;
  LocateValue.clear();
  LocateCaseSensitive = true;
  LocateExact = false;
  LocateContained = false;
}

}  // namespace dbf4

namespace {

// Whether a field's stored text matches the (prepared) value under the Locate options.
bool Matches(std::string text, const std::string& value, bool caseSensitive, bool exact,
             bool contained) {
  if (!exact && !contained && text.size() > value.size()) text.resize(value.size());
  if (!caseSensitive) text = UpperStr(text);
  return contained ? text.find(value) != std::string::npos : text == value;
}

// The value as a search starts with it: trailing blanks dropped unless EXACT, upper case
// unless case sensitive.
std::string PreparedValue(std::string value, bool caseSensitive, bool exact) {
  if (!exact) value = RTrimStr(value);
  if (!caseSensitive) value = UpperStr(value);
  return value;
}

// The field's text of record rec as the program sees it (ANSI).
std::string FieldText(const WorkAreaRecord& area, int field, RecordNumber rec) {
  std::string text;
  Peek(field, rec, text);
  return area.OemTranslate ? OemToAnsiStr(text) : text;
}

// Whether a line of the record's memo contains the (prepared) value, read through the memo
// store's text driver.
bool MemoLineMatches(int field, RecordNumber rec, const std::string& value, bool caseSensitive) {
  std::string text;
  Peek(field, rec, text);
  std::int32_t block = MemoBlockOfField(text);
  if (block == 0) return false;
  MemoTextFile memo;
  MemoHookTable.AssignMemo(memo, block);
  if (memo.Open(TextFileMode::Input) != 0) return false;
  std::string line;
  bool found = false;
  while (!found && !memo.Eof() && memo.ReadLine(line) == 0)
    found = (caseSensitive ? line : UpperStr(line)).find(value) != std::string::npos;
  memo.Close();
  return found;
}

double NumberOf(const FieldValue& value) {
  if (const auto* d = std::get_if<double>(&value)) return *d;
  if (const auto* i = std::get_if<std::int64_t>(&value)) return static_cast<double>(*i);
  if (const auto* b = std::get_if<bool>(&value)) return *b ? 1 : 0;
  if (const auto* s = std::get_if<std::string>(&value)) {
    std::string text = *s;
    NormalizeNumberText(text);
    double number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
  }
  return 0;
}

std::string TextOf(const FieldValue& value) {
  if (const auto* s = std::get_if<std::string>(&value)) return *s;
  if (const auto* b = std::get_if<bool>(&value)) return *b ? "T" : "F";
  if (const auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
  if (const auto* d = std::get_if<CalendarDate>(&value)) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", d->year, d->month, d->day);
    return text;
  }
  char digits[64];
  const auto end = std::to_chars(digits, digits + sizeof digits, std::get<double>(value)).ptr;
  return std::string(digits, end);
}

// The value as the field stores it: dates as YYYYMMDD, numbers in the field's width with its
// decimals ('.' as on disk), logicals as T or F, text as it is.
std::string StoredText(const FieldEntry& field, const FieldValue& value) {
  switch (field.FieldType) {
    case 'D':
      if (const auto* s = std::get_if<std::string>(&value)) return DateToYMDString(*s);
      return TextOf(value);
    case 'N':
    case 'F': {
      // Rounded as a write into the field rounds it, halves away from zero.
      char digits[600];
      const std::size_t length = NumberText(NumberOf(value), field.Decimals, digits);
      return RightAligned(std::string(digits, length), field.Length);
    }
    case 'L':
      if (const auto* b = std::get_if<bool>(&value)) return *b ? "T" : "F";
      return TextOf(value).substr(0, 1);
    default:
      return TextOf(value);
  }
}

// The text a search compares with the field's stored text. An exact search compares whole
// fields, so a text value gets the blanks that fill its field.
std::string SearchText(const FieldEntry& field, const FieldValue& value, bool exact) {
  std::string text = StoredText(field, value);
  if (exact && field.FieldType == 'C' && text.size() < field.Length) text.resize(field.Length, ' ');
  return text;
}

std::vector<std::string> SplitFields(std::string_view fields) {
  std::vector<std::string> names;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = fields.find(';', start);
    names.push_back(AllTrim(fields.substr(start, end - start)));
    if (end == std::string_view::npos) return names;
    start = end + 1;
  }
}

}  // namespace

int Locate(std::string_view request) {
  if (CheckAreaOpen("Locate/Count/Sum")) return 0;
  std::string text(request);
  LocateCaseSensitive = !RemoveWord(" NOCASE", text);
  LocateExact = RemoveWord(" EXACT", text);
  LocateContained = RemoveWord(" CONTAINED", text);
  if (text.empty()) {
    SetError(220, "No field name specified [Locate/Count/Sum]");
    return 0;
  }
  const int field = FieldNo(text);
  if (field == 0)
    SetError(220, "Unrecognized field name [Locate/Count/Sum(" + std::string(request) + ")]");
  return field;
}

void LocateFrom(std::uint32_t start, int field) {
  WorkAreaRecord* area = dbf4::OpenArea("Locate/Count/Sum");
  if (area == nullptr || field < 1 || field > area->FieldCount) return;
  ErrorCode = 0;
  if (start == 1) {
    LocateValue = PreparedValue(LocateValue, LocateCaseSensitive, LocateExact);
    LocateField = field;
    // Other programs may have changed any record since the last search.
    if (!area->ExclusiveFlag) DropPeekCache();
  }
  const bool memo = area->FieldTable[field - 1].FieldType == 'M';
  if (memo && !MemoHookTable.AssignMemo) {
    SetError(220, "MEMO unit not linked in [Count/Sum/Continue]");
    return;
  }
  const RecordNumber count = RecCount();
  for (RecordNumber r = start; r <= count; ++r) {
    const bool found =
        memo ? MemoLineMatches(field, r, LocateValue, LocateCaseSensitive)
             : Matches(FieldText(*area, field, r), LocateValue, LocateCaseSensitive, LocateExact,
                       LocateContained);
    // A record that cannot be read ends the search where the area stands: the records after
    // it would most likely fail alike.
    if (ErrorCode != 0) return;
    if (found) {
      Go(static_cast<std::int32_t>(r));
      return;
    }
  }
  GoBottom();
  // GoBottom leaves EOF already when every record is hidden; a Skip from there would fail.
  if (area->RecordCount > 0 && !area->EofFlag) Skip(1);
  LocateField = 0;
}

void Continue() {
  if (LocateField == 0) {
    SetError(220, "Call to CONTINUE not preceeded by call to LOCATE. [Continue]");
    return;
  }
  if (CheckAreaOpen("Continue")) return;
  LocateFrom(RecNo() + 1, LocateField);
}

namespace {

// Locate on one field, passing records that are hidden.
bool LocateVisible(WorkAreaRecord& area, int field, const FieldValue& value, bool exact) {
  LocateValue = SearchText(area.FieldTable[field - 1], value, exact);
  LocateFrom(1, field);
  while (!dEOF() && ErrorCode == 0 && !dbf4::EvalFilter(area)) Continue();
  return !dEOF();
}

}  // namespace

bool LocateFieldValue(std::string_view fieldName, const FieldValue& value, bool caseInsensitive,
                      bool exact) {
  std::string request(fieldName.substr(0, fieldName.find(' ')));
  if (caseInsensitive) request += " NOCASE";
  if (exact) request += " EXACT";
  const int field = Locate(request);
  WorkAreaRecord* area = dbf4::CurrentRecord();
  return field != 0 && area != nullptr && LocateVisible(*area, field, value, exact);
}

bool ParseCondition(std::string_view fields, const std::vector<FieldValue>& values,
                    bool caseInsensitive, bool moveTo, bool exact) {
  WorkAreaRecord* area = dbf4::OpenArea("ParseCondition");
  if (area == nullptr) return false;
  const std::vector<std::string> names = SplitFields(fields);
  if (names.size() != values.size()) {
    SetError(220, "Number of fields and values differ [ParseCondition]");
    return false;
  }
  const RecordNumber remembered = area->RecNo;
  dbf4::SuspendMoveCallback suspended(*area);

  bool found = LocateFieldValue(names[0], values[0], caseInsensitive, exact);
  if (found && names.size() > 1) {
    // Every other field must match its own value as well.
    struct Condition {
      int field;
      std::string value;
    };
    std::vector<Condition> others;
    for (std::size_t i = 1; i < names.size(); ++i) {
      const int field = FieldNo(names[i].substr(0, names[i].find(' ')));
      if (field == 0) {
        SetError(220, "Unrecognized field name [Locate/Count/Sum(" + names[i] + ")]");
        found = false;
        break;
      }
      const std::string text = SearchText(area->FieldTable[field - 1], values[i], exact);
      others.push_back({field, PreparedValue(text, !caseInsensitive, exact)});
    }
    const auto allMatch = [&] {
      for (const Condition& c : others) {
        if (!Matches(FieldText(*area, c.field, area->RecNo), c.value, !caseInsensitive, exact,
                     false))
          return false;
      }
      return true;
    };
    while (found && !allMatch()) {
      Continue();
      while (!dEOF() && ErrorCode == 0 && !dbf4::EvalFilter(*area)) Continue();
      found = !dEOF() && ErrorCode == 0;
    }
  }
  if (!(moveTo && found)) GoIfValid(static_cast<std::int32_t>(remembered));
  return found;
}

}  // namespace xbase
