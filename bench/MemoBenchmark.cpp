// Speed of the memo store: records appended each with a memo (a quarter each of 10, 100, 600
// and 3,000 bytes in lines of 60), then every memo read back as a stream and through the text
// driver, in each dialect; then the same writing and reading done by python3-dbf and Perl's
// XBase when they are installed, with the ratios side by side. Every memo write is flushed to
// the device, which the peers do not do: run with --folder on a memory file system (/dev/shm)
// to compare the work itself. Each figure comes with the system calls one operation makes
// (pread, pwrite, fcntl, fstat and fsync, SystemCalls.h); "write, shared" appends a tenth as
// many records to a table opened shared, with the table's append lock and the memo lock taken
// and released for each, and "stream, shared" and "driver, shared" read their memos back (the
// peers take no locks and share nothing: these have no peer figure).
//
//   memo_benchmark [--records N] [--folder DIR] [--no-peers]
//
// Defaults: 100,000 records in a temporary folder.

#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchPeers.h"
#include "bench/SystemCalls.h"
#include "platform/os/TempFiles.h"
#include "xbase/Library.h"
#include "xbase/core/MemoTextFile.h"
#include "xbase/core/ovcommon.h"
#include "xbase/dbf/MemoField.h"
#include "xbase/dbf/TypedSlots.h"
#include "xbase/dbf/ovdbflow.h"
#include "xbase/memo/memo.h"
#include "xbase/workarea/dbf4.h"

