#include "platform/gui/ListBox.h"

#include "platform/gui/Form.h"
#include "platform/gui/InputEvents.h"

namespace platform::gui {

TListBox::TListBox(QWidget* parent) : QListWidget(parent) {
  QObject::connect(this, &QListWidget::itemClicked, this, Handler([this] {
                     if (OnClick) OnClick();
                   }));
}

void TListBox::keyPressEvent(QKeyEvent* event) {
  if (OnKeyPress) {
    if (const auto typed = KeyChar(*event)) {
      std::uint8_t key = *typed;
      Guard([&] { OnKeyPress(key); });
      if (key == 0) return;
    }
  }
  const int before = currentRow();
  QListWidget::keyPressEvent(event);
  if (currentRow() != before && OnClick) Guard(OnClick);
}

}  // namespace platform::gui
