#include "app/puzzle/SFXUnit.h"

#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/Sound.h"

TSoundFX* SoundFX = nullptr;

namespace {
void Play(const char* name, bool async) { platform::gui::CurrentSoundPlayer().Play(QString::fromLatin1(name), async); }
}  // namespace

void TSoundFX::PlayWave1() { Play("WAVE_1", true); }
void TSoundFX::PlayWave2() { Play("WAVE_2", true); }
void TSoundFX::PlayWave3() { Play("WAVE_3", true); }
void TSoundFX::PlayWave4() { Play("WAVE_4", true); }
void TSoundFX::PlayWave5() { Play("WAVE_5", false); }
void TSoundFX::PlayWave6() { Play("WAVE_6", true); }
void TSoundFX::PlayWave7() { Play("WAVE_7", true); }

void TSoundFX::PlayAlert() {
  if (SoundLevel == 1)
    PlayWave1();
  else if (SoundLevel > 1)
    PlayWave6();
}
