#include "platform/gui/MessageWindow.h"

#include <QApplication>
#include <QFontMetrics>
#include <QVBoxLayout>

#include "platform/gui/Colors.h"

namespace platform::gui {

namespace {

constexpr int kBevel = 2;

Qt::WindowFlags FlagsFor(bool captioned) {
  return Qt::WindowStaysOnTopHint | (captioned ? Qt::Dialog : Qt::Tool | Qt::FramelessWindowHint);
}

}  // namespace

MessageWindow::MessageWindow() : TextPanel(new QLabel), outerPanel_(new QFrame(this)) {
  setWindowFlags(FlagsFor(false));
  // It shows progress; the keyboard stays where the user works.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAutoFillBackground(true);
  SetPaletteColor(this, QPalette::Window, clYellow);
  outerPanel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  outerPanel_->setLineWidth(kBevel);
  TextPanel->setFrameStyle(QFrame::Box | QFrame::Plain);
  TextPanel->setAlignment(Qt::AlignCenter);
  auto* inner = new QVBoxLayout(outerPanel_);
  inner->setContentsMargins(kBevel, kBevel, kBevel, kBevel);
  inner->addWidget(TextPanel);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(outerPanel_);
}

QSize MessageWindow::TextSize(const QString& text, const QString& fontName) {
  QFont font = QApplication::font();
  if (!fontName.isEmpty()) font.setFamily(fontName);
  const QFontMetrics metrics(font);
  return {metrics.horizontalAdvance(text), metrics.height()};
}

void MessageWindow::Place(const QRect& bounds, const QString& caption) {
  const bool captioned = !caption.isEmpty();
  if (windowFlags() != FlagsFor(captioned)) setWindowFlags(FlagsFor(captioned));
  SetCaption(caption);
  // The bevel is the border of a window without a caption.
  outerPanel_->setFrameStyle(captioned ? QFrame::NoFrame : QFrame::Panel | QFrame::Raised);
  outerPanel_->layout()->setContentsMargins(captioned ? QMargins() : QMargins(kBevel, kBevel, kBevel, kBevel));
  // Shown first, so that the frame is known where the platform gives it at once.
  show();
  SetBounds(bounds.left(), bounds.top(), bounds.width(), bounds.height());
  raise();
}

void MessageWindow::ShowText(const QString& text) {
  TextPanel->setText(text);
  TextPanel->repaint();
}

QWidget* ActiveApplicationWindow() { return QApplication::activeWindow(); }

}  // namespace platform::gui
