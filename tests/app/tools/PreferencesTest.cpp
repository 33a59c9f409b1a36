// The preferences window: what it shows from the settings and writes back, the arrangement and
// sound boxes, Defaults per page, the grid preview and colours, fonts, Browse, the language
// choice, and what the other windows show after OK.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <QTest>
#include <functional>
#include <map>

#include "AppTest.h"
#include "app/clues/XwdAutoUnit.h"
#include "app/grid/XwdClueUnit.h"
#include "app/grid/XwdGridUnit.h"
#include "app/main/XwdMainUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "app/tools/XwdPrefUnit.h"
#include "platform/gui/FontStyle.h"
#include "platform/gui/QtDialogs.h"
#include "platform/gui/QtCanvas.h"
#include "platform/gui/SettingsStore.h"
#include "platform/gui/SystemMetrics.h"
#include "tests/support/RecordingCanvas.h"

namespace {

using namespace platform::gui;

// Every value of the settings key, with its type: "Integer/PlaySounds" = "2".
using Store = std::map<QString, QString>;

Store ReadStore() {
  QSettings file(SettingsStore::FileForKey(ApplicationSettingsKey), QSettings::IniFormat);
  Store store;
  for (const QString& key : file.allKeys()) store[key] = file.value(key).toString();
  return store;
}

class Preferences : public AppTest {
 protected:
  void Start() { XwdMainForm->Show(); }

  // A 15 by 15 puzzle presented for constructing, with the byline given.
  void Present(const std::string& byline = "Ann|0") {
    Puzzle.GridSize = 15;
    Puzzle.BylineText.Assign(byline);
    const QString path = TempPath("prefs.xwd");
    XwdProcs->SavePuzzle(path);
    Puzzle = TXwdPuzzle{};
    XwdMainForm->SetCommandLine({path, "-C"});
    XwdMainForm->Show();
  }

  // Options > Preferences..., with drive working the window before it closes.
  void RunPreferences(const std::function<void(TXwdPrefForm&)>& drive) {
    dialogs.ExpectModal([&](TForm& form) {
      drive(dynamic_cast<TXwdPrefForm&>(form));
      return mrNone;
    });
    XwdMainForm->Preferences1->trigger();
  }

