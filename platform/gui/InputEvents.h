#pragma once
// Keyboard and mouse input as the windows' handlers take it: a key-down with its virtual key
// code, then a key-press with its Windows-1252 character; mouse buttons and the shift state.

#include <QKeyEvent>
#include <cstdint>
#include <optional>

namespace platform::gui {

// Virtual key codes of the keys the windows handle.
enum VirtualKey : std::uint16_t {
  VK_BACK = 8,
  VK_RETURN = 13,
  VK_LEFT = 37,
  VK_UP = 38,
  VK_RIGHT = 39,
  VK_DOWN = 40,
  VK_DELETE = 46,
};

// The virtual key code of a key, 0 for keys the windows do not handle by code.
std::uint16_t VirtualKeyOf(const QKeyEvent& event);

// The character a key types, as the key-press handlers receive it: Backspace 8, Return and
// Enter 13, Ctrl with a letter its control code 1..26, else the typed character in
// Windows-1252. Nothing for keys that type nothing (arrows, Delete) and for characters
// Windows-1252 does not have.
std::optional<std::uint8_t> KeyChar(const QKeyEvent& event);

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// A set of the held keys and buttons.
enum ShiftStateBit : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
using TShiftState = unsigned;

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
// Buttons beyond the three count as the middle one, in the shift state too.
TMouseButton MouseButtonOf(Qt::MouseButton button);

}  // namespace platform::gui
