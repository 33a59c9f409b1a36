#include "tests/support/RecordingPrinter.h"

#include <gtest/gtest.h>

namespace testing_support {

void RecordingPrinter::FailAt(const std::string& call, int occurrence) { failAt_[call] = occurrence; }

void RecordingPrinter::Call(const std::string& name) {
  Log.push_back(name);
  const int count = ++count_[name];
  const auto failing = failAt_.find(name);
  if (failing != failAt_.end() && failing->second == count) throw platform::gui::EPrinter("injected failure");
}

void RecordingPrinter::BeginPage(int number) {
  Pages.push_back({static_cast<int>(Jobs.size()), number, {}});
}

void RecordingPrinter::KeepPage() {
  Pages.back().Calls = std::move(Surface.Calls);
  Surface.Calls.clear();
}

void RecordingPrinter::StartJob() {
  Call("BeginDoc");
  EXPECT_TRUE(Surface.Calls.empty()) << "drawn outside a print job";
  Surface.Calls.clear();
  Jobs.push_back({Title, Copy});
  BeginPage(1);
}

void RecordingPrinter::StartNextPage() {
  Call("NewPage");
  KeepPage();
  BeginPage(PageNumber() + 1);
}

void RecordingPrinter::FinishJob() {
  KeepPage();
  Call("EndDoc");
}

void RecordingPrinter::CancelJob() noexcept {
  Log.push_back("Abort");
  KeepPage();
}

}  // namespace testing_support
