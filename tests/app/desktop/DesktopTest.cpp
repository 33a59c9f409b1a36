// The real program on an X server of the test's own, with a window manager or without one: what
// only a desktop shows, where the window manager puts the frames, where the keyboard goes and
// whether the process ends.

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "ChildProcess.h"
#include "XSession.h"

namespace desktop_test {
namespace {

namespace fs = std::filesystem;

constexpr auto kPatience = std::chrono::seconds(30);
const std::string kMainTitle = "Quillmere Demo";

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!XSession::Available()) GTEST_SKIP() << "no Xvfb";
    std::string pattern = (fs::temp_directory_path() / "desktop-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    session_ = std::make_unique<XSession>(folder_, manager_, screen_);
  }

  void TearDown() override {
    program_.reset();
    session_.reset();
    if (!folder_.empty()) fs::remove_all(folder_);
  }

  // A puzzle file without black squares, 15 by 15 unless said, named p.xwd: its grid window is
  // titled "P". Solved, every entry is the answer.
  std::string Puzzle(int size = 15, bool solved = false) const {
    std::string record(14156, '\0');
    record[0] = static_cast<char>(size);
    for (int x = 1; x <= size; ++x)
      for (int y = 1; y <= size; ++y) {
        const std::size_t cell = static_cast<std::size_t>(23 * (x - 1) + (y - 1));
        record[2 + cell] = 'A';
        if (solved) record[531 + cell] = 'A';
      }
    const std::string byline = "Ann|0";
    record[14095] = static_cast<char>(byline.size());
    record.replace(14096, byline.size(), byline);
    const std::string path = folder_ + "/p.xwd";
    std::ofstream(path, std::ios::binary) << record;
    return path;
  }

  static std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  // Settings strings of the program, as its settings file keeps them, and integers.
  void Settings(const std::string& lines, const std::string& integers = "") const {
    fs::create_directories(folder_ + "/config/Quillmere32");
    std::ofstream(folder_ + "/config/Quillmere32/QuillmereDemo.ini")
        << "[String]\n" << lines << "[Integer]\n" << integers;
  }

  void Start(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{QUILLMERE_PROGRAM};
    command.insert(command.end(), arguments.begin(), arguments.end());
    program_ = std::make_unique<ChildProcess>(
        command, ChildProcess::Options{folder_,
                                       {{"DISPLAY", session_->Display()},
                                        {"QT_QPA_PLATFORM", "xcb"},
                                        {"HOME", folder_},
                                        {"XDG_CONFIG_HOME", folder_ + "/config"},
                                        {"XDG_DATA_HOME", folder_ + "/data"},
                                        {"ASAN_OPTIONS", "detect_leaks=0"}}});
  }

  // The framed place of a window, once it has one.
  std::optional<Place> FramedPlace(const std::string& title) {
    std::optional<Place> place;
    WaitUntil(
        [&] {
          place = session_->PlaceOf(title);
          return place && place->framed;
        },
        kPatience);
    return place;
  }

  XSession::Manager manager_ = XSession::Manager::Openbox;
  ScreenSize screen_;
  std::string folder_;
  std::unique_ptr<XSession> session_;
  std::unique_ptr<ChildProcess> program_;
};

// Exit ends the program as closing the main window by its frame does.
TEST_F(DesktopTest, ExitEndsTheProgram) {
  for (const char* keys : {"ctrl+x", "alt+p x"}) {
    SCOPED_TRACE(keys);
    Start({Puzzle()});
    ASSERT_TRUE(FramedPlace(kMainTitle));
    ASSERT_TRUE(session_->TypeKeys(kMainTitle, keys));
    const auto status = program_->WaitForExit(kPatience);
    ASSERT_TRUE(status.has_value()) << "the program still runs";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;
  }
}

