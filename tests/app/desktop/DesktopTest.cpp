// The real program on an X server of the test's own with a window manager: what only a desktop
// shows, where the window manager puts the frames and whether the process ends.

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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
    session_ = std::make_unique<XSession>(folder_);
  }

  void TearDown() override {
    program_.reset();
    session_.reset();
    if (!folder_.empty()) fs::remove_all(folder_);
  }

  // A 15 by 15 puzzle file without black squares, named p.xwd: its grid window is titled "P".
  std::string Puzzle() const {
    std::string record(14156, '\0');
    record[0] = 15;
    const std::string byline = "Ann|0";
    record[14095] = static_cast<char>(byline.size());
    record.replace(14096, byline.size(), byline);
    const std::string path = folder_ + "/p.xwd";
    std::ofstream(path, std::ios::binary) << record;
    return path;
  }

  // Settings strings of the program, as its settings file keeps them.
  void Settings(const std::string& lines) const {
    fs::create_directories(folder_ + "/config/Quillmere32");
    std::ofstream(folder_ + "/config/Quillmere32/QuillmereDemo.ini") << "[String]\n" << lines;
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

}  // namespace
}  // namespace desktop_test
