#pragma once
// The sound player for tests: remembers what was played, in order, and plays nothing.

#include <vector>

#include "platform/gui/Sound.h"
#include "tests/support/QtPrinters.h"

namespace testing_support {

struct PlayedSound {
  QString Name;
  bool Async = true;
  bool operator==(const PlayedSound&) const = default;
};

void PrintTo(const PlayedSound& sound, std::ostream* out);

class RecordingSoundPlayer final : public platform::gui::SoundPlayer {
 public:
  void Play(const QString& name, bool async) override { played_.push_back({name, async}); }
  const std::vector<PlayedSound>& Played() const { return played_; }
  void Clear() { played_.clear(); }

 private:
  std::vector<PlayedSound> played_;
};

}  // namespace testing_support
