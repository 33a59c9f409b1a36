// The cluedb program as users run it, its tables read back by python3-dbf and Perl's XBase.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "tests/xbase/ExternalTool.h"
#include "tests/xbase/TempFolder.h"

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

class Cluedb : public ::testing::Test {
 protected:
  static ToolResult Run(const Lines& args) {
    std::string command = CLUEDB_PROGRAM;
    for (const std::string& arg : args) command += " " + Quoted(arg);
    return RunTool(command);
  }

  // The table's records as python3-dbf reads them (read_clues.py).
  static Lines ReadWithPython(const std::string& table) {
    const ToolResult read = RunTool(std::string(xbase::kPython) + " " + READ_CLUES_SCRIPT + " " + table);
    EXPECT_EQ(read.status, 0) << read.output;
    return SplitLines(read.output);
  }

  xbase::TempFolder temp;
};

TEST_F(Cluedb, SampleIsAClueTableThatOtherReadersRead) {
  if (!xbase::HasPythonDbf() || !xbase::HasProgram("/usr/bin/dbf_dump")) GTEST_SKIP() << "no python3-dbf or dbf_dump";
  const std::string folder = temp.path() + "/made/on/demand";
  const ToolResult made = Run({"sample", folder});
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

  // Perl's XBase reads the same records and the same notes.
  const ToolResult dump = RunTool("dbf_dump --fs '|' " + table);
  ASSERT_EQ(dump.status, 0) << dump.output;
  const Lines dumped = SplitLines(dump.output);
  ASSERT_EQ(dumped.size(), records.size());
  for (const std::string& line : dumped) {
    if (!line.starts_with("CAT|")) continue;
    EXPECT_NE(line.find("|Not \"Tom or tabby\" twice in one puzzle."), std::string::npos);
  }

  // A second sample does not overwrite the first.
  const std::string before = Contents(table);
  const ToolResult again = Run({"sample", folder});
  EXPECT_EQ(again.status, 3);
  EXPECT_NE(again.output.find("exists already"), std::string::npos) << again.output;
  EXPECT_EQ(Contents(table), before);
}

TEST_F(Cluedb, WrongCommandLinesAreRefused) {
  for (const Lines& args : {Lines{}, Lines{"sample"}, Lines{"frobnicate", "x"}}) {
    const ToolResult result = Run(args);
    EXPECT_EQ(result.status, 3);
    EXPECT_NE(result.output.find("usage: cluedb"), std::string::npos) << result.output;
  }
}

}  // namespace
