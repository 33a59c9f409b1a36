#include "platform/gui/AlsaSoundPlayer.h"

#include <gtest/gtest.h>

namespace {

using namespace platform::gui;

WavSound Beep() {
  WavSound sound;
  sound.SampleRate = 8000;
  sound.BitsPerSample = 16;
  sound.Samples.assign(800 * 2, 0);  // a tenth of a second of silence
  return sound;
}

// ALSA's "null" device takes the samples without a sound card, so these tests run anywhere.
TEST(AlsaSoundPlayer, PlaysOneAfterAnother) {
  AlsaSoundPlayer player("null");
  player.PlaySound(Beep(), true);
  player.PlaySound(Beep(), true);  // replaces the one playing
  player.PlaySound(Beep(), false);  // returns once it has been played
}

TEST(AlsaSoundPlayer, FailuresAreIgnored) {
  AlsaSoundPlayer player("no-such-device");
  player.PlaySound(Beep(), false);
  player.PlaySound(Beep(), true);
  player.Play("NO_SUCH_SOUND", false);
  WavSound empty = Beep();
  empty.Samples.clear();
  player.PlaySound(empty, false);
}

}  // namespace