// Outer bounds set before the window manager framed a window hold once it has: every title
// bar is on the screen, where the settings put it.
TEST_F(DesktopTest, FramesLieWhereTheirBoundsSay) {
  Settings("ScreenBoundsMain=\"940,10,320,420\"\n"
           "ScreenBoundsGrid=\"10,20,0,0\"\n"
           "ScreenBoundsClues=\"940,440,320,560\"\n");
  Start({Puzzle()});
  struct Expected {
    std::string title;
    Place place;
    bool sized;  // the grid window sizes itself from its squares
  };
  for (const Expected& e : {Expected{kMainTitle, {940, 10, 320, 420, true}, true},
                            Expected{"P", {10, 20, 0, 0, true}, false},
                            Expected{"Clues", {940, 440, 320, 560, true}, true}}) {
    SCOPED_TRACE(e.title);
    std::optional<Place> place;
    const bool there = WaitUntil(
        [&] {
          place = session_->PlaceOf(e.title);
          return place && place->framed && place->x == e.place.x && place->y == e.place.y &&
                 (!e.sized || (place->width == e.place.width && place->height == e.place.height));
        },
        kPatience);
    EXPECT_TRUE(there) << Describe(place);
  }
}

// Without stored bounds the windows take their default places: the main window at the top
// right, the grid window at the top left and the clue list under the main window.
TEST_F(DesktopTest, DefaultPlacesKeepEveryTitleBarOnTheScreen) {
  Start({Puzzle()});
  std::optional<Place> main, grid, clues;
  const bool placed = WaitUntil(
      [&] {
        main = session_->PlaceOf(kMainTitle);
        grid = session_->PlaceOf("P");
        clues = session_->PlaceOf("Clues");
        return main && grid && clues && main->framed && grid->framed && clues->framed && main->y == 2 &&
               grid->x == 2 && grid->y == 2 && clues->y > main->y + main->height &&
               main->x + main->width == XSession::kScreenWidth - 4;
      },
      kPatience);
  EXPECT_TRUE(placed) << "main " << Describe(main) << ", grid " << Describe(grid) << ", clues "
                      << Describe(clues);
}

// A scan window left open while constructing goes away when a puzzle is opened for solving:
// it would list the solver's answers.
TEST_F(DesktopTest, OpeningAPuzzleForSolvingTakesTheScanWindowAway) {
  const std::string puzzle = Puzzle();
  Start({puzzle, "-C"});
  ASSERT_TRUE(FramedPlace(kMainTitle));
  ASSERT_TRUE(session_->TypeKeys(kMainTitle, "alt+o g"));
  ASSERT_TRUE(FramedPlace("Scan Grid")) << "no scan window";
  ASSERT_TRUE(session_->TypeKeys(kMainTitle, "alt+p s"));
  ASSERT_TRUE(WaitUntil([&] { return session_->HasKeyboard("Open puzzle for solving"); }, kPatience));
  ASSERT_TRUE(session_->TypeText(puzzle));
  ASSERT_TRUE(session_->TypeKeys("Return"));
  EXPECT_TRUE(WaitUntil([&] { return !session_->PlaceOf("Open puzzle for solving"); }, kPatience));
  EXPECT_TRUE(WaitUntil([&] { return !session_->PlaceOf("Scan Grid"); }, kPatience)) << "the scan window stays";
  EXPECT_TRUE(program_->Running());
}

