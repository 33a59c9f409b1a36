#include "platform/gui/AlsaSoundPlayer.h"

#include <alsa/asoundlib.h>

#include <QFile>
#include <algorithm>
#include <utility>

namespace platform::gui {
namespace {

// Without a sound device ALSA would print its complaints on every play.
void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

constexpr unsigned kLatencyMicroseconds = 100'000;

}  // namespace

AlsaSoundPlayer::AlsaSoundPlayer(std::string device) : device_(std::move(device)) {
  snd_lib_error_set_handler(IgnoreAlsaMessage);
  worker_ = std::thread([this] { Run(); });
}

AlsaSoundPlayer::~AlsaSoundPlayer() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    stop_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

void AlsaSoundPlayer::Play(const QString& name, bool async) {
  QFile file(QStringLiteral(":/sounds/") + name + QStringLiteral(".wav"));
  if (!file.open(QIODevice::ReadOnly)) return;
  const QByteArray bytes = file.readAll();
  std::optional<WavSound> sound =
      ParseWav({reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
  if (sound) PlaySound(std::move(*sound), async);
}

void AlsaSoundPlayer::PlaySound(WavSound sound, bool async) {
  std::unique_lock lock(mutex_);
  next_ = std::move(sound);
  stop_ = true;
  const std::uint64_t ticket = ++queued_;
  changed_.notify_all();
  if (!async) changed_.wait(lock, [&] { return finished_ >= ticket; });
}

void AlsaSoundPlayer::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return quit_ || next_.has_value(); });
    if (quit_) return;
    const WavSound sound = std::move(*next_);
    next_.reset();
    stop_ = false;
    const std::uint64_t ticket = queued_;
    lock.unlock();
    PlayOnDevice(sound);
    lock.lock();
    finished_ = ticket;
    changed_.notify_all();
  }
}

void AlsaSoundPlayer::PlayOnDevice(const WavSound& sound) {
  snd_pcm_t* pcm = nullptr;
  // Opened without blocking, so a busy device fails at once instead of holding up the sound.
  if (snd_pcm_open(&pcm, device_.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return;
  const snd_pcm_format_t format = sound.BitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
  if (snd_pcm_nonblock(pcm, 0) == 0 &&
      snd_pcm_set_params(pcm, format, SND_PCM_ACCESS_RW_INTERLEAVED, static_cast<unsigned>(sound.Channels),
                         static_cast<unsigned>(sound.SampleRate), 1, kLatencyMicroseconds) == 0) {
    const std::size_t frameBytes = static_cast<std::size_t>(sound.FrameBytes());
    const std::size_t total = sound.Frames();
    // Small writes, so that a new sound is not kept waiting long.
    const std::size_t chunk = std::max<std::size_t>(1, static_cast<std::size_t>(sound.SampleRate) / 20);
    std::size_t done = 0;
    while (done < total && !stop_) {
      const std::size_t frames = std::min(chunk, total - done);
      snd_pcm_sframes_t written = snd_pcm_writei(pcm, sound.Samples.data() + done * frameBytes, frames);
      if (written < 0) written = snd_pcm_recover(pcm, static_cast<int>(written), 1);
      if (written < 0) break;
      done += static_cast<std::size_t>(written);
    }
    if (stop_)
      snd_pcm_drop(pcm);
    else
      snd_pcm_drain(pcm);
  }
  snd_pcm_close(pcm);
}

}  // namespace platform::gui
