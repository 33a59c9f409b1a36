// The about box: the machine's memory in grouped kilobytes, and the free resources figure.

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>

#include "AppTest.h"
#include "app/main/XwdMainUnit.h"
#include "app/tools/UResources.h"
#include "app/tools/XwdAboutUnit.h"

namespace {

using namespace platform::gui;

class AboutBox : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  }
  void TearDown() override {
    QLocale::setDefault(QLocale::system());
    FreeResourcesRoutine = DefaultFreeResources;
    AppTest::TearDown();
  }

  // Help > About..., returning what the box showed.
  std::pair<QString, QString> ShowAbout() {
    std::pair<QString, QString> shown;
    dialogs.ExpectModal([&](TForm& form) {
      auto& about = dynamic_cast<TXwdAboutForm&>(form);
      shown = {about.PhysMem->text(), about.FreeRes->text()};
      about.OKButton->click();
      return mrNone;
    });
    XwdMainForm->About1->trigger();
    return shown;
  }
};

TEST_F(AboutBox, MemoryIsShownInGroupedKilobytes) {
  struct Case {
    std::uint64_t bytes;
    const char* shown;
  };
  const Case cases[] = {
      {262144ull * 1024, "262,144 KB"},
      {1023, "0 KB"},
      {999ull * 1024, "999 KB"},
      // Beyond 4 GB, where a 32-bit figure would wrap.
      {5ull * 1024 * 1024 * 1024, "5,242,880 KB"},
      {33554432ull * 1024, "33,554,432 KB"},
  };
  for (const Case& c : cases) EXPECT_EQ(MemoryText(c.bytes), c.shown) << c.bytes;
}

TEST_F(AboutBox, ShowsTheMachinesMemoryAndEightyPercentFree) {
  // The kernel's own figure, in kilobytes.
  QFile meminfo("/proc/meminfo");
  ASSERT_TRUE(meminfo.open(QIODevice::ReadOnly));
  const auto match = QRegularExpression(R"(MemTotal:\s+(\d+) kB)").match(QString::fromLatin1(meminfo.readAll()));
  ASSERT_TRUE(match.hasMatch());
  const QString kilobytes = QLocale().toString(match.captured(1).toULongLong()) + " KB";

  XwdMainForm->Show();
  const auto [memory, free] = ShowAbout();
  EXPECT_EQ(memory, kilobytes);
  EXPECT_EQ(free, "80% Free");
}

TEST_F(AboutBox, FreeResourcesComeFromTheirRoutine) {
  FreeResourcesRoutine = [](int kind) { return kind == 0 ? 42 : -1; };
  XwdMainForm->Show();
  EXPECT_EQ(ShowAbout().second, "42% Free");
}

TEST_F(AboutBox, OKAndEscapeCloseTheBox) {
  XwdMainForm->Show();
  dialogs.ExpectModal([](TForm& form) {
    QApplication::setActiveWindow(&form);
    QTest::keyClick(&form, Qt::Key_Escape);
    return mrNone;
  });
  XwdMainForm->About1->trigger();
  EXPECT_FALSE(XwdAboutForm->Visible());
  ShowAbout();
  EXPECT_FALSE(XwdAboutForm->Visible());
  EXPECT_EQ(XwdAboutForm->ModalResult(), mrOk);
}

}  // namespace
