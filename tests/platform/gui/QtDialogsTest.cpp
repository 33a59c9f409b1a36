// The real dialogs, driven the way a person would: each step waits for the next modal window
// and answers it.

#include "platform/gui/QtDialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>

#include "platform/gui/FontStyle.h"
#include "platform/gui/Form.h"
#include "tests/support/AppEnvironment.h"

namespace {

using namespace platform::gui;

class QtDialogsTest : public testing_support::GuiTest {
 protected:
  // Queues an answer for the next modal window of type W that opens.
  template <class W>
  void Then(std::function<void(W*)> answer) {
    steps_.push_back([answer](QWidget* modal) {
      auto* window = qobject_cast<W*>(modal);
      if (!window) return false;
      answer(window);
      return true;
    });
  }

  // Runs `call` while a timer answers the modal windows in order.
  template <class F>
  auto Run(F call) {
    lastAnswered_ = nullptr;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [this] {
      // A window just answered may still be up for a moment; it counts again once another
      // window came in between (a file dialog shown anew after a question).
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || !modal->isVisible() || modal == lastAnswered_) return;
      lastAnswered_ = nullptr;
      if (!steps_.empty() && steps_.front()(modal)) {
        lastAnswered_ = modal;
        steps_.pop_front();
      }
    });
    driver.start(0);
    auto result = call();
    EXPECT_TRUE(steps_.empty()) << steps_.size() << " dialog steps left";
    return result;
  }

  static void Press(QMessageBox* box, QMessageBox::StandardButton button) { box->button(button)->click(); }

  static void ChooseFile(QFileDialog* dialog, const QString& name) {
    dialog->selectFile(name);
    // Queued: a refusal opens a box inside accept, which the driver must be free to answer.
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
  }

  QtDialogs qtDialogs;

 private:
  std::deque<std::function<bool(QWidget*)>> steps_;
  QWidget* lastAnswered_ = nullptr;
};

TEST_F(QtDialogsTest, MessageBoxAnswersWithTheButtonPressed) {
  Then<QMessageBox>([](QMessageBox* box) {
    EXPECT_EQ(box->text(), "Save?");
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    Press(box, QMessageBox::No);
  });
  EXPECT_EQ(Run([&] { return qtDialogs.MessageDlg("Save?", MsgDlgType::Confirmation, mbYes | mbNo | mbCancel); }),
            mrNo);
}

TEST_F(QtDialogsTest, SaveAddsTheDefaultExtensionAndAsksBeforeReplacing) {
  const QString folder = TempPath("");
  FileDialogRequest request;
  request.Title = "Save puzzle as...";
  request.Filter = "Quillmere Crossword Puzzle |*.xwd";
  request.DefaultExt = "xwd";
  request.InitialDir = folder;
  request.Options = ofOverwritePrompt | ofHideReadOnly;

  Then<QFileDialog>([&](QFileDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Save puzzle as...");
    ChooseFile(dialog, folder + "/fresh");
  });
  const QString currentFolder = QDir::currentPath();
  auto chosen = Run([&] { return qtDialogs.SaveFile(request); });
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->FileName, folder + "/fresh.xwd");
  EXPECT_EQ(chosen->FilterIndex, 1);
  EXPECT_EQ(QDir::currentPath(), currentFolder) << "the dialogs leave the current folder alone";

  // An existing file: No to the question keeps the dialog open; the second name is taken.
  QFile(folder + "/taken.xwd").open(QIODevice::WriteOnly);
  Then<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, folder + "/taken.xwd"); });
  Then<QMessageBox>([](QMessageBox* box) {
    EXPECT_TRUE(box->text().contains("already exists"));
    Press(box, QMessageBox::No);
  });
  Then<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, folder + "/other.xwd"); });
  chosen = Run([&] { return qtDialogs.SaveFile(request); });
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->FileName, folder + "/other.xwd");
}

TEST_F(QtDialogsTest, OpenRefusesAMissingFileAndCanBeCancelled) {
  FileDialogRequest request;
  request.Title = "Open puzzle for solving";
  request.Filter = "Quillmere Crossword Puzzle |*.xwd";
  request.DefaultExt = "xwd";
  request.InitialDir = TempPath("");
  request.Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist;

  Then<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, TempPath("missing.xwd")); });
  Then<QMessageBox>([](QMessageBox* box) {
    EXPECT_TRUE(box->text().contains("File not found"));
    Press(box, QMessageBox::Ok);
  });
  Then<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
  EXPECT_FALSE(Run([&] { return qtDialogs.OpenFile(request); }).has_value());
}

