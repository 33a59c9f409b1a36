#include "platform/gui/WavFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace platform::gui;
using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(Bytes& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutTag(Bytes& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

struct Format {
  std::uint16_t tag = 1, channels = 1;
  std::uint32_t rate = 11025;
  std::uint16_t bits = 16;
};

Bytes FmtChunk(const Format& f) {
  Bytes b;
  PutTag(b, "fmt ");
  Put32(b, 16);
  Put16(b, f.tag);
  Put16(b, f.channels);
  Put32(b, f.rate);
  Put32(b, f.rate * f.channels * f.bits / 8);
  Put16(b, static_cast<std::uint16_t>(f.channels * f.bits / 8));
  Put16(b, f.bits);
  return b;
}

Bytes Chunk(const char* tag, const Bytes& body, std::uint32_t claimed = UINT32_MAX) {
  Bytes b;
  PutTag(b, tag);
  Put32(b, claimed == UINT32_MAX ? static_cast<std::uint32_t>(body.size()) : claimed);
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() % 2 && claimed == UINT32_MAX) b.push_back(0);
  return b;
}

Bytes Riff(const std::vector<Bytes>& chunks) {
  Bytes b;
  PutTag(b, "RIFF");
  Put32(b, 0);
  PutTag(b, "WAVE");
  for (const Bytes& c : chunks) b.insert(b.end(), c.begin(), c.end());
  return b;
}

TEST(WavFile, ReadsPcmFormatAndSamples) {
  const Bytes samples{1, 2, 3, 4, 5, 6};
  const auto sound = ParseWav(Riff({FmtChunk({}), Chunk("data", samples)}));
  ASSERT_TRUE(sound.has_value());
  EXPECT_EQ(sound->Channels, 1);
  EXPECT_EQ(sound->SampleRate, 11025);
  EXPECT_EQ(sound->BitsPerSample, 16);
  EXPECT_EQ(sound->Samples, samples);
  EXPECT_EQ(sound->Frames(), 3u);
}

TEST(WavFile, SkipsOtherChunksWithTheirPadding) {
  const auto sound = ParseWav(Riff({Chunk("LIST", {'a', 'b', 'c'}), FmtChunk({1, 2, 8000, 8}),
                                    Chunk("fact", {0, 0, 0, 0}), Chunk("data", {10, 20, 30, 40})}));
  ASSERT_TRUE(sound.has_value());
  EXPECT_EQ(sound->Channels, 2);
  EXPECT_EQ(sound->BitsPerSample, 8);
  EXPECT_EQ(sound->Frames(), 2u);
}

TEST(WavFile, CutsDataToWholeFramesOfWhatIsThere) {
  // The data chunk claims 1000 bytes; 5 follow, so two 16-bit frames remain.
  const auto sound = ParseWav(Riff({FmtChunk({}), Chunk("data", {1, 2, 3, 4, 5}, 1000)}));
  ASSERT_TRUE(sound.has_value());
  EXPECT_EQ(sound->Samples, (Bytes{1, 2, 3, 4}));
}

TEST(WavFile, RefusesWhatItCannotPlay) {
  struct Case { const char* what; Bytes file; };
  Bytes notRiff = Riff({FmtChunk({}), Chunk("data", {0, 0})});
  std::memcpy(notRiff.data(), "RIFX", 4);
  const Case cases[] = {
      {"empty", {}},
      {"not RIFF", notRiff},
      {"compressed", Riff({FmtChunk({2, 1, 11025, 16}), Chunk("data", {0, 0})})},
      {"24-bit", Riff({FmtChunk({1, 1, 11025, 24}), Chunk("data", {0, 0, 0})})},
      {"three channels", Riff({FmtChunk({1, 3, 11025, 16}), Chunk("data", {0, 0})})},
      {"no rate", Riff({FmtChunk({1, 1, 0, 16}), Chunk("data", {0, 0})})},
      {"data before format", Riff({Chunk("data", {0, 0}), FmtChunk({})})},
      {"no data", Riff({FmtChunk({})})},
      {"short format", Riff({Chunk("fmt ", {1, 0, 1, 0}), Chunk("data", {0, 0})})},
  };
  for (const Case& c : cases) EXPECT_FALSE(ParseWav(c.file).has_value()) << c.what;
}

}  // namespace
