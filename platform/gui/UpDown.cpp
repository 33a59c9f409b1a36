#include "platform/gui/UpDown.h"

#include <QKeyEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace platform::gui {

namespace {

QToolButton* ArrowButton(Qt::ArrowType arrow, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setArrowType(arrow);
  button->setAutoRepeat(true);
  // The keyboard stays in the edit, where the arrow keys step.
  button->setFocusPolicy(Qt::NoFocus);
  button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  return button;
}

}  // namespace

TUpDown::TUpDown(QLineEdit* associate, int min, int max, QWidget* parent)
    : QWidget(parent),
      associate_(associate),
      min_(min),
      max_(max),
      position_(min),
      up_(ArrowButton(Qt::UpArrow, this)),
      down_(ArrowButton(Qt::DownArrow, this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(up_);
  layout->addWidget(down_);
  QObject::connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
  QObject::connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
  associate_->installEventFilter(this);
}

void TUpDown::SetPosition(int position) {
  position_ = std::clamp(position, min_, max_);
  associate_->setText(QString::number(position_));
}

void TUpDown::Step(int by) {
  bool isNumber = false;
  const int typed = associate_->text().trimmed().toInt(&isNumber);
  SetPosition((isNumber && typed >= min_ && typed <= max_ ? typed : position_) + by);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == associate_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Step(key == Qt::Key_Up ? 1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace platform::gui
