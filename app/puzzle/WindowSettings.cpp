#include "app/puzzle/WindowSettings.h"

#include "platform/gui/FontStyle.h"

TBounds ReadBoundsSetting(const QString& Name, const TBounds& Default) {
  TBounds bounds;
  return ParseBounds(XwdProcs->ReadSetting(Name, ""), bounds) ? bounds : Default;
}

void RestoreBoundsSetting(platform::gui::TForm& Form, const QString& Name, const TBounds& Default) {
  const TBounds bounds = ReadBoundsSetting(Name, Default);
  Form.SetBounds(bounds.Left, bounds.Top, bounds.Width, bounds.Height);
}

TFontSetting ReadFontSetting(const QString& Prefix, const TFontDefaults& Defaults) {
  TFontSetting setting;
  setting.Font = platform::gui::MakeFont(XwdProcs->ReadSetting(Prefix + "FontName", Defaults.Name),
                                         XwdProcs->ReadSetting(Prefix + "FontSize", Defaults.Size),
                                         XwdProcs->ReadSetting(Prefix + "FontStyle", Defaults.Style));
  setting.Color = XwdProcs->ReadColorSetting(Prefix + "FontColor", Defaults.Color);
  return setting;
}

void ApplyFontSetting(QWidget* Widget, const TFontSetting& Setting) {
  Widget->setFont(Setting.Font);
  platform::gui::SetPaletteColor(Widget, QPalette::Text, Setting.Color);
}