// The font dialog shows the font it is given, with its colour, and answers with what is chosen.
TEST_F(QtDialogsTest, FontDialogStartsFromTheFontGivenAndKeepsItsName) {
  const FontChoice given{"Arial", 14, fsBold | fsUnderline, clNavy};
  auto parts = [](QDialog* dialog) { return std::pair{dialog->findChild<QFontDialog*>(), dialog->findChild<QComboBox*>()}; };

  Then<QDialog>([&](QDialog* dialog) {
    auto [fonts, colors] = parts(dialog);
    ASSERT_NE(fonts, nullptr);
    ASSERT_NE(colors, nullptr);
    EXPECT_EQ(fonts->currentFont().pointSize(), 14);
    EXPECT_TRUE(fonts->currentFont().bold());
    EXPECT_TRUE(fonts->currentFont().underline());
    EXPECT_EQ(colors->currentData().toInt(), clNavy);
    dialog->accept();
  });
  // Unchanged, "Arial" stays "Arial" though the dialog shows the face that stands in for it.
  auto chosen = Run([&] { return qtDialogs.ChooseFont(given); });
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->Name, "Arial");
  EXPECT_EQ(chosen->Size, 14);
  EXPECT_EQ(chosen->Style, fsBold | fsUnderline);
  EXPECT_EQ(chosen->Color, clNavy);

  Then<QDialog>([&](QDialog* dialog) {
    auto [fonts, colors] = parts(dialog);
    QFont other("Liberation Mono");
    other.setPointSize(9);
    other.setItalic(true);
    fonts->setCurrentFont(other);
    colors->setCurrentIndex(colors->findData(clMaroon));
    dialog->accept();
  });
  chosen = Run([&] { return qtDialogs.ChooseFont(given); });
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->Name, "Liberation Mono");
  EXPECT_EQ(chosen->Size, 9);
  EXPECT_EQ(chosen->Style, fsItalic);
  EXPECT_EQ(chosen->Color, clMaroon);

  Then<QDialog>([](QDialog* dialog) { dialog->reject(); });
  EXPECT_FALSE(Run([&] { return qtDialogs.ChooseFont(given); }).has_value());
}

// Faces name their regular style in their own way ("Book", "Roman"): the dialog starts on the
// face's own style of the weight and slant asked for, so OK without a change keeps the style.
TEST_F(QtDialogsTest, FontDialogStartsOnTheFacesOwnStyle) {
  struct Case {
    const char* name;
    int style;
    const char* shown;
  };
  const Case cases[] = {
      {"DejaVu Sans", 0, "Book"},
      {"DejaVu Sans", fsBold, "Bold"},
      {"DejaVu Sans", fsItalic, "Oblique"},
      {"C059", 0, "Roman"},
      {"C059", fsBold, "Bold"},
      {"C059", fsBold | fsItalic, "Bold Italic"},
      {"DejaVu Serif", fsUnderline, "Book"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.style));
    Then<QDialog>([&](QDialog* dialog) {
      auto* fonts = dialog->findChild<QFontDialog*>();
      ASSERT_NE(fonts, nullptr);
      EXPECT_EQ(fonts->currentFont().styleName(), c.shown);
      dialog->accept();
    });
    const auto chosen = Run([&] { return qtDialogs.ChooseFont({c.name, 12, c.style, clBlack}); });
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->Name, c.name);
    EXPECT_EQ(chosen->Size, 12);
    EXPECT_EQ(chosen->Style, c.style);
  }
}

// Keys in the font part end the whole dialog as its buttons do: Escape cancels, Return takes the
// font. The font part is a dialog of its own that would otherwise close alone inside a dialog
// left open.
TEST_F(QtDialogsTest, FontDialogKeysEndTheWholeDialog) {
  for (const auto& [key, taken] : {std::pair{Qt::Key_Escape, false}, std::pair{Qt::Key_Return, true}}) {
    SCOPED_TRACE(key == Qt::Key_Escape ? "Escape" : "Return");
    Then<QDialog>([key = key](QDialog* dialog) {
      auto* fonts = dialog->findChild<QFontDialog*>();
      ASSERT_NE(fonts, nullptr);
      QTest::keyClick(fonts->findChild<QLineEdit*>(), key);
      if (dialog->isVisible()) {
        ADD_FAILURE() << "the dialog stays open" << (fonts->isVisible() ? "" : ", its font part gone");
        dialog->reject();
      }
    });
    EXPECT_EQ(Run([&] { return qtDialogs.ChooseFont({"Arial", 11, 0, clBlack}); }).has_value(), taken);
  }
}

// Closing a modal window gives the keyboard back to the window that had it. A window manager
// does so itself; without one (a bare X display) no window would have the keyboard, and keys
// typed next would go nowhere.
TEST_F(QtDialogsTest, TheWindowUnderAModalOneGetsTheKeyboardBack) {
  QWidget window;
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  TForm form;
  const std::vector<std::pair<const char*, std::function<void()>>> modals{
      {"message box",
       [&] {
         Then<QMessageBox>([](QMessageBox* box) { Press(box, QMessageBox::Ok); });
         Run([&] { return qtDialogs.MessageDlg("Done.", MsgDlgType::Information, mbOK); });
       }},
      {"file dialog",
       [&] {
         Then<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
         Run([&] { return qtDialogs.OpenFile(FileDialogRequest{}); });
       }},
      {"font dialog",
       [&] {
         Then<QDialog>([](QDialog* dialog) { dialog->reject(); });
         Run([&] { return qtDialogs.ChooseFont({"Arial", 11, 0, clBlack}); });
       }},
      {"form",
       [&] {
         Then<QWidget>([](QWidget* shown) { shown->close(); });
         Run([&] { return qtDialogs.ShowModal(form); });
       }},
  };
  for (const auto& [name, run] : modals) {
    SCOPED_TRACE(name);
    run();
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeWindow(), &window);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }
}

}  // namespace
