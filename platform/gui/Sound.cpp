#include "platform/gui/Sound.h"

#include "platform/gui/AlsaSoundPlayer.h"

namespace platform::gui {
namespace {

SoundPlayer* installed = nullptr;

}  // namespace

SoundPlayer& CurrentSoundPlayer() {
  if (installed) return *installed;
  static AlsaSoundPlayer alsaPlayer;
  return alsaPlayer;
}

void InstallSoundPlayer(SoundPlayer* player) { installed = player; }

}  // namespace platform::gui