  static void Seed(const Store& values) {
    for (const auto& [key, value] : values) {
      const QString name = key.section('/', 1);
      if (key.startsWith("Integer/"))
        XwdProcs->WriteSetting(name, value.toInt());
      else
        XwdProcs->WriteSetting(name, value);
    }
  }
};

// Values unlike the defaults for everything the window writes, with colour names, font
// styles and speech among them.
const Store kSeeded{
    {"Integer/PlaySounds", "2"},        {"Integer/UseCursors", "1"},        {"Integer/EntryCounts", "1"},
    {"String/FilledSqColor", "clNavy"}, {"String/BlankSqColor", "clYellow"}, {"String/FontColor", "clMaroon"},
    {"String/FontName", "Courier New"}, {"Integer/FontSize", "14"},         {"Integer/FontStyle", QString::number(fsBold | fsItalic)},
    {"Integer/DefsOnLeft", "0"},        {"Integer/PageBottomMargin", "7"},  {"String/DictPath", "/usr/bin/dict tool"},
    {"String/ThesPath", "/opt/thes"}, {"String/HintPath", "/opt/quill/Hintvault.exe"},
    {"String/JottPath", "/opt/jott"}, {"String/PostPath", "/opt/quill/Postwick.exe"},
    {"String/SolveFontColor", "clGreen"}, {"String/SolveFontName", "Arial"}, {"Integer/SolveFontSize", "9"},
    {"Integer/SolveFontStyle", QString::number(fsItalic)}, {"String/DefsFontColor", "$00123456"},
    {"String/DefsFontName", "Courier New"}, {"Integer/DefsFontSize", "12"}, {"Integer/DefsFontStyle", QString::number(fsUnderline)},
    {"String/AutoFontColor", "clPurple"}, {"String/AutoFontName", "DejaVu Sans"}, {"Integer/AutoFontSize", "13"},
    {"Integer/AutoFontStyle", QString::number(fsStrikeOut)}, {"String/StatusFontColor", "clTeal"},
    {"String/StatusFontName", "Arial"}, {"Integer/StatusFontSize", "10"}, {"Integer/StatusFontStyle", "0"},
    {"Integer/GridLanguage", "4"},
    // Not the window's to write: they stay as they are.
    {"Integer/AutoArrange", "3"},       {"String/ScreenBoundsMain", "1,2,3,4"}, {"String/Name", "Ann"},
};

TEST_F(Preferences, SavingWithoutChangesKeepsEveryValue) {
  Seed(kSeeded);
  ASSERT_EQ(ReadStore(), kSeeded);
  Start();
  RunPreferences([](TXwdPrefForm& form) { form.SaveBtn->click(); });
  EXPECT_EQ(dialogs.Log().back().Text, "Quillmere Preferences");
  EXPECT_EQ(ReadStore(), kSeeded);
}

// On an empty store the window shows, and Save writes, the defaults of every value.
TEST_F(Preferences, SavingWithoutSettingsWritesTheDefaults) {
  Start();
  RunPreferences([](TXwdPrefForm& form) { form.SaveBtn->click(); });
  const Store defaults{
      {"Integer/PlaySounds", "1"},         {"Integer/UseCursors", "0"},          {"Integer/EntryCounts", "0"},
      {"String/FilledSqColor", "clBlack"}, {"String/BlankSqColor", "clWhite"}, {"String/FontColor", "clBlack"},
      {"String/FontName", "Arial"},      {"Integer/FontSize", "11"},           {"Integer/FontStyle", "0"},
      {"Integer/DefsOnLeft", "1"},         {"Integer/PageBottomMargin", "0"},    {"String/DictPath", ""},
      {"String/ThesPath", ""},           {"String/HintPath", ""},            {"String/JottPath", ""},
      {"String/PostPath", ""},           {"String/SolveFontColor", "clBlack"}, {"String/SolveFontName", "Times New Roman"},
      {"Integer/SolveFontSize", "11"},     {"Integer/SolveFontStyle", "0"},      {"String/DefsFontColor", "clBlack"},
      {"String/DefsFontName", "Times New Roman"}, {"Integer/DefsFontSize", "10"}, {"Integer/DefsFontStyle", "0"},
      {"String/AutoFontColor", "clBlack"}, {"String/AutoFontName", "Times New Roman"}, {"Integer/AutoFontSize", "11"},
      {"Integer/AutoFontStyle", "0"},      {"String/StatusFontColor", "clNavy"}, {"String/StatusFontName", "Times New Roman"},
      {"Integer/StatusFontSize", "11"},    {"Integer/StatusFontStyle", QString::number(fsBold)}, {"Integer/GridLanguage", "0"},
  };
  EXPECT_EQ(ReadStore(), defaults);
}

TEST_F(Preferences, CancelChangesNoSetting) {
  Seed(kSeeded);
  Start();
  RunPreferences([](TXwdPrefForm& form) {
    form.SoundChk->click();
    form.PathEdits[TXwdPrefForm::DictTool]->setText("/elsewhere");
    form.ViewChk->click();
    form.CancelBtn->click();
  });
  EXPECT_EQ(ReadStore(), kSeeded);
}

TEST_F(Preferences, SoundBoxesGiveTheSoundLevel) {
  struct Case {
    int stored;
    std::vector<const char*> clicks;
    int saved;
  };
  const Case cases[] = {
      {0, {}, 0},
      {1, {}, 1},
      {2, {}, 2},
      {0, {"SPEECH"}, 2},            // speech ticks the sounds too
      {2, {"SOUNDS"}, 0},            // no sounds, no speech
      {2, {"SPEECH"}, 1},            // the sounds stay
      {0, {"SOUNDS"}, 1},
      {1, {"SOUNDS", "SPEECH"}, 2},
      {2, {"SOUNDS", "SOUNDS"}, 1},  // speech stays off once the sounds went
  };
  Start();
  for (const Case& c : cases) {
    XwdProcs->WriteSetting("PlaySounds", c.stored);
    RunPreferences([&](TXwdPrefForm& form) {
      EXPECT_EQ(form.SoundChk->isChecked(), c.stored != 0);
      EXPECT_EQ(form.SpeechChk->isChecked(), c.stored == 2);
      for (const char* box : c.clicks) (QString(box) == "SOUNDS" ? form.SoundChk : form.SpeechChk)->click();
      form.SaveBtn->click();
    });
    EXPECT_EQ(XwdProcs->ReadSetting("PlaySounds", -1), c.saved) << c.stored << " " << c.clicks.size();
    EXPECT_EQ(SoundLevel, c.saved) << "the main window takes the level at once";
  }
}

// The arrangement boxes: the picture, the code, and what Save stores with a puzzle presented.
TEST_F(Preferences, ArrangementFollowsTheBoxesAndIsStoredOnlyWhenTicked) {
  enum Step { View, Arrange, Custom };
  struct Case {
    std::vector<Step> steps;
    const char* picture;
    bool userConfigured;
    int stored;            // "AutoArrange" after Save; -1: not written
    const char* mainBounds;  // "ScreenBoundsMain" after Save
  };
  const Case cases[] = {
      {{}, "SCREEN5", false, -1, "unchanged"},
      {{View}, "SCREEN1", false, 1, "720,2,300,400"},
      {{View, Arrange, Arrange, Arrange}, "SCREEN4", false, 4, "2,2,300,400"},
      {{View, Arrange, Arrange, Arrange, Arrange}, "SCREEN1", false, 1, "720,2,300,400"},
      {{View, Custom}, "SCREEN5", true, 99, "100,50,300,400"},
      {{View, Custom, Custom}, "SCREEN1", false, 1, "720,2,300,400"},
      {{View, Arrange, Custom, Arrange}, "SCREEN3", false, 3, "2,364,300,400"},
      {{View, Custom, View}, "SCREEN5", false, -1, "unchanged"},
  };
  Present();
  const QSize frame = XwdMainForm->frameGeometry().size() - XwdMainForm->size();
  XwdMainForm->setMinimumSize(QSize(300, 400) - frame);
  for (const Case& c : cases) {
    XwdProcs->WriteSetting("AutoArrange", -1);
    XwdProcs->WriteSetting("ScreenBoundsMain", "unchanged");
    XwdMainForm->SetBounds(100, 50, 300, 400);
    RunPreferences([&](TXwdPrefForm& form) {
      EXPECT_EQ(form.PreviewPicture(), "SCREEN5");
      EXPECT_FALSE(form.ArrangeBtn->isEnabled());
      EXPECT_FALSE(form.SaveAllChk->isEnabled());
      for (Step step : c.steps)
        (step == View ? form.ViewChk : step == Arrange ? static_cast<QAbstractButton*>(form.ArrangeBtn) : form.SaveAllChk)
            ->click();
      EXPECT_EQ(form.PreviewPicture(), c.picture);
      EXPECT_EQ(form.UserLbl->isVisibleTo(&form), c.userConfigured);
      EXPECT_EQ(form.ArrangeBtn->isEnabled(), form.ViewChk->isChecked());
      EXPECT_EQ(form.SaveAllChk->isEnabled(), form.ViewChk->isChecked());
      form.SaveBtn->click();
    });
    EXPECT_EQ(XwdProcs->ReadSetting("AutoArrange", 0), c.stored) << c.picture << " after " << c.steps.size();
    EXPECT_EQ(XwdProcs->ReadSetting("ScreenBoundsMain", ""), c.mainBounds) << c.picture << " after " << c.steps.size();
  }
}

TEST_F(Preferences, WithoutAPuzzleTheArrangementIsStoredButNoBounds) {
  Start();
  RunPreferences([](TXwdPrefForm& form) {
    form.ViewChk->click();
    form.ArrangeBtn->click();
    form.SaveBtn->click();
  });
  EXPECT_EQ(XwdProcs->ReadSetting("AutoArrange", 0), 2);
  EXPECT_EQ(XwdProcs->ReadSetting("ScreenBoundsMain", "(none)"), "(none)");
}

// Defaults on General ticks Change Screen Layout, whose rule sets arrangement 1, and then
// arranges once more: from an unticked box the result is 2, from a ticked one 1.
TEST_F(Preferences, DefaultsOnGeneralArrangesOnceMoreAfterTheLayoutBox) {
  Start();
  RunPreferences([](TXwdPrefForm& form) {
    form.PageControl1->setCurrentIndex(TXwdPrefForm::GeneralPage);
    form.DefaultsBtn->click();
    EXPECT_TRUE(form.ViewChk->isChecked());
    EXPECT_EQ(form.arrangement, 2);
    EXPECT_EQ(form.PreviewPicture(), "SCREEN2");

    form.ArrangeBtn->click();
    form.SaveAllChk->click();
    form.DefaultsBtn->click();
    EXPECT_EQ(form.arrangement, 1);
    EXPECT_EQ(form.PreviewPicture(), "SCREEN1");
    EXPECT_FALSE(form.SaveAllChk->isChecked());
    EXPECT_FALSE(form.UserLbl->isVisibleTo(&form));
    form.CancelBtn->click();
  });
}

// Everything the window shows, by page, as text.
std::map<std::string, std::string> Snapshot(TXwdPrefForm& form) {
  auto font = [](const FontChoice& f) {
    return f.Name.toStdString() + " " + std::to_string(f.Size) + " " + std::to_string(f.Style) + " " +
           ColorToString(f.Color);
  };
  auto ticked = [](QCheckBox* box) { return std::string(box->isChecked() ? "ticked" : "unticked"); };
  std::map<std::string, std::string> shown{
      {"General/SOUNDS", ticked(form.SoundChk)},
      {"General/SPEECH", ticked(form.SpeechChk)},
      {"General/CURSORS", ticked(form.CursorChk)},
      {"General/COUNTS", ticked(form.CountsChk)},
      {"General/layout", ticked(form.ViewChk)},
      {"General/custom", ticked(form.SaveAllChk)},
      {"General/picture", form.PreviewPicture().toStdString()},
      {"View/letters", ColorToString(form.LetterColor)},
      {"View/filled", ColorToString(form.FilledColor)},
      {"View/font", font(form.GridFont)},
      {"Print/definitions", ticked(form.DefsChk)},
      {"Print/margin", std::to_string(form.MarginEdit->value())},
      {"Fonts/solve", font(form.SolveFont)},
      {"Fonts/defs", font(form.DefsFont)},
      {"Fonts/auto", font(form.AutoFont)},
      {"Fonts/status", font(form.StatusFont)},
      {"Language/language", std::to_string(form.LangItemIndex())},
  };
  for (int tool = 0; tool < TXwdPrefForm::ToolCount; ++tool)
    shown["Tools/" + std::to_string(tool)] = form.PathEdits[tool]->text().toStdString();
  return shown;
}

TEST_F(Preferences, DefaultsResetsOnlyTheVisiblePage) {
  Store seeded = kSeeded;
  seeded["Integer/PlaySounds"] = 0;
  Seed(seeded);
  const std::map<std::string, std::map<std::string, std::string>> expected{
      {"General",
       {{"General/SOUNDS", "ticked"}, {"General/SPEECH", "unticked"}, {"General/CURSORS", "unticked"},
        {"General/COUNTS", "unticked"}, {"General/layout", "ticked"}, {"General/custom", "unticked"},
        {"General/picture", "SCREEN2"}}},
      {"View",
       {{"View/letters", "clWhite"}, {"View/filled", "clBlack"}, {"View/font", "Arial 11 0 clBlack"}}},
      {"Print", {{"Print/definitions", "ticked"}, {"Print/margin", "0"}}},
      {"Tools",
       {{"Tools/0", "/usr/bin/dict tool"}, {"Tools/1", "/opt/thes"}, {"Tools/2", "/opt/quill/Hintvault.exe"},
        {"Tools/3", "/opt/jott"}, {"Tools/4", "/opt/quill/Postwick.exe"}}},
      {"Fonts",
       {{"Fonts/solve", "Times New Roman 11 0 clBlack"}, {"Fonts/defs", "Times New Roman 10 0 clBlack"},
        {"Fonts/auto", "Times New Roman 11 0 clBlack"}, {"Fonts/status", "Times New Roman 11 1 clNavy"}}},
      {"Language", {{"Language/language", "0"}}},
  };
  Start();
  for (int page = TXwdPrefForm::GeneralPage; page <= TXwdPrefForm::LanguagePage; ++page) {
    RunPreferences([&](TXwdPrefForm& form) {
      // Typed paths, so that the Tools page's Defaults shows what it reads again.
      for (QLineEdit* edit : form.PathEdits) edit->setText("typed");
      const auto before = Snapshot(form);
      form.PageControl1->setCurrentIndex(page);
      const std::string name = form.PageControl1->tabText(page).toStdString();
      form.DefaultsBtn->click();
      const auto after = Snapshot(form);
      for (const auto& [key, value] : after) {
        const auto& wanted = expected.at(name);
        if (wanted.contains(key))
          EXPECT_EQ(value, wanted.at(key)) << key;
        else
          EXPECT_EQ(value, before.at(key)) << key << " changed by Defaults on " << name;
      }
      form.CancelBtn->click();
    });
  }
}

TEST_F(Preferences, PreviewGridPaintsTheColoursAtTheirSquares) {
  Start();
  RunPreferences([](TXwdPrefForm& form) {
    form.LetterColor = clYellow;
    form.FilledColor = clNavy;
    QImage image(form.GridPad->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      QtCanvas canvas(painter);
      form.GridPadPaint(canvas);
    }
    const int s = DefaultSquareSize;
    ASSERT_EQ(s, 30);
    ASSERT_GE(image.width(), 5 * s);
    ASSERT_GE(image.height(), 4 * s);
    // Sampled just inside each square's corner, clear of its centred letter.
    for (int row = 1; row <= image.height() / s; ++row) {
      for (int column = 1; column <= image.width() / s; ++column) {
        const bool filled = (column == 4 && row <= 3) || (column == 5 && row == 1);
        EXPECT_EQ(FromQColor(image.pixelColor((column - 1) * s + 3, (row - 1) * s + 3)), filled ? clNavy : clYellow)
            << "column " << column << ", row " << row;
      }
    }
    // The outlines are in the filled colour.
    EXPECT_EQ(FromQColor(image.pixelColor(s, s + 10)), clNavy);

    // A screen too small for whole squares still paints, with squares of one pixel.
    DefaultSquareSize = 0;
    testing_support::RecordingCanvas recorded;
    form.GridPadPaint(recorded);
    DefaultSquareSize = s;
    const auto squares = recorded.CallsOf(CanvasCall::Kind::Rectangle);
    ASSERT_EQ(squares.size(), 1u + (image.width() + 1) * (image.height() + 1));
    EXPECT_EQ(QRect(QPoint(squares[4].Left, squares[4].Top), QPoint(squares[4].Right, squares[4].Bottom)),
              QRect(QPoint(3, 0), QPoint(5, 2)));
    EXPECT_EQ(squares[4].Brush.Color, clNavy);
    form.CancelBtn->click();
  });
}

TEST_F(Preferences, ColourGridButtonsSetTheLetterAndFilledColours) {
  Start();
  RunPreferences([](TXwdPrefForm& form) {
    form.PageControl1->setCurrentIndex(TXwdPrefForm::ViewPage);
    QTest::mouseClick(form.ColorGrid1, Qt::RightButton, {}, form.ColorGrid1->CellCentre(clTeal));
    QTest::mouseClick(form.ColorGrid1, Qt::LeftButton, {}, form.ColorGrid1->CellCentre(clAqua));
    EXPECT_EQ(form.FilledColor, clTeal);
    EXPECT_EQ(form.LetterColor, clAqua);
    EXPECT_EQ(FromQColor(form.FilledSwatch->palette().color(QPalette::Window)), clTeal);
    EXPECT_EQ(FromQColor(form.LetterSwatch->palette().color(QPalette::Window)), clAqua);
    // The middle button chooses nothing.
    QTest::mouseClick(form.ColorGrid1, Qt::MiddleButton, {}, form.ColorGrid1->CellCentre(clRed));
    EXPECT_EQ(form.FilledColor, clTeal);
    EXPECT_EQ(form.LetterColor, clAqua);
    form.SaveBtn->click();
  });
  EXPECT_EQ(XwdProcs->ReadSetting("FilledSqColor", ""), "clTeal");
  EXPECT_EQ(XwdProcs->ReadSetting("BlankSqColor", ""), "clAqua");
}

TEST_F(Preferences, FontButtonsOfferTheirFontAndTakeTheChoice) {
  Seed(kSeeded);
  Start();
  struct Case {
    QPushButton* TXwdPrefForm::*button;
    FontChoice TXwdPrefForm::*font;
    const char* prefix;
  };
  const Case cases[] = {
      {&TXwdPrefForm::FontBtn, &TXwdPrefForm::GridFont, ""},
      {&TXwdPrefForm::SolveFontBtn, &TXwdPrefForm::SolveFont, "Solve"},
      {&TXwdPrefForm::DefsListBtn, &TXwdPrefForm::DefsFont, "Defs"},
      {&TXwdPrefForm::AutoFontBtn, &TXwdPrefForm::AutoFont, "Auto"},
      {&TXwdPrefForm::StatusBoxBtn, &TXwdPrefForm::StatusFont, "Status"},
  };
  const FontChoice chosen{"Liberation Mono", 16, fsBold | fsUnderline, clRed};
  for (const Case& c : cases) {
    const QString prefix = c.prefix;
    RunPreferences([&](TXwdPrefForm& form) {
      const FontChoice shown = form.*c.font;
      dialogs.ExpectFont(std::nullopt);
      (form.*c.button)->click();
      const FontChoice offered = dialogs.Log().back().Font;
      EXPECT_EQ(offered.Name, XwdProcs->ReadSetting(prefix + "FontName", "")) << c.prefix;
      EXPECT_EQ(offered.Size, XwdProcs->ReadSetting(prefix + "FontSize", 0)) << c.prefix;
      EXPECT_EQ(offered.Style, XwdProcs->ReadSetting(prefix + "FontStyle", -1)) << c.prefix;
      EXPECT_EQ(ColorToString(offered.Color), XwdProcs->ReadSetting(prefix + "FontColor", "").toStdString());
      EXPECT_EQ((form.*c.font).Name, shown.Name) << "a cancelled dialog changes nothing";

      dialogs.ExpectFont(chosen);
      (form.*c.button)->click();
      form.SaveBtn->click();
    });
    EXPECT_EQ(XwdProcs->ReadSetting(prefix + "FontName", ""), "Liberation Mono") << c.prefix;
    EXPECT_EQ(XwdProcs->ReadSetting(prefix + "FontSize", 0), 16) << c.prefix;
    EXPECT_EQ(XwdProcs->ReadSetting(prefix + "FontStyle", 0), fsBold | fsUnderline) << c.prefix;
    EXPECT_EQ(XwdProcs->ReadSetting(prefix + "FontColor", ""), "clRed") << c.prefix;
  }
}

TEST_F(Preferences, FontPreviewsShowTheirFonts) {
  Seed(kSeeded);
  Start();
  RunPreferences([](TXwdPrefForm& form) {
    EXPECT_EQ(form.SolvePreview->item(0)->text(), "Solve mode clues list");
    EXPECT_EQ(form.DefsPreview->item(0)->text(), "Definitions listing");
    EXPECT_EQ(form.AutoPreview->text(), "Autoclue puzzle definitions");
    EXPECT_EQ(form.AutoPreview->maxLength(), 60);
    EXPECT_EQ(form.StatusPreview->toPlainText(), "Status Box");
    EXPECT_EQ(form.SolvePreview->font().pointSize(), 9);
    EXPECT_TRUE(form.SolvePreview->font().italic());
    EXPECT_EQ(FromQColor(form.SolvePreview->palette().color(QPalette::Text)), clGreen);
    EXPECT_TRUE(form.DefsPreview->font().underline());
    EXPECT_EQ(FromQColor(form.DefsPreview->palette().color(QPalette::Text)), 0x123456);
    EXPECT_TRUE(form.AutoPreview->font().strikeOut());
    EXPECT_EQ(form.StatusPreview->font().pointSize(), 10);
    form.CancelBtn->click();
  });
}

TEST_F(Preferences, BrowseAsksForEveryProgramWithItsTitleAndAllFiles) {
  Start();
  struct Case {
    TXwdPrefForm::Tool tool;
    const char* title;
    const char* filter;
  };
  const Case cases[] = {
      {TXwdPrefForm::DictTool, "Link Dictionary", "Dictionary Files (*.EXE)|*.EXE"},
      {TXwdPrefForm::ThesTool, "Link Thesaurus", "Thesaurus Files (*.EXE)|*.EXE"},
      {TXwdPrefForm::HintTool, "Link Hintvault", "Quillmere Hintvault (*.EXE)|*.EXE"},
      {TXwdPrefForm::JottTool, "Link Text Editor", "Editor Files (*.EXE)|*.EXE"},
      {TXwdPrefForm::PostTool, "Link Postwick", "Quillmere Postwick (*.EXE)|*.EXE"},
  };
  RunPreferences([&](TXwdPrefForm& form) {
    for (const Case& c : cases) {
      const QString program = QString("/opt/my tools/program %1").arg(int(c.tool));
      dialogs.ExpectOpen(program);
      form.BrowseBtns[c.tool]->click();
      const FileDialogRequest& asked = dialogs.Log().back().File;
      EXPECT_EQ(asked.Title, c.title);
      EXPECT_EQ(asked.Filter, QString(c.filter) + "|All files (*)|*");
      EXPECT_EQ(asked.FilterIndex, 2) << "all files are offered first";
      // A pattern such as "*.exe" in the name field would hide the programs again on Enter.
      EXPECT_EQ(asked.FileName, "");
      EXPECT_EQ(form.PathEdits[c.tool]->text(), program);
      // Cancelled, the path stays.
      dialogs.ExpectOpen(std::nullopt);
      form.BrowseBtns[c.tool]->click();
      EXPECT_EQ(form.PathEdits[c.tool]->text(), program);
    }
    form.SaveBtn->click();
  });
  EXPECT_EQ(XwdProcs->ReadSetting("PostPath", ""), "/opt/my tools/program 4");
  EXPECT_TRUE(XwdMainForm->ToolItems[5]->isEnabled()) << "the Tools item follows its new path";
}

// In the real dialog the name field starts empty: a pattern there would take the filter's place
// on Enter and hide the programs, which have no extension here.
TEST_F(Preferences, BrowseOpensTheRealDialogWithAnEmptyNameField) {
  const QString program = TempPath("dictionary");
  WriteFile(program, "#!/bin/sh\n");
  Start();
  QtDialogs real;
  std::optional<QString> nameField;
  QTimer driver;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    driver.stop();
    if (const auto* field = dialog->findChild<QLineEdit*>("fileNameEdit")) nameField = field->text();
    dialog->selectFile(program);
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
  });
  RunPreferences([&](TXwdPrefForm& form) {
    InstallDialogs(&real);
    driver.start(10);
    form.BrowseBtns[TXwdPrefForm::DictTool]->click();
    InstallDialogs(&dialogs);
    EXPECT_EQ(form.PathEdits[TXwdPrefForm::DictTool]->text(), program);
    form.CancelBtn->click();
  });
  ASSERT_TRUE(nameField.has_value()) << "no file dialog";
  EXPECT_EQ(*nameField, "");
}

