#include "tools/cluedb/SampleClues.h"

#include <filesystem>
#include <stdexcept>

#include "platform/os/CodePage1252.h"
#include "tools/cluedb/SampleText.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/index/ovndx.h"
#include "xbase/memo/memo.h"
#include "xbase/workarea/TypedFieldText.h"
#include "xbase/workarea/dbf4.h"

namespace {

constexpr std::string_view kClueIndent = "  ";
constexpr std::string_view kNote = "Note: ";
constexpr std::size_t kCluesPerRecord = 10;
constexpr std::uint8_t kClueLength = 60;

bool IsAnswer(std::string_view line) {
  return !line.empty() &&
         std::all_of(line.begin(), line.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

std::vector<xbase::FieldEntry> ClueTableFields() {
  std::vector<xbase::FieldEntry> fields{{"ENTRY", 'C', 30}, {"MORE", 'L', 1}};
  for (int n = 1; n <= static_cast<int>(kCluesPerRecord); ++n) fields.push_back({"CLUE" + std::to_string(n), 'C', kClueLength});
  fields.push_back({"NOTE", 'M', 10});
  return fields;
}

}  // namespace

std::vector<TSampleEntry> ParseSampleText(std::string_view text) {
  std::vector<TSampleEntry> entries;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == text.npos ? std::string_view() : text.substr(end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const auto refuse = [&](const std::string& why) {
      throw std::invalid_argument("line " + std::to_string(number) + ": " + why);
    };
    if (IsAnswer(line)) {
      entries.push_back({std::string(line), {}, {}});
      continue;
    }
    if (entries.empty() || !line.starts_with(kClueIndent) || line.substr(kClueIndent.size()).starts_with(' '))
      refuse("neither an answer nor a clue");
    const std::string item = platform::os::Utf8ToAnsi(line.substr(kClueIndent.size()));
    if (item.starts_with(kNote))
      entries.back().Note = item.substr(kNote.size());
    else if (item.size() > kClueLength)
      refuse("a clue longer than 60 characters");
    else
      entries.back().Clues.push_back(item);
  }
  return entries;
}

void WriteSample(const std::string& folder) {
  using namespace xbase;
  std::filesystem::create_directories(folder);
  const std::string table = folder + "/CLUES.DBF";
  if (FileFound(table)) throw std::runtime_error(ResolvedFileName(table) + " exists already");
  const std::vector<TSampleEntry> entries = ParseSampleText(SampleCluesText());

  struct RestoreVersion {
    std::uint8_t version = DefaultVersionByte;
    ~RestoreVersion() { DefaultVersionByte = version; }
  } restore;
  DefaultVersionByte = MemoDbase3;
  DbfTable created;
  CreateDBF(created, table, ClueTableFields());

  Select(0);
  AnsiTables = true;  // the clue table holds Windows-1252, as the clue database window reads it
  Use(table + " EXCLUSIVE", nullptr, 0);
  for (const TSampleEntry& entry : entries) {
    const std::size_t records = std::max<std::size_t>(1, (entry.Clues.size() + kCluesPerRecord - 1) / kCluesPerRecord);
    for (std::size_t r = 0; r < records; ++r) {
      ClearRecord();
      SetTypedFieldText(FieldNo("ENTRY"), entry.Word + std::string(r, '&'));
      SetTypedFieldText(FieldNo("MORE"), r + 1 < records ? "T" : "F");
      for (std::size_t i = 0; i < kCluesPerRecord && r * kCluesPerRecord + i < entry.Clues.size(); ++i)
        SetTypedFieldText(FieldNo("CLUE" + std::to_string(i + 1)), entry.Clues[r * kCluesPerRecord + i]);
      if (r == 0 && !entry.Note.empty()) SetTypedFieldText(FieldNo("NOTE"), std::to_string(AddMemo(entry.Note)));
      Append();
    }
  }
  IndexOnExpr("ENTRY", folder + "/CLUES.NDX");
  CloseArea();
}
