#include "app/tools/XwdPrefUnit.h"

#include <QVBoxLayout>

TXwdPrefForm* XwdPrefForm = nullptr;

TXwdPrefForm::TXwdPrefForm() : ViewChk(new QCheckBox("Change Screen Layout", this)) {
  SetCaption("Quillmere Preferences");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ViewChk);
}
