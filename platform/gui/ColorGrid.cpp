#include "platform/gui/ColorGrid.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "platform/gui/Form.h"

namespace platform::gui {
namespace {

constexpr int kColumns = 4;
constexpr int kCell = 20;

}  // namespace

TColorGrid::TColorGrid(QWidget* parent) : QWidget(parent) {
  const int rows = static_cast<int>(StandardColors.size()) / kColumns;
  setFixedSize(kColumns * kCell + 1, rows * kCell + 1);
}

std::optional<TColor> TColorGrid::ColorAt(QPoint point) const {
  if (point.x() < 0 || point.y() < 0 || point.x() >= kColumns * kCell) return std::nullopt;
  const auto index = static_cast<std::size_t>(point.y() / kCell * kColumns + point.x() / kCell);
  if (index >= StandardColors.size()) return std::nullopt;
  return StandardColors[index];
}

QPoint TColorGrid::CellCentre(TColor color) const {
  const auto index = static_cast<int>(std::find(StandardColors.begin(), StandardColors.end(), color) -
                                      StandardColors.begin());
  return {index % kColumns * kCell + kCell / 2, index / kColumns * kCell + kCell / 2};
}

void TColorGrid::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(Qt::black);
  for (std::size_t i = 0; i < StandardColors.size(); ++i) {
    const int index = static_cast<int>(i);
    painter.setBrush(ToQColor(StandardColors[i]));
    painter.drawRect(index % kColumns * kCell, index / kColumns * kCell, kCell, kCell);
  }
}

void TColorGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (OnMouseUp) Guard([&] { OnMouseUp(event->button(), event->position().toPoint()); });
}

}  // namespace platform::gui
