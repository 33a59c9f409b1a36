#include "app/tools/XwdMsgUnit.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QStyle>

#include "app/grid/XwdGridUnit.h"

TInfoWin* InfoWin = nullptr;

TInfoWin::TInfoWin() : Panel(new QLabel(this)), SavImg(new QLabel(this)), PntImg(new QLabel(this)) {
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  // A note does not take the keyboard: without a window manager it would not come back.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAutoFillBackground(true);
  platform::gui::SetPaletteColor(this, QPalette::Window, platform::gui::clSilver);
  SavImg->setPixmap(style()->standardPixmap(QStyle::SP_DialogSaveButton));
  PntImg->setPixmap(style()->standardPixmap(QStyle::SP_FileDialogDetailedView));
  Panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(SavImg);
  layout->addWidget(PntImg);
  layout->addWidget(Panel, 1);
  resize(230, 48);
}

void TInfoWin::FormShow() {
  SetBounds(XwdGridForm->Left() + 35, XwdGridForm->Top() + 35, Width(), Height(), platform::gui::ScreenFit::Whole);
  const char* text = nullptr;
  switch (InfoMode) {
    case 1: text = "Saving puzzle ...    "; break;
    case 2: text = "Printing puzzle ...   "; break;
    case 3: text = "Exporting puzzle ...  "; break;
    default: return;
  }
  SavImg->setVisible(InfoMode != 2);
  PntImg->setVisible(InfoMode == 2);
  Panel->setText(QString::fromLatin1(text));
}

TInfoNote::TInfoNote(std::uint8_t mode) : previouslyActive_(QApplication::activeWindow()) {
  InfoWin->InfoMode = mode;
  InfoWin->Show();
}

TInfoNote::~TInfoNote() {
  InfoWin->Hide();
  if (previouslyActive_ && previouslyActive_->isVisible()) previouslyActive_->activateWindow();
}