TEST(PreferencesByline, TheLanguageDigitTakesThePlaceAfterTheLastBar) {
  struct Case {
    std::string byline;
    int language;
    std::string expected;
  };
  const Case cases[] = {
      {"Ann|0", 4, "Ann|4"},
      {"Ann|4", 4, "Ann|4"},
      {"A|B|5", 2, "A|B|2"},
      {"Ann|", 1, "Ann|1"},
      {"Ann|12", 3, "Ann|3"},
      {"Ann", 4, "Ann|4"},  // a byline from elsewhere keeps its name whole
      {"", 8, "|8"},
      {std::string(60, 'n'), 5, std::string(58, 'n') + "|5"},
      {std::string(59, 'n') + "|", 6, std::string(58, 'n') + "|6"},
  };
  for (const Case& c : cases) EXPECT_EQ(BylineWithLanguage(c.byline, c.language), c.expected) << c.byline;
}

TEST_F(Preferences, ChoosingALanguageRewritesTheOpenPuzzleAtOnce) {
  XwdProcs->WriteSetting("GridLanguage", 5);
  Present("Ann|0");
  ASSERT_EQ(PuzzleModified, 0);
  RunPreferences([](TXwdPrefForm& form) {
    // Showing the window with Swedish chosen leaves the puzzle alone.
    EXPECT_EQ(form.LangItemIndex(), 5);
    EXPECT_EQ(Puzzle.BylineText.Text(), "Ann|0");
    EXPECT_EQ(PuzzleModified, 0);
    form.LangGroup->button(4)->click();  // German
    EXPECT_EQ(Puzzle.BylineText.Text(), "Ann|4");
    EXPECT_EQ(PuzzleModified, 1);
    // Defaults setting English is no choice of the user's.
    form.PageControl1->setCurrentIndex(TXwdPrefForm::LanguagePage);
    form.DefaultsBtn->click();
    EXPECT_EQ(form.LangItemIndex(), 0);
    EXPECT_EQ(Puzzle.BylineText.Text(), "Ann|4");
    form.CancelBtn->click();
  });
  EXPECT_EQ(Puzzle.BylineText.Text(), "Ann|4") << "the choice outlives Cancel";
  EXPECT_EQ(XwdProcs->ReadSetting("GridLanguage", 0), 5);

  // The language the puzzle already has changes nothing.
  PuzzleModified = 0;
  RunPreferences([](TXwdPrefForm& form) {
    form.LangGroup->button(4)->click();
    form.CancelBtn->click();
  });
  EXPECT_EQ(PuzzleModified, 0);
}

