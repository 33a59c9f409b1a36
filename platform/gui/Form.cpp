#include "platform/gui/Form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QWindow>
#include <exception>
#include <utility>

#include "platform/gui/Dialogs.h"
#include "platform/gui/SystemMetrics.h"

namespace platform::gui {

void Guard(const std::function<void()>& handler) {
  QString report;
  try {
    handler();
    return;
  } catch (const std::exception& error) {
    report = QString::fromUtf8(error.what());
  } catch (...) {
    report = QStringLiteral("Unknown error.");
  }
  // The report itself must not throw into Qt either.
  try {
    CurrentDialogs().MessageDlg(report, MsgDlgType::Error, mbOK);
  } catch (...) {
  }
}

class TForm::ModalLoop : public QEventLoop {};

TForm::TForm(QWidget* parent) : QWidget(parent, Qt::Window) {}

TForm::~TForm() = default;

void TForm::Create() {
  if (created_) return;
  created_ = true;
  // Only a window that exists on the platform knows its frame: create it now, so that outer
  // bounds read and set before the first show hold.
  winId();
  Guard([this] { FormCreate(); });
}

void TForm::Show() {
  if (!isVisible()) {
    Guard([this] { FormShow(); });
    show();
  }
  raise();
  // A window shown without activating (a note) leaves the keyboard where it is.
  if (!testAttribute(Qt::WA_ShowWithoutActivating)) activateWindow();
}

void TForm::Hide() {
  if (!isVisible()) return;
  hide();
  Guard([this] { FormHide(); });
  // A modal run cannot go on without its window.
  if (modalLoop_) modalLoop_->quit();
}

bool TForm::Close() {
  if (closing_) return false;
  closing_ = true;
  bool canClose = false;
  Guard([&] {
    bool allowed = true;
    FormCloseQuery(allowed);
    canClose = allowed;
  });
  if (canClose) {
    Guard([this] { FormClose(); });
    if (windowModality() == Qt::ApplicationModal && modalResult_ == mrNone) modalResult_ = mrCancel;
    Hide();
  }
  closing_ = false;
  return canClose;
}

int TForm::ShowModal() { return CurrentDialogs().ShowModal(*this); }

int TForm::ExecModal() {
  BeginModal();
  // FormShow may already have decided the result.
  if (modalResult_ == mrNone && isVisible()) {
    ModalLoop loop;
    ModalLoop* outer = std::exchange(modalLoop_, &loop);
    loop.exec();
    modalLoop_ = outer;
  }
  return EndModal();
}

void TForm::BeginModal() {
  modalResult_ = mrNone;
  setWindowModality(Qt::ApplicationModal);
  Show();
}

int TForm::EndModal() {
  Hide();
  setWindowModality(Qt::NonModal);
  return modalResult_;
}

void TForm::SetModalResult(int result) {
  modalResult_ = result;
  if (result != mrNone && modalLoop_) modalLoop_->quit();
}

void TForm::SetCancelButton(QAbstractButton* button) {
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  QObject::connect(escape, &QShortcut::activated, button, &QAbstractButton::click);
}

void TForm::SetDefaultButton(QAbstractButton* button) {
  defaultButton_ = button;
  if (auto* push = qobject_cast<QPushButton*>(button)) push->setDefault(true);
}

void TForm::SetBounds(int left, int top, int width, int height, ScreenFit fit) {
  const QRect outer(left, top, width, height);
  // The same size asked for again keeps its meaning: a size the window had only because it was
  // asked for before its frame was known is no size of its own.
  const bool again = pendingBounds_ && pendingBounds_->outer.size() == outer.size();
  const bool ownWidth = again ? pendingBounds_->ownWidth : width == Width();
  const bool ownHeight = again ? pendingBounds_->ownHeight : height == Height();
  pendingBounds_ = PendingBounds{outer, ownWidth, ownHeight, fit, FrameMargins(), {}};
  ApplyBounds(outer, fit);
  pendingBounds_->client = geometry();
  WatchFrame(false);
}

QMargins TForm::FrameMargins() const {
  // Asked of the platform window: the widget's own idea of its frame can lag behind it. While
  // the window manager is still building the frame (at first a single pixel) the margins read
  // negative: no frame yet.
  const QWindow* window = windowHandle();
  const QMargins margins = window ? window->frameMargins() : QMargins();
  if (margins.left() < 0 || margins.top() < 0 || margins.right() < 0 || margins.bottom() < 0) return {};
  return margins;
}

QRect TForm::OuterBounds() const { return geometry().marginsAdded(FrameMargins()); }

bool TForm::FrameKnown() const { return !FrameMargins().isNull(); }

void TForm::ApplyBounds(const QRect& wanted, ScreenFit fit) {
  const QMargins frame = FrameMargins();
  // Until the frame is known the title bar is as high as the system says captions are.
  const int title = FrameKnown() ? frame.top() : GetSystemMetrics(SM_CYCAPTION);
  setGeometry(FitToScreen(wanted, MetricsScreen(), title, fit).marginsRemoved(frame));
}

void TForm::FormFramed() {
  if (!pendingBounds_) return;
  const PendingBounds& pending = *pendingBounds_;
  QRect outer = pending.outer;
  const QSize framed = OuterBounds().size();
  if (pending.ownWidth) outer.setWidth(framed.width());
  if (pending.ownHeight) outer.setHeight(framed.height());
  ApplyBounds(outer, pending.fit);
}

int TForm::Left() const { return OuterBounds().left(); }
int TForm::Top() const { return OuterBounds().top(); }
int TForm::Width() const { return OuterBounds().width(); }
int TForm::Height() const { return OuterBounds().height(); }

int TForm::CaptionWidth() const {
  QFont title = QApplication::font();
  title.setBold(true);
  constexpr int kTitleBarItems = 4;  // the icon and three buttons, each a square of the bar
  constexpr int kTitleBarPadding = 24;
  return QFontMetrics(title).horizontalAdvance(Caption()) + kTitleBarItems * GetSystemMetrics(SM_CYCAPTION) +
         kTitleBarPadding;
}

QSize TForm::MinimumBounds() const { return minimumSize().grownBy(FrameMargins()); }

void TForm::Repaint() {
  if (useBackBuffer_) Guard([this] { FormPaint(); });
  update();
}

void TForm::UseBackBuffer() {
  useBackBuffer_ = true;
  BackBuffer();
}

QImage& TForm::BackBuffer() {
  // An empty image cannot be painted on, so the buffer is at least one pixel.
  const QSize wanted = size().expandedTo(QSize(1, 1));
  if (useBackBuffer_ && backBuffer_.size() != wanted) {
    QImage grown(wanted, QImage::Format_ARGB32_Premultiplied);
    grown.fill(Qt::white);
    if (!backBuffer_.isNull()) {
      QPainter painter(&grown);
      painter.drawImage(0, 0, backBuffer_);
    }
    backBuffer_ = std::move(grown);
  }
  return backBuffer_;
}

bool TForm::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Paint:
    case QEvent::WindowActivate:
      if (event->type() == QEvent::Show) {
        mapping_ = true;
        reapplies_ = 0;
      }
      if (pendingBounds_) WatchFrame(event->type() == QEvent::Show);
      break;
    default:
      break;
  }
  return handled;
}

