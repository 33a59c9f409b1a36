#pragma once
// The fixture of the tests that share a table and its indexes between peers (tools/peer): a
// table of five records, peers that join it with short lock tries and a read timeout of a
// second, the semaphore file's counters, and the checks of the files by the library, Perl's
// XBase and xbase64's checkndx.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "tests/xbase/ExternalTool.h"
#include "tests/xbase/dbf/DbfTest.h"
#include "tests/xbase/index/NdxTree.h"
#include "tests/xbase/multiprocess/PeerExpect.h"
#include "xbase/core/ovutils.h"
#include "xbase/index/ovndx.h"
#include "xbase/workarea/TypedFieldText.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {

struct SemaphoreCounts {
  int logins = 0, readers = 0, generation = 0;
  bool operator==(const SemaphoreCounts&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const SemaphoreCounts& c) {
  return out << "{logins " << c.logins << ", readers " << c.readers << ", generation " << c.generation << "}";
}

// TAG C(8), N N(5): records "T1" .. "T5" numbered 1 .. 5.
class SharedIndexTest : public DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    WriteTable();
  }

  // The table as the test starts with it.
  void WriteTable() {
    DbfImage image;
    image.Field("TAG", 'C', 8).Field("N", 'N', 5);
    for (int n = 1; n <= 5; ++n) image.Record("T" + std::to_string(n) + "      " + "    " + std::to_string(n));
    table_ = Write("shared.dbf", image.Bytes());
  }

  // A peer with the table open shared, short lock tries and a read timeout of a second.
  static PeerProcess& Joined(PeerGroup& peers, const std::string& options = "") {
    PeerProcess& peer = peers.Start();
    Expect(peer, "use shared" + options, "SHARED");
    Expect(peer, "semtries 40 5", "-");
    Expect(peer, "readtimeout 1", "-");
    return peer;
  }

  std::string Semaphore() const { return At("shared.@S@"); }

  SemaphoreCounts Read() const {
    const std::string bytes = Contents(Semaphore());
    EXPECT_EQ(bytes.size(), 4u);
    if (bytes.size() != 4) return {};
    const auto byte = [&](int i) { return static_cast<unsigned char>(bytes[i]); };
    return {byte(0), static_cast<signed char>(bytes[1]), byte(2) | byte(3) << 8};
  }

  // Every order's file, walked by the library: the keys of each index in key order.
  std::map<std::string, std::vector<std::string>> Walked(const std::vector<std::string>& files) {
    std::map<std::string, std::vector<std::string>> keys;
    Use(table_, nullptr, 0);
    for (const std::string& file : files) {
      EXPECT_TRUE(SetIndexTo(file, 1));
      for (GoTop(); !dEOF(); Skip(1)) keys[file].push_back(RTrimStr(TypedFieldText(1)));
    }
    CloseArea();
    return keys;
  }

  static void ExpectCheckndx(const std::string& table, const std::string& index, int records) {
#ifdef XBASE64_LONGFIX_LIBRARY
    if (!HasProgram("/usr/bin/checkndx")) return;
    const ToolResult result =
        RunTool(std::string("LD_PRELOAD=") + XBASE64_LONGFIX_LIBRARY + " checkndx " + table + " " + index);
    EXPECT_NE(result.output.find("Ndx integrity check = 0"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("Total records checked = " + std::to_string(records)), std::string::npos)
        << result.output;
#else
    (void)table, (void)index, (void)records;
#endif
  }

  static void ExpectPerlReads(const std::string& index, int entries) {
    if (!HasPerlXBase()) return;
    const ToolResult dump = RunTool("index_dump " + index + " ''");
    EXPECT_EQ(dump.status, 0) << dump.output;
    EXPECT_EQ(std::count(dump.output.begin(), dump.output.end(), '\n'), entries);
  }

  std::string table_;
};

}  // namespace xbase
