#include "app/tools/XwdClockUnit.h"

#include <QHBoxLayout>
#include <QStyle>

#include "platform/gui/SystemMetrics.h"

TXwdClockForm* XwdClockForm = nullptr;

namespace {

const QString kPauseHint = QStringLiteral("Pause clock");
const QString kContinueHint = QStringLiteral("Continue clock");
const QString kResetHint = QStringLiteral("Reset clock");

}  // namespace

TXwdClockForm::TXwdClockForm()
    : Timer1(new QTimer(this)),
      TimeLbl(new QLabel("0:00:00", this)),
      ClockBtn(new QToolButton(this)),
      ResetBtn(new QToolButton(this)) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  SetCaption("Clock");
  Timer1->setInterval(1000);
  QFont font = TimeLbl->font();
  font.setPointSize(14);
  font.setBold(true);
  TimeLbl->setFont(font);
  TimeLbl->setAlignment(Qt::AlignCenter);
  ClockBtn->setIcon(style()->standardIcon(QStyle::SP_MediaPause));
  ResetBtn->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
  ClockBtn->setToolTip(kPauseHint);
  ResetBtn->setToolTip(kResetHint);
  for (QToolButton* button : {ClockBtn, ResetBtn}) {
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
  }
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(TimeLbl, 1);
  layout->addWidget(ClockBtn);
  layout->addWidget(ResetBtn);
  resize(sizeHint());

  QObject::connect(Timer1, &QTimer::timeout, this, platform::gui::Handler([this] { Timer1Timer(); }));
  QObject::connect(ClockBtn, &QToolButton::clicked, this, platform::gui::Handler([this] { ClockBtnClick(); }));
  QObject::connect(ResetBtn, &QToolButton::clicked, this, platform::gui::Handler([this] { ResetBtnClick(); }));
}

void TXwdClockForm::FormShow() {
  PlaceAtBottomLeft();
  // A clock shown again runs, whatever state it was hidden in.
  SetPaused(false);
  seconds_ = 0;
  hours_ = 0;
  ShowTime();
}

void TXwdClockForm::PlaceAtBottomLeft() {
  using namespace platform::gui;
  SetBounds(8, GetSystemMetrics(SM_CYSCREEN) - Height() - 8, Width(), Height(), ScreenFit::Whole);
}

// Placed before its frame was known, the clock left the frame out of its height.
void TXwdClockForm::FormFramed() { PlaceAtBottomLeft(); }

void TXwdClockForm::StopClock() { SetPaused(true); }

void TXwdClockForm::Timer1Timer() {
  if (++seconds_ == 3600) {
    seconds_ = 0;
    hours_ = (hours_ + 1) % 10;
  }
  ShowTime();
}

void TXwdClockForm::ShowTime() {
  TimeLbl->setText(QStringLiteral("%1:%2:%3")
                       .arg(hours_)
                       .arg(seconds_ / 60, 2, 10, QLatin1Char('0'))
                       .arg(seconds_ % 60, 2, 10, QLatin1Char('0')));
}

void TXwdClockForm::ClockBtnClick() { SetPaused(ClockBtn->toolTip() == kPauseHint); }

void TXwdClockForm::SetPaused(bool paused) {
  ClockBtn->setToolTip(paused ? kContinueHint : kPauseHint);
  ClockBtn->setIcon(style()->standardIcon(paused ? QStyle::SP_MediaPlay : QStyle::SP_MediaPause));
  if (paused)
    Timer1->stop();
  else
    Timer1->start();
  ResetBtn->setEnabled(!paused);
  ResetBtn->setToolTip(paused ? QString() : kResetHint);
}

void TXwdClockForm::ResetBtnClick() {
  seconds_ = 0;
  hours_ = 0;
  ShowTime();
}
