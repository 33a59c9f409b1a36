// Fuzz target of the memo store: arbitrary bytes are a memo file beside a fixed table whose
// records point at its first blocks. Every memo is read as text and as a stream, one is
// rewritten, one appended, one written as a stream, one copied, and an exclusive table's memo
// file is packed. No input may crash, hang or touch memory out of bounds: each step works or
// is refused with a library error.
//
// Input: byte 0 chooses the dialect (mod 3: dBase III, dBase IV, FoxPro), bit 2 a shared
// open, bit 3 OEM detection in streams; byte 1 the default block size (mod 8); the rest is the
// memo file.

#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "tools/fuzz/FuzzFolder.h"
#include "xbase/Library.h"
#include "xbase/core/MemoTextFile.h"
#include "xbase/core/ovcommon.h"
#include "xbase/dbf/MemoField.h"
#include "xbase/memo/memo.h"
#include "xbase/workarea/TypedFieldText.h"
#include "xbase/workarea/dbf4.h"

namespace {

using namespace xbase;

constexpr std::array<std::uint8_t, 3> kDialects = {0x83, 0x8B, 0xF5};
constexpr std::array<std::uint16_t, 8> kBlockSizes = {512, 64, 0, 1, 33, 1024, 8, 24};
// The memo fields of the fixed table's records.
constexpr std::array<const char*, 11> kPointers = {"1", "2", "3", "4", "5", "6", "7",
                                                   "8", "-1", "x1", ""};

// One table and memo file per process, in memory since every memo write is flushed.
const FuzzFolder& TheFolder() {
  static const FuzzFolder folder("fuzz-memo", true);
  return folder;
}

// The table: NAME C(4), NOTES M(10), one record a pointer.
std::string TableImage(std::uint8_t version) {
  std::string image(97, '\0');
  image[0] = static_cast<char>(version);
  image[1] = 124, image[2] = 1, image[3] = 1;
  image[4] = static_cast<char>(kPointers.size());
  image[8] = 97;
  image[10] = 15;
  const auto field = [&](std::size_t at, const char* name, char type, char length) {
    image.replace(at, std::char_traits<char>::length(name), name);
    image[at + 11] = type;
    image[at + 16] = length;
  };
  field(32, "NAME", 'C', 4);
  field(64, "NOTES", 'M', 10);
  image[96] = 0x0D;
  for (const char* pointer : kPointers) {
    std::string notes(pointer);
    image += " rec " + std::string(10 - notes.size(), ' ') + notes;
  }
  return image + "\x1A";
}

void ReadEveryMemo(bool oem) {
  for (std::uint32_t n = 1; n <= RecCount(); ++n) {
    Go(static_cast<std::int32_t>(n));
    std::int32_t block = MemoBlockOfField(TypedFieldText(FieldNo("NOTES")));
    MemoTextFile text;
    AssignMemo(text, block);
    if (text.Open(TextFileMode::Input) == 0) {
      std::string line;
      while (!text.Eof() && text.ReadLine(line) == 0) {
      }
      text.Close();
    }
    OpenBlob(oem, block, 1);
    char piece[300];
    while (ReadBlobStream(piece, sizeof piece) > 0) {
    }
    SeekBlob(0, 2);
    SeekBlob(3, 0);
    ReadBlobStream(piece, sizeof piece);
    CloseBlob();
    ErrorCode = 0;
  }
}

void WriteMemos(bool oem) {
  Go(1);
  RLock();
  std::int32_t block = MemoBlockOfField(TypedFieldText(FieldNo("NOTES")));
  MemoTextFile text;
  AssignMemo(text, block);
  if (text.Open(TextFileMode::Output) == 0) {
    text.WriteLine("rewritten");
    text.Write(std::string(600, 'r'));
    if (text.Close() == 0) {
      SetTypedFieldText(FieldNo("NOTES"), std::to_string(block));
      Replace();
    }
  }
  Unlock();
  AddMemo("appended memo text");
  if (OpenBlob(oem, 0, 2) != 0) {
    const std::string bytes(700, '\x01');
    WriteBlobStream(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    SeekBlob(0, 2);
    CloseBlob();
  }
  CopyMemo(CurrentArea(), 2, false);
  ErrorCode = 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  ResetForTests();
  SetImmediateErrors(false);
  const std::uint8_t dialect = kDialects[data[0] % kDialects.size()];
  const bool shared = (data[0] & 4) != 0;
  const bool oem = (data[0] & 8) != 0;
  DefaultMemoBlockSize = kBlockSizes[data[1] % kBlockSizes.size()];
  MemoLockTries = 1;

  const std::string table = TheFolder().Path("fuzz.dbf");
  const std::string memo = TheFolder().Path(dialect == 0xF5 ? "fuzz.fpt" : "fuzz.dbt");
  std::ofstream(table, std::ios::binary | std::ios::trunc) << TableImage(dialect);
  std::ofstream(memo, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data + 2), static_cast<std::streamsize>(size - 2));

  Use(table + (shared ? "" : " EXCLUSIVE"), nullptr, 0);
  if (ErrorCode == 0) {
    ReadEveryMemo(oem);
    WriteMemos(oem);
    if (!shared) PackMemofile();
    ErrorCode = 0;
    ReadEveryMemo(oem);
    CloseArea();
  }
  unlink(memo.c_str());
  unlink(table.c_str());
  return 0;
}
