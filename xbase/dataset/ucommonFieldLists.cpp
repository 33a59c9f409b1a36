// DbfFields lines: reading them, correcting field definitions, creating a table from them.

#include <algorithm>

#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/dataset/ucommon.h"
#include "xbase/dbf/ovdbflow.h"

namespace xbase {
namespace {

// A field definition before it is fitted into a FieldEntry, so that nothing wraps.
struct Definition {
  std::string name;
  char type = 'C';
  int length = 0;
  int decimals = 0;
};

bool HasWidth(char type) { return type == 'C' || type == 'N' || type == 'F'; }

// Steps 2 to 5 of the correction (ucommon.h); false when the definition cannot be corrected.
bool Correct(Definition& d, const std::string& datasetName) {
  const Definition before = d;
  if (d.type == 'B' || d.type == 'G' || d.type == 'P') d.type = 'M';
  const Definition asRead = d;
  if (std::string_view("CDFLMN").find(d.type) == std::string_view::npos) d.type = 'C';
  if (d.type == 'N' || d.type == 'F') {
    if (d.length >= 21) d.length = 20;
    if (d.decimals >= 19) d.decimals = 18;
    if (d.decimals > 0 && d.length - d.decimals < 2) d.decimals = std::max(0, d.length - 2);
  }
  if (d.type == 'C' && d.length >= 255) {
    d.length = 254;
    d.decimals = 0;
  }
  if (HasWidth(d.type) && d.length < 1) return false;
  d.length = std::clamp(d.length, 0, 255);
  d.decimals = std::clamp(d.decimals, 0, 255);
  if (d.type != asRead.type || d.length != asRead.length || d.decimals != asRead.decimals) {
    ShowLibMessage(TextInvalidFieldDefinition,
                   {datasetName, before.name, std::string(1, before.type), std::to_string(before.length),
                    std::to_string(before.decimals), d.name, std::string(1, d.type), std::to_string(d.length),
                    std::to_string(d.decimals)});
  }
  return true;
}

void Store(const Definition& d, FieldEntry& entry) {
  entry.Name = d.name;
  entry.FieldType = d.type;
  entry.Length = static_cast<std::uint8_t>(d.length);
  entry.Decimals = static_cast<std::uint8_t>(d.decimals);
  entry.Offset = 0;
}

}  // namespace

std::string ParseDbfFieldsLine(std::string_view line, int n) {
  std::size_t start = 0;
  for (int item = 1; item < n; ++item) {
    const std::size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) return {};
    start = comma + 1;
  }
  if (start > line.size()) return {};
  const std::size_t end = line.find(',', start);
  return TrimText(line.substr(start, end == std::string_view::npos ? end : end - start));
}

DbfFieldsEntry ParseDbfFieldsEntry(std::string_view line, FieldEntry& entry, const std::string& datasetName) {
  Definition d;
  d.name = ParseDbfFieldsLine(line, 1).substr(0, 10);
  const std::string type = ParseDbfFieldsLine(line, 2);
  d.type = type.empty() ? ' ' : UpCaseChar(type.front());
  if (d.type == 'X') return DbfFieldsEntry::Skipped;
  d.length = ValInt(ParseDbfFieldsLine(line, 3));
  d.decimals = ValInt(ParseDbfFieldsLine(line, 4));
  if (!Correct(d, datasetName)) return DbfFieldsEntry::Refused;
  Store(d, entry);
  return DbfFieldsEntry::Field;
}

bool CorrectFieldEntry(FieldEntry& entry, const std::string& datasetName) {
  Definition d{entry.Name, entry.FieldType, entry.Length, entry.Decimals};
  if (!Correct(d, datasetName)) return false;
  Store(d, entry);
  return true;
}

bool CreateTableFromDbfFields(const std::vector<std::string>* dbfFields, const std::string& fileName,
                              const std::string& datasetName) {
  if (dbfFields == nullptr) {
    ShowLibText(TextFieldListNil);
    return false;
  }
  std::vector<FieldEntry> entries;
  for (const std::string& line : *dbfFields) {
    if (std::count(line.begin(), line.end(), ',') != 3) return false;
    FieldEntry entry;
    switch (ParseDbfFieldsEntry(line, entry, datasetName)) {
      case DbfFieldsEntry::Field: entries.push_back(entry); break;
      case DbfFieldsEntry::Skipped: break;
      case DbfFieldsEntry::Refused: return false;
    }
  }
  if (entries.empty()) {
    ShowLibText(TextFieldListEmpty);
    return false;
  }
  ImmediateErrorsScope quiet(false);
  DbfTable table;
  CreateDBF(table, fileName, entries);
  return ErrorCode == 0;
}

}  // namespace xbase
