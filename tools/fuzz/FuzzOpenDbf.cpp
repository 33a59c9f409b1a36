// Fuzz target of the table reader: arbitrary bytes are opened as a table, every record is read,
// scattered, gathered and written back, one record appended, and the table closed. No input may
// crash, hang or touch memory out of bounds: it opens, or it is refused with a library error.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "tools/fuzz/FuzzFolder.h"
#include "xbase/Library.h"
#include "xbase/core/ovcommon.h"
#include "xbase/dbf/ovdbflow.h"

namespace {

const std::string& TablePath() {
  static const FuzzFolder folder("fuzz-dbf");
  static const std::string table = folder.Path("fuzz.dbf");
  return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace xbase;
  std::ofstream(TablePath(), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

  ResetForTests();
  SetImmediateErrors(false);
  // The input's length chooses the options, so that each input runs the same way every time.
  CountFromFileSize = size % 2 == 1;
  DbfTable area;
  area.FileName = TablePath();
  area.OpenMode = size % 3 == 0 ? OpenModeExclusive : OpenModeShared;
  area.OemTranslate = size % 5 == 0;
  OpenDbf(area);
  if (ErrorCode != 0) return 0;

  std::vector<std::uint8_t> typed(TypedRecordSize(area));
  for (std::uint32_t n = 1; n <= area.RecordCount; ++n) {
    GetDbfRecord(area, n);
    if (ErrorCode != 0) break;  // the file ends before the count says
    ScatterRecord(area, typed);
    GatherRecord(area, typed);
    PutDbfRecord(area, n);
    if (ErrorCode != 0) break;
  }
  AppendDbfRecord(area);
  CloseDbf(area);
  unlink(TablePath().c_str());
  return 0;
}
