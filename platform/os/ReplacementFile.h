#pragma once
// The new content of a file, written to a temporary file beside it and renamed over it only once
// complete, so that a failure part way (a full disk) leaves the old file as it was. From Begin
// to the end an existing file is held exclusively, so that no other open of the library takes
// it meanwhile.

#include <cstdint>
#include <string>

#include "platform/os/BinaryFile.h"

namespace platform::os {

class ReplacementFile {
 public:
  ReplacementFile() = default;
  // Removes the temporary file unless it was committed.
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Holds an existing target exclusively (32 when another open holds it, 5 when it cannot be
  // written) and creates the temporary file beside it, named after it with six random characters.
  std::uint16_t Begin(const std::string& target);

  // The temporary file, open for writing the whole new content.
  BinaryFile& File() { return file_; }

  // Writes the temporary file through to the device (unless it is only a copy that can be made
  // again: flush false) and renames it over the target, which then keeps the permissions of
  // the file it replaces. After a failure the target is as it was.
  std::uint16_t Commit(bool flush = true);

 private:
  void Discard();

  std::string target_;
  std::string temporary_;
  BinaryFile held_;  // the existing target
  BinaryFile file_;  // the temporary file
};

}  // namespace platform::os
