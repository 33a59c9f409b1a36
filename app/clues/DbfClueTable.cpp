#include "app/clues/DbfClueTable.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/os/CodePage1252.h"
#include "xbase/core/ovutils.h"
#include "xbase/index/ovndx.h"

namespace {

// Library codes that say a file does not hold what its format needs.
bool MeansDamage(int code) {
  switch (code) {
    case 100: case 210: case 211: case 213: case 222: case 223: case 254: case 1003: return true;
    default: return false;
  }
}

constexpr std::uintmax_t kLeastIndexCache = 4096, kMostIndexCache = 64 << 20;

bool IsMemoCode(int code) { return code >= 1003 && code <= 1019; }

// The code of the library's "Error # <code> (...)", 0 when the text has none.
int ErrorCodeIn(std::string_view text) {
  const std::string_view mark = "Error # ";
  const std::size_t at = text.find(mark);
  if (at == text.npos) return 0;
  int code = 0;
  for (std::size_t i = at + mark.size(); i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
    code = code * 10 + (text[i] - '0');
  return code;
}

// The library names a file with or without its folder.
bool Names(const std::string& text, const std::string& path) {
  return !path.empty() &&
         platform::os::AnsiUpper(text).find(platform::os::AnsiUpper(xbase::FileNameOf(path))) != std::string::npos;
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  std::string line;
  for (const char c : text)
    if (c != ' ' || (!line.empty() && line.back() != ' ')) line += c;
  return xbase::AllTrim(line);
}

}  // namespace

TDbfClueTable::TDbfClueTable(xbase::TOvDbf& table) : table_(table) {
  table_.SetTableLanguage(xbase::tlAnsi);
  table_.SetCreateIfNotFound(false);
  table_.SetReadOnly(false);
  table_.SetExclusive(false);
}

std::string TDbfClueTable::IndexFileOf(const std::string& table) {
  std::string folder, name, extension;
  xbase::FSplit(table, folder, name, extension);
  // A new index is spelled like its table: clues.dbf gets clues.ndx.
  const bool lower = extension.size() > 1 && std::all_of(extension.begin() + 1, extension.end(), [](char c) {
    return c >= 'a' && c <= 'z';
  });
  return xbase::ResolvedFileName(xbase::ForceExtension(table, lower ? "ndx" : "NDX"));
}

std::string TDbfClueTable::Open(const std::string& path) {
  opening_ = nullptr;
  table_.Close();
  const std::string name = xbase::AllTrim(path);
  if (name.empty()) return "No clue database is named: the Tools settings have no VaultDataFile.";
  const std::string dbf = xbase::DefaultExtension(name, "DBF");
  if (!xbase::FileFound(dbf)) return "The clue database \"" + dbf + "\" was not found.";
  const std::string ndx = IndexFileOf(dbf);
  if (!xbase::FileFound(ndx))
    return "The clue database \"" + dbf + "\" has no index: \"" + ndx + "\" was not found.";
  // Named with their folders in what is said of them.
  tableFile_ = xbase::FullPathName(xbase::ResolvedFileName(dbf));
  indexFile_ = xbase::FullPathName(ndx);
  memoFile_.clear();
  for (const char* extension : {"DBT", "FPT"}) {
    const std::string memo = xbase::FullPathName(xbase::ResolvedFileName(xbase::ForceExtension(tableFile_, extension)));
    if (xbase::FileFound(memo)) {
      memoFile_ = memo;
      break;
    }
  }
  // Kept when the open fails, so that the failure names the file.
  opening_ = &tableFile_;
  table_.SetDbfFileName(dbf);
  table_.Open();
  opening_ = &indexFile_;
  // Look-ups go down the same upper nodes again and again: every node read stays in memory
  // while no other program writes, the whole index of a million answers (about 40 MB).
  std::error_code unknown;
  const std::uintmax_t indexSize = std::filesystem::file_size(ndx, unknown);
  xbase::IndexCacheSize =
      static_cast<std::uint32_t>(std::clamp(unknown ? 0 : indexSize, kLeastIndexCache, kMostIndexCache));
  table_.SetIndexToLFN(ndx, 1);
  table_.SetHideDeletedRecs(true);
  opening_ = nullptr;
  ++openings_;
  return {};
}

std::string TDbfClueTable::FailureMessage(const std::string& error) {
  const std::string details = "Details: " + platform::os::AnsiToUtf8(OneLine(error));
  const int code = ErrorCodeIn(error);
  const std::string* file = opening_ != nullptr ? opening_ : &tableFile_;
  if (IsMemoCode(code) && !memoFile_.empty()) {
    // The memo errors name the table and its record.
    file = &memoFile_;
  } else {
    for (const std::string* named : {&indexFile_, &memoFile_, &tableFile_})
      if (Names(error, *named)) {
        file = named;
        break;
      }
  }
  if (file->empty()) return details;
  const std::string quoted = "\"" + *file + "\"";
  const std::string rebuild = "cluedb index \"" + tableFile_ + "\"";
  std::string what;
  if (!MeansDamage(code))
    what = "The clue database could not use " + quoted + ".";
  else if (file == &indexFile_)
    what = "The index of the clue database, " + quoted + ", is damaged.\nRebuild it with: " + rebuild;
  else if (file == &memoFile_)
    what = "The notes of the clue database, " + quoted + ", are damaged.\nPut back a copy of it made with \"" +
           tableFile_ + "\".";
  else
    what = "The clue database " + quoted +
           " is damaged.\nPut back a copy of it that is not damaged, then rebuild its index with: " + rebuild;
  return what + "\n" + details;
}

void TDbfClueTable::Close() { table_.Close(); }

char TDbfClueTable::FieldType(const std::string& name) {
  using namespace platform::db;
  switch (table_.FieldByName(name).DataType()) {
    case ftString: return 'C';
    case ftBoolean: return 'L';
    case ftMemo: return 'M';
    case ftDate: return 'D';
    default: return 'N';
  }
}

int TDbfClueTable::FieldLength(const std::string& name) { return table_.FieldByName(name).Size(); }
