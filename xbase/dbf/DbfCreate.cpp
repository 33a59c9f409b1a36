// New tables and their empty memo files.

#include <algorithm>
#include <set>
#include <vector>

#include "platform/os/CodePage1252.h"
#include "platform/os/ReplacementFile.h"
#include "xbase/core/ByteOrder.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/core/timedate.h"
#include "xbase/dbf/ovdbflow.h"

namespace xbase {
namespace {

constexpr std::uint8_t kLevel7 = 0x8C;

bool IsMemoType(char type) { return type == 'B' || type == 'G' || type == 'M' || type == 'P'; }

// Fills one descriptor of a new table and adds the field's length to recordLength; false for a
// field that cannot be created.
bool BuildFieldDescriptor(std::uint8_t* descriptor, const FieldEntry& field, bool level7,
                          const std::set<char>& accepted, std::uint16_t& recordLength) {
  const std::string name = UpperStr(AllTrim(field.Name)).substr(0, 10);
  if (name.empty()) return false;
  const char type = field.FieldType;
  std::uint8_t length = 10;
  switch (type) {
    case 'C': case 'F': case 'N':
      length = field.Length;
      if (length == 0) return false;
      break;
    case 'D': length = 8; break;
    case 'L': length = 1; break;
    default: break;
  }
  const std::uint8_t decimals = type == 'N' || type == 'F' ? field.Decimals : 0;
  std::copy(name.begin(), name.end(), descriptor);
  descriptor[level7 ? 32 : 11] = static_cast<std::uint8_t>(type);
  descriptor[level7 ? 33 : 16] = length;
  descriptor[level7 ? 34 : 17] = decimals;
  recordLength = static_cast<std::uint16_t>(recordLength + length);
  return accepted.contains(type);
}

// The memo file of a table: its name with the memo extension, in lower case when the table's
// own extension is lower case, so that the pair looks alike on a case-sensitive file system.
std::string MemoFileName(const std::string& tableName, std::string extension) {
  std::string dir, name, tableExtension;
  FSplit(tableName, dir, name, tableExtension);
  if (tableExtension != UpperStr(tableExtension)) extension = platform::os::AnsiLower(extension);
  return ForceExtension(tableName, extension);
}

std::vector<std::uint8_t> EmptyMemoFile(const std::string& name, std::uint8_t version,
                                        std::uint16_t blockSize) {
  if (version == 0x83) {
    std::vector<std::uint8_t> image(513, 0);
    image[0] = 0x01;  // next free block
    image[512] = 0x1A;
    return image;
  }
  if (version == 0xF5) {
    std::vector<std::uint8_t> image(512, 0);
    PutBE32(&image[0], 511u / blockSize + 1);  // next free block: the first after the header
    PutBE16(&image[6], blockSize);
    return image;
  }
  std::vector<std::uint8_t> image(24, 0);
  PutLE32(&image[0], 1);  // next free block
  const std::string base = platform::os::Utf8ToAnsi(BaseNameOf(name)).substr(0, 8);
  std::copy(base.begin(), base.end(), &image[8]);
  PutLE16(&image[18], 0x0102);
  PutLE16(&image[20], blockSize);
  return image;
}

}  // namespace

void CreateDBF(DbfTable& area, const std::string& name, std::span<const FieldEntry> fields) {
  const bool custom = CustomVersionByte != 0 || CustomMemoVersionByte != 0;
  const std::uint8_t version = custom ? 0x8B : DefaultVersionByte;
  std::set<char> accepted = ValidFieldTypes;
  if (version == 0x8B || version == kLevel7) accepted.insert({'B', 'G', 'P'});
  std::vector<FieldEntry> definitions(fields.begin(), fields.end());
  bool hasMemo = false;
  for (auto& field : definitions) {
    field.FieldType = UpCaseChar(field.FieldType);
    hasMemo = hasMemo || IsMemoType(field.FieldType);
    if (version == 0x83 && field.FieldType == 'F') field.FieldType = 'N';
  }
  const bool level7 = version == kLevel7;
  const std::size_t descriptorSize = level7 ? 48 : 32;

  ErrorCode = 0;
  area = DbfTable();
  area.FileName = ResolvedFileName(DefaultExtension(name, "DBF"));
  area.HasMemo = hasMemo;
  // A table of no fields or of more than 255 would not open again.
  if (definitions.empty() || definitions.size() > 255) {
    SetError(211, "Invalid dBASE field definition [CreateDBF]");
    return;
  }
  if (hasMemo && DefaultMemoBlockSize == 0) {
    SetError(220, "Invalid memo block size 0 [CreateDBF]");
    return;
  }

  const std::size_t headerLength = definitions.size() * descriptorSize + 33 + (level7 ? 36 : 0);
  std::vector<std::uint8_t> image(headerLength, 0);
  std::uint16_t recordLength = 1;
  const std::size_t firstDescriptor = level7 ? 68 : 32;
  for (std::size_t i = 0; i < definitions.size(); ++i) {
    std::uint8_t* descriptor = &image[firstDescriptor + i * descriptorSize];
    if (!BuildFieldDescriptor(descriptor, definitions[i], level7, accepted, recordLength)) {
      SetError(211, "Invalid dBASE field definition [CreateDBF]");
      return;
    }
  }
  image[headerLength - 1] = 0x0D;
  PutLE16(&image[8], static_cast<std::uint16_t>(headerLength));
  if (level7) std::copy(Level7LanguageDriver.begin(), Level7LanguageDriver.end(), &image[32]);
  if (CustomVersionByte != 0)
    image[0] = hasMemo ? CustomMemoVersionByte : CustomVersionByte;
  else if (hasMemo)
    image[0] = version;
  else
    image[0] = version == kLevel7 ? 0x04 : 0x03;
  PutLE16(&image[10], recordLength);
  // The file as a close of the empty table leaves it: today's date, no record, the end byte.
  const CalendarDate today = Today();
  image[1] = static_cast<std::uint8_t>(today.year - 1900);
  image[2] = static_cast<std::uint8_t>(today.month);
  image[3] = static_cast<std::uint8_t>(today.day);
  image.push_back(EofByte);
  area.HeaderLength = static_cast<std::uint16_t>(headerLength);
  area.RecordLength = recordLength;
  area.LastUpdate = YMDString(today.year, today.month, today.day);
  std::copy_n(image.begin(), area.Header.size(), area.Header.begin());

  // Written beside the target first: a table that cannot be written whole, or whose memo file
  // cannot, leaves the table of that name as it was.
  platform::os::ReplacementFile table;
  std::uint16_t code = table.Begin(area.FileName);
  if (code == 0) code = table.File().WriteAt(0, image.data(), image.size()).code;
  if (code != 0) {
    SetError(code, "Error writing " + area.FileName + ". [CreateDbf]");
    return;
  }
  if (hasMemo) {
    CreateMemoFileForVersion(MemoFileName(area.FileName, MemoFileExt(DefaultVersionByte)),
                             DefaultVersionByte, DefaultMemoBlockSize, "CreateDbf()");
    if (ErrorCode != 0) return;
  }
  code = table.Commit();
  if (code != 0) SetError(code, "Error writing " + area.FileName + ". [CreateDbf]");
}

std::string MemoFileExt(std::uint8_t version) {
  if (!IsValidVersionByte(version)) version = DefaultVersionByte;
  return version == 0xF5 || version == 0x30 ? "FPT" : "DBT";
}

void CreateMemoFileForVersion(const std::string& name, std::uint8_t version,
                              std::uint16_t blockSize, const std::string& callerTag) {
  ErrorCode = 0;
  if (blockSize == 0) {
    SetError(220, "Invalid memo block size 0 [" + callerTag + "]");
    return;
  }
  const std::string fileName = ResolvedFileName(DefaultExtension(name, MemoFileExt(version)));
  platform::os::ReplacementFile file;
  std::uint16_t code = file.Begin(fileName);
  if (code != 0) {
    SetError(code, "Cannot create memo file " + fileName + " [" + callerTag + "]");
    return;
  }
  const auto image = EmptyMemoFile(fileName, version, blockSize);
  code = file.File().WriteAt(0, image.data(), image.size()).code;
  if (code == 0) code = file.Commit();
  if (code != 0) SetError(code, fileName + " [" + callerTag + "]");
}

}  // namespace xbase
