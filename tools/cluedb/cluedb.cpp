// cluedb: the clue database from the command line, with the clue database window's logic.
// Arguments are UTF-8; table text is Windows-1252.
//
//   cluedb sample <folder>             writes the sample clue database into the folder
//   cluedb index <table>               builds <table without extension>.NDX on ENTRY
//   cluedb lookup <table> <word>       the word's clues, one a line, then its notes, each
//                                      "Note: <text>" (exit 1: "No Definitions!" and the
//                                      entry that follows the word, if any)
//   cluedb add <table> <word> <clue>   adds the clue (exit 1: nothing added, a duplicate, a
//                                      blank clue or no room; exit 2: the table is busy)
//
// Exit status 3: a table error (which file, what to do, the library's text) or a wrong command
// line.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/clues/ClueVault.h"
#include "app/clues/DbfClueTable.h"
#include "platform/os/CodePage1252.h"
#include "tools/cluedb/SampleClues.h"
#include "xbase/Library.h"
#include "xbase/core/ovcommon.h"
#include "xbase/dataset/uovfds.h"
#include "xbase/index/ovndx.h"
#include "xbase/workarea/dbf4.h"

namespace {

constexpr int kDone = 0;
constexpr int kNothing = 1;
constexpr int kBusy = 2;
constexpr int kFailed = 3;

const char* const kUsage =
    "usage: cluedb sample <folder>\n"
    "       cluedb index <table>\n"
    "       cluedb lookup <table> <word>\n"
    "       cluedb add <table> <word> <clue>\n";

void Print(const std::string& ansi) { std::printf("%s\n", platform::os::AnsiToUtf8(ansi).c_str()); }

int Index(const std::string& table) {
  xbase::Select(0);
  xbase::AnsiTables = true;
  xbase::Use(table, nullptr, 0);
  xbase::IndexOnExpr("ENTRY", TDbfClueTable::IndexFileOf(xbase::CurrentTableName()));
  xbase::CloseArea();
  return kDone;
}

// Runs the work on the clue table opened as the clue database window opens it.
template <class Work>
int WithClueTable(const std::string& table, Work work) {
  xbase::TOvDbf component;
  component.SetName("CLUES");
  TDbfClueTable clueTable(component);
  try {
    if (const std::string failure = clueTable.Open(table); !failure.empty()) {
      std::fprintf(stderr, "cluedb: %s\n", failure.c_str());
      return kFailed;
    }
    TClueVault vault(clueTable);
    return work(vault);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cluedb: %s\n", clueTable.FailureMessage(error.what()).c_str());
    return kFailed;
  }
}

int Lookup(TClueVault& vault, const std::string& word) {
  const TClueEntry& entry = vault.LookupEntry(platform::os::Utf8ToAnsi(word));
  if (entry.Found) {
    for (const std::string& clue : entry.Clues) Print(clue);
    for (const std::string& note : entry.Notes) Print("Note: " + note);
    return kDone;
  }
  Print("No Definitions!");
  if (const std::string following = vault.FollowingEntryText(); !following.empty()) Print(following);
  return kNothing;
}

int Add(TClueVault& vault, const std::string& word, const std::string& clue) {
  vault.LookupEntry(platform::os::Utf8ToAnsi(word));
  switch (vault.AddClue(platform::os::Utf8ToAnsi(clue))) {
    case TClueAddResult::Added: return kDone;
    case TClueAddResult::Busy:
      std::fputs("cluedb: the clue database is busy: another program holds a lock on it\n", stderr);
      return kBusy;
    default: return kNothing;
  }
}

int Run(const std::vector<std::string>& args) {
  const std::string command = args.empty() ? std::string() : args[0];
  if (command == "sample" && args.size() == 2) {
    WriteSample(args[1]);
    return kDone;
  }
  if (command == "index" && args.size() == 2) return Index(args[1]);
  if (command == "lookup" && args.size() == 3)
    return WithClueTable(args[1], [&](TClueVault& vault) { return Lookup(vault, args[2]); });
  if (command == "add" && args.size() == 4)
    return WithClueTable(args[1], [&](TClueVault& vault) { return Add(vault, args[2], args[3]); });
  std::fputs(kUsage, stderr);
  return kFailed;
}

}  // namespace

int main(int argc, char* argv[]) {
  xbase::Init();
  // A table error ends the command with its message, never with the library's own exit.
  xbase::SetRaiseErrors(true);
  int status = kFailed;
  try {
    status = Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cluedb: %s\n", platform::os::AnsiToUtf8(error.what()).c_str());
    status = kFailed;
  }
  xbase::Done();
  return status;
}
