// The cluedb program as users run it: its sample, and its index, look-ups and adds on clue
// tables that python3-dbf wrote, read back by python3-dbf, Perl's XBase (dbf_dump, index_dump)
// and xbase64's checkndx, with other programs holding locks on the table and adding at once.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "tests/xbase/ExternalTool.h"
#include "tests/xbase/TempFolder.h"
#include "tests/xbase/multiprocess/PeerProcess.h"

namespace {

using xbase::RunTool;
using xbase::ToolResult;
using Lines = std::vector<std::string>;

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

Lines SplitLines(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

Lines SplitFields(const std::string& line) {
  Lines fields{""};
  for (const char c : line) {
    if (c == '|')
      fields.emplace_back();
    else
      fields.back() += c;
  }
  return fields;
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string CluedbCommand(const Lines& args) {
  std::string command = CLUEDB_PROGRAM;
  for (const std::string& arg : args) command += " " + Quoted(arg);
  return command;
}

ToolResult Cluedb(const Lines& args) { return RunTool(CluedbCommand(args)); }

// The table's records as python3-dbf reads them (read_clues.py): "<*| ><ENTRY>|<T|F>|...".
Lines ReadWithPython(const std::string& table) {
  const ToolResult read = RunTool(std::string(xbase::kPython) + " " + READ_CLUES_SCRIPT + " " + table);
  EXPECT_EQ(read.status, 0) << read.output;
  return SplitLines(read.output);
}

// A clue table written by python3-dbf (write_clues.py) in a random order with deleted records;
// its entries as the window lists them, "<word>|<clue>|...", in key order.
Lines WriteForeignTable(const std::string& table, int seed, int entries, int entryLength = 30) {
  const ToolResult written = RunTool(std::string(xbase::kPython) + " " + WRITE_CLUES_SCRIPT + " " + table + " " +
                                     std::to_string(seed) + " " + std::to_string(entries) + " " +
                                     std::to_string(entryLength));
  EXPECT_EQ(written.status, 0) << written.output;
  return SplitLines(written.output);
}

// The records of one entry as python3-dbf reads them, in key order: "<ENTRY> <T|F> <clues>".
Lines EntryRecords(const std::string& table, const std::string& word) {
  Lines records;
  for (const std::string& record : ReadWithPython(table)) {
    const Lines fields = SplitFields(record.substr(1));
    if (record[0] == '*' || fields[0].compare(0, word.size(), word) != 0 ||
        fields[0].find_first_not_of('&', word.size()) != std::string::npos)
      continue;
    std::string clues;
    for (std::size_t i = 2; i < 12; ++i)
      if (!fields[i].empty()) clues += (clues.empty() ? "" : "|") + fields[i];
    records.push_back(fields[0] + " " + fields[1] + " " + clues);
  }
  std::sort(records.begin(), records.end());
  return records;
}

// index_dump's entries: the key (trailing blanks removed) and the record number.
std::vector<std::pair<std::string, int>> PerlIndex(const std::string& index) {
  const ToolResult dump = RunTool("index_dump " + index + " ''");
  EXPECT_EQ(dump.status, 0) << dump.output;
  std::vector<std::pair<std::string, int>> entries;
  for (const std::string& line : SplitLines(dump.output)) {
    const std::size_t blank = line.rfind(' ');
    if (blank == std::string::npos) continue;
    std::string key = line.substr(0, blank);
    key.erase(key.find_last_not_of(' ') + 1);
    entries.emplace_back(key, std::stoi(line.substr(blank + 1)));
  }
  return entries;
}

// The index holds one key for every record of the table (deleted ones too), in byte order, each
// the record's ENTRY.
void ExpectIndexInStep(const std::string& table, const std::string& index) {
  const Lines records = ReadWithPython(table);
  const auto entries = PerlIndex(index);
  ASSERT_EQ(entries.size(), records.size());
  std::vector<int> seen(records.size() + 1, 0);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto& [key, record] = entries[i];
    ASSERT_GE(record, 1);
    ASSERT_LE(record, static_cast<int>(records.size()));
    ++seen[record];
    EXPECT_EQ(key, SplitFields(records[record - 1].substr(1))[0]) << "record " << record;
    if (i > 0) {
      EXPECT_LE(entries[i - 1].first, key) << "byte order at " << i;
    }
  }
  EXPECT_EQ(std::count(seen.begin() + 1, seen.end(), 1), static_cast<long>(records.size())) << "one key a record";
}

bool HaveReaders() {
  return xbase::HasPythonDbf() && xbase::HasProgram("/usr/bin/dbf_dump") && xbase::HasProgram("/usr/bin/index_dump");
}

class Cluedb_ : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveReaders()) GTEST_SKIP() << "python3-dbf or Perl's XBase is not installed";
  }

  std::string At(const std::string& name) const { return temp.path() + "/" + name; }

  xbase::TempFolder temp;
};