TEST_F(Preferences, ChoosingALanguageWithoutAPuzzleChangesNoByline) {
  Start();
  ASSERT_EQ(EditMode, 0);
  RunPreferences([](TXwdPrefForm& form) {
    form.LangGroup->button(2)->click();
    form.SaveBtn->click();
  });
  EXPECT_EQ(Puzzle.BylineText.Text(), "");
  EXPECT_EQ(PuzzleModified, 0);
  EXPECT_EQ(XwdProcs->ReadSetting("GridLanguage", 0), 2);
}

// Only a puzzle being constructed, with a file, takes the language at once: a solver's puzzle
// keeps its own, and a recycled one (no file, the mode still solve) has nothing to take it. The
// choice, even cancelled, leaves nothing to save, and leaving the program saves nothing.
class LanguageWhileSolving : public Preferences {
 protected:
  void Solve() {
    SetGrid("AB CD");
    Puzzle.BylineText.Assign("Ann|0");
    path_ = TempPath("solve.xwd");
    XwdProcs->SavePuzzle(path_);
    saved_ = ReadFile(path_);
    Puzzle = TXwdPuzzle{};
    XwdMainForm->SetCommandLine({path_});
    XwdMainForm->Show();
    ASSERT_EQ(EditMode, emSolve);
  }

