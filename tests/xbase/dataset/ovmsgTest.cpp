#include "xbase/dataset/ovmsg.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/os/MessagePump.h"

namespace xbase {
namespace {

// Measures 7 x 13 pixels a character in the window font and 9 x 16 in the caption font, and
// records what the windows ask of it.
class RecordingDisplay final : public MsgWindowDisplay {
 public:
  MsgExtent TextExtent(const std::string& text, const std::string& fontName) override {
    measuredFonts.push_back(fontName);
    const int n = static_cast<int>(text.size());
    return fontName == "System" ? MsgExtent{9 * n, 16} : MsgExtent{7 * n, 13};
  }
  int CaptionHeight() override { return 20; }
  FormHandle ActiveForm() override { return activeForm; }
  MsgBounds FormBounds(FormHandle form) override {
    EXPECT_EQ(form, &formMarker);
    return {100, 100, 400, 300};
  }
  MsgBounds ScreenBounds() override { return {0, 0, 1000, 800}; }
  void Placed(const TOvMsg& window) override { placed.push_back(window.Bounds()); }
  void TextShown(const TOvMsg& window) override { shown.push_back(window.Text()); }
  void Destroyed(const TOvMsg&) override { ++destroyed; }

  int formMarker = 0;
  FormHandle activeForm = &formMarker;
  std::vector<std::string> measuredFonts;
  std::vector<MsgBounds> placed;
  std::vector<std::string> shown;
  int destroyed = 0;
};

class OvMsgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMsgWindowDisplay(&display);
    platform::os::MessagePump.ProcessMessages = [this] { ++pumped; };
  }
  void TearDown() override {
    SetMsgWindowDisplay(nullptr);
    platform::os::MessagePump = {};
  }

  RecordingDisplay display;
  int pumped = 0;
};

void ExpectBounds(const MsgBounds& b, int left, int top, int width, int height) {
  EXPECT_EQ(b.Left, left);
  EXPECT_EQ(b.Top, top);
  EXPECT_EQ(b.Width, width);
  EXPECT_EQ(b.Height, height);
}

TEST_F(OvMsgTest, FirstTextSizesAndCentresTheBoxOverItsOwner) {
  TOvMsg box;
  EXPECT_FALSE(box.Visible());
  ExpectBounds(box.Bounds(), 0, 0, 0, 0);
  EXPECT_EQ(box.OwnerForm(), &display.formMarker);

  box.ShowText("Hello");
  EXPECT_TRUE(box.Visible());
  EXPECT_EQ(box.Border(), MsgBorder::None);
  EXPECT_TRUE(box.OuterPanelVisible());
  // 5 x 7 + 30 wide, 13 + 30 high, centred over the form at (100, 100) of 400 x 300.
  ExpectBounds(box.Bounds(), 267, 228, 65, 43);
  EXPECT_EQ(display.placed.size(), 1u);
  EXPECT_EQ(display.shown, std::vector<std::string>{"Hello"});
  EXPECT_EQ(pumped, 1) << "messages are processed after every update";
}

TEST_F(OvMsgTest, TheBoxGrowsButNeverShrinks) {
  TOvMsg box;
  box.ShowText("A rather long line");
  const MsgBounds large = box.Bounds();
  box.ShowText("Short");
  EXPECT_EQ(box.Text(), "Short");
  ExpectBounds(box.Bounds(), large.Left, large.Top, large.Width, large.Height);
  EXPECT_EQ(display.placed.size(), 1u) << "no resize for a smaller text";
  box.ShowText("An even longer line than the first");
  EXPECT_GT(box.Bounds().Width, large.Width);
  EXPECT_EQ(display.placed.size(), 2u);
}

TEST_F(OvMsgTest, AnEmptyTextKeepsThePreviousOne) {
  TOvMsg box;
  box.ShowText("Kept");
  box.ShowText("");
  EXPECT_EQ(box.Text(), "Kept");
  EXPECT_EQ(display.shown, (std::vector<std::string>{"Kept", "Kept"}));
}

TEST_F(OvMsgTest, ACaptionSwitchesToADialogBorderAndResizes) {
  TOvMsg box;
  box.ShowText("0123456789");  // 100 x 43
  box.SetCaption("Caption wider than the text");  // 27 characters of 9 pixels
  box.ShowText("");
  EXPECT_EQ(box.Border(), MsgBorder::Dialog);
  EXPECT_FALSE(box.OuterPanelVisible());
  EXPECT_EQ(display.measuredFonts.back(), "System") << "captions are measured in the System font";
  ExpectBounds(box.Bounds(), 100 + (400 - 243) / 2, 100 + (300 - 63) / 2, 243, 63);
  EXPECT_EQ(display.placed.size(), 2u);
}

TEST_F(OvMsgTest, ANarrowCaptionKeepsTheTextWidth) {
  TOvMsg box;
  box.SetCaption("Hi");
  box.ShowText("0123456789");
  EXPECT_EQ(box.Bounds().Width, 100);
  EXPECT_EQ(box.Bounds().Height, 63);
}

TEST_F(OvMsgTest, WithoutAnOwnerTheBoxIsCentredOnTheScreen) {
  display.activeForm = nullptr;
  TOvMsg box;
  box.ShowText("x");
  ExpectBounds(box.Bounds(), (1000 - 37) / 2, (800 - 43) / 2, 37, 43);
}

TEST_F(OvMsgTest, ProgressBarShrinksOneStepAtATimeAndRefills) {
  {
    TOvProgress100 progress("Indexing CLUES.NDX...");
    EXPECT_EQ(progress.Caption(), "Indexing CLUES.NDX...");
    EXPECT_EQ(progress.Text(), std::string(100, '|'));
    EXPECT_TRUE(progress.Visible());
    progress.Step();
    EXPECT_EQ(progress.Text(), std::string(99, '|'));
    for (int i = 0; i < 99; ++i) progress.Step();
    EXPECT_EQ(progress.Bar(), "");
    EXPECT_EQ(progress.Text(), "") << "the 100th step shows the empty bar";
    progress.Step();
    EXPECT_EQ(progress.Bar(), std::string(100, '|')) << "the refill counts as the step";
    EXPECT_EQ(display.placed.size(), 1u) << "stepping never resizes";
  }
  EXPECT_EQ(display.destroyed, 1);
}

TEST_F(OvMsgTest, APlainProgressWindowIsCaptionedProgress) {
  TOvProgress100 progress;
  EXPECT_EQ(progress.Caption(), "Progress");
  EXPECT_EQ(progress.Border(), MsgBorder::Dialog);
}

TEST(OvMsgDefaultDisplay, ShowsNothingAndStillKeepsState) {
  TOvProgress100 progress("Indexing x...");
  for (int i = 0; i < 150; ++i) progress.Step();
  EXPECT_EQ(progress.Bar(), std::string(51, '|'));
  EXPECT_TRUE(progress.Visible());
}

}  // namespace
}  // namespace xbase
