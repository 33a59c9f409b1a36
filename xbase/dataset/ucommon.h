#pragma once
// What the dataset classes share: their message texts and message mode, the DbfFields lines
// that describe a table to create (with the correction of field definitions), the field
// properties of an open table (TDbfFieldProps), the conversion of library date texts, the
// taking-over of the platform's date format, and the field classes for dates and numbers.
//
// A DbfFields line is "<name>,<type>,<length>,<decimals>": exactly three commas, items trimmed,
// the name cut to 10 characters, the type the first character of its item (in upper case),
// length and decimals read as ValInt reads them. A line of type X describes no field.
//
// Correction of a field definition (lines read here and, in a designer, the fields of an
// opened table):
//   1. B, G and P become M, quietly.
//   2. Any type other than C, D, F, L, M and N becomes C.
//   3. N and F: a length above 20 becomes 20, decimals above 18 become 18, and decimals that
//      leave fewer than two places before the point become length - 2 (never below 0).
//   4. C: a length above 254 becomes 254 with no decimals.
//   5. Lengths and decimals stay within 0..255 (never wrapping into a byte).
// When steps 2 to 5 changed anything, TextInvalidFieldDefinition reports the definition before
// and after. A C, N or F field of a length below 1 cannot be corrected and is refused.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/FieldClasses.h"
#include "platform/os/UserLanguage.h"
#include "xbase/dbf/DbfTable.h"

namespace xbase {

// ---- Texts and messages

inline constexpr const char* TextDatabaseNotOpen = "Database is not open";
inline constexpr const char* TextCouldNotCreate = "Could not create \"%s\"";
inline constexpr const char* TextFieldListNil = "DbfFieldList is Nil trying to create a database";
inline constexpr const char* TextFieldListEmpty = "FieldList.Count is <= 0 trying to create a database";
inline constexpr const char* TextLockFailed = "Lock failed [%s]";
inline constexpr const char* TextInvalidFieldDefinition =
    "Invalid field definition for %s: %s,%s,%d,%d. Will use corrected definition: %s,%s,%d,%d";
inline constexpr const char* TextYes = "yes";
inline constexpr const char* TextNo = "no";

// 2: the dataset classes' messages are shown (platform::db::ShowMessage); any other value:
// they are dropped.
extern std::uint8_t MessageMode;

// Returns the mode and sets m unless m is 0.
std::uint8_t SetMessageMode(std::uint8_t m);

// A message text: the format with each %s and %d replaced by the next argument (%% is %).
std::string FormatLibText(std::string_view format, const std::vector<std::string>& args);

// Show a message in mode 2. The texts above are OEM texts, turned to ANSI before they are
// shown; the arguments are ANSI already.
void ShowLibMessage(std::string_view format, const std::vector<std::string>& args);
void ShowLibText(std::string_view text);

// Blanks (and control characters) removed at both ends.
std::string TrimText(std::string_view s);

// ---- DbfFields lines and table creation

// Item n (from 1) of a comma-separated line, trimmed; the last item runs to the end of the
// line; "" when the line has fewer items.
std::string ParseDbfFieldsLine(std::string_view line, int n);

enum class DbfFieldsEntry { Field, Skipped, Refused };

// Reads a DbfFields line into entry and corrects it, reporting a correction in the name of
// datasetName. Skipped for type X, Refused for a length below 1 where it counts.
DbfFieldsEntry ParseDbfFieldsEntry(std::string_view line, FieldEntry& entry,
                                   const std::string& datasetName);

// A field of an opened table put through the correction (the designer's check of DbfFields);
// false when it cannot be corrected.
bool CorrectFieldEntry(FieldEntry& entry, const std::string& datasetName);

// Creates the table `fileName` from DbfFields lines; true when it was created. Nothing is
// created, and false returned, for no list (TextFieldListNil), a list that leaves no field
// (TextFieldListEmpty), a line without exactly three commas or a refused line. Library errors
// of the creation stay pending with ImmediateErrors off for the caller to report.
bool CreateTableFromDbfFields(const std::vector<std::string>* dbfFields, const std::string& fileName,
                              const std::string& datasetName);

// ---- Field properties of an open table

struct TDTField {
  std::string Name;
  char Type = 'C';
  std::uint16_t Length = 0;    // as FieldLen gives it: a date field is 10 long with SET CENTURY
  std::uint16_t Decimals = 0;
  std::uint16_t Offset = 0;    // of the field's slot in the typed record
};

// The fields of a table and where their slots lie in its typed record: the work area's own,
// or a private copy that outlives the area (a table opened only for its structure). Fields
// are numbered from 1; Address(0) is the deleted flag.
class TDbfFieldProps {
 public:
  int Count() const { return static_cast<int>(fields_.size()); }
  const TDTField& Item(int n) const { return fields_.at(static_cast<std::size_t>(n) - 1); }
  const std::string& Name(int n) const { return Item(n).Name; }
  char Type(int n) const { return Item(n).Type; }
  std::uint16_t Length(int n) const { return Item(n).Length; }
  std::uint16_t Decimals(int n) const { return Item(n).Decimals; }
  std::uint16_t Offset(int n) const { return Item(n).Offset; }
  std::uint8_t* Address(int n) const { return recordData_ + (n == 0 ? 0 : Offset(n)); }
  // The size of the private copy; 0 when the props use the area's typed record.
  std::uint16_t CopySize() const { return static_cast<std::uint16_t>(copy_.size()); }

 private:
  friend std::unique_ptr<TDbfFieldProps> BuildFieldProps(bool privateCopy);

  std::uint8_t* recordData_ = nullptr;
  std::vector<std::uint8_t> copy_;
  std::vector<TDTField> fields_;
};

// The props of the current area's table; null when no table is open there.
std::unique_ptr<TDbfFieldProps> BuildFieldProps(bool privateCopy);

// ---- Dates

// A date text of the library (SET DATE layout) as a date: 0 for the blank date; a two-digit
// year gets its century from the window. A text that is no valid date gives 0 when lenient,
// else the platform's reading of it (which raises EConvertError).
platform::db::TDateTime DbfDateToDateTime(std::string_view text, bool lenient);

// Takes over the platform's format settings: the decimal and thousands separators, SET
// CENTURY (the short date format shows "yyyy"), and the SET DATE layout by the format's first
// letter (d: 3 with '-', 5 with '.', else 2; y: 1; else 0), which SetDateFormat then writes back
// into the platform's short date format and separator, so that both read the same texts.
void ApplyLocaleDateFormat();

// ---- Field classes

// Shows only the library date that its text starts with; "" or the blank date picture clears
// it, and any other text is read as a library date (a mistyped date raises EConvertError).
class TOvDateField : public platform::db::TDateField {
 public:
  void SetAsString(const std::string& value) override;

 protected:
  std::string GetText(bool displayText) const override;
};

// Number fields take the table's width (0 to 20) as their size.
class TOvFloatField : public platform::db::TFloatField {
 protected:
  void CheckTypeSize(int size) const override;
};

class TOvIntegerField : public platform::db::TIntegerField {
 protected:
  void CheckTypeSize(int size) const override;
};

// ---- Start-up

// The unit's state at start-up: message mode 2, and the platform's format settings those of
// the language (not yet taken over: see ApplyLocaleDateFormat).
void UCommonInit(const platform::os::Language& language);

}  // namespace xbase
