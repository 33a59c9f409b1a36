#include "app/tools/XwdAboutUnit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLocale>
#include <QVBoxLayout>

#include "app/tools/UResources.h"
#include "platform/gui/Dialogs.h"
#include "platform/os/PhysicalMemory.h"

using namespace platform::gui;

TXwdAboutForm* XwdAboutForm = nullptr;

QString MemoryText(std::uint64_t Bytes) {
  // The user's digit grouping; the C locale's is the comma.
  QLocale locale;
  locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
  return locale.toString(static_cast<qulonglong>(Bytes / 1024)) + " KB";
}

TXwdAboutForm::TXwdAboutForm()
    : ProgramIcon(new QLabel(this)),
      ProductName(new QLabel("Quillmere Demo", this)),
      Comments(new QLabel("Crossword puzzles to construct and to solve,\nwith a shared clue database.", this)),
      MemoryLbl(new QLabel("Memory Available to Windows:", this)),
      PhysMem(new QLabel(this)),
      FreeRes(new QLabel(this)),
      OKButton(new QPushButton("OK", this)) {
  SetCaption("About Quillmere Demo");
  ProgramIcon->setPixmap(QPixmap(QStringLiteral(":/pictures/logo.png")));
  QFont nameFont = ProductName->font();
  nameFont.setPointSize(14);
  nameFont.setBold(true);
  ProductName->setFont(nameFont);

  auto* figures = new QGridLayout;
  figures->addWidget(MemoryLbl, 0, 0);
  figures->addWidget(PhysMem, 0, 1, Qt::AlignRight);
  figures->addWidget(FreeRes, 1, 1, Qt::AlignRight);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(OKButton);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ProgramIcon, 0, Qt::AlignHCenter);
  layout->addWidget(ProductName, 0, Qt::AlignHCenter);
  layout->addWidget(Comments, 0, Qt::AlignHCenter);
  layout->addSpacing(8);
  layout->addLayout(figures);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  OKButton->setDefault(true);
  QObject::connect(OKButton, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });
}

void TXwdAboutForm::FormShow() {
  PhysMem->setText(MemoryText(platform::os::TotalPhysicalMemory()));
  FreeRes->setText(QString("%1% Free").arg(GetFreeSystemResources()));
}
