#include <gtest/gtest.h>

#include <QApplication>

#include "AppTest.h"
#include "app/grid/XwdGridUnit.h"
#include "app/puzzle/SFXUnit.h"
#include "app/puzzle/WindowSettings.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "app/tools/XwdMsgUnit.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/FontStyle.h"
#include "platform/gui/SettingsStore.h"

namespace {

using namespace platform::gui;
using Plays = std::vector<testing_support::PlayedSound>;
using Services = AppTest;

TEST_F(Services, SettingsReadTheirDefaultsAndTheirType) {
  EXPECT_EQ(XwdProcs->ReadSetting("FontSize", 11), 11);
  EXPECT_FALSE(SettingsStore::KeyExists(SettingsKey)) << "a read never creates the key";
  XwdProcs->WriteSetting("FontSize", 14);
  EXPECT_EQ(XwdProcs->ReadSetting("FontSize", 11), 14);
  XwdProcs->WriteSetting("UseCursors", true);
  EXPECT_TRUE(XwdProcs->ReadSetting("UseCursors", false));
  EXPECT_EQ(XwdProcs->ReadSetting("UseCursors", 0), 1);

  // A value of the other type reads as the default.
  XwdProcs->WriteSetting("FontName", "Arial");
  EXPECT_EQ(XwdProcs->ReadSetting("FontName", 7), 7);
  EXPECT_EQ(XwdProcs->ReadSetting("FontSize", "none"), "none");
}

TEST_F(Services, BoundsAreStoredAsFourNumbers) {
  XwdProcs->WriteBoundsSetting("ScreenBoundsMain", 10, 20, 300, 400);
  EXPECT_EQ(XwdProcs->ReadSetting("ScreenBoundsMain", ""), "10,20,300,400");
  TBounds b;
  ASSERT_TRUE(ParseBounds("10,20,300,400", b));
  EXPECT_EQ(b.Left, 10);
  EXPECT_EQ(b.Top, 20);
  EXPECT_EQ(b.Width, 300);
  EXPECT_EQ(b.Height, 400);
  for (const char* bad : {"", "1,2,3", "1,2,3,4,5", "a,b,c,d", "1,,3,4"}) EXPECT_FALSE(ParseBounds(bad, b)) << bad;
}

TEST_F(Services, WindowBoundsComeFromTheirSettingOrTheDefault) {
  const TBounds fallback{5, 6, 70, 80};
  for (const char* bad : {"", "1,2,3", "a,b,c,d"}) {
    XwdProcs->WriteSetting("ScreenBoundsClues", bad);
    const TBounds b = ReadBoundsSetting("ScreenBoundsClues", fallback);
    EXPECT_EQ(b.Left, 5) << bad;
    EXPECT_EQ(b.Height, 80) << bad;
  }
  XwdProcs->WriteBoundsSetting("ScreenBoundsClues", 10, 20, 300, 400);
  TForm form;
  RestoreBoundsSetting(form, "ScreenBoundsClues", fallback);
  EXPECT_EQ(QRect(form.Left(), form.Top(), form.Width(), form.Height()), QRect(10, 20, 300, 400));
}

TEST_F(Services, FontsComeFromFourSettings) {
  QWidget widget;
  ApplyFontSetting(&widget, ReadFontSetting("Status", {"clNavy", "Times New Roman", 11, fsBold}));
  EXPECT_EQ(widget.font().family(), MakeFont("Times New Roman", 11, 0).family());
  EXPECT_EQ(widget.font().pointSize(), 11);
  EXPECT_TRUE(widget.font().bold());
  EXPECT_EQ(widget.palette().color(QPalette::Text), ToQColor(clNavy));

  XwdProcs->WriteSetting("StatusFontName", "Courier New");
  XwdProcs->WriteSetting("StatusFontSize", 14);
  XwdProcs->WriteSetting("StatusFontStyle", fsItalic | fsUnderline);
  XwdProcs->WriteSetting("StatusFontColor", "clRed");
  ApplyFontSetting(&widget, ReadFontSetting("Status", {"clNavy", "Times New Roman", 11, fsBold}));
  EXPECT_EQ(widget.font().family(), MakeFont("Courier New", 14, 0).family());
  EXPECT_EQ(widget.font().pointSize(), 14);
  EXPECT_EQ(FontStyleOf(widget.font()), fsItalic | fsUnderline);
  EXPECT_EQ(widget.palette().color(QPalette::Text), ToQColor(clRed));
}

TEST_F(Services, ColourSettingsFallBackOnUnknownNames) {
  XwdProcs->WriteSetting("FilledSqColor", "clTeal");
  EXPECT_EQ(XwdProcs->ReadColorSetting("FilledSqColor", "clBlack"), clTeal);
  XwdProcs->WriteSetting("FilledSqColor", "$00123456");
  EXPECT_EQ(XwdProcs->ReadColorSetting("FilledSqColor", "clBlack"), 0x123456);
  XwdProcs->WriteSetting("FilledSqColor", "clNoSuchColour");
  EXPECT_EQ(XwdProcs->ReadColorSetting("FilledSqColor", "clBlack"), clBlack);
}

TEST_F(Services, SettingsKeySwitchIsRestoredOnEveryPath) {
  const QString before = SettingsKey;
  try {
    TSettingsKeySwitch tools("Software\\Quillmere32\\Tools");
    EXPECT_EQ(SettingsKey, "Software\\Quillmere32\\Tools");
    throw std::runtime_error("a read failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(SettingsKey, before);
}

TEST_F(Services, SoundsFollowTheSoundLevel) {
  struct Case { int level; Plays alert; Plays error; };
  const Case cases[] = {
      {0, {}, {}},
      {1, {{"WAVE_1", true}}, {{"WAVE_7", true}}},
      {2, {{"WAVE_6", true}}, {{"WAVE_7", true}}},
  };
  for (const Case& c : cases) {
    SoundLevel = c.level;
    sounds.Clear();
    SoundFX->PlayAlert();
    EXPECT_EQ(sounds.Played(), c.alert) << c.level;
    sounds.Clear();
    dialogs.ExpectMessage(mrOk);
    XwdProcs->SoundMessage("Broken.");
    EXPECT_EQ(sounds.Played(), c.error) << c.level;
    EXPECT_EQ(dialogs.Log().back().Text, "Broken.") << "the box shows at every level";
    EXPECT_EQ(dialogs.Log().back().Type, MsgDlgType::Error);
  }
  sounds.Clear();
  SoundFX->PlayWave5();
  EXPECT_EQ(sounds.Played(), (Plays{{"WAVE_5", false}})) << "the spoken end of the list is synchronous";
}

TEST_F(Services, InfoNoteTextsAndImages) {
  XwdGridForm->SetBounds(100, 50, 300, 300);
  struct Case { int mode; const char* text; bool save; };
  for (const Case& c : {Case{1, "Saving puzzle ...    ", true}, Case{2, "Printing puzzle ...   ", false},
                        Case{3, "Exporting puzzle ...  ", true}}) {
    {
      TInfoNote note(static_cast<std::uint8_t>(c.mode));
      EXPECT_TRUE(InfoWin->Visible());
      EXPECT_EQ(InfoWin->Panel->text(), c.text);
      EXPECT_EQ(InfoWin->SavImg->isVisibleTo(InfoWin), c.save);
      EXPECT_EQ(InfoWin->PntImg->isVisibleTo(InfoWin), !c.save);
      EXPECT_EQ(InfoWin->Left(), 135);
      EXPECT_EQ(InfoWin->Top(), 85);
    }
    EXPECT_FALSE(InfoWin->Visible());
  }
  InfoWin->InfoMode = 4;
  InfoWin->Show();
  EXPECT_EQ(InfoWin->Panel->text(), "Exporting puzzle ...  ") << "another mode changes nothing";
  InfoWin->Hide();
}

TEST_F(Services, InfoNoteLeavesTheKeyboardWhereItWas) {
  XwdGridForm->Show();
  XwdGridForm->activateWindow();
  QCoreApplication::processEvents();
  ASSERT_EQ(QApplication::activeWindow(), XwdGridForm);
  { TInfoNote note(1); }
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::activeWindow(), XwdGridForm);
  XwdGridForm->Hide();
}

TEST_F(Services, InfoNoteClosesWhenTheWorkFails) {
  try {
    TInfoNote note(1);
    throw EInOutError("disk full");
  } catch (const EInOutError&) {
  }
  EXPECT_FALSE(InfoWin->Visible());
}

}  // namespace
