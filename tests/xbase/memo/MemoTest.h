#pragma once
// Base fixture of the memo store's tests: tables with a memo field, created in each dialect in
// a temporary folder, and ways to look at their memo files byte for byte.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/xbase/workarea/WorkAreaTest.h"
#include "xbase/dbf/MemoField.h"
#include "xbase/memo/memo.h"

namespace xbase {

struct Dialect {
  std::uint8_t version;
  std::uint16_t blockSize;
  const char* extension;
};

// The three dialects as the independent checks use them.
inline const Dialect kDbase3{0x83, 512, "dbt"};
inline const Dialect kDbase4{0x8B, 512, "dbt"};
inline const Dialect kFoxPro{0xF5, 64, "fpt"};
inline const Dialect kDialects[] = {kDbase3, kDbase4, kFoxPro};

inline std::string DialectName(const Dialect& d) {
  return d.version == 0x83 ? "dBase III" : d.version == 0xF5 ? "FoxPro" : "dBase IV";
}

class MemoTest : public WorkAreaTest {
 protected:
  // Creates the table <name>.dbf (NAME C(10), NOTES M) with its empty memo file in a dialect
  // and opens it in the current area with the options (" EXCLUSIVE" by default).
  std::string CreateMemoTable(const Dialect& dialect, const std::string& name = "memo",
                              const std::string& options = " EXCLUSIVE") {
    DefaultVersionByte = dialect.version;
    DefaultMemoBlockSize = dialect.blockSize;
    const std::vector<FieldEntry> fields = {{"NAME", 'C', 10}, {"NOTES", 'M', 10}};
    DbfTable table;
    CreateDBF(table, At(name + ".dbf"), fields);
    memoPath_ = At(name + "." + dialect.extension);
    reopen_ = At(name + ".dbf") + options;
    Use(reopen_, nullptr, 0);
    return At(name + ".dbf");
  }

  const std::string& MemoPath() const { return memoPath_; }
  std::string MemoFile() const { return Contents(memoPath_); }

  // Appends a record named `name` whose memo field holds block.
  static void AppendRecord(const std::string& name, std::int32_t block) {
    ClearRecord();
    Set("NAME", name);
    Set("NOTES", block == 0 ? "" : std::to_string(block));
    Append();
  }

  // The memo at block read through a stream, byte for byte.
  static std::string StreamText(std::int32_t block) {
    OpenBlob(false, block, 1);
    std::string text;
    char piece[700];
    while (const std::int32_t n = ReadBlobStream(piece, sizeof piece)) text.append(piece, n);
    CloseBlob();
    return text;
  }

  // A new memo written through a stream; its block as the memo field is to hold it.
  static std::int32_t StreamMemo(const std::string& bytes) {
    OpenBlob(false, 0, 2);
    WriteBlobStream(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    return CloseBlob();
  }

  // A dBase III memo with the group header, as this library's streams once wrote every memo,
  // appended at the next block of the memo file of the table made last, which is opened again
  // in the current area; its block, negated as those streams gave it.
  std::int32_t GroupHeaderMemo(const std::string& text) const {
    CloseArea();
    std::string file = MemoFile();
    file.resize((file.size() + 511) / 512 * 512, '\0');
    const auto block = static_cast<std::int32_t>(file.size() / 512);
    std::string header("\xFF\xFF\x08\0\0\0\0\0", 8);
    for (int i = 0; i < 4; ++i) header[4 + i] = static_cast<char>((text.size() + 8) >> (8 * i));
    Write(memoPath_.substr(memoPath_.rfind('/') + 1), file + header + text);
    Use(reopen_, nullptr, 0);
    return -block;
  }

  // The memo's lines as GetMemo reads them, in their stored form.
  static std::string LinesText(std::int32_t block) {
    MemoLineTable text;
    EXPECT_TRUE(GetMemo(block, 0, text));
    return text.StoredText();
  }

  // The header's next free block (big-endian in FoxPro).
  std::uint32_t NextFree() const {
    const std::string bytes = MemoFile();
    std::uint32_t value = 0;
    const bool big = memoPath_.ends_with("fpt");
    for (int i = 0; i < 4; ++i) {
      const auto byte = static_cast<std::uint8_t>(bytes.at(big ? i : 3 - i));
      value = value << 8 | byte;
    }
    return value;
  }

  // Every byte value once, 0 to 255.
  static std::string AllBytes() {
    std::string bytes;
    for (int c = 0; c < 256; ++c) bytes += static_cast<char>(c);
    return bytes;
  }

 private:
  std::string memoPath_;
  std::string reopen_;  // the Use of the table made last
};

}  // namespace xbase