void TForm::WatchFrame(bool afresh) {
  // The window manager frames a window when it maps it, and while it builds the frame the
  // margins read wrong for a moment; a frame that leaves the client where it was sends no
  // event. So the frame is looked at for a while after bounds are set and the window shown.
  if (!framePoll_) {
    framePoll_ = new QTimer(this);
    framePoll_->setInterval(kFramePollInterval);
    QObject::connect(framePoll_, &QTimer::timeout, this, [this] {
      // While the window is being mapped the window manager may still answer an earlier
      // request, which puts the window back where it stood before the frame was known.
      const bool framed = pendingBounds_ && FrameMargins() != pendingBounds_->frame;
      const bool putBack = pendingBounds_ && mapping_ && reapplies_ < kReapplies && FrameKnown() &&
                           geometry() != pendingBounds_->client;
      if (framed || putBack) {
        if (putBack) ++reapplies_;
        Guard([this] { FormFramed(); });
        if (pendingBounds_) {
          pendingBounds_->frame = FrameMargins();
          pendingBounds_->client = geometry();
        }
      }
      if (!pendingBounds_ || --framePolls_ <= 0) {
        framePoll_->stop();
        pendingBounds_.reset();
        mapping_ = false;
      }
    });
  }
  if (afresh || !framePoll_->isActive()) framePolls_ = kFramePolls;
  if (!framePoll_->isActive()) framePoll_->start();
}

void TForm::closeEvent(QCloseEvent* event) {
  // Accepting tells Qt the window closed; it is already hidden, through Hide.
  if (Close())
    event->accept();
  else
    event->ignore();
}

void TForm::keyPressEvent(QKeyEvent* event) {
  // As in Qt's dialogs: a modal window closes with Escape, its run cancelled.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
      windowModality() == Qt::ApplicationModal) {
    Close();
    return;
  }
  // Enter presses the button that has the keyboard, else the default button; the keys reach
  // the form only when the control that has the keyboard left them (a one-line edit does).
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    QAbstractButton* focused = qobject_cast<QPushButton*>(focusWidget());
    QAbstractButton* pressed = focused ? focused : defaultButton_;
    if (pressed && pressed->isVisible() && pressed->isEnabled()) {
      pressed->click();
      return;
    }
  }
  QWidget::keyPressEvent(event);
}

void TForm::paintEvent(QPaintEvent*) {
  if (useBackBuffer_) {
    QPainter painter(this);
    painter.drawImage(0, 0, BackBuffer());
  } else {
    Guard([this] { FormPaint(); });
  }
}

void TForm::resizeEvent(QResizeEvent*) {
  if (useBackBuffer_) BackBuffer();
  Guard([this] { FormResize(); });
}

}  // namespace platform::gui
