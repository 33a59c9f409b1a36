#include "app/grid/XwdClueUnit.h"

#include <QVBoxLayout>

#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/AnsiText.h"

TCluesForm* CluesForm = nullptr;

TCluesForm::TCluesForm() : ClueList(new QListWidget(this)) {
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  SetCaption("Clues");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(ClueList);
}

void TCluesForm::SetItemIndex(int index) {
  ClueList->setCurrentRow(index);
  if (index < 0) ClueList->clearSelection();
}

std::string TCluesForm::SelectedClue() const {
  const QListWidgetItem* item = ClueList->currentItem();
  return item ? platform::gui::ToAnsi(item->text()) : std::string();
}

void TCluesForm::LoadCluePrefs() {}
void TCluesForm::RestoreCluesBounds() {}

void TCluesForm::FormCloseQuery(bool& CanClose) { CanClose = AllowChildClose != 0; }
