// The table library as the program runs it: its errors and messages end in the program's boxes
// and never end the program, and its progress window is a real window that advances.

#include "app/main/LibraryStart.h"

#include <gtest/gtest.h>

#include "app/main/LibraryMessageDisplay.h"
#include "platform/db/Application.h"
#include "platform/db/DbErrors.h"
#include "AppTest.h"
#include "xbase/core/ovcommon.h"
#include "xbase/dataset/ucommon.h"

namespace {

using platform::gui::MsgDlgType;

class LibraryStartTest : public AppTest {};

TEST_F(LibraryStartTest, TableErrorShowsItsBoxAndAbandonsTheOperation) {
  dialogs.ExpectMessage(platform::gui::mrOk);
  EXPECT_THROW(xbase::SetError(2, "File not found: CLUES.DBF [Use]"), platform::db::EAbort);
  ASSERT_EQ(dialogs.Log().size(), 1u);
  EXPECT_EQ(dialogs.Log()[0].Type, MsgDlgType::Error);
  EXPECT_EQ(dialogs.Log()[0].Text, "Error # 2 (File not found)\r\nFile not found: CLUES.DBF [Use]");
  // Reporting works again afterwards.
  EXPECT_FALSE(xbase::InErrorHandler);
  dialogs.ExpectMessage(platform::gui::mrOk);
  EXPECT_THROW(xbase::SetError(5, "again"), platform::db::EAbort);
}

TEST_F(LibraryStartTest, MessagesOfTheDatasetsAreBoxes) {
  dialogs.ExpectMessage(platform::gui::mrOk);
  xbase::ShowLibMessage(xbase::TextLockFailed, {"Post"});
  ASSERT_EQ(dialogs.Log().size(), 1u);
  EXPECT_EQ(dialogs.Log()[0].Text, "Lock failed [Post]");
  EXPECT_EQ(dialogs.Log()[0].Type, MsgDlgType::Information);
  platform::db::Application.Terminate();  // asked for after a reported error: nothing ends
}

TEST_F(LibraryStartTest, ProgressWindowShowsAndAdvances) {
  TLibraryMessageDisplay* display = LibraryMessageDisplay();
  ASSERT_NE(display, nullptr);
  xbase::TOvProgress100 progress("Indexing CLUES.NDX...");
  platform::gui::MessageWindow* window = display->WindowOf(progress);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->Caption(), "Indexing CLUES.NDX...");
  EXPECT_EQ(window->TextPanel->text(), QString(100, '|'));
  const QSize full = window->size();
  for (int step = 0; step < 60; ++step) progress.Step();
  EXPECT_EQ(window->TextPanel->text(), QString(40, '|'));
  EXPECT_EQ(window->size(), full) << "the window never shrinks";
  EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(window->palette().color(QPalette::Window), QColor(255, 255, 0));
}

TEST_F(LibraryStartTest, MessageWindowWithoutCaptionHasNoBorderAndFitsItsText) {
  xbase::TOvMsg box;
  box.ShowText("Reading the clue table");
  platform::gui::MessageWindow* window = LibraryMessageDisplay()->WindowOf(box);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(window->TextPanel->text(), "Reading the clue table");
  const xbase::MsgBounds bounds = box.Bounds();
  const QSize text = platform::gui::MessageWindow::TextSize("Reading the clue table");
  EXPECT_EQ(bounds.Width, text.width() + xbase::MsgMargin);
  EXPECT_EQ(bounds.Height, text.height() + xbase::MsgMargin);
}

}  // namespace