// A language chosen in the preferences, and cancelled, while solving: the solver's file keeps
// its language, and after the puzzle went to the recycle bin Exit still ends the program.
TEST_F(DesktopTest, ALanguageChosenWhileSolvingLeavesThePuzzleAlone) {
  for (const bool recycled : {false, true}) {
    SCOPED_TRACE(recycled ? "recycled" : "solving");
    const std::string puzzle = Puzzle(15, recycled);
    const std::string saved = Contents(puzzle);
    Start({puzzle});
    ASSERT_TRUE(FramedPlace(kMainTitle));
    if (recycled) {
      ASSERT_TRUE(session_->TypeKeys(kMainTitle, "alt+o s"));
      ASSERT_TRUE(WaitUntil([&] { return session_->HasKeyboard("Score Card"); }, kPatience));
      ASSERT_TRUE(session_->TypeKeys("alt+r"));
      ASSERT_TRUE(WaitUntil([&] { return !fs::exists(puzzle); }, kPatience)) << "not recycled";
    }
    ASSERT_TRUE(session_->TypeKeys(kMainTitle, "alt+o p"));
    ASSERT_TRUE(WaitUntil([&] { return session_->HasKeyboard("Quillmere Preferences"); }, kPatience));
    // The last page is the language group's: shift+Tab lands on Multilingual, space chooses it.
    ASSERT_TRUE(session_->TypeKeys("ctrl+shift+Tab shift+Tab space Escape"));
    ASSERT_TRUE(WaitUntil([&] { return !session_->PlaceOf("Quillmere Preferences"); }, kPatience));
    ASSERT_TRUE(session_->TypeKeys(kMainTitle, "ctrl+x"));
    const auto status = program_->WaitForExit(kPatience);
    ASSERT_TRUE(status.has_value()) << "the program still runs";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;
    if (!recycled) EXPECT_EQ(Contents(puzzle), saved) << "the solver's file was rewritten";
  }
}

// A companion program whose window comes after the second the program waits, and which does
// not name its process (xmessage): the next choice brings that window forward instead of
// starting the program again.
TEST_F(DesktopTest, ACompanionProgramWithALateWindowIsFoundAgain) {
  const std::string starts = folder_ + "/starts";
  const std::string dictionary = folder_ + "/dictionary";
  std::ofstream(dictionary) << "#!/bin/sh\necho started >> '" << starts << "'\nsleep 2\n"
                            << "exec xmessage -title Dictionary 'A dictionary'\n";
  fs::permissions(dictionary, fs::perms::owner_exec, fs::perm_options::add);
  Settings("DictPath=\"" + dictionary + "\"\n");
  Start({Puzzle()});
  ASSERT_TRUE(FramedPlace(kMainTitle));
  ASSERT_TRUE(session_->TypeKeys(kMainTitle, "ctrl+d"));
  ASSERT_TRUE(FramedPlace("Dictionary")) << "the dictionary did not start";
  // Behind the main window, then chosen again.
  ASSERT_TRUE(session_->TypeKeys(kMainTitle, ""));
  ASSERT_TRUE(WaitUntil([&] { return session_->IsActive(kMainTitle); }, kPatience));
  ASSERT_TRUE(session_->TypeKeys(kMainTitle, "ctrl+d"));
  EXPECT_TRUE(WaitUntil([&] { return session_->IsActive("Dictionary"); }, kPatience))
      << "the dictionary did not come forward";
  std::this_thread::sleep_for(std::chrono::seconds(3));
  EXPECT_EQ(Contents(starts), "started\n") << "started more than once";
}

// The places the program chooses itself lie wholly on the screen, frame included.
class LargeScreenTest : public DesktopTest {
 protected:
  LargeScreenTest() { screen_ = {1600, 1000}; }

  // Waits until the framed window of that title satisfies the condition; its last place.
  std::optional<Place> PlaceWhen(const std::string& title, const std::function<bool(const Place&)>& condition) {
    std::optional<Place> place;
    WaitUntil(
        [&] {
          place = session_->PlaceOf(title);
          return place && place->framed && condition(*place);
        },
        kPatience);
    return place;
  }
};

// The clock sits at the bottom left, 8 pixels from the screen's edges, its frame included.
TEST_F(LargeScreenTest, TheClockLiesWhollyOnTheScreen) {
  Start({Puzzle()});
  ASSERT_TRUE(FramedPlace(kMainTitle));
  ASSERT_TRUE(session_->TypeKeys(kMainTitle, "alt+o c"));
  const auto clock = PlaceWhen("Clock", [&](const Place& p) { return p.x == 8 && p.y + p.height == 1000 - 8; });
  ASSERT_TRUE(clock);
  EXPECT_EQ(clock->x, 8) << Describe(clock);
  EXPECT_EQ(clock->y + clock->height, 1000 - 8) << Describe(clock);
}

