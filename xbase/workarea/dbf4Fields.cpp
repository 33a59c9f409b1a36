// The field catalogue of the current area and its typed record.

#include <algorithm>

#include "xbase/dbf/ovdbflow.h"
#include "xbase/workarea/dbf4.h"
#include "xbase/workarea/dbf4Internal.h"

namespace xbase {
namespace {

// The entry of field n (1-based), or null with 220 naming the routine.
const FieldEntry* FieldEntryOf(const WorkAreaRecord& area, int n, const char* routine) {
  if (n >= 1 && n <= area.FieldCount) return &area.FieldTable[n - 1];
  SetError(220, "Invalid field number. [" + std::string(routine) + "(" + std::to_string(n) + ")]");
  return nullptr;
}

}  // namespace

char FieldType(int n) {
  const WorkAreaRecord* area = dbf4::OpenArea("FieldType()");
  const FieldEntry* field = area != nullptr ? FieldEntryOf(*area, n, "FieldType") : nullptr;
  return field != nullptr ? field->FieldType : '\0';
}

int FieldLen(int n) {
  const WorkAreaRecord* area = dbf4::OpenArea("FieldLen()");
  const FieldEntry* field = area != nullptr ? FieldEntryOf(*area, n, "FieldLen") : nullptr;
  if (field == nullptr) return 0;
  if (field->FieldType == 'D') return SetCenturyFlag ? 10 : 8;
  return field->Length;
}

int FieldDec(int n) {
  const WorkAreaRecord* area = dbf4::OpenArea("FieldDec()");
  const FieldEntry* field = area != nullptr ? FieldEntryOf(*area, n, "FieldDec") : nullptr;
  return field != nullptr ? field->Decimals : 0;
}

std::uint8_t* FieldAddress(int n) {
  WorkAreaRecord* area = dbf4::OpenArea("FieldAddress()");
  if (area == nullptr) return nullptr;
  if (n == 0) return area->TypedBuffer;
  if (FieldEntryOf(*area, n, "FieldAddress") == nullptr) return nullptr;
  std::size_t offset = 1;
  for (int i = 0; i < n - 1; ++i) offset += TypedSlotSize(area->FieldTable[i]);
  return area->TypedBuffer + offset;
}

std::string Field(int n) {
  const WorkAreaRecord* area = dbf4::OpenArea("Field()");
  const FieldEntry* field = area != nullptr ? FieldEntryOf(*area, n, "Field") : nullptr;
  return field != nullptr ? field->Name : std::string();
}

int FieldNo(std::string_view name) {
  const WorkAreaRecord* area = dbf4::OpenArea("FieldNo()");
  if (area == nullptr) return 0;
  std::string wanted(name.substr(0, 10));
  wanted.erase(wanted.find_last_not_of(' ') + 1);
  for (char& c : wanted)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  const auto& fields = area->FieldTable;
  const auto found = std::find_if(fields.begin(), fields.end(),
                                  [&](const FieldEntry& f) { return f.Name == wanted; });
  return found == fields.end() ? 0 : static_cast<int>(found - fields.begin()) + 1;
}

int FieldCount() {
  const WorkAreaRecord* area = dbf4::OpenArea("FieldCount()");
  return area != nullptr ? area->FieldCount : 0;
}

void ScatterCurrent() {
  if (WorkAreaRecord* area = dbf4::CurrentRecord()) ScatterRecord(*area, dbf4::TypedRecord(*area));
}

void GatherCurrent() {
  if (WorkAreaRecord* area = dbf4::CurrentRecord()) GatherRecord(*area, dbf4::TypedRecord(*area));
}

void ClearRecord() {
  WorkAreaRecord* area = dbf4::OpenArea("ClearRecord");
  if (area == nullptr) return;
  std::fill(area->RecordBuffer.begin(), area->RecordBuffer.end(), ' ');
  ScatterCurrent();
}

std::string IntToShortStr(std::int64_t n) { return std::to_string(n); }

}  // namespace xbase
