#pragma once
// A small pop-up that shows one line of text while the program works: yellow and above every
// other window. Without a caption it has no border and a bevelled panel around the text; with
// one it has a dialog border. Whoever uses it measures the text with TextSize, places the window
// (Place) and shows the text (ShowText), which is painted at once.

#include <QFrame>
#include <QLabel>
#include <QString>

#include "platform/gui/Form.h"

namespace platform::gui {

class MessageWindow : public TForm {
 public:
  MessageWindow();

  // The size of a text in the window's font, or in the named font of the same size.
  static QSize TextSize(const QString& text, const QString& fontName = {});

  // Outer bounds, frame included; shows the window.
  void Place(const QRect& bounds, const QString& caption);
  void ShowText(const QString& text);

  QLabel* TextPanel;

 private:
  QFrame* outerPanel_;
};

// The application window that has the focus now; null when none has.
QWidget* ActiveApplicationWindow();

}  // namespace platform::gui
