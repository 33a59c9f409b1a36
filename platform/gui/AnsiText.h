#pragma once
// Windows-1252 byte strings at the Qt boundary.

#include <QString>
#include <string>
#include <string_view>

namespace platform::gui {

QString FromAnsi(std::string_view ansi);
// Characters without a Windows-1252 byte become `fallback` (dropped when it is 0).
std::string ToAnsi(const QString& text, char fallback = '?');

}  // namespace platform::gui
