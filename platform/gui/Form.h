#pragma once
// The form base: the class library's window life cycle over a Qt top-level widget.
// FormCreate runs once; FormShow and FormHide run only on programmatic Show and Hide (never on
// the window manager's own events); closing asks FormCloseQuery first. Every handler runs
// through Guard, so no exception crosses Qt's event dispatch.

#include <QAbstractButton>
#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "platform/gui/ScreenFit.h"

namespace platform::gui {

// Runs a handler; an escaped exception is reported in an error box with its text, as the class
// library's default exception report does.
void Guard(const std::function<void()>& handler);

// Wraps a handler for connecting to a Qt signal.
template <class F>
auto Handler(F f) {
  return [f]() { Guard(f); };
}

class TForm : public QWidget {
 public:
  explicit TForm(QWidget* parent = nullptr);
  ~TForm() override;

  // Runs FormCreate; called once, right after construction, by whoever creates the form.
  void Create();

  void Show();
  void Hide();
  // Asks FormCloseQuery; when closing is allowed runs FormClose and hides the form.
  // Returns whether the form closed.
  bool Close();
  // Modal run through the dialog service (scriptable in tests).
  int ShowModal();
  // The real modal loop: BeginModal, wait until ModalResult is set, EndModal.
  int ExecModal();
  // The two ends of a modal run, shared by the real loop and scripted tests: BeginModal clears
  // ModalResult, runs FormShow and shows the form application-modal; EndModal hides it (with
  // FormHide) and returns ModalResult.
  void BeginModal();
  int EndModal();

  bool Visible() const { return isVisible(); }
  int ModalResult() const { return modalResult_; }
  // Setting a result other than mrNone ends a running modal loop.
  void SetModalResult(int result);
  // The button that Escape presses, as a dialog's Cancel button. Without one Escape closes a
  // modal window, as its Close would.
  void SetCancelButton(QAbstractButton* button);
  // The button that Enter presses, as a dialog's default button, unless the keyboard is on
  // another button, which Enter then presses.
  void SetDefaultButton(QAbstractButton* button);

  // Outer bounds, frame included, set in one call. Until the window manager has framed the
  // window its frame reads as none, so the bounds are applied again once it is framed
  // (FormFramed); a width or height that was the window's own then keeps the size of its client
  // area. The window keeps to the screen as fit says, once more when its frame is known.
  void SetBounds(int left, int top, int width, int height, ScreenFit fit = ScreenFit::Reachable);
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  // The smallest outer size: the minimum size of the client area with the frame around it.
  QSize MinimumBounds() const;
  // The frame around the client area: none until the window manager has framed the window.
  QMargins FrameMargins() const;

  void SetCaption(const QString& caption) { setWindowTitle(caption); }
  QString Caption() const { return windowTitle(); }
  // The outer width that shows the whole caption in a title bar: the caption in a bold face of
  // the program's font, beside the window's icon and three buttons.
  int CaptionWidth() const;

  // Re-runs FormPaint into the back buffer (when the form keeps one) and schedules a repaint.
  void Repaint();

  // Windows that draw outside FormPaint keep a back buffer: drawing goes into it and paint
  // events copy it to the screen. It follows the client size.
  void UseBackBuffer();
  bool HasBackBuffer() const { return useBackBuffer_; }
  QImage& BackBuffer();

 protected:
  virtual void FormCreate() {}
  virtual void FormShow() {}
  virtual void FormHide() {}
  virtual void FormCloseQuery(bool& canClose) { (void)canClose; }
  virtual void FormClose() {}
  virtual void FormPaint() {}
  virtual void FormResize() {}
  // Runs when the window manager has framed the window, or changed its frame, after its bounds
  // were set; the default sets those bounds again with the frame now known.
  virtual void FormFramed();

  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The bounds set last, applied again while the window manager settles the frame.
  struct PendingBounds {
    QRect outer;
    bool ownWidth, ownHeight;  // the width or height was the window's own
    ScreenFit fit;
    QMargins frame;  // the frame they were applied with
    QRect client;    // the client area they gave
  };
  QRect OuterBounds() const;
  bool FrameKnown() const;
  void ApplyBounds(const QRect& outer, ScreenFit fit);
  // Looks at the frame for a while (afresh: for the whole while again) and runs FormFramed
  // whenever it differs from the one the bounds were applied with.
  void WatchFrame(bool afresh);

  static constexpr int kFramePollInterval = 50;  // milliseconds
  static constexpr int kFramePolls = 40;
  static constexpr int kReapplies = 3;

  std::optional<PendingBounds> pendingBounds_;
  bool created_ = false;
  bool useBackBuffer_ = false;
  bool closing_ = false;
  int modalResult_ = 0;
  QAbstractButton* defaultButton_ = nullptr;
  class QTimer* framePoll_ = nullptr;
  int framePolls_ = 0;
  bool mapping_ = false;  // shown, and the frame not yet settled
  int reapplies_ = 0;     // bounds applied again as the window manager put the window back
  QImage backBuffer_;
  class ModalLoop;
  ModalLoop* modalLoop_ = nullptr;
};

}  // namespace platform::gui
