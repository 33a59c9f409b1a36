#include "app/clues/CluesDBUnit.h"

#include <QVBoxLayout>

#include "app/clues/AnswerText.h"
#include "app/clues/XwdAutoUnit.h"
#include "app/puzzle/XwdProcsUnit.h"

TCluesDBForm* CluesDBForm = nullptr;

TCluesDBForm::TCluesDBForm() : NoTableLbl(new QLabel("The clue database table is not available.", this)) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  NoTableLbl->setAlignment(Qt::AlignCenter);
  NoTableLbl->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(NoTableLbl);
  resize(240, 160);
}

void TCluesDBForm::LookupEntry(const std::string& Word) { SetCaption(AnswerForDisplay(Word)); }

void TCluesDBForm::FormShow() {
  LookupEntry(XwdProcs->GetEntryWord(AutoclueForm->CurX, AutoclueForm->CurY, AutoclueForm->CurDir));
}

void TCluesDBForm::FormHide() { AutoclueForm->UpdateClueBar(); }