namespace {

using namespace xbase;
using bench::Clock;
using bench::PerSecond;

// The memo of record i, as the peer scripts make it too.
std::string MemoText(long i) {
  static const std::size_t kLengths[] = {10, 100, 600, 3000};
  const std::string line =
      std::string("the clue of a crossword, with its answer and some notes on it").substr(0, 58) + "\r\n";
  const std::size_t length = kLengths[i % 4];
  std::string text;
  while (text.size() < length) text += line;
  text.resize(length);
  return text;
}

struct Dialect {
  const char* name;
  std::uint8_t version;
  std::uint16_t blockSize;
  const char* python;  // python3-dbf's table type, or null
  const char* perl;    // Perl XBase's version
};

// Operations a second and the system calls of each.
struct Figure {
  double rate = 0, calls = 0;
};

struct Figures {
  Figure write, stream, driver, shared, sharedStream, sharedDriver;
};

// The work, timed and its system calls counted, as `operations` operations.
template <typename Work>
Figure Measure(long operations, const Work& work) {
  const bench::SystemCallCounts before = bench::CountedSystemCalls();
  const auto start = Clock::now();
  work();
  const double rate = PerSecond(operations, start);
  return {rate, static_cast<double>((bench::CountedSystemCalls() - before).Total()) / std::max(operations, 1L)};
}

// Records appended each with its memo; in a shared table each under the append lock. The
// memos' blocks.
std::vector<std::int32_t> AppendRecords(long records, bool shared) {
  std::vector<std::int32_t> blocks;
  blocks.reserve(static_cast<std::size_t>(records));
  std::uint8_t* name = FieldAddress(1);
  std::uint8_t* notes = FieldAddress(2);
  std::vector<std::string> texts;
  for (long i = 0; i < 4; ++i) texts.push_back(MemoText(i));
  for (long i = 0; i < records; ++i) {
    char text[16] = "n";
    PutSlotText(name, 10, std::string_view(text, std::to_chars(text + 1, text + sizeof text, i).ptr));
    if (shared) ALock();
    blocks.push_back(AddMemo(texts[i % 4]));
    PutSlotInt32(notes, blocks.back());
    Append();
    if (shared) Unlock();
  }
  return blocks;
}

// Reads the memo of each record 1 .. records (blockOf gives its block) as a stream; the
// checksum adds the bytes read.
template <typename BlockOf>
void ReadStreams(long records, const BlockOf& blockOf, long& checksum) {
  std::vector<char> buffer(4096);
  for (long record = 1; record <= records; ++record) {
    OpenBlob(false, blockOf(record), 1);
    while (const std::int32_t n = ReadBlobStream(buffer.data(), static_cast<std::int32_t>(buffer.size())))
      checksum += n;
    CloseBlob();
  }
}

// The same through the text driver, line by line.
template <typename BlockOf>
void ReadLines(long records, const BlockOf& blockOf, long& checksum) {
  std::string line;
  for (long record = 1; record <= records; ++record) {
    std::int32_t block = blockOf(record);
    MemoTextFile text;
    AssignMemo(text, block);
    text.Open(TextFileMode::Input);
    while (!text.Eof() && text.ReadLine(line) == 0) checksum += static_cast<long>(line.size());
    text.Close();
  }
}

Figures Run(const std::string& folder, const Dialect& dialect, long records, long& checksum) {
  const std::string path = folder + "/memo" + std::to_string(dialect.version) + ".dbf";
  DefaultVersionByte = dialect.version;
  DefaultMemoBlockSize = dialect.blockSize;
  DbfTable table;
  CreateDBF(table, path, std::vector<FieldEntry>{{"NAME", 'C', 10, 0, 0}, {"NOTES", 'M', 10, 0, 0}});
  Use(path + " EXCLUSIVE", nullptr, 0);
  Figures figures;

  figures.write = Measure(records, [&] { AppendRecords(records, false); });

  // The memo fields are read through the read cache, as a scan over one field reads them.
  PeekCacheSize = 65520;
  std::string field;
  const auto blockOf = [&](long record) {
    Peek(2, record, field);
    return MemoBlockOfField(field);
  };
  figures.stream = Measure(records, [&] { ReadStreams(records, blockOf, checksum); });
  figures.driver = Measure(records, [&] { ReadLines(records, blockOf, checksum); });
  CloseArea();

  // The same appends on the table opened shared, a lock each, and their memos read back (by
  // the blocks the appends gave: the memo reads alone).
  const long sharedRecords = std::max(records / 10, 1L);
  const bool networkLocking = std::exchange(NetworkLocking, true);
  Use(path, nullptr, 0);
  std::vector<std::int32_t> blocks;
  figures.shared = Measure(sharedRecords, [&] { blocks = AppendRecords(sharedRecords, true); });
  const auto appended = [&](long record) { return blocks[static_cast<std::size_t>(record - 1)]; };
  figures.sharedStream = Measure(sharedRecords, [&] { ReadStreams(sharedRecords, appended, checksum); });
  figures.sharedDriver = Measure(sharedRecords, [&] { ReadLines(sharedRecords, appended, checksum); });
  CloseArea();
  NetworkLocking = networkLocking;

  std::filesystem::remove(path);
  std::filesystem::remove(folder + "/memo" + std::to_string(dialect.version) +
                          (dialect.version == 0xF5 ? ".FPT" : ".DBT"));
  return figures;
}

void Print(const char* name, const Figure& ours, const std::map<std::string, double>& peers) {
  std::printf("  %-14s %10.0f /s %5.2f calls", name, ours.rate, ours.calls);
  for (const auto& [peer, value] : peers) {
    if (value > 0) std::printf("   %s %8.0f /s (x%.1f)", peer.c_str(), value, ours.rate / value);
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const bench::Options options = bench::ParseOptions(argc, argv, "" /* no count of its own */, 100'000, 0);
  const std::string folder =
      options.folder.empty() ? platform::os::TempFolder() + "/memo-benchmark-" + std::to_string(getpid())
                             : options.folder + "/memo-benchmark-" + std::to_string(getpid());
  std::filesystem::create_directories(folder);
  xbase::Init();
  AnsiTables = true;  // text as it is, as the peers store it

  const Dialect dialects[] = {{"dBase III", 0x83, 512, "db3", "3"},
                              {"dBase IV", 0x8B, 512, nullptr, "0x0B"},
                              {"FoxPro", 0xF5, 64, "fp", "0xF5"}};
  std::printf("%ld records, each with a memo of 10, 100, 600 or 3000 bytes, in %s\n",
              options.records, folder.c_str());
  long checksum = 0;
  for (const Dialect& dialect : dialects) {
    const Figures ours = Run(folder, dialect, options.records, checksum);
    std::map<std::string, std::map<std::string, double>> peers;
    if (options.peers) {
      const std::string records = std::to_string(options.records);
      if (dialect.python != nullptr)
        peers["python3-dbf"] = bench::RunScript("/usr/bin/python3", BENCH_SOURCE_DIR "/python_dbf_memo_peer.py",
                                                {folder, records, dialect.python});
      peers["Perl-XBase"] = bench::RunScript("/usr/bin/perl", BENCH_SOURCE_DIR "/perl_xbase_memo_peer.pl",
                                             {folder, records, dialect.perl});
    }
    const auto figure = [&](const char* key) {
      std::map<std::string, double> values;
      for (const auto& [peer, figures] : peers) {
        const auto found = figures.find(key);
        if (found != figures.end()) values[peer] = found->second;
      }
      return values;
    };
    std::printf("%s (%u-byte blocks)\n", dialect.name, dialect.blockSize);
    Print("write", ours.write, figure("write"));
    Print("read, stream", ours.stream, figure("read"));
    Print("read, driver", ours.driver, figure("read"));
    Print("write, shared", ours.shared, {});
    Print("stream, shared", ours.sharedStream, {});
    Print("driver, shared", ours.sharedDriver, {});
  }
  std::printf("checksum %ld\n", checksum);

  xbase::Done();
  std::filesystem::remove_all(folder);
  return 0;
}
