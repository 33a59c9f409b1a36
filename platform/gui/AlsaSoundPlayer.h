#pragma once
// The sound player on ALSA. One background worker plays the asynchronous sounds, as the
// platform's own sound call does; a synchronous play waits for the worker to finish it.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/gui/Sound.h"
#include "platform/gui/WavFile.h"

namespace platform::gui {

class AlsaSoundPlayer final : public SoundPlayer {
 public:
  explicit AlsaSoundPlayer(std::string device = "default");
  ~AlsaSoundPlayer() override;
  AlsaSoundPlayer(const AlsaSoundPlayer&) = delete;
  AlsaSoundPlayer& operator=(const AlsaSoundPlayer&) = delete;

  // Plays ":/sounds/<name>.wav"; a missing or unreadable sound is ignored.
  void Play(const QString& name, bool async) override;
  // Stops the sound playing and starts this one.
  void PlaySound(WavSound sound, bool async);

 private:
  void Run();
  void PlayOnDevice(const WavSound& sound);

  const std::string device_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<WavSound> next_;
  std::uint64_t queued_ = 0;    // plays asked for
  std::uint64_t finished_ = 0;  // plays done, the replaced ones included
  bool quit_ = false;
  std::atomic<bool> stop_{false};
  std::thread worker_;
};

}  // namespace platform::gui
