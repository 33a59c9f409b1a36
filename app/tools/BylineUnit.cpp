#include "app/tools/BylineUnit.h"

#include <QHBoxLayout>
#include <QLabel>

#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/AnsiValidator.h"
#include "platform/gui/Dialogs.h"

TBylineForm* BylineForm = nullptr;

TBylineForm::TBylineForm()
    : BylineEdit(new QLineEdit(this)),
      CancelBtn(new QPushButton("&Cancel", this)),
      SaveBtn(new QPushButton("&Save", this)) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  SetCaption("Puzzle Byline");
  BylineEdit->setMaxLength(MaxStringLength - 2);
  BylineEdit->setValidator(new platform::gui::AnsiValidator(BylineEdit));
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(new QLabel("By:", this));
  layout->addWidget(BylineEdit, 1);
  layout->addWidget(CancelBtn);
  layout->addWidget(SaveBtn);
  SetCancelButton(CancelBtn);
  SetDefaultButton(SaveBtn);
  QObject::connect(CancelBtn, &QPushButton::clicked, this,
                   platform::gui::Handler([this] { SetModalResult(platform::gui::mrCancel); }));
  QObject::connect(SaveBtn, &QPushButton::clicked, this, platform::gui::Handler([this] { SaveBtnClick(); }));
}

void TBylineForm::FormShow() {
  BylineEdit->setText(platform::gui::FromAnsi(XwdProcs->GetBylineName()));
  BylineEdit->selectAll();
  BylineEdit->setFocus();
}

void TBylineForm::SaveBtnClick() {
  const std::string name = platform::gui::ToAnsi(BylineEdit->text()).substr(0, MaxStringLength - 2);
  Puzzle.BylineText.Assign(name + "|" + std::to_string(XwdProcs->GetGridLanguage()));
  PuzzleModified = 1;
  SetModalResult(platform::gui::mrOk);
}
