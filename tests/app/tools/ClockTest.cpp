#include <gtest/gtest.h>

#include "AppTest.h"
#include "app/tools/XwdClockUnit.h"

namespace {

class Clock : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    XwdClockForm->Show();
  }
  void Tick(int times) {
    for (int i = 0; i < times; ++i) XwdClockForm->Timer1Timer();
  }
};

TEST_F(Clock, DisplayFollowsTheTicks) {
  struct Case { int ticks; const char* shown; };
  for (const Case& c : {Case{0, "0:00:00"}, Case{1, "0:00:01"}, Case{59, "0:00:59"}, Case{60, "0:01:00"},
                        Case{3599, "0:59:59"}, Case{3600, "1:00:00"}, Case{3661, "1:01:01"},
                        Case{9 * 3600 + 3599, "9:59:59"}, Case{10 * 3600, "0:00:00"}, Case{10 * 3600 + 61, "0:01:01"}}) {
    XwdClockForm->ResetBtnClick();
    Tick(c.ticks);
    EXPECT_EQ(XwdClockForm->TimeLbl->text(), c.shown) << c.ticks << " ticks";
  }
}

TEST_F(Clock, ShowsAtTheBottomLeftOfTheScreen) {
  EXPECT_EQ(XwdClockForm->Left(), 8);
  EXPECT_EQ(XwdClockForm->Top(), 768 - XwdClockForm->Height() - 8);
}

TEST_F(Clock, ShowingStartsFromZero) {
  Tick(75);
  XwdClockForm->Hide();
  XwdClockForm->Show();
  EXPECT_EQ(XwdClockForm->TimeLbl->text(), "0:00:00");
  EXPECT_TRUE(XwdClockForm->Timer1->isActive());
  EXPECT_EQ(XwdClockForm->Timer1->interval(), 1000);
}

TEST_F(Clock, PauseStopsTheTimerAndTakesResetAway) {
  Tick(5);
  XwdClockForm->ClockBtnClick();
  EXPECT_FALSE(XwdClockForm->Timer1->isActive());
  EXPECT_EQ(XwdClockForm->ClockBtn->toolTip(), "Continue clock");
  EXPECT_FALSE(XwdClockForm->ResetBtn->isEnabled());
  EXPECT_EQ(XwdClockForm->ResetBtn->toolTip(), "");
  EXPECT_EQ(XwdClockForm->TimeLbl->text(), "0:00:05");

  XwdClockForm->ClockBtnClick();
  EXPECT_TRUE(XwdClockForm->Timer1->isActive());
  EXPECT_EQ(XwdClockForm->ClockBtn->toolTip(), "Pause clock");
  EXPECT_TRUE(XwdClockForm->ResetBtn->isEnabled());
  EXPECT_EQ(XwdClockForm->ResetBtn->toolTip(), "Reset clock");
}

TEST_F(Clock, ResetKeepsTheTimerRunning) {
  Tick(42);
  XwdClockForm->ResetBtnClick();
  EXPECT_EQ(XwdClockForm->TimeLbl->text(), "0:00:00");
  EXPECT_TRUE(XwdClockForm->Timer1->isActive());
}

TEST_F(Clock, ShowingAfterAPauseRunsAgain) {
  XwdClockForm->ClockBtnClick();
  XwdClockForm->Hide();
  XwdClockForm->Show();
  EXPECT_TRUE(XwdClockForm->Timer1->isActive());
  EXPECT_EQ(XwdClockForm->ClockBtn->toolTip(), "Pause clock");
  EXPECT_TRUE(XwdClockForm->ResetBtn->isEnabled());
  XwdClockForm->ClockBtnClick();
  EXPECT_FALSE(XwdClockForm->Timer1->isActive()) << "the next click pauses";
}

}  // namespace
