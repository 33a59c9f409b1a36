#include "platform/gui/Form.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
#include <QTimer>
#include <exception>
#include <utility>

#include "platform/gui/Dialogs.h"

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

void TForm::SetBounds(int left, int top, int width, int height) {
  const QRect outer(left, top, width, height);
  if (FrameKnown())
    pendingBounds_.reset();
  else
    pendingBounds_ = PendingBounds{outer, width == Width(), height == Height()};
  ApplyBounds(outer);
}

bool TForm::FrameKnown() const { return frameGeometry() != geometry(); }

void TForm::ApplyBounds(const QRect& outer) {
  // The client rectangle lies inside the frame by the frame's margins.
  const QRect frame = frameGeometry();
  const QRect client = geometry();
  setGeometry(outer.left() + client.left() - frame.left(), outer.top() + client.top() - frame.top(),
              outer.width() - (frame.width() - client.width()), outer.height() - (frame.height() - client.height()));
}

void TForm::FormFramed() {
  if (!pendingBounds_) return;
  const PendingBounds pending = *std::exchange(pendingBounds_, std::nullopt);
  QRect outer = pending.outer;
  const QSize frame = frameGeometry().size();
  if (pending.ownWidth) outer.setWidth(frame.width());
  if (pending.ownHeight) outer.setHeight(frame.height());
  ApplyBounds(outer);
}

int TForm::Left() const { return frameGeometry().left(); }
int TForm::Top() const { return frameGeometry().top(); }
int TForm::Width() const { return frameGeometry().width(); }
int TForm::Height() const { return frameGeometry().height(); }

QSize TForm::MinimumBounds() const { return minimumSize() + frameGeometry().size() - geometry().size(); }

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
  // The window manager frames a window when it maps it: the first of these events after that
  // finds the frame. The bounds are applied once the event is over.
  switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Paint:
    case QEvent::WindowActivate:
      if (pendingBounds_ && FrameKnown()) {
        QTimer::singleShot(0, this, [this] {
          if (!pendingBounds_ || !FrameKnown()) return;
          Guard([this] { FormFramed(); });
          pendingBounds_.reset();
        });
      }
      break;
    default:
      break;
  }
  return handled;
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
