#pragma once
// Short wave sounds compiled into the program (":/sounds/<name>.wav"), played through ALSA.
// A new sound stops the one playing; failures (no device, no such sound) are ignored.

#include <QString>

namespace platform::gui {

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  // Asynchronous plays return at once; a synchronous play returns when the sound has ended.
  virtual void Play(const QString& name, bool async) = 0;
};

SoundPlayer& CurrentSoundPlayer();
// nullptr restores the ALSA player. The caller keeps ownership.
void InstallSoundPlayer(SoundPlayer* player);

}  // namespace platform::gui
