#pragma once
// The class library's colour grid: the sixteen named colours in four rows of four. Releasing a
// mouse button over it reports the button and the point; ColorAt names the colour there.

#include <QWidget>
#include <functional>
#include <optional>

#include "platform/gui/Colors.h"

namespace platform::gui {

class TColorGrid : public QWidget {
 public:
  explicit TColorGrid(QWidget* parent = nullptr);

  // The colour under a point of the grid; nothing outside its cells.
  std::optional<TColor> ColorAt(QPoint point) const;
  // The centre of a colour's cell.
  QPoint CellCentre(TColor color) const;

  std::function<void(Qt::MouseButton, QPoint)> OnMouseUp;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace platform::gui