// A place kept for a smaller grid would put a 23 by 23 grid past the bottom of the screen: the
// window moves up until it fits, also on Auto Arrange.
TEST_F(LargeScreenTest, AGridThatWouldLeaveTheScreenMovesUpUntilItFits) {
  Settings("ScreenBoundsGrid=\"476,172,0,0\"\n", "ScreenSquare=40\n");
  Start({Puzzle(23)});
  const auto fits = [](const Place& p) { return p.y + p.height <= 1000 && p.x + p.width <= 1600 && p.height > 900; };
  auto grid = PlaceWhen("P", fits);
  ASSERT_TRUE(grid && fits(*grid)) << Describe(grid);
  EXPECT_EQ(grid->x, 476) << Describe(grid);
  EXPECT_EQ(grid->y + grid->height, 1000) << "moved up only as far as it must: " << Describe(grid);
  ASSERT_TRUE(session_->TypeKeys(kMainTitle, "F9"));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  grid = PlaceWhen("P", fits);
  EXPECT_TRUE(grid && fits(*grid)) << "after Auto Arrange: " << Describe(grid);
}

// Places kept on a larger screen keep each title bar on a smaller one, with a third of the
// window's width at least.
class SmallScreenTest : public LargeScreenTest {
 protected:
  SmallScreenTest() { screen_ = {1024, 768}; }
};

TEST_F(SmallScreenTest, PlacesKeptOnALargerScreenKeepTheTitleBarsOnThisOne) {
  Settings("ScreenBoundsMain=\"1296,2,300,420\"\n"
           "ScreenBoundsGrid=\"2,2,0,0\"\n"
           "ScreenBoundsClues=\"1296,426,300,568\"\n");
  Start({Puzzle()});
  for (const std::string title : {kMainTitle, std::string("Clues")}) {
    SCOPED_TRACE(title);
    const auto reachable = [](const Place& p) {
      return p.y >= 0 && p.y + 20 <= 768 && p.x + p.width / 3 <= 1024 && p.x + p.width - p.width / 3 >= 0;
    };
    const auto place = PlaceWhen(title, [&](const Place& p) { return p.width == 300 && reachable(p); });
    EXPECT_TRUE(place && reachable(*place)) << Describe(place);
  }
}

// A plain X display without a window manager: the program alone decides where its keyboard goes.
class BareDesktopTest : public DesktopTest {
 protected:
  BareDesktopTest() { manager_ = XSession::Manager::None; }
};

// When a modal window closes, the keyboard comes back to the window under it, so that the next
// command can be typed without the mouse.
TEST_F(BareDesktopTest, TheKeyboardComesBackWhenAModalWindowCloses) {
  struct Modal {
    std::string open, title, close;
  };
  Start({Puzzle(), "-C"});
  ASSERT_TRUE(WaitUntil([&] { return session_->PlaceOf(kMainTitle).has_value(); }, kPatience));
  ASSERT_TRUE(session_->GiveKeyboard(kMainTitle));
  for (const Modal& modal :
       {Modal{"alt+h a", "About Quillmere Demo", "Escape"}, Modal{"alt+s e", "Export EPS", "Return"}}) {
    SCOPED_TRACE(modal.title);
    ASSERT_TRUE(WaitUntil([&] { return session_->HasKeyboard(kMainTitle); }, kPatience));
    ASSERT_TRUE(session_->TypeKeys(modal.open));
    ASSERT_TRUE(WaitUntil([&] { return session_->HasKeyboard(modal.title); }, kPatience));
    ASSERT_TRUE(session_->TypeKeys(modal.close));
    EXPECT_TRUE(WaitUntil([&] { return session_->HasKeyboard(kMainTitle); }, std::chrono::seconds(5)))
        << "the keyboard went nowhere";
  }
}

}  // namespace
}  // namespace desktop_test
