// The Tools menu on a fake desktop: it starts the configured program, brings a running one to
// the front or restores it, and starts it again once it has ended.

#include <gtest/gtest.h>

#include <QTimer>
#include <chrono>

#include "AppTest.h"
#include "app/main/XwdMainUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "app/tools/LaunchUnit.h"
#include "platform/gui/WindowFinder.h"

namespace {

using namespace platform::gui;

constexpr int kDictionary = 0, kHintvault = 3;

class CompanionPrograms : public AppTest {
 protected:
  // Sets the paths, then shows the main window, which enables their Tools items.
  void Start(const std::vector<std::pair<const char*, QString>>& paths) {
    for (const auto& [name, path] : paths) XwdProcs->WriteSetting(name, path);
    XwdMainForm->Show();
  }

  void Choose(int slot) { XwdMainForm->ToolItems[static_cast<std::size_t>(slot)]->trigger(); }

  std::size_t Starts() const { return desktop.StartRequests().size(); }
};

TEST_F(CompanionPrograms, EachItemStartsItsOwnProgram) {
  Start({{"DictPath", "/opt/my dict"}, {"ThesPath", "/opt/thes"}, {"HintPath", "/opt/Hintvault.exe"},
         {"JottPath", "/opt/jott"}, {"PostPath", "/opt/Postwick.exe"}});
  for (int slot : {0, 1, 3, 4, 5}) Choose(slot);
  XwdMainForm->DictBtn->click();
  const std::vector<QString> expected{"/opt/my dict", "/opt/thes", "/opt/Hintvault.exe", "/opt/jott",
                                      "/opt/Postwick.exe", "/opt/my dict"};
  EXPECT_EQ(desktop.StartRequests(), expected);
}

TEST_F(CompanionPrograms, ARunningProgramComesForwardAndAnEndedOneStartsAgain) {
  desktop.AddProgram("/opt/dict", "Dictionary");
  Start({{"DictPath", "/opt/dict"}});
  Choose(kDictionary);
  ASSERT_EQ(Starts(), 1u);
  const std::int64_t first = desktop.LastStarted();
  const WindowId window = desktop.WindowOf(first);
  ASSERT_NE(window, 0u);
  EXPECT_EQ(LaunchModule->ToolWindows[kDictionary], window);

  desktop.RunElsewhere("Some other program");
  Choose(kDictionary);
  EXPECT_EQ(Starts(), 1u) << "no second dictionary";
  EXPECT_EQ(desktop.Front(), window);

  desktop.Minimize(window);
  Choose(kDictionary);
  EXPECT_EQ(desktop.Restored(), std::vector<WindowId>{window});

  desktop.EndProcess(first);
  Choose(kDictionary);
  EXPECT_EQ(Starts(), 2u);
  EXPECT_NE(desktop.LastStarted(), first);
  EXPECT_EQ(desktop.Front(), desktop.WindowOf(desktop.LastStarted()));
}

TEST_F(CompanionPrograms, AProgramOfTheFamilyIsFoundByItsTitle) {
  // Started elsewhere, minimised, behind another window; its path names no program here.
  const std::int64_t running = desktop.RunElsewhere("Quillmere Hintvault");
  const WindowId hintvault = desktop.WindowOf(running);
  desktop.Minimize(hintvault);
  desktop.RunElsewhere("Some other program");
  Start({{"HintPath", "/elsewhere/Hintvault.exe"}});
  Choose(kHintvault);
  EXPECT_EQ(Starts(), 0u);
  EXPECT_EQ(desktop.Front(), hintvault);
  EXPECT_EQ(desktop.Restored(), std::vector<WindowId>{hintvault});
}

// A remembered window counts only while the process started for it runs and owns it: X hands
// the ids of closed windows to new ones.
TEST_F(CompanionPrograms, AWindowThatIsNoLongerTheProgramsIsNotBroughtForward) {
  desktop.AddProgram("/opt/dict", "Dictionary");
  Start({{"DictPath", "/opt/dict"}});
  Choose(kDictionary);
  std::int64_t dictionary = desktop.LastStarted();
  WindowId window = desktop.WindowOf(dictionary);

  // The program ended and another took its window's id.
  desktop.EndProcess(dictionary);
  desktop.HandOver(window, desktop.RunElsewhere("Unrelated"));
  Choose(kDictionary);
  EXPECT_EQ(Starts(), 2u);
  EXPECT_NE(desktop.Front(), window);

  // The program lives on without a window, and the window remembered is another's now: that
  // window stays where it is, and the program is not started twice.
  dictionary = desktop.LastStarted();
  window = desktop.WindowOf(dictionary);
  const std::int64_t other = desktop.RunElsewhere("Unrelated too");
  const WindowId front = desktop.Front();
  desktop.HandOver(window, other);
  Choose(kDictionary);
  EXPECT_EQ(Starts(), 2u);
  EXPECT_EQ(desktop.Front(), front);
}

TEST_F(CompanionPrograms, AMissingProgramDoesNothingVisible) {
  Start({{"DictPath", "/nowhere/dict"}, {"HintPath", "/nowhere/Hintvault.exe"}});
  Choose(kDictionary);
  Choose(kHintvault);
  EXPECT_EQ(Starts(), 2u);
  EXPECT_EQ(LaunchModule->ToolWindows[kDictionary], 0u);
  EXPECT_EQ(LaunchModule->ToolWindows[kHintvault], 0u);
  EXPECT_TRUE(dialogs.Log().empty());
}

TEST_F(CompanionPrograms, TheWindowOfASlowProgramIsAwaitedForASecond) {
  desktop.AddProgram("/opt/slow", "Slow", 5);
  desktop.AddProgram("/opt/windowless", "", testing_support::FakeDesktop::kNeverOpensAWindow);
  Start({{"DictPath", "/opt/slow"}, {"ThesPath", "/opt/windowless"}});
  Choose(kDictionary);
  EXPECT_EQ(LaunchModule->ToolWindows[kDictionary], desktop.WindowOf(desktop.LastStarted()));
  EXPECT_NE(LaunchModule->ToolWindows[kDictionary], 0u);

  const auto start = std::chrono::steady_clock::now();
  Choose(1);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_EQ(LaunchModule->ToolWindows[1], 0u);
  // While it runs there is no second copy, window or none; once it has ended it starts again.
  Choose(1);
  EXPECT_EQ(Starts(), 2u);
  desktop.EndProcess(desktop.LastStarted());
  Choose(1);
  EXPECT_EQ(Starts(), 3u);
}

// A program whose window comes only after the wait is found by its process at the next choice
// and brought forward, not started again.
TEST_F(CompanionPrograms, AWindowThatCameAfterTheWaitIsFoundAtTheNextChoice) {
  desktop.AddProgram("/opt/late", "Late", 1'000'000);
  Start({{"DictPath", "/opt/late"}});
  Choose(kDictionary);
  ASSERT_EQ(LaunchModule->ToolWindows[kDictionary], 0u);
  const WindowId late = desktop.OpenWindowNow(desktop.LastStarted());
  desktop.RunElsewhere("Some other program");
  Choose(kDictionary);
  EXPECT_EQ(Starts(), 1u);
  EXPECT_EQ(desktop.Front(), late);
  EXPECT_EQ(LaunchModule->ToolWindows[kDictionary], late);
}

// The wait for a new program's window keeps this program's events running, so its windows
// keep painting and a second choice meanwhile starts no second copy.
TEST_F(CompanionPrograms, TheWaitForAWindowLetsEventsRun) {
  desktop.AddProgram("/opt/windowless", "", testing_support::FakeDesktop::kNeverOpensAWindow);
  Start({{"DictPath", "/opt/windowless"}});
  bool waiting = true;
  bool ranDuringTheWait = false;
  QTimer::singleShot(200, [&] {
    ranDuringTheWait = waiting;
    Choose(kDictionary);
  });
  Choose(kDictionary);
  waiting = false;
  EXPECT_TRUE(ranDuringTheWait);
  EXPECT_EQ(Starts(), 1u);
}

// Where no windows of other programs can be seen, each click starts the program, without
// waiting for a window.
TEST_F(CompanionPrograms, WithoutSightOfOtherWindowsEachClickStartsTheProgram) {
  struct Blind final : WindowFinder {
    int searches = 0;
    bool CanFind() const override { return false; }
    WindowId FindByTitle(const QString&) override { return ++searches, 0; }
    WindowId FindByProcess(std::int64_t) override { return ++searches, 0; }
    std::optional<std::int64_t> ProcessOf(WindowId) override { return std::nullopt; }
    bool BringToTop(WindowId) override { return false; }
    bool IsMinimized(WindowId) override { return false; }
    void Restore(WindowId) override {}
  } blind;
  InstallWindowFinder(&blind);
  desktop.AddProgram("/opt/dict", "Dictionary");
  Start({{"DictPath", "/opt/dict"}});
  Choose(kDictionary);
  Choose(kDictionary);
  EXPECT_EQ(Starts(), 2u);
  EXPECT_EQ(blind.searches, 0);
  InstallWindowFinder(&desktop);
}

TEST(CompanionProgramTitles, TheFamilyIsKnownByItsExactFileNames) {
  struct Case {
    const char* path;
    const char* title;
  };
  const Case cases[] = {
      {"/opt/quill/Hintvault.exe", "Quillmere Hintvault"},
      {"Postwick.exe", "Quillmere Postwick"},
      {"/home/ann/my tools/Jotterly.exe", "Quillmere Jotterly"},
      {"/opt/quill/hintvault.exe", ""},
      {"/opt/quill/Hintvault", ""},
      {"/opt/Hintvault.exe/dict", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(TLaunchModule::ToolWindowTitle(c.path), c.title) << c.path;
}

}  // namespace
