#include "tests/support/RecordingHelpViewer.h"

namespace testing_support {

void PrintTo(const HelpCall& call, std::ostream* out) {
  static const char* const names[] = {"contents", "keyword index", "quit"};
  *out << names[call.Command];
  if (call.Command != HelpCall::Quit) *out << " of \"" << call.HelpFile.toStdString() << '"';
  if (call.Command == HelpCall::KeywordIndex) *out << " for \"" << call.Keyword.toStdString() << '"';
}

}  // namespace testing_support
