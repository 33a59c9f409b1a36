#include "app/output/XwdPrintUnit.h"

#include <QVBoxLayout>

TXwdPrintForm* XwdPrintForm = nullptr;

TXwdPrintForm::TXwdPrintForm() : TitleEdit(new QLineEdit(this)) {
  SetCaption("Print Puzzle");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(TitleEdit);
}

void TXwdPrintForm::QuickPrintPuzzle() {}