using CluedbSample = Cluedb_;
using CluedbTable = Cluedb_;
using CluedbSharing = Cluedb_;

TEST_F(CluedbSample, IsAClueTableThatOtherReadersRead) {
  const std::string folder = At("made/on/demand");
  const ToolResult made = Cluedb({"sample", folder});
  ASSERT_EQ(made.status, 0) << made.output;
  const std::string table = folder + "/CLUES.DBF";
  EXPECT_EQ(static_cast<unsigned char>(Contents(table).at(0)), 0x83);

  // Every entry: its first record, then its continuations, the last one without MORE.
  std::map<std::string, Lines> clues;
  std::map<std::string, std::string> notes;
  std::string word;
  bool more = false;
  const Lines records = ReadWithPython(table);
  for (const std::string& record : records) {
    const Lines fields = SplitFields(record.substr(1));
    ASSERT_EQ(fields.size(), 13u) << record;
    EXPECT_EQ(record[0], ' ');
    if (more) {
      EXPECT_EQ(fields[0], word + std::string(fields[0].size() - word.size(), '&')) << record;
    } else {
      word = fields[0];
      EXPECT_EQ(word.find('&'), std::string::npos) << record;
    }
    more = fields[1] == "T";
    for (std::size_t i = 2; i < 12; ++i)
      if (!fields[i].empty()) clues[word].push_back(fields[i]);
    if (!fields[12].empty()) notes[word] = fields[12];
  }
  EXPECT_FALSE(more);
  EXPECT_GE(clues.size(), 300u);
  EXPECT_EQ(clues["CAT"].size(), 13u);
  EXPECT_EQ(clues["CAFE"].at(2), "Place for a caf\xC3\xA9 cr\xC3\xA8me");
  EXPECT_EQ(notes["CAFE"], "Written CAF\xC3\x89 only in grids that allow accents.");
  EXPECT_GE(notes.size(), 3u);

  // Perl's XBase reads the same records and the same notes, and walks the index.
  const ToolResult dump = RunTool("dbf_dump --fs '|' " + table);
  ASSERT_EQ(dump.status, 0) << dump.output;
  const Lines dumped = SplitLines(dump.output);
  ASSERT_EQ(dumped.size(), records.size());
  for (const std::string& line : dumped) {
    if (!line.starts_with("CAT|")) continue;
    EXPECT_NE(line.find("|Not \"Tom or tabby\" twice in one puzzle."), std::string::npos);
  }
  ExpectIndexInStep(table, folder + "/CLUES.NDX");

  // The window's look-up finds a long entry whole.
  const ToolResult cat = Cluedb({"lookup", table, "CAT"});
  EXPECT_EQ(cat.status, 0);
  EXPECT_EQ(SplitLines(cat.output).size(), 14u) << "13 clues and the note";

  // A second sample does not overwrite the first.
  const std::string before = Contents(table);
  const ToolResult again = Cluedb({"sample", folder});
  EXPECT_EQ(again.status, 3);
  EXPECT_NE(again.output.find("exists already"), std::string::npos) << again.output;
  EXPECT_EQ(Contents(table), before);
}

