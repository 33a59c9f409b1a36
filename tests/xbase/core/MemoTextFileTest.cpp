#include "xbase/core/MemoTextFile.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace xbase {
namespace {

// Serves fills from a list and records what it is given to write.
struct ScriptedDevice : MemoTextDevice {
  std::deque<std::string> fills;
  std::vector<std::string> taken;  // output handed over by InOut
  std::vector<std::string> calls;
  std::uint16_t openCode = 0;
  std::uint16_t inOutCode = 0;
  bool takeOnFlush = true;  // output: Flush hands the buffer over, as the memo driver does

  std::uint16_t Open(MemoTextFile&) override {
    calls.push_back("open");
    return openCode;
  }
  std::uint16_t InOut(MemoTextFile& file) override {
    calls.push_back("inout");
    if (inOutCode != 0) return inOutCode;
    if (file.Mode() == TextFileMode::Input) {
      file.FillBuffer(fills.empty() ? std::string() : fills.front());
      if (!fills.empty()) fills.pop_front();
    } else {
      taken.emplace_back(file.BufferedOutput());
      file.ClearBuffer();
    }
    return 0;
  }
  std::uint16_t Flush(MemoTextFile& file) override {
    calls.push_back("flush");
    if (file.Mode() == TextFileMode::Output && takeOnFlush && !file.BufferedOutput().empty())
      return InOut(file);
    return 0;
  }
  std::uint16_t Close(MemoTextFile&) override {
    calls.push_back("close");
    return 0;
  }
};

struct Bound {
  MemoTextFile file;
  ScriptedDevice* device;
  Bound() {
    auto owned = std::make_unique<ScriptedDevice>();
    device = owned.get();
    file.Assign(std::move(owned));
  }
};

std::vector<std::string> ReadAll(MemoTextFile& file) {
  std::vector<std::string> lines;
  std::string line;
  while (!file.Eof()) {
    EXPECT_EQ(file.ReadLine(line), 0);
    lines.push_back(line);
  }
  return lines;
}

TEST(MemoTextFileTest, LinesEndAtCrCrLfOrLfAcrossFills) {
  struct Case {
    std::deque<std::string> fills;
    std::vector<std::string> lines;
  };
  for (const auto& c : {
           Case{{}, {}},
           Case{{"AB\r\n", "CD\r\n"}, {"AB", "CD"}},
           Case{{"AB", "CD\r\n"}, {"ABCD"}},          // a fill without an end joins the next
           Case{{"AB\r", "\nCD"}, {"AB", "CD"}},      // CR LF split between fills
           Case{{"A\rB\nC\r\n\r\nD"}, {"A", "B", "C", "", "D"}},
           Case{{"", "never read"}, {}},              // an empty fill ends the text
       }) {
    Bound b;
    b.device->fills = c.fills;
    ASSERT_EQ(b.file.Open(TextFileMode::Input), 0);
    EXPECT_EQ(ReadAll(b.file), c.lines);
    std::string line = "stale";
    EXPECT_EQ(b.file.ReadLine(line), 0);
    EXPECT_EQ(line, "");
    EXPECT_EQ(b.file.Close(), 0);
  }
}

TEST(MemoTextFileTest, ALineTellsWhetherItsEndFollowed) {
  Bound b;
  b.device->fills = {"A\r\nB"};
  ASSERT_EQ(b.file.Open(TextFileMode::Input), 0);
  std::string line;
  bool ended = false;
  ASSERT_EQ(b.file.ReadLine(line, ended), 0);
  EXPECT_TRUE(ended);
  ASSERT_EQ(b.file.ReadLine(line, ended), 0);
  EXPECT_EQ(line, "B");
  EXPECT_FALSE(ended);
}

TEST(MemoTextFileTest, WritesReachTheDeviceInBuffersAndAtEveryStatement) {
  Bound b;
  ASSERT_EQ(b.file.Open(TextFileMode::Output), 0);
  ASSERT_EQ(b.file.WriteLine(std::string(300, 'x')), 0);
  ASSERT_EQ(b.file.Write("ab"), 0);
  // A full buffer goes at once; the rest with the statement's flush.
  ASSERT_EQ(b.device->taken.size(), 3u);
  EXPECT_EQ(b.device->taken[0], std::string(255, 'x'));
  EXPECT_EQ(b.device->taken[1], std::string(45, 'x') + "\r\n");
  EXPECT_EQ(b.device->taken[2], "ab");
  EXPECT_EQ(b.file.Close(), 0);
  EXPECT_EQ(b.device->calls.back(), "close");
}

TEST(MemoTextFileTest, CloseHandsOverWhatTheDeviceLeftBuffered) {
  Bound b;
  b.device->takeOnFlush = false;
  ASSERT_EQ(b.file.Open(TextFileMode::Append), 0);
  EXPECT_EQ(b.file.Mode(), TextFileMode::Output);
  ASSERT_EQ(b.file.Write("tail"), 0);
  EXPECT_TRUE(b.device->taken.empty());
  EXPECT_EQ(b.file.Close(), 0);
  EXPECT_EQ(b.device->taken, std::vector<std::string>{"tail"});
  EXPECT_EQ(b.file.Mode(), TextFileMode::Closed);
}

TEST(MemoTextFileTest, RuntimeCodes) {
  MemoTextFile unassigned;
  std::string line;
  EXPECT_EQ(unassigned.Open(TextFileMode::Input), 102);
  EXPECT_EQ(unassigned.ReadLine(line), 102);
  EXPECT_EQ(unassigned.Close(), 102);

  Bound b;
  EXPECT_EQ(b.file.Open(TextFileMode::Closed), 102);
  EXPECT_EQ(b.file.ReadLine(line), 103);
  EXPECT_EQ(b.file.Write("x"), 103);
  EXPECT_EQ(b.file.Close(), 103);
  ASSERT_EQ(b.file.Open(TextFileMode::Output), 0);
  EXPECT_EQ(b.file.ReadLine(line), 104);
  ASSERT_EQ(b.file.Open(TextFileMode::Input), 0);  // reopening closes first
  EXPECT_EQ(b.file.Write("x"), 105);
}

TEST(MemoTextFileTest, DeviceFailuresPassThrough) {
  Bound b;
  b.device->openCode = 8;
  EXPECT_EQ(b.file.Open(TextFileMode::Input), 8);
  EXPECT_EQ(b.file.Mode(), TextFileMode::Closed);

  b.device->openCode = 0;
  b.device->inOutCode = 100;
  ASSERT_EQ(b.file.Open(TextFileMode::Input), 0);
  EXPECT_TRUE(b.file.Eof());  // a failed fill ends the text ...
  std::string line;
  EXPECT_EQ(b.file.ReadLine(line), 100);  // ... and the next read tells why

  b.device->inOutCode = 101;
  ASSERT_EQ(b.file.Open(TextFileMode::Output), 0);
  EXPECT_EQ(b.file.Write(std::string(300, 'y')), 101);
}

}  // namespace
}  // namespace xbase
