#include "platform/os/ReplacementFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

#include "platform/os/ErrnoCodes.h"

namespace platform::os {
namespace {

constexpr std::uint16_t kFileExists = 80;

std::string RandomSuffix() {
  static constexpr char kCharacters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kCharacters - 2);
  std::string suffix(6, ' ');
  for (char& c : suffix) c = kCharacters[pick(generator)];
  return suffix;
}

}  // namespace

ReplacementFile::~ReplacementFile() { Discard(); }

std::uint16_t ReplacementFile::Begin(const std::string& target) {
  Discard();
  // A link is followed: the file it names gets the new content.
  std::error_code ignored;
  const std::filesystem::path real = std::filesystem::weakly_canonical(target, ignored);
  target_ = real.empty() ? target : real.string();
  const std::uint16_t held = held_.Open(target_, FileAccess::kReadWrite, ShareMode::kExclusive);
  if (held != 0 && held != 2) return held;  // 2: no such file yet
  for (;;) {
    const std::string candidate = target_ + "." + RandomSuffix();
    const std::uint16_t code = file_.CreateNew(candidate);
    if (code == kFileExists) continue;
    if (code != 0) {
      held_.Close();
      return code;
    }
    temporary_ = candidate;
    break;
  }
  struct stat st {};
  if (held_.IsOpen() && fstat(held_.Descriptor(), &st) == 0) fchmod(file_.Descriptor(), st.st_mode & 07777);
  return 0;
}

std::uint16_t ReplacementFile::Commit(bool flush) {
  std::uint16_t code = flush ? file_.Sync() : 0;
  const std::uint16_t closeCode = file_.Close();
  if (code == 0) code = closeCode;
  if (code == 0 && std::rename(temporary_.c_str(), target_.c_str()) != 0) code = DosErrorCode(errno);
  if (code != 0) {
    Discard();
    return code;
  }
  temporary_.clear();
  held_.Close();
  return 0;
}

void ReplacementFile::Discard() {
  file_.Close();
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
  held_.Close();
}

}  // namespace platform::os
