#include "platform/gui/Colors.h"

#include <QWidget>

#include <array>
#include <charconv>
#include <cstdio>

namespace platform::gui {
namespace {

struct NamedColor {
  TColor value;
  std::string_view name;
};

constexpr std::array<NamedColor, 43> kNamedColors{{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {SystemColor(0), "clScrollBar"},
    {SystemColor(1), "clBackground"},
    {SystemColor(2), "clActiveCaption"},
    {SystemColor(3), "clInactiveCaption"},
    {SystemColor(4), "clMenu"},
    {SystemColor(5), "clWindow"},
    {SystemColor(6), "clWindowFrame"},
    {SystemColor(7), "clMenuText"},
    {SystemColor(8), "clWindowText"},
    {SystemColor(9), "clCaptionText"},
    {SystemColor(10), "clActiveBorder"},
    {SystemColor(11), "clInactiveBorder"},
    {SystemColor(12), "clAppWorkSpace"},
    {SystemColor(13), "clHighlight"},
    {SystemColor(14), "clHighlightText"},
    {SystemColor(15), "clBtnFace"},
    {SystemColor(16), "clBtnShadow"},
    {SystemColor(17), "clGrayText"},
    {SystemColor(18), "clBtnText"},
    {SystemColor(19), "clInactiveCaptionText"},
    {SystemColor(20), "clBtnHighlight"},
    {SystemColor(21), "cl3DDkShadow"},
    {SystemColor(22), "cl3DLight"},
    {SystemColor(23), "clInfoText"},
    {SystemColor(24), "clInfoBk"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
}};

// The classic desktop scheme, as $00BBGGRR, indexed by system colour number.
constexpr std::array<TColor, 25> kSystemPalette{
    0xC0C0C0,  // scroll bar
    0x808000,  // desktop background
    0x800000,  // active caption
    0x808080,  // inactive caption
    0xC0C0C0,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xC0C0C0,  // active border
    0xC0C0C0,  // inactive border
    0x808080,  // application work space
    0x800000,  // highlight
    0xFFFFFF,  // highlight text
    0xC0C0C0,  // button face
    0x808080,  // button shadow
    0x808080,  // grey text
    0x000000,  // button text
    0xC0C0C0,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x000000,  // 3D dark shadow
    0xDFDFDF,  // 3D light
    0x000000,  // tooltip text
    0xE1FFFF,  // tooltip background
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Parses the whole of `digits` in `base`; nothing when any character is left over.
template <class T>
std::optional<T> ParseWhole(std::string_view digits, int base) {
  T value{};
  const char* end = digits.data() + digits.size();
  auto [ptr, ec] = std::from_chars(digits.data(), end, value, base);
  if (digits.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

}  // namespace

std::string ColorToString(TColor color) {
  for (const auto& named : kNamedColors)
    if (named.value == color) return std::string(named.name);
  char text[10];
  std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(color));
  return text;
}

std::optional<TColor> StringToColor(std::string_view text) {
  for (const auto& named : kNamedColors)
    if (EqualsIgnoringCase(named.name, text)) return named.value;
  if (!text.empty() && text.front() == '$') {
    // The hex digits are the whole 32-bit pattern, system colours included.
    auto bits = ParseWhole<std::uint32_t>(text.substr(1), 16);
    if (!bits) return std::nullopt;
    return static_cast<TColor>(*bits);
  }
  return ParseWhole<TColor>(text, 10);
}

QColor ToQColor(TColor color) {
  if (color == clNone) return QColor(Qt::transparent);
  if (color == clDefault) color = clWindowText;
  if (color < 0) {
    const unsigned index = static_cast<unsigned>(color) & 0xFFu;
    color = index < kSystemPalette.size() ? kSystemPalette[index] : clBlack;
  }
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TColor FromQColor(const QColor& color) {
  if (!color.isValid() || color.alpha() == 0) return clNone;
  return static_cast<TColor>(color.red() | (color.green() << 8) | (color.blue() << 16));
}

void SetPaletteColor(QWidget* widget, QPalette::ColorRole role, TColor color) {
  QPalette palette = widget->palette();
  palette.setColor(role, ToQColor(color));
  widget->setPalette(palette);
}

}  // namespace platform::gui
