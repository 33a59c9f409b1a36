#include "xbase/core/ovutils.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <ctime>
#include <filesystem>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "platform/os/BinaryFile.h"
#include "platform/os/CodePage1252.h"
#include "platform/os/DiskSpace.h"
#include "platform/os/ErrnoCodes.h"
#include "platform/os/TempFiles.h"
#include "xbase/core/ovcommon.h"

namespace xbase {
namespace {

using platform::os::AnsiLower;
using platform::os::AnsiUpper;

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view RightTrimmed(std::string_view s) {
  while (!s.empty() && IsBlankOrControl(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view LeftTrimmed(std::string_view s) {
  while (!s.empty() && IsBlankOrControl(s.front())) s.remove_prefix(1);
  return s;
}

// Letters of Windows-1252: those with a case partner, and the five without one
// (f with hook, the ordinal indicators, micro sign, sharp s).
bool IsAnsiLetter(char c) {
  const auto b = static_cast<std::uint8_t>(c);
  if (AnsiUpper(b) != b || AnsiLower(b) != b) return true;
  return b == 0x83 || b == 0xAA || b == 0xB5 || b == 0xBA || b == 0xDF;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Parses an optional '-' and digits at the start of s, saturating at the limits of T.
template <typename T>
T LeadingInteger(std::string_view s) {
  const bool negative = !s.empty() && s.front() == '-';
  if (negative) s.remove_prefix(1);
  std::int64_t value = 0;
  constexpr std::int64_t kCap = std::int64_t{std::numeric_limits<T>::max()} + 1;
  for (char c : s) {
    if (!IsDigit(c)) break;
    value = std::min(value * 10 + (c - '0'), kCap);
  }
  if (negative) value = -value;
  return static_cast<T>(std::clamp<std::int64_t>(value, std::numeric_limits<T>::min(),
                                                 std::numeric_limits<T>::max()));
}

void EraseAll(std::string& s, char c) { s.erase(std::remove(s.begin(), s.end(), c), s.end()); }

void CutAtFirstBlank(std::string& s) { s = s.substr(0, s.find(' ')); }

// ---- Names without regard to case

bool HasAnsiSpelling(std::string_view utf8) {
  return platform::os::AnsiToUtf8(platform::os::Utf8ToAnsi(utf8)) == utf8;
}

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

// Both names in one comparable form: upper-case Windows-1252 when both have a Windows-1252
// spelling, else their bytes with ASCII letters upper-cased.
std::pair<std::string, std::string> FoldedPair(std::string_view a, std::string_view b) {
  if (HasAnsiSpelling(a) && HasAnsiSpelling(b))
    return {AnsiUpper(platform::os::Utf8ToAnsi(a)), AnsiUpper(platform::os::Utf8ToAnsi(b))};
  return {AsciiUpper(a), AsciiUpper(b)};
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  const auto [x, y] = FoldedPair(a, b);
  return x == y;
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0;
  std::size_t star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool MaskMatches(std::string_view mask, std::string_view name) {
  const auto [pattern, folded] = FoldedPair(mask, name);
  if (WildcardMatch(pattern, folded)) return true;
  // As on DOS, "name.*" also matches a name without an extension.
  const std::string_view stem(pattern);
  return stem.ends_with(".*") && folded.find('.') == std::string::npos &&
         WildcardMatch(stem.substr(0, stem.size() - 2), folded);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> FindIgnoringCase(const std::string& folder, std::string_view name) {
  for (const auto& entry : FolderEntries(folder))
    if (SameNameIgnoringCase(entry, name)) return entry;
  return std::nullopt;
}

std::vector<std::string_view> PathParts(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    const auto slash = path.find('/');
    const auto part = path.substr(0, slash);
    if (!part.empty()) parts.push_back(part);
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return parts;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

std::optional<struct stat> StatOf(std::string_view name) {
  const std::string onDisk = WalkPathNames(name);
  struct stat st {};
  if (onDisk.empty() || stat(onDisk.c_str(), &st) != 0) return std::nullopt;
  return st;
}

std::uint16_t EraseResolved(const std::string& path) {
  platform::os::BinaryFile probe;
  const std::uint16_t code = probe.Open(path, platform::os::FileAccess::kReadWrite,
                                        platform::os::ShareMode::kExclusive);
  if (code != 0) return code;
  probe.Close();
  if (unlink(path.c_str()) != 0) return platform::os::DosErrorCode(errno);
  return 0;
}

}  // namespace

// ---- Text

std::string RTrimStr(std::string_view s) { return std::string(RightTrimmed(s)); }

std::string LTrimStr(std::string_view s) { return std::string(LeftTrimmed(s)); }

std::string AllTrim(std::string_view s) { return std::string(AllTrimView(s)); }

std::string_view AllTrimView(std::string_view s) { return LeftTrimmed(RightTrimmed(s)); }

std::string_view RTrimView(std::string_view s) { return RightTrimmed(s); }

std::string UpperStr(std::string_view s) { return AnsiUpper(s); }

char UpCaseChar(char c) { return static_cast<char>(AnsiUpper(static_cast<std::uint8_t>(c))); }

char LowCaseChar(char c) { return static_cast<char>(AnsiLower(static_cast<std::uint8_t>(c))); }

bool IsAlphaStr(std::string_view s) { return !s.empty() && IsAnsiLetter(s.front()); }

int Occurs(std::string_view sub, std::string_view s) {
  if (sub.empty() || s.empty()) return 0;
  int count = 0;
  for (auto at = s.find(sub); at != std::string_view::npos; at = s.find(sub, at + sub.size()))
    ++count;
  return count;
}

int AT(int n, std::string_view sub, std::string_view s) {
  if (n == 0 || sub.empty() || s.empty()) return 0;
  std::vector<std::size_t> positions;
  for (auto at = s.find(sub); at != std::string_view::npos; at = s.find(sub, at + 1))
    positions.push_back(at);
  const auto count = static_cast<long long>(positions.size());
  const long long index = n > 0 ? n - 1 : count + n;
  if (index < 0 || index >= count) return 0;
  return static_cast<int>(positions[index] + 1);
}

std::string Replicate(char c, int n) { return n <= 0 ? std::string() : std::string(n, c); }

std::string IifStr(bool condition, std::string_view a, std::string_view b) {
  return std::string(condition ? a : b);
}

// ---- Numbers

std::int16_t ValInt(std::string_view text) {
  std::string s(text);
  s.erase(0, s.find_first_not_of(' '));
  if (!s.empty() && s.front() == '+') s.erase(0, 1);
  EraseAll(s, DecimalPoint != '.' ? '.' : ',');
  if (const auto dollar = s.find('$'); dollar != std::string::npos) s.erase(dollar, 1);
  CutAtFirstBlank(s);
  const auto end = std::find_if(s.begin(), s.end(), [](char c) { return !IsDigit(c) && c != '-'; });
  s.erase(end, s.end());
  return LeadingInteger<std::int16_t>(s);
}

void NormalizeNumberText(std::string& s) {
  EraseAll(s, '$');
  s.erase(0, s.find_first_not_of(" +"));
  if (!s.empty() && s.front() == '-') {
    std::string digits = s.substr(std::min(s.size(), s.find_first_not_of(" +-")));
    if (digits.empty()) {
      s.clear();
      return;
    }
    if (digits.front() == DecimalPoint) digits.insert(0, 1, '0');
    s = "-" + digits;
  }
  if (DecimalPoint != '.') {
    EraseAll(s, '.');
    if (const auto point = s.find(DecimalPoint); point != std::string::npos) s[point] = '.';
  } else {
    EraseAll(s, ',');
  }
  if (!s.empty() && s.front() == '.') s.insert(0, 1, '0');
  CutAtFirstBlank(s);
  std::size_t keep = 0;
  while (keep < s.size() && (IsDigit(s[keep]) || s[keep] == '.' || (s[keep] == '-' && keep == 0)))
    ++keep;
  s.resize(keep);
  if (!s.empty() && s.back() == '.') s.pop_back();
}

std::int32_t ValLong(std::string_view text) {
  std::string s(text);
  NormalizeNumberText(s);
  return LeadingInteger<std::int32_t>(std::string_view(s).substr(0, s.find('.')));
}

std::string StrFloat(double x, int width, int decimals) {
  decimals = std::max(decimals, 0);
  // Fixed notation needs at most 309 digits before the point.
  std::string text(330 + decimals, '\0');
  const auto [end, ec] =
      std::to_chars(text.data(), text.data() + text.size(), x, std::chars_format::fixed, decimals);
  text.resize(ec == std::errc() ? end - text.data() : 0);
  if (decimals > 0 && DecimalPoint != '.') std::replace(text.begin(), text.end(), '.', DecimalPoint);
  return RightAligned(std::move(text), width);
}

std::string StrInt(std::int64_t n, int width) { return RightAligned(std::to_string(n), width); }

std::string RightAligned(std::string text, int width) {
  if (width > 0 && text.size() < static_cast<std::size_t>(width))
    text.insert(0, width - text.size(), ' ');
  return text;
}

// ---- Option words

bool ContinuesOptionWord(char c) { return IsAnsiLetter(c) || IsDigit(c) || IsSeparator(c) || c == '_'; }

bool RemoveWord(std::string_view word, std::string& s) {
  if (word.empty()) {
    s = AllTrim(s);
    return false;
  }
  s = UpperStr(s);
  const std::string upperWord = UpperStr(word);
  bool removed = false;
  for (auto at = s.find(upperWord); at != std::string::npos; at = s.find(upperWord, at)) {
    const auto after = at + upperWord.size();
    if (after < s.size() && ContinuesOptionWord(s[after])) {
      ++at;
    } else {
      s.erase(at, upperWord.size());
      removed = true;
    }
  }
  s = AllTrim(s);
  return removed;
}

bool CutOptionWord(std::string& text, std::string_view word) {
  bool found = false;
  std::string upper = UpperStr(text);
  for (std::size_t at = upper.find(word); at != std::string::npos; at = upper.find(word, at)) {
    const std::size_t end = at + word.size();
    if (end < upper.size() && ContinuesOptionWord(upper[end])) {
      ++at;
      continue;
    }
    text.erase(at, word.size());
    upper.erase(at, word.size());
    found = true;
  }
  return found;
}

// ---- File names

void FSplit(std::string_view path, std::string& dir, std::string& name, std::string& ext) {
  const auto lastSeparator = path.find_last_of("/\\");
  const auto nameStart = lastSeparator == std::string_view::npos ? 0 : lastSeparator + 1;
  dir = std::string(path.substr(0, nameStart));
  const std::string_view file = path.substr(nameStart);
  const auto dot = file.rfind('.');
  name = std::string(file.substr(0, dot));
  ext = dot == std::string_view::npos ? std::string() : std::string(file.substr(dot));
}

std::string StripExtension(std::string_view name) {
  std::string dir, base, ext;
  FSplit(name, dir, base, ext);
  return dir + base;
}

std::string FileNameOf(std::string_view path) {
  std::string dir, base, ext;
  FSplit(path, dir, base, ext);
  return base + ext;
}

std::string BaseNameOf(std::string_view path) {
  std::string dir, base, ext;
  FSplit(path, dir, base, ext);
  return base;
}

std::string DefaultExtension(std::string_view name, std::string_view ext) {
  std::string dir, base, oldExt;
  FSplit(name, dir, base, oldExt);
  if (!oldExt.empty()) return std::string(name);
  return dir + RTrimStr(base) + "." + std::string(ext);
}

std::string ForceExtension(std::string_view name, std::string_view ext) {
  return StripExtension(name) + "." + std::string(ext);
}

std::string FullPathName(std::string_view name) {
  std::string path(name);
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.empty() || path.front() != '/') {
    std::error_code error;
    path = std::filesystem::current_path(error).string() + "/" + path;
  }
  const bool trailingSeparator = path.back() == '/';
  std::vector<std::string_view> kept;
  for (const auto part : PathParts(path)) {
    if (part == ".") continue;
    if (part == "..") {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(part);
  }
  std::string full;
  for (const auto part : kept) full.append("/").append(part);
  if (full.empty() || trailingSeparator) full += '/';
  return full;
}

std::string WalkPathNames(std::string_view path) {
  const std::string full = FullPathName(path);
  if (Exists(full)) return full;
  std::string walked;
  for (const auto part : PathParts(full)) {
    const std::string exact = walked + "/" + std::string(part);
    if (Exists(exact)) {
      walked = exact;
      continue;
    }
    const auto match = FindIgnoringCase(walked.empty() ? "/" : walked, part);
    if (!match) return {};
    walked += "/" + *match;
  }
  if (full.back() == '/') walked += '/';
  return walked;
}

std::string ResolvedFileName(std::string_view name) {
  std::string onDisk = WalkPathNames(name);
  return onDisk.empty() ? std::string(name) : onDisk;
}

// ---- Files

bool FileFound(std::string_view name) {
  const auto st = StatOf(name);
  return st && S_ISREG(st->st_mode);
}

bool FileIsDatedToday(std::string_view name) {
  const auto st = StatOf(name);
  if (!st || !S_ISREG(st->st_mode)) return false;
  std::tm written{};
  localtime_r(&st->st_mtime, &written);
  const CalendarDate today = Today();
  return written.tm_year + 1900 == today.year && written.tm_mon + 1 == today.month &&
         written.tm_mday == today.day;
}

std::uint16_t EraseFile(std::string_view name) {
  ErrorCode = EraseResolved(ResolvedFileName(name));
  return ErrorCode;
}

void EraseFiles(std::string_view mask) {
  ErrorCode = 0;
  const std::string maskText(mask);
  if (maskText.find_first_of("*?") == std::string::npos) {
    const std::uint16_t code = EraseFile(maskText);
    if (code != 0) SetError(code, "Error erasing " + maskText);
    return;
  }
  std::string dir, name, ext;
  FSplit(FullPathName(maskText), dir, name, ext);
  std::string folder = WalkPathNames(dir);
  if (folder.empty()) return;  // no such folder: nothing matches
  int failed = 0;
  for (const auto& entry : FolderEntries(folder)) {
    const std::string path = folder + entry;
    struct stat st {};
    if (!MaskMatches(name + ext, entry) || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
      continue;
    if (EraseFile(path) != 0) ++failed;
  }
  if (failed > 0)
    SetError(5, "Could not erase " + std::to_string(failed) + " files like " + maskText);
}

std::int32_t DiskSpace(std::string_view path) {
  constexpr std::int32_t kCap = 0x7FFFFFFF;
  const auto bytes = platform::os::FreeDiskBytes(path.empty() ? "." : ResolvedFileName(path));
  if (!bytes) return kCap;
  return static_cast<std::int32_t>(std::min<std::uint64_t>(*bytes / 1024, kCap));
}

std::int32_t DiskSpaceOfDrive(int) { return DiskSpace(""); }

std::string UniqueFilename() {
  const auto file = platform::os::CreateTempFile(TempFilePrefix);
  if (file.error != 0) {
    SetError(platform::os::DosErrorCode(file.error),
             "Error requesting unique file name [UniqueFilename]");
    return {};
  }
  return file.path;
}

void IdleProc() {}

}  // namespace xbase
