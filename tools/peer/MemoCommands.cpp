// The peer program's commands on the current record's memo field. Memo bytes travel as hex
// ("-" for an empty text or no memo):
//
//   create <file> <version, as 0x83> <block size> <NAME>:<type>:<length>[:<decimals>] ...
//   memo-add <FIELD> <hex>     a new memo (AddMemo), its block into the field, the record written
//   memo-edit <FIELD> <hex>    the memo rewritten through the text driver, each CR LF ending a line
//   memo-get <FIELD>           the memo read through the text driver, ended lines with CR LF
//   blob-put <FIELD> <hex>     a new memo written as a stream, its block into the field
//   blob-get <FIELD>           the memo read as a stream
//   memo-lock    memo-unlock   the memo lock (1 or 0)
//   memo-wait <tries> <ms>     how often and how long a writer tries for the memo lock
//   memo-pack                  PackMemofile
//
// The writing commands answer the new block, or 0 with the error (the record then unchanged).

#include "tools/peer/MemoCommands.h"

#include <vector>

#include "xbase/core/MemoTextFile.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/dbf/MemoField.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/memo/memo.h"
#include "xbase/workarea/TypedFieldText.h"
#include "xbase/workarea/dbf4.h"

namespace peer {
namespace {

using namespace xbase;

std::optional<std::string> FromHex(const std::string& hex) {
  if (hex == "-") return std::string();
  if (hex.empty() || hex.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const std::string pair = hex.substr(i, 2);
    if (pair.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return std::nullopt;
    bytes += static_cast<char>(std::stoi(pair, nullptr, 16));
  }
  return bytes;
}

std::string ToHex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex.empty() ? "-" : hex;
}

std::int32_t BlockOf(int field) { return MemoBlockOfField(TypedFieldText(field)); }

// The block into the field and the record written.
std::string Store(int field, std::int32_t block) {
  SetTypedFieldText(field, block == 0 ? "" : std::to_string(block));
  Replace();
  return std::to_string(block);
}

std::string EditThroughDriver(int field, const std::string& text) {
  std::int32_t block = BlockOf(field);
  MemoTextFile file;
  AssignMemo(file, block);
  if (file.Open(TextFileMode::Output) != 0) return "0";
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    file.WriteLine(std::string_view(text).substr(start, end - start));
  if (start < text.size()) file.Write(std::string_view(text).substr(start));
  if (file.Close() != 0) return "0";
  return Store(field, block);
}

std::string ReadThroughDriver(int field) {
  std::int32_t block = BlockOf(field);
  MemoTextFile file;
  AssignMemo(file, block);
  std::string text;
  if (file.Open(TextFileMode::Input) != 0) return "-";
  std::string line;
  bool ended = false;
  while (!file.Eof() && file.ReadLine(line, ended) == 0) text += line + (ended ? "\r\n" : "");
  file.Close();
  return ToHex(text);
}

std::string PutStream(int field, const std::string& bytes) {
  const std::int32_t block = OpenBlob(false, 0, 2);
  if (block == 0) return "0";
  WriteBlobStream(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  CloseBlob();
  if (ErrorCode != 0) return "0";
  return Store(field, bytes.empty() ? 0 : block);
}

std::string GetStream(int field) {
  if (OpenBlob(false, BlockOf(field), 1) == 0 && ErrorCode != 0) return "-";
  std::string bytes;
  char piece[4096];
  while (const std::int32_t n = ReadBlobStream(piece, sizeof piece)) bytes.append(piece, n);
  CloseBlob();
  return ToHex(bytes);
}

// "NAME:type:length[:decimals]"
std::optional<FieldEntry> ParseField(const std::string& definition) {
  std::vector<std::string> parts;
  std::istringstream in(definition);
  for (std::string part; std::getline(in, part, ':');) parts.push_back(part);
  if (parts.size() < 3 || parts.size() > 4 || parts[1].size() != 1) return std::nullopt;
  FieldEntry field;
  field.Name = parts[0];
  field.FieldType = parts[1][0];
  field.Length = static_cast<std::uint8_t>(std::stoi(parts[2]));
  if (parts.size() == 4) field.Decimals = static_cast<std::uint8_t>(std::stoi(parts[3]));
  return field;
}

std::optional<std::string> Create(std::istringstream& words) {
  std::string file, version, blockSize;
  if (!(words >> file >> version >> blockSize)) return std::nullopt;
  std::vector<FieldEntry> fields;
  for (std::string definition; words >> definition;) {
    const auto field = ParseField(definition);
    if (!field) return std::nullopt;
    fields.push_back(*field);
  }
  DefaultVersionByte = static_cast<std::uint8_t>(std::stoi(version, nullptr, 0));
  DefaultMemoBlockSize = static_cast<std::uint16_t>(std::stoi(blockSize, nullptr, 0));
  DbfTable table;
  CreateDBF(table, file, fields);
  return "-";
}

}  // namespace

std::optional<std::string> RunMemoCommand(const std::string& command, std::istringstream& words) {
  if (command == "create") return Create(words);
  if (command == "memo-lock") return LockMemoFile() ? "1" : "0";
  if (command == "memo-unlock") return UnlockMemoFile() ? "1" : "0";
  if (command == "memo-wait") {
    unsigned tries = 0, milliseconds = 0;
    if (!(words >> tries >> milliseconds) || tries == 0 || tries > 255) return std::nullopt;
    MemoLockTries = static_cast<std::uint8_t>(tries);
    MemoLockWait = std::chrono::milliseconds(milliseconds);
    return "-";
  }
  if (command == "memo-pack") {
    PackMemofile();
    return "-";
  }
  const bool reads = command == "memo-get" || command == "blob-get";
  const bool writes = command == "memo-add" || command == "memo-edit" || command == "blob-put";
  if (!reads && !writes) return std::nullopt;
  std::string name, hex;
  if (!(words >> name)) return std::nullopt;
  const int field = FieldNo(name);
  if (field == 0) return std::nullopt;
  if (command == "memo-get") return ReadThroughDriver(field);
  if (command == "blob-get") return GetStream(field);
  if (!(words >> hex)) return std::nullopt;
  const auto bytes = FromHex(hex);
  if (!bytes) return std::nullopt;
  if (command == "memo-add") {
    const std::int32_t block = AddMemo(*bytes);
    return ErrorCode != 0 ? "0" : Store(field, block);
  }
  if (command == "memo-edit") return EditThroughDriver(field, *bytes);
  return PutStream(field, *bytes);
}

}  // namespace peer
