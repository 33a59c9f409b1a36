#pragma once
// The seven sounds of the program.

#include <QObject>

class TSoundFX : public QObject {
 public:
  void PlayWave1();  // alert before a question or warning
  void PlayWave2();  // puzzle solved
  void PlayWave3();  // puzzle incorrect
  void PlayWave4();  // end of the word list; first word reached
  void PlayWave5();  // spoken end of the word list; returns when it has been said
  void PlayWave6();  // spoken alert
  void PlayWave7();  // error message

  // The alert before every question or warning box: nothing at sound level 0, WAVE_1 at
  // level 1, the spoken alert above.
  void PlayAlert();
};

extern TSoundFX* SoundFX;
