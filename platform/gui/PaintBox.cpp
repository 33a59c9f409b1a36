#include "platform/gui/PaintBox.h"

#include <QPainter>

#include "platform/gui/Form.h"
#include "platform/gui/QtCanvas.h"

namespace platform::gui {

void TPaintBox::paintEvent(QPaintEvent*) {
  if (!OnPaint) return;
  QPainter painter(this);
  QtCanvas canvas(painter);
  Guard([&] { OnPaint(canvas); });
}

}  // namespace platform::gui
