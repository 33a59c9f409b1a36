#pragma once
// Colours as the class library stores them: $00BBGGRR, with system colours as 0x80000000 + index.

#include <QColor>
#include <QPalette>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::gui {

using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF, clDefault = 0x20000000;

// The sixteen colours that have names, in the order of their names' table.
constexpr std::array<TColor, 16> StandardColors{clBlack, clMaroon, clGreen, clOlive, clNavy,   clPurple,
                                                clTeal,  clGray,   clSilver, clRed,  clLime,   clYellow,
                                                clBlue,  clFuchsia, clAqua,  clWhite};

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | unsigned(index)); }
constexpr TColor clWindow = SystemColor(5), clWindowText = SystemColor(8),
                 clBtnFace = SystemColor(15), clHighlight = SystemColor(13),
                 clHighlightText = SystemColor(14);

// "clNavy" for a named colour, else "$00BBGGRR" (eight hex digits).
std::string ColorToString(TColor color);
// Accepts the colour names (any case), "$" hexadecimal and decimal; nothing for other text.
std::optional<TColor> StringToColor(std::string_view text);
// System colours resolve through a fixed palette, so drawing does not depend on the desktop theme.
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

// Gives one colour role of a widget's palette the colour.
void SetPaletteColor(class QWidget* widget, QPalette::ColorRole role, TColor color);

}  // namespace platform::gui
