#include "app/tools/ScoreUnit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

#include "app/grid/XwdGridUnit.h"
#include "app/puzzle/SFXUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "app/tools/XwdClockUnit.h"
#include "platform/gui/Colors.h"
#include "platform/gui/Dialogs.h"

using namespace platform::gui;

TScoreForm* ScoreForm = nullptr;

namespace {

void SetBanner(QLabel* banner, const QString& text, TColor color) {
  banner->setText(text);
  SetPaletteColor(banner, QPalette::WindowText, color);
}

}  // namespace

bool IsPuzzleSolved(const TXwdPuzzle& p) {
  for (int x = 1; x <= p.GridSize; ++x)
    for (int y = 1; y <= p.GridSize; ++y)
      if (p.Solution(x, y) != BlackSquare && p.Solution(x, y) != p.Entries(x, y)) return false;
  return true;
}

TScoreForm::TScoreForm()
    : Picture(new QLabel(this)),
      BannerLbl(new QLabel(this)),
      CheatLbl(new QLabel("(but you cheated)", this)),
      StartOverBtn(new QPushButton("&Start Over", this)),
      DeleteBtn(new QPushButton("&Recycle Bin", this)),
      CancelBtn(new QPushButton("&Cancel", this)),
      ShowErrsBtn(new QPushButton("Show &Errors", this)) {
  SetCaption("Score Card");
  Picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
  QFont bannerFont = BannerLbl->font();
  bannerFont.setPointSize(14);
  bannerFont.setBold(true);
  BannerLbl->setFont(bannerFont);
  BannerLbl->setAlignment(Qt::AlignCenter);
  CheatLbl->setAlignment(Qt::AlignCenter);
  CheatLbl->hide();
  DeleteBtn->setEnabled(false);
  ShowErrsBtn->setEnabled(false);

  auto* texts = new QVBoxLayout;
  texts->addWidget(BannerLbl);
  texts->addWidget(CheatLbl);
  auto* top = new QHBoxLayout;
  top->addWidget(Picture);
  top->addLayout(texts, 1);
  auto* buttons = new QGridLayout;
  buttons->addWidget(StartOverBtn, 0, 0);
  buttons->addWidget(DeleteBtn, 0, 1);
  buttons->addWidget(CancelBtn, 1, 0);
  buttons->addWidget(ShowErrsBtn, 1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);

  QObject::connect(StartOverBtn, &QPushButton::clicked, this, Handler([this] { StartOverBtnClick(); }));
  QObject::connect(DeleteBtn, &QPushButton::clicked, this, [this] { SetModalResult(mrAbort); });
  QObject::connect(CancelBtn, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
  SetCancelButton(CancelBtn);
  QObject::connect(ShowErrsBtn, &QPushButton::clicked, this, [this] { SetModalResult(mrYes); });
}

void TScoreForm::FormShow() {
  const bool solved = IsPuzzleSolved(Puzzle);
  if (!solved) {
    if (SoundLevel > 0) SoundFX->PlayWave3();
    SetBanner(BannerLbl, "PUZZLE INCORRECT!", clRed);
    CheatLbl->hide();
  } else {
    if (SoundLevel > 0) SoundFX->PlayWave2();
    // The solving time ends with the solving.
    XwdClockForm->StopClock();
    XwdGridForm->CelebrateSolved();
    SetBanner(BannerLbl, "CONGRATULATIONS!", clNavy);
    CheatLbl->setVisible(XwdGridForm->Cheated != 0);
  }
  ShowErrsBtn->setEnabled(!solved);
  DeleteBtn->setEnabled(solved);
}

void TScoreForm::StartOverBtnClick() {
  for (int x = 1; x <= Puzzle.GridSize; ++x)
    for (int y = 1; y <= Puzzle.GridSize; ++y) Puzzle.Entries(x, y) = 0;
  XwdGridForm->Repaint();
  try {
    XwdProcs->SavePuzzle(PuzzleFileName);
  } catch (const EInOutError& error) {
    // The empty grid stays in memory and is saved later.
    PuzzleModified = 1;
    XwdProcs->SoundMessage(QString::fromUtf8(error.what()));
  }
  SetModalResult(mrCancel);
}