TEST(CluedbCommandLine, WrongCommandLinesAreRefused) {
  for (const Lines& args : {Lines{}, Lines{"sample"}, Lines{"lookup", "t.dbf"}, Lines{"frobnicate", "x"}}) {
    const ToolResult result = Cluedb(args);
    EXPECT_EQ(result.status, 3);
    EXPECT_NE(result.output.find("usage: cluedb"), std::string::npos) << result.output;
  }
}

TEST_F(CluedbTable, ForeignTableIndexedLookedUpAndAddedTo) {
  const std::string table = At("foreign.dbf");
  const Lines entries = WriteForeignTable(table, 1, 24);
  ASSERT_EQ(entries.size(), 24u);
  const ToolResult indexed = Cluedb({"index", table});
  ASSERT_EQ(indexed.status, 0) << indexed.output;
  const std::string index = At("foreign.ndx");
  ExpectIndexInStep(table, index);
  // The header: key length 30, the key expression, the record-count stamp.
  const std::string header = Contents(index).substr(0, 512);
  EXPECT_EQ(static_cast<unsigned char>(header[12]), 30);
  EXPECT_EQ(std::string(header.c_str() + 24), "ENTRY");
  std::uint32_t stamp = 0, inverted = 0;
  std::memcpy(&inverted, &header[488], 4);
  std::memcpy(&stamp, &header[492], 4);
  EXPECT_EQ(stamp, ReadWithPython(table).size());
  EXPECT_EQ(inverted, ~stamp);

  // Every entry reads as python3-dbf wrote it, over its continuation records.
  for (const std::string& line : entries) {
    const Lines expected = SplitFields(line);
    const ToolResult found = Cluedb({"lookup", table, expected[0]});
    EXPECT_EQ(found.status, 0) << expected[0];
    EXPECT_EQ(SplitLines(found.output), Lines(expected.begin() + 1, expected.end())) << expected[0];
  }
  // Misses name the entry that follows the word; past the last one nothing follows.
  const std::string first = SplitFields(entries.front())[0];
  const ToolResult before = Cluedb({"lookup", table, "A"});
  EXPECT_EQ(before.status, 1);
  EXPECT_EQ(SplitLines(before.output), (Lines{"No Definitions!", first}));
  const ToolResult after = Cluedb({"lookup", table, "ZZZZZZZZZ"});
  EXPECT_EQ(after.status, 1);
  EXPECT_EQ(SplitLines(after.output), Lines{"No Definitions!"});

  // Adds: to an entry of one record, to one of three, and a new word.
  std::map<std::size_t, std::string> bySize;
  for (const std::string& line : entries) bySize.emplace(SplitFields(line).size() - 1, SplitFields(line)[0]);
  for (const auto& [size, word] : bySize) {
    SCOPED_TRACE(word);
    const Lines old = EntryRecords(table, word);
    const ToolResult added = Cluedb({"add", table, word, "Added clue"});
    ASSERT_EQ(added.status, 0) << added.output;
    const Lines now = EntryRecords(table, word);
    ASSERT_FALSE(now.empty());
    EXPECT_NE(now.back().find("Added clue"), std::string::npos) << now.back();
    EXPECT_EQ(now.back().substr(now.back().find(' ') + 1, 1), "F") << "the last record ends the entry";
    const Lines listed = SplitLines(Cluedb({"lookup", table, word}).output);
    EXPECT_NE(std::find(listed.begin(), listed.end(), "Added clue"), listed.end());
    EXPECT_GE(now.size(), old.size());
  }
  ASSERT_EQ(Cluedb({"add", table, "NEWWORD", "A word of its own"}).status, 0);
  EXPECT_EQ(EntryRecords(table, "NEWWORD"), Lines{"NEWWORD F A word of its own"});
  ExpectIndexInStep(table, index);

  // Nothing added: a duplicate in another case, a blank clue.
  const std::string unchanged = Contents(table);
  EXPECT_EQ(Cluedb({"add", table, "NEWWORD", "a WORD of its own"}).status, 1);
  EXPECT_EQ(Cluedb({"add", table, "NEWWORD", "   "}).status, 1);
  EXPECT_EQ(Contents(table), unchanged);

  // dbf_dump reads what the adds wrote.
  const ToolResult dump = RunTool("dbf_dump --fs '|' " + table);
  EXPECT_NE(dump.output.find("NEWWORD|0|A word of its own|"), std::string::npos) << dump.output;
}