  void ChooseGermanThenLeave() {
    RunPreferences([](TXwdPrefForm& form) {
      form.LangGroup->button(4)->click();
      form.CancelBtn->click();
    });
    EXPECT_EQ(Puzzle.BylineText.Text(), "Ann|0");
    EXPECT_EQ(PuzzleModified, 0);
    EXPECT_TRUE(XwdMainForm->Close());
  }

  QString path_;
  QByteArray saved_;
};

TEST_F(LanguageWhileSolving, TheSolversFileKeepsItsLanguage) {
  Solve();
  ChooseGermanThenLeave();
  EXPECT_EQ(ReadFile(path_), saved_);
}

TEST_F(LanguageWhileSolving, ARecycledPuzzleLetsTheProgramEnd) {
  Solve();
  for (int x = 1; x <= Puzzle.GridSize; ++x)
    for (int y = 1; y <= Puzzle.GridSize; ++y) Puzzle.Entries(x, y) = Puzzle.Solution(x, y);
  dialogs.ExpectModal([](TForm&) { return mrAbort; });
  XwdMainForm->ScorePuzzle1->trigger();
  ASSERT_TRUE(PuzzleFileName.isEmpty());
  // A message that the file "" cannot be written would be a dialog the script does not expect.
  ChooseGermanThenLeave();
}

