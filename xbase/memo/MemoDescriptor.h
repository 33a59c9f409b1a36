#pragma once
// The memo store's state of one work area's open memo file (WorkAreaRecord::MemoDescriptor).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "xbase/memo/MemoFileIo.h"

namespace xbase {

// The one memo byte stream of an area (MemoStreams.cpp).
struct BlobDescriptor {
  bool IsOpen = false;
  std::uint8_t Mode = 0;        // 1 read, 2 write
  std::int64_t Length = -1;     // data length; -1 unknown (a plain memo ends at its first 0x1A)
  std::uint64_t DataStart = 0;  // file offset of the first data byte
  std::uint32_t HeaderSize = 0;  // 0 or 8
  std::uint64_t Position = 0;   // within the data
  std::uint64_t Written = 0;    // write mode: the data's extent, whatever seeks came between
  bool EndMarkWritten = false;  // write mode: bytes a plain dBase III memo cannot hold, or a gap
  // Write mode with a header: the file's end before the run, from which zeros pad the file up
  // to the run, written with its header on closing.
  std::uint64_t PadFrom = UINT64_MAX;
  std::uint32_t Block = 0;      // the run's first block
  int OemMode = 0;              // -1 decided by the first bytes, 0 no translation, 1 OEM text
  // Read mode in a file opened shared (and without a window): the data's first bytes, read
  // with the run's header; AheadEnds: the file ends with them.
  std::vector<std::uint8_t> Ahead;
  bool AheadEnds = false;
  // With a record transform on the area, data passes through a window of MemoBufferSize bytes
  // at a multiple of that size (empty otherwise).
  std::vector<std::uint8_t> Window;
  std::uint64_t WindowStart = 0;  // data offset of the window
  std::size_t WindowFill = 0;     // bytes of the window that hold data
  bool WindowLoaded = false;
  bool WindowDirty = false;       // written into and not yet stored
};

struct MemoDescriptor {
  MemoFileIo MemoFile;
  std::string MemoFileName;
  std::uint8_t Dialect = 0;     // the table's version byte, or DefaultVersionByte (memo.h)
  std::uint16_t BlockSize = 0;
  bool Locked = false;          // this area holds the memo lock
  BlobDescriptor Blob;
};

}  // namespace xbase