TEST_F(CluedbTable, NamesResolveWithoutRegardToCase) {
  const Lines entries = WriteForeignTable(At("clues.dbf"), 2, 8);
  ASSERT_EQ(Cluedb({"index", At("CLUES.DBF")}).status, 0);
  EXPECT_TRUE(std::ifstream(At("clues.ndx")).good()) << "the index takes the table's spelling";
  const Lines expected = SplitFields(entries[3]);
  const ToolResult found = Cluedb({"lookup", At("Clues"), expected[0]});
  EXPECT_EQ(found.status, 0) << found.output;
  EXPECT_EQ(SplitLines(found.output), Lines(expected.begin() + 1, expected.end()));
}

TEST_F(CluedbTable, MissingTablesAndIndexesAreSaidAndNothingIsCreated) {
  const ToolResult noTable = Cluedb({"lookup", At("none.dbf"), "CAT"});
  EXPECT_EQ(noTable.status, 3);
  EXPECT_NE(noTable.output.find("was not found"), std::string::npos) << noTable.output;
  WriteForeignTable(At("plain.dbf"), 3, 4);
  const ToolResult noIndex = Cluedb({"add", At("plain.dbf"), "CAT", "Feline"});
  EXPECT_EQ(noIndex.status, 3);
  EXPECT_NE(noIndex.output.find("has no index"), std::string::npos) << noIndex.output;
  EXPECT_FALSE(std::ifstream(At("none.dbf")).good());
  EXPECT_FALSE(std::ifstream(At("plain.ndx")).good());
}

TEST_F(CluedbTable, DamagedFilesAreNamedWithWhatToDo) {
  // Bytes written over one file of the sample: where, how many (0: the file cut there).
  struct Damage {
    const char* file;
    std::size_t at;
    std::size_t bytes;
    const char* said;     // the first line's end
    const char* advice;   // in the second line
    const char* details;  // the library's text
  };
  const Damage damages[] = {
      {"CLUES.DBF", 20, 0, "\" is damaged.", "cluedb index", "Details: Error # 210 "},
      {"CLUES.NDX", 0, 30, "\", is damaged.", "Rebuild it with: cluedb index", "Details: Error # 222 "},
      {"CLUES.NDX", 512, 2000, "\", is damaged.", "Rebuild it with: cluedb index", "[GetNode]"},
      {"CLUES.DBT", 600, 0, "\", are damaged.", "Put back a copy", "Details: Error # 1003 "},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(std::string(damage.file) + " at " + std::to_string(damage.at));
    const std::string folder = At("sample" + std::to_string(&damage - damages));
    ASSERT_EQ(Cluedb({"sample", folder}).status, 0);
    const std::string path = folder + "/" + damage.file;
    std::string bytes = Contents(path);
    if (damage.bytes == 0)
      bytes.resize(damage.at);
    else
      bytes.replace(damage.at, damage.bytes, std::string(damage.bytes, '\xFF'));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;

    const ToolResult result = Cluedb({"lookup", folder + "/CLUES.DBF", "CAT"});
    EXPECT_EQ(result.status, 3);
    const Lines said = SplitLines(result.output);
    ASSERT_EQ(said.size(), 3u) << result.output;
    EXPECT_TRUE(said[0].starts_with("cluedb: ")) << said[0];
    EXPECT_NE(said[0].find("\"" + path + damage.said), std::string::npos) << said[0];
    EXPECT_NE(said[1].find(damage.advice), std::string::npos) << said[1];
    EXPECT_NE(said[2].find(damage.details), std::string::npos) << said[2];
  }
  // The advice for an index is the cure.
  const std::string folder = At("sample2");
  ASSERT_EQ(Cluedb({"index", folder + "/CLUES.DBF"}).status, 0);
  EXPECT_EQ(Cluedb({"lookup", folder + "/CLUES.DBF", "CAT"}).status, 0);
}

