#pragma once
// Base fixture of the table-file tests: a temporary folder for table files, and ways to read
// them back byte for byte.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/xbase/LibraryTest.h"
#include "tests/xbase/TempFolder.h"
#include "tests/xbase/dbf/DbfImage.h"
#include "xbase/dbf/ovdbflow.h"

namespace xbase {

class DbfTest : public LibraryTest {
 protected:
  std::string At(const std::string& name) const { return temp.path() + "/" + name; }

  std::string Write(const std::string& name, const std::string& bytes) const {
    return temp.Write(name, bytes);
  }

  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  // Opens a table file (raising on failure).
  static void Open(DbfTable& area, const std::string& path,
                   std::uint16_t mode = OpenModeExclusive) {
    area.FileName = path;
    area.OpenMode = mode;
    OpenDbf(area);
  }

  // The open descriptors of this process.
  static int OpenDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
      ++count;
    return count;
  }

  TempFolder temp;
};

}  // namespace xbase
