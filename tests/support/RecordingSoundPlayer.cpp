#include "tests/support/RecordingSoundPlayer.h"

namespace testing_support {

void PrintTo(const PlayedSound& sound, std::ostream* out) {
  *out << sound.Name.toStdString() << (sound.Async ? " (async)" : " (sync)");
}

}  // namespace testing_support