#ifdef XBASE64_LONGFIX_LIBRARY
TEST_F(CluedbTable, CheckndxAcceptsTheIndexBeforeAndAfterAdds) {
  if (!xbase::HasProgram("/usr/bin/checkndx")) GTEST_SKIP() << "xbase64's checkndx is not installed";
  const std::string table = At("checked.dbf");
  const Lines entries = WriteForeignTable(table, 4, 60, 24);
  ASSERT_EQ(Cluedb({"index", table}).status, 0);
  const auto check = [&](const std::string& stage) {
    const ToolResult result = RunTool(std::string("LD_PRELOAD=") + XBASE64_LONGFIX_LIBRARY + " checkndx " + table +
                                      " " + At("checked.ndx"));
    EXPECT_NE(result.output.find("Ndx integrity check = 0"), std::string::npos) << stage << "\n" << result.output;
  };
  check("built");
  for (int n = 0; n < 12; ++n) ASSERT_EQ(Cluedb({"add", table, "CHECKED", "Clue " + std::to_string(n)}).status, 0);
  check("after adds");
}
#endif

// ---- With other programs at the same time

class SharedClueTable : public Cluedb_ {
 protected:
  void SetUp() override {
    Cluedb_::SetUp();
    if (IsSkipped()) return;
    table = At("shared.dbf");
    entries = WriteForeignTable(table, 5, 12);
    ASSERT_EQ(Cluedb({"index", table}).status, 0);
    word = SplitFields(entries[2])[0];
  }

  // A peer with the table open, standing on the first record of the entry (of `word` when none
  // is named).
  xbase::PeerProcess& PeerOnTheEntry(xbase::PeerGroup& peers, const std::string& entry = {}) {
    xbase::PeerProcess& peer = peers.Start();
    EXPECT_EQ(peer.Ask("use shared.dbf").code, 0);
    const Lines records = ReadWithPython(table);
    for (std::size_t n = 1; n <= records.size(); ++n) {
      if (records[n - 1][0] == ' ' && SplitFields(records[n - 1].substr(1))[0] == (entry.empty() ? word : entry)) {
        EXPECT_EQ(peer.Ask("go " + std::to_string(n)).result, std::to_string(n));
      }
    }
    return peer;
  }

  std::string table;
  Lines entries;
  std::string word;
};

