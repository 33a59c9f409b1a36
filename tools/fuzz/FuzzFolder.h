#pragma once
// The folder of a fuzz target's files: one per process, removed with what is in it when the
// process ends. A target that flushes every write asks for it in memory, where the system has
// /dev/shm.

#include <stdlib.h>

#include <filesystem>
#include <string>

class FuzzFolder {
 public:
  explicit FuzzFolder(const std::string& prefix, bool inMemory = false) {
    const std::filesystem::path base = inMemory && std::filesystem::is_directory("/dev/shm")
                                           ? "/dev/shm"
                                           : std::filesystem::temp_directory_path();
    folder_ = (base / (prefix + "-XXXXXX")).string();
    if (mkdtemp(folder_.data()) == nullptr) abort();
  }
  ~FuzzFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  FuzzFolder(const FuzzFolder&) = delete;
  FuzzFolder& operator=(const FuzzFolder&) = delete;

  std::string Path(const std::string& name) const { return folder_ + "/" + name; }

 private:
  std::string folder_;
};
