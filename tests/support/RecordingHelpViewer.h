#pragma once
// The help viewer for tests: remembers every request and shows nothing.

#include <vector>

#include "platform/gui/HelpViewer.h"
#include "tests/support/QtPrinters.h"

namespace testing_support {

struct HelpCall {
  enum Kind { Contents, KeywordIndex, Quit };
  Kind Command = Contents;
  QString HelpFile;  // empty for Quit
  QString Keyword;   // KeywordIndex only
  bool operator==(const HelpCall&) const = default;
};

void PrintTo(const HelpCall& call, std::ostream* out);

class RecordingHelpViewer final : public platform::gui::HelpViewer {
 public:
  void ShowContents(const QString& helpFile) override { calls_.push_back({HelpCall::Contents, helpFile, {}}); }
  void ShowKeywordIndex(const QString& helpFile, const QString& keyword) override {
    calls_.push_back({HelpCall::KeywordIndex, helpFile, keyword});
  }
  void Quit() override { calls_.push_back({HelpCall::Quit, {}, {}}); }
  const std::vector<HelpCall>& Calls() const { return calls_; }

 private:
  std::vector<HelpCall> calls_;
};

}  // namespace testing_support
