#include "platform/gui/Pause.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <string>
#include <vector>

#include "tests/support/AppEnvironment.h"

namespace {

using namespace platform::gui;

class PauseTest : public testing_support::GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    SetPauseScale(1.0);
  }
};

TEST_F(PauseTest, WaitsWhileEventsGoOn) {
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  QElapsedTimer clock;
  clock.start();
  Pause(30);
  EXPECT_TRUE(ran);
  EXPECT_GE(clock.elapsed(), 30);
}

TEST_F(PauseTest, NestedPausesEndEachOnItsOwn) {
  std::vector<std::string> order;
  QTimer::singleShot(0, [&] {
    order.push_back("inner starts");
    Pause(10);
    order.push_back("inner ends");
  });
  QElapsedTimer clock;
  clock.start();
  Pause(20);
  order.push_back("outer ends");
  EXPECT_EQ(order, (std::vector<std::string>{"inner starts", "inner ends", "outer ends"}));
  EXPECT_GE(clock.elapsed(), 20);
}

TEST_F(PauseTest, ScaleZeroOnlyTurnsTheLoopOnce) {
  SetPauseScale(0);
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  Pause(100000);
  EXPECT_TRUE(ran);
}

}  // namespace
