#pragma once
// The class library's paint box: a plain area whose owner draws it through a canvas whenever it
// is painted.

#include <QWidget>
#include <functional>

#include "platform/gui/Canvas.h"

namespace platform::gui {

class TPaintBox : public QWidget {
 public:
  explicit TPaintBox(QWidget* parent = nullptr) : QWidget(parent) {}

  // Draws the whole area; called on every paint with a canvas on the widget.
  std::function<void(Canvas&)> OnPaint;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace platform::gui
