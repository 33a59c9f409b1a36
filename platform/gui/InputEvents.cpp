#include "platform/gui/InputEvents.h"

#include "platform/os/CodePage1252.h"

namespace platform::gui {

std::uint16_t VirtualKeyOf(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
  }
}

std::optional<std::uint8_t> KeyChar(const QKeyEvent& event) {
  const int key = event.key();
  switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Delete: return std::nullopt;
    default: break;
  }
  // Qt's text for Ctrl combinations differs between platforms.
  const Qt::KeyboardModifiers mods = event.modifiers();
  if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
    return static_cast<std::uint8_t>(key - Qt::Key_A + 1);
  const QList<uint> codes = event.text().toUcs4();
  if (codes.size() != 1) return std::nullopt;
  return os::UnicodeToAnsi(static_cast<char32_t>(codes.front()));
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  TShiftState state = 0;
  if (modifiers & Qt::ShiftModifier) state |= ssShift;
  if (modifiers & Qt::AltModifier) state |= ssAlt;
  if (modifiers & Qt::ControlModifier) state |= ssCtrl;
  if (buttons & Qt::LeftButton) state |= ssLeft;
  if (buttons & Qt::RightButton) state |= ssRight;
  if (buttons & ~(Qt::LeftButton | Qt::RightButton)) state |= ssMiddle;
  return state;
}

TMouseButton MouseButtonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return TMouseButton::mbLeft;
    case Qt::RightButton: return TMouseButton::mbRight;
    default: return TMouseButton::mbMiddle;
  }
}

}  // namespace platform::gui
