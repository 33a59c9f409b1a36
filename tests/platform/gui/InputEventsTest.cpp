#include <gtest/gtest.h>

#include <QKeyEvent>
#include <optional>

#include "platform/gui/InputEvents.h"

namespace {

using namespace platform::gui;

TEST(InputEvents, KeyCharsAsTheKeyPressHandlersTakeThem) {
  struct Case {
    Qt::Key key;
    const char* utf8;
    Qt::KeyboardModifiers modifiers;
    std::optional<std::uint8_t> typed;
  };
  for (const Case& c : {Case{Qt::Key_A, "a", Qt::NoModifier, 'a'}, Case{Qt::Key_A, "A", Qt::ShiftModifier, 'A'},
                        Case{Qt::Key_Backspace, "", Qt::NoModifier, 8}, Case{Qt::Key_Return, "\r", Qt::NoModifier, 13},
                        Case{Qt::Key_Enter, "", Qt::KeypadModifier, 13}, Case{Qt::Key_Space, " ", Qt::NoModifier, 32},
                        Case{Qt::Key_N, "", Qt::ControlModifier, 14}, Case{Qt::Key_U, "\x15", Qt::ControlModifier, 21},
                        Case{Qt::Key_E, "\xC3\x89", Qt::ShiftModifier, 201}, Case{Qt::Key_unknown, "\xE2\x82\xAC", Qt::NoModifier, 128},
                        Case{Qt::Key_unknown, "\xC5\xA0", Qt::NoModifier, 138},
                        Case{Qt::Key_unknown, "\xD0\x96", Qt::NoModifier, std::nullopt},
                        Case{Qt::Key_Delete, "\x7F", Qt::NoModifier, std::nullopt},
                        Case{Qt::Key_Left, "", Qt::NoModifier, std::nullopt},
                        Case{Qt::Key_unknown, "ab", Qt::NoModifier, std::nullopt}}) {
    const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers, QString::fromUtf8(c.utf8));
    EXPECT_EQ(KeyChar(event), c.typed) << c.key << " " << c.utf8;
  }
}

TEST(InputEvents, VirtualKeyCodes) {
  struct Case { Qt::Key key; std::uint16_t code; };
  for (const Case& c : {Case{Qt::Key_Left, 37}, Case{Qt::Key_Up, 38}, Case{Qt::Key_Right, 39}, Case{Qt::Key_Down, 40},
                        Case{Qt::Key_Delete, 46}, Case{Qt::Key_Backspace, 8}, Case{Qt::Key_Return, 13},
                        Case{Qt::Key_A, 0}}) {
    const QKeyEvent event(QEvent::KeyPress, c.key, Qt::NoModifier);
    EXPECT_EQ(VirtualKeyOf(event), c.code) << c.key;
  }
}

TEST(InputEvents, ShiftStateAndButtons) {
  EXPECT_EQ(ShiftStateOf(Qt::NoModifier, Qt::LeftButton), TShiftState{ssLeft});
  EXPECT_EQ(ShiftStateOf(Qt::ShiftModifier | Qt::ControlModifier, Qt::RightButton | Qt::MiddleButton),
            TShiftState{ssShift | ssCtrl | ssRight | ssMiddle});
  EXPECT_EQ(ShiftStateOf(Qt::AltModifier, Qt::BackButton), TShiftState{ssAlt | ssMiddle});
  EXPECT_EQ(MouseButtonOf(Qt::LeftButton), TMouseButton::mbLeft);
  EXPECT_EQ(MouseButtonOf(Qt::RightButton), TMouseButton::mbRight);
  EXPECT_EQ(MouseButtonOf(Qt::ForwardButton), TMouseButton::mbMiddle);
}

}  // namespace
