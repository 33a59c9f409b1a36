#pragma once
// Window bounds and fonts as the settings keep them, for the windows that place themselves and
// show their text by them: bounds are one value of four comma-separated integers ("L,T,W,H"),
// a font is four values.

#include <QFont>
#include <QString>

#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/Colors.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Form.h"

// The outer bounds kept in the settings value Name; Default when the value is empty or not four
// integers.
TBounds ReadBoundsSetting(const QString& Name, const TBounds& Default);

// Places a window at the bounds kept in the settings value Name, where its title bar and a third
// of its width stay on the screen; or at Default, wholly on the screen.
void RestoreBoundsSetting(platform::gui::TForm& Form, const QString& Name, const TBounds& Default);

// A font kept in four settings values: <Prefix>FontColor (a colour name such as "clNavy"),
// <Prefix>FontName, <Prefix>FontSize (points) and <Prefix>FontStyle (the style bits).
struct TFontSetting {
  QFont Font;
  platform::gui::TColor Color = platform::gui::clBlack;
};

// The values a font takes when the settings hold none.
struct TFontDefaults {
  const char* Color;  // a colour name
  const char* Name;
  int Size;
  int Style;
};

// The fonts the settings keep, with their prefixes: the grid's letters (""), the clue list
// while solving ("Solve"), the definition list ("Defs"), Autoclue's edit ("Auto") and the main
// window's status box ("Status").
constexpr TFontDefaults GridFontDefaults{"clBlack", "Arial", 11, 0};
constexpr TFontDefaults SolveFontDefaults{"clBlack", "Times New Roman", 11, 0};
constexpr TFontDefaults DefsFontDefaults{"clBlack", "Times New Roman", 10, 0};
constexpr TFontDefaults AutoFontDefaults{"clBlack", "Times New Roman", 11, 0};
constexpr TFontDefaults StatusFontDefaults{"clNavy", "Times New Roman", 11, 1};

TFontSetting ReadFontSetting(const QString& Prefix, const TFontDefaults& Defaults);

// The four values of a font as they are stored, for the window that edits them.
platform::gui::FontChoice ReadFontValues(const QString& Prefix, const TFontDefaults& Defaults);
void WriteFontValues(const QString& Prefix, const platform::gui::FontChoice& Font);

// Shows a widget's text in the font, in its colour.
void ApplyFontSetting(QWidget* Widget, const TFontSetting& Setting);
