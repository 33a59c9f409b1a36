#include "app/puzzle/WindowSettings.h"

#include "platform/gui/FontStyle.h"

TBounds ReadBoundsSetting(const QString& Name, const TBounds& Default) {
  TBounds bounds;
  return ParseBounds(XwdProcs->ReadSetting(Name, ""), bounds) ? bounds : Default;
}

void RestoreBoundsSetting(platform::gui::TForm& Form, const QString& Name, const TBounds& Default) {
  using platform::gui::ScreenFit;
  // A place the user kept may lie partly off a smaller screen, as long as the window can be
  // taken hold of; the default place lies wholly on it.
  TBounds bounds;
  const bool stored = ParseBounds(XwdProcs->ReadSetting(Name, ""), bounds);
  if (!stored) bounds = Default;
  Form.SetBounds(bounds.Left, bounds.Top, bounds.Width, bounds.Height, stored ? ScreenFit::Reachable : ScreenFit::Whole);
}

TFontSetting ReadFontSetting(const QString& Prefix, const TFontDefaults& Defaults) {
  const platform::gui::FontChoice values = ReadFontValues(Prefix, Defaults);
  return {platform::gui::MakeFont(values.Name, values.Size, values.Style), values.Color};
}

platform::gui::FontChoice ReadFontValues(const QString& Prefix, const TFontDefaults& Defaults) {
  return {XwdProcs->ReadSetting(Prefix + "FontName", Defaults.Name), XwdProcs->ReadSetting(Prefix + "FontSize", Defaults.Size),
          XwdProcs->ReadSetting(Prefix + "FontStyle", Defaults.Style),
          XwdProcs->ReadColorSetting(Prefix + "FontColor", Defaults.Color)};
}

void WriteFontValues(const QString& Prefix, const platform::gui::FontChoice& Font) {
  XwdProcs->WriteSetting(Prefix + "FontName", Font.Name);
  XwdProcs->WriteSetting(Prefix + "FontColor", QString::fromStdString(platform::gui::ColorToString(Font.Color)));
  XwdProcs->WriteSetting(Prefix + "FontSize", Font.Size);
  XwdProcs->WriteSetting(Prefix + "FontStyle", Font.Style);
}

void ApplyFontSetting(QWidget* Widget, const TFontSetting& Setting) {
  Widget->setFont(Setting.Font);
  platform::gui::SetPaletteColor(Widget, QPalette::Text, Setting.Color);
}