TEST_F(SharedClueTable, LocksHeldElsewhereMakeTheAddBusyAndLeaveTheFilesAsTheyWere) {
  struct Hold {
    const char* lock;
    const char* word;
    int clues;  // the entry's clues before the add (0: a new word)
    Lines after;  // the entry's records after the add, once the lock is free
  };
  const auto clues = [](const std::string& word, int count) {
    std::string joined;
    for (int n = 1; n <= count; ++n) joined += (n > 1 ? "|" : "") + word + " " + std::to_string(n);
    return joined;
  };
  const Hold holds[] = {
      {"rlock", "ONCE", 1, {"ONCE F " + clues("ONCE", 1) + "|added"}},
      {"alock", "BRANDNEW", 0, {"BRANDNEW F added"}},
      // Ten clues fill the record: the eleventh needs a continuation record, appended.
      {"alock", "TENFOLD", 10, {"TENFOLD T " + clues("TENFOLD", 10), "TENFOLD& F added"}},
      {"rlock", "DECADE", 10, {"DECADE T " + clues("DECADE", 10), "DECADE& F added"}},
  };
  const Lines files{"shared.dbf", "shared.dbt", "shared.ndx"};
  for (const Hold& hold : holds) {
    SCOPED_TRACE(std::string(hold.lock) + " " + hold.word);
    for (int n = 1; n <= hold.clues; ++n)
      ASSERT_EQ(Cluedb({"add", table, hold.word, std::string(hold.word) + " " + std::to_string(n)}).status, 0);
    xbase::PeerGroup peers(temp.path());
    xbase::PeerProcess& peer = PeerOnTheEntry(peers, hold.clues > 0 ? hold.word : "");
    ASSERT_EQ(peer.Ask(hold.lock).result, "1");
    for (const std::string& file : files) std::filesystem::copy_file(At(file), At("before-" + file), std::filesystem::copy_options::overwrite_existing);

    const ToolResult busy = Cluedb({"add", table, hold.word, "added"});
    EXPECT_EQ(busy.status, 2) << busy.output;
    EXPECT_NE(busy.output.find("busy"), std::string::npos);
    for (const std::string& file : files) {
      const ToolResult same = RunTool("cmp " + At("before-" + file) + " " + At(file));
      EXPECT_EQ(same.status, 0) << file << ": " << same.output;
    }
    peer.Ask("unlock");
    const ToolResult added = Cluedb({"add", table, hold.word, "added"});
    EXPECT_EQ(added.status, 0) << added.output;
    EXPECT_EQ(EntryRecords(table, hold.word), hold.after);
  }
  ExpectIndexInStep(table, At("shared.ndx"));
}

TEST_F(SharedClueTable, LockOfAKilledProgramGoesWithIt) {
  xbase::PeerGroup peers(temp.path());
  xbase::PeerProcess& peer = PeerOnTheEntry(peers);
  ASSERT_EQ(peer.Ask("rlock").result, "1");
  peer.Kill(SIGKILL);
  const ToolResult added = Cluedb({"add", table, word, "After the crash"});
  EXPECT_EQ(added.status, 0) << added.output;
  const Lines listed = SplitLines(Cluedb({"lookup", table, word}).output);
  EXPECT_NE(std::find(listed.begin(), listed.end(), "After the crash"), listed.end());
}

TEST_F(SharedClueTable, TwoProgramsAddingAtOnceLoseNothing) {
  // Two loops of twelve adds to one new word, side by side.
  const auto loop = [&](const std::string& prefix) {
    std::string script;
    for (int n = 1; n <= 12; ++n)
      script += CluedbCommand({"add", table, "TOGETHER", prefix + std::to_string(n)}) + " || echo failed " + prefix +
                std::to_string(n) + "; ";
    return "(" + script + ")";
  };
  const ToolResult both = RunTool(loop("first ") + " & " + loop("second ") + " & wait");
  EXPECT_EQ(both.output.find("failed"), std::string::npos) << both.output;
  const Lines records = EntryRecords(table, "TOGETHER");
  ASSERT_EQ(records.size(), 3u);
  EXPECT_TRUE(records[0].starts_with("TOGETHER T "));
  EXPECT_TRUE(records[1].starts_with("TOGETHER& T "));
  EXPECT_TRUE(records[2].starts_with("TOGETHER&& F "));
  const Lines listed = SplitLines(Cluedb({"lookup", table, "TOGETHER"}).output);
  ASSERT_EQ(listed.size(), 24u);
  for (const char* prefix : {"first ", "second "})
    for (int n = 1; n <= 12; ++n)
      EXPECT_NE(std::find(listed.begin(), listed.end(), prefix + std::to_string(n)), listed.end()) << prefix << n;
  ExpectIndexInStep(table, At("shared.ndx"));
}

}  // namespace
