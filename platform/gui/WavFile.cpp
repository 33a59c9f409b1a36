#include "platform/gui/WavFile.h"

#include <algorithm>
#include <cstring>

namespace platform::gui {
namespace {

constexpr std::uint16_t kPcmFormat = 1;
constexpr std::uint32_t kMaxSampleRate = 384'000;

std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

bool IsTag(const std::uint8_t* p, const char (&tag)[5]) { return std::memcmp(p, tag, 4) == 0; }

}  // namespace

std::optional<WavSound> ParseWav(std::span<const std::uint8_t> file) {
  if (file.size() < 12 || !IsTag(file.data(), "RIFF") || !IsTag(file.data() + 8, "WAVE")) return std::nullopt;

  std::optional<WavSound> format;
  std::size_t pos = 12;
  while (file.size() - pos >= 8) {
    const std::uint8_t* header = file.data() + pos;
    const std::size_t available = file.size() - pos - 8;
    const std::size_t size = std::min<std::size_t>(Le32(header + 4), available);
    const std::uint8_t* body = header + 8;

    if (IsTag(header, "fmt ")) {
      if (size < 16) return std::nullopt;
      const std::uint16_t formatTag = Le16(body), channels = Le16(body + 2);
      const std::uint32_t rate = Le32(body + 4);
      const std::uint16_t blockAlign = Le16(body + 12), bits = Le16(body + 14);
      if (formatTag != kPcmFormat || (channels != 1 && channels != 2) || (bits != 8 && bits != 16) ||
          rate == 0 || rate > kMaxSampleRate || blockAlign != channels * bits / 8)
        return std::nullopt;
      format = WavSound{channels, static_cast<int>(rate), bits, {}};
    } else if (IsTag(header, "data")) {
      if (!format) return std::nullopt;
      const std::size_t whole = size - size % static_cast<std::size_t>(format->FrameBytes());
      format->Samples.assign(body, body + whole);
      return format;
    }
    // Chunks are padded to an even length.
    pos += 8 + size + (size & 1);
    if (pos > file.size()) break;
  }
  return std::nullopt;
}

}  // namespace platform::gui