TEST_F(Preferences, ADenserScreenGivesTheLongCaptionsASmallerFont) {
  FixedMetrics dense;
  dense.PixelsPerInch = 120;
  SetFixedMetrics(dense);
  Start();
  RunPreferences([](TXwdPrefForm& form) {
    // round(8 x 96 / 120) = 6 points.
    for (QWidget* widget : std::initializer_list<QWidget*>{form.SaveAllChk, form.ViewChk, form.LeftLegendLbl,
                                                           form.RightLegendLbl})
      EXPECT_EQ(widget->font().pointSize(), 6);
    form.CancelBtn->click();
  });
}

// After OK the open windows show the new colours and fonts, and the main window the new level,
// tools and status font, without a restart.
TEST_F(Preferences, TheOpenWindowsTakeTheNewSettingsAfterOK) {
  Present();
  CluesForm->Show();
  AutoclueForm->Show();
  const FontChoice clues{"Liberation Mono", 15, fsBold, clMaroon};
  const FontChoice autoclue{"Liberation Sans", 13, fsItalic, clGreen};
  const FontChoice status{"Liberation Serif", 9, 0, clPurple};
  RunPreferences([&](TXwdPrefForm& form) {
    form.SoundChk->click();
    form.PathEdits[TXwdPrefForm::HintTool]->setText("/opt/Hintvault.exe");
    QTest::mouseClick(form.ColorGrid1, Qt::LeftButton, {}, form.ColorGrid1->CellCentre(clYellow));
    for (const auto& [button, font] : {std::pair{form.SolveFontBtn, clues}, {form.AutoFontBtn, autoclue},
                                       {form.StatusBoxBtn, status}}) {
      dialogs.ExpectFont(font);
      button->click();
    }
    form.SaveBtn->click();
  });

  EXPECT_EQ(SoundLevel, 0);
  EXPECT_TRUE(XwdMainForm->ToolItems[3]->isEnabled());
  // The middle of an empty letter square of the grid, one without a number.
  const QImage& grid = XwdGridForm->BackBuffer();
  EXPECT_EQ(FromQColor(grid.pixelColor(SquareSize * 7 + SquareSize / 2, SquareSize * 7 + SquareSize / 2)), clYellow);
  const auto shows = [](QWidget* widget, const FontChoice& font) {
    EXPECT_EQ(widget->font().pointSize(), font.Size);
    EXPECT_EQ(FontStyleOf(widget->font()), font.Style);
    EXPECT_EQ(widget->font().family(), font.Name);
    EXPECT_EQ(FromQColor(widget->palette().color(QPalette::Text)), font.Color);
  };
  shows(CluesForm->ClueList, clues);
  shows(AutoclueForm->DefEdit, autoclue);
  shows(XwdMainForm->DataMemo, status);
}

}  // namespace
