#pragma once
// Wave files as the sounds are stored: RIFF "WAVE" with uncompressed PCM samples.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform::gui {

struct WavSound {
  int Channels = 1;        // 1 or 2
  int SampleRate = 0;      // frames per second
  int BitsPerSample = 8;   // 8 (unsigned) or 16 (signed, little-endian)
  std::vector<std::uint8_t> Samples;  // interleaved frames, whole frames only

  int FrameBytes() const { return Channels * BitsPerSample / 8; }
  std::size_t Frames() const { return Samples.size() / static_cast<std::size_t>(FrameBytes()); }
};

// Nothing for anything that is not an 8- or 16-bit mono or stereo PCM wave. A data chunk that
// claims more bytes than the file holds is cut to what is there.
std::optional<WavSound> ParseWav(std::span<const std::uint8_t> file);

}  // namespace platform::gui
