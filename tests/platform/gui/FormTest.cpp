#include "platform/gui/Form.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/gui/Dialogs.h"
#include "tests/support/AppEnvironment.h"

namespace {

using namespace platform::gui;
using Events = std::vector<std::string>;

// A form that logs its handlers; a handler named in `failing` raises.
class LoggingForm : public TForm {
 public:
  Events log;
  bool allowClose = true;
  std::string failing;
  QColor paintColor = Qt::red;

 protected:
  void FormCreate() override { Note("create"); }
  void FormShow() override { Note("show"); }
  void FormHide() override { Note("hide"); }
  void FormCloseQuery(bool& canClose) override {
    Note("query");
    canClose = allowClose;
  }
  void FormClose() override { Note("close"); }
  void FormPaint() override {
    Note("paint");
    if (HasBackBuffer()) QPainter(&BackBuffer()).fillRect(0, 0, 4, 4, paintColor);
  }

 private:
  void Note(const std::string& what) {
    log.push_back(what);
    if (what == failing) throw std::runtime_error("broken " + what);
  }
};

using Form = testing_support::GuiTest;

TEST_F(Form, LifeCycleRunsOnlyOnProgrammaticShowAndHide) {
  LoggingForm form;
  form.Create();
  form.Create();
  form.Show();
  form.Show();  // already shown: brought forward only
  form.Hide();
  EXPECT_EQ(form.log, (Events{"create", "show", "hide"}));

  // What the window system does by itself (a restore, an unmap) runs no handler.
  form.log.clear();
  form.show();
  form.hide();
  EXPECT_TRUE(form.log.empty());
}

TEST_F(Form, CloseAsksTheCloseQuery) {
  LoggingForm form;
  form.Show();
  form.allowClose = false;
  EXPECT_FALSE(form.Close());
  EXPECT_TRUE(form.Visible());
  form.allowClose = true;
  EXPECT_TRUE(form.Close());
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(form.log, (Events{"show", "query", "query", "close", "hide"}));

  // The window manager's close button takes the same road.
  form.Show();
  form.allowClose = false;
  form.close();
  EXPECT_TRUE(form.Visible());
  form.allowClose = true;
  form.close();
  EXPECT_FALSE(form.Visible());
}

TEST_F(Form, AnEscapedExceptionIsReportedAndGoesNoFurther) {
  LoggingForm form;
  form.failing = "show";
  dialogs.ExpectMessage(mrOk);
  form.Show();
  ASSERT_EQ(dialogs.Log().size(), 1u);
  EXPECT_EQ(dialogs.Log()[0].Text, "broken show");
  EXPECT_EQ(dialogs.Log()[0].Type, MsgDlgType::Error);

  // A failing close query keeps the window open.
  form.failing = "query";
  dialogs.ExpectMessage(mrOk);
  EXPECT_FALSE(form.Close());
  EXPECT_TRUE(form.Visible());

  dialogs.ExpectMessage(mrOk);
  Guard([] { throw 42; });
  EXPECT_EQ(dialogs.Log().back().Text, "Unknown error.");
}

TEST_F(Form, BoundsAreSetInOneCall) {
  for (bool shownFirst : {true, false}) {
    LoggingForm form;
    form.Create();
    if (shownFirst) form.Show();
    form.SetBounds(30, 40, 250, 180);
    form.Show();
    EXPECT_EQ(form.Left(), 30) << shownFirst;
    EXPECT_EQ(form.Top(), 40) << shownFirst;
    EXPECT_EQ(form.Width(), 250) << shownFirst;
    EXPECT_EQ(form.Height(), 180) << shownFirst;
  }
}

TEST_F(Form, ModalRunEndsWithTheModalResult) {
  LoggingForm form;
  QTimer::singleShot(0, &form, [&] { form.SetModalResult(mrYes); });
  EXPECT_EQ(form.ExecModal(), mrYes);
  EXPECT_FALSE(form.Visible());
  ASSERT_FALSE(form.log.empty());
  EXPECT_EQ(form.log.front(), "show");
  EXPECT_EQ(form.log.back(), "hide");

  // Closing the window cancels the run.
  QTimer::singleShot(0, &form, [&] { form.close(); });
  EXPECT_EQ(form.ExecModal(), mrCancel);
}

TEST_F(Form, EscapePressesTheCancelButton) {
  LoggingForm form;
  auto* cancel = new QPushButton("&Cancel", &form);
  QObject::connect(cancel, &QPushButton::clicked, &form, [&] { form.SetModalResult(mrCancel); });
  form.SetCancelButton(cancel);
  form.Show();
  QApplication::setActiveWindow(&form);
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_EQ(form.ModalResult(), mrCancel);
}

TEST_F(Form, EscapeClosesAModalWindowWithoutACancelButton) {
  LoggingForm form;
  auto* edit = new QLineEdit(&form);
  form.BeginModal();
  QApplication::setActiveWindow(&form);
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(form.EndModal(), mrCancel);
  EXPECT_EQ(form.log, (Events{"show", "query", "close", "hide"}));

  // A window that is not modal stays.
  form.Show();
  QApplication::setActiveWindow(&form);
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_TRUE(form.Visible());
}

TEST_F(Form, BackBufferKeepsDrawingsAndRepaintRedrawsIt) {
  LoggingForm form;
  form.UseBackBuffer();
  form.resize(40, 30);
  form.Show();
  // Drawing outside the paint handler lands in the buffer and reaches the screen from there.
  QPainter(&form.BackBuffer()).fillRect(10, 10, 5, 5, Qt::blue);
  QImage screen = form.grab().toImage();
  EXPECT_EQ(screen.pixelColor(12, 12), QColor(Qt::blue));

  form.log.clear();
  form.Repaint();
  EXPECT_EQ(form.log, (Events{"paint"}));
  screen = form.grab().toImage();
  EXPECT_EQ(screen.pixelColor(1, 1), QColor(Qt::red));
  EXPECT_EQ(screen.pixelColor(12, 12), QColor(Qt::blue)) << "Repaint draws over the buffer, it does not clear it";

  // The buffer follows the client size and keeps what it held.
  form.resize(60, 50);
  EXPECT_EQ(form.BackBuffer().size(), QSize(60, 50));
  EXPECT_EQ(form.BackBuffer().pixelColor(12, 12), QColor(Qt::blue));
}

}  // namespace
