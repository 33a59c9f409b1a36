#include "app/clues/CluesDBUnit.h"

#include <QEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "app/clues/AnswerText.h"
#include "app/clues/ToolBarButton.h"
#include "app/clues/XwdAutoUnit.h"
#include "app/puzzle/WindowSettings.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/db/DbErrors.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/Colors.h"

using namespace platform::gui;

TCluesDBForm* CluesDBForm = nullptr;

namespace {

const QString kToolsSettingsKey = QStringLiteral("Software\\Quillmere32\\Tools");
const QString kBusy = QStringLiteral("The clue database is busy: another program is writing to it. Try again in a moment.");

}  // namespace

TCluesDBForm::TCluesDBForm()
    : ClueList(new QListWidget(this)),
      NoFindLbl(new QLabel("No Definitions!", ClueList->viewport())),
      ToolBar1(new QToolBar(this)),
      PrevBtn(AddToolBarButton(ToolBar1, style()->standardIcon(QStyle::SP_ArrowLeft), "<", "Previous entry")),
      NextBtn(AddToolBarButton(ToolBar1, style()->standardIcon(QStyle::SP_ArrowRight), ">", "Next entry")) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  // Its own colour, whatever colour the list's font setting gives the list's text.
  NoFindLbl->setStyleSheet("QLabel { color: " + ToQColor(clRed).name() + "; }");
  NoFindLbl->hide();
  ClueList->viewport()->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(ToolBar1);
  layout->addWidget(ClueList);
  resize(320, 240);
  CluesDBF.SetName("CluesDBF");
  DataSource1.DataSet = &CluesDBF;
  SetClueTable(nullptr);

  QObject::connect(PrevBtn, &QAbstractButton::clicked, this, Handler([this] { PrevBtnClick(); }));
  QObject::connect(NextBtn, &QAbstractButton::clicked, this, Handler([this] { NextBtnClick(); }));
  QObject::connect(ClueList, &QListWidget::itemClicked, this, Handler([this] { ClueListMouseUp(); }));
}

TCluesDBForm::~TCluesDBForm() = default;

void TCluesDBForm::SetClueTable(TClueTable* table) {
  CloseTable();
  table_ = table != nullptr ? table : &clueTable_;
  vault_ = std::make_unique<TClueVault>(*table_);
  vault_->Pause = [](int milliseconds) { XwdProcs->Pause(milliseconds); };
}

// ---- Opening and closing

void TCluesDBForm::FormShow() {
  CentreNoFindLbl();
  CloseTable();
  QString path;
  {
    // The clue database's settings are the companion programs'.
    const TSettingsKeySwitch toolsKey(kToolsSettingsKey);
    path = XwdProcs->ReadSetting("VaultDataFile", "");
    ApplyFontSetting(ClueList, ReadFontSetting("Vault", {"clBlack", "Courier New", 11, 0}));
  }
  RunTableOperation([&] {
    const std::string failure = table_->Open(path.toStdString());
    if (!failure.empty()) {
      XwdProcs->SoundMessage(QString::fromStdString(failure));
      return;
    }
    tableOpen_ = true;
  });
  AutoclueForm->UpdateClueBar();
  LookupEntry(XwdProcs->GetEntryWord(AutoclueForm->CurX, AutoclueForm->CurY, AutoclueForm->CurDir));
}

void TCluesDBForm::FormHide() { AutoclueForm->UpdateClueBar(); }

void TCluesDBForm::CloseTable() {
  tableOpen_ = false;
  if (table_ == nullptr) return;  // before the first table is set
  try {
    table_->Close();
  } catch (const std::exception&) {
    // Closing after a table error: the error has been shown.
  }
}

void TCluesDBForm::RunTableOperation(const std::function<void()>& operation) {
  try {
    operation();
    return;
  } catch (const platform::db::EAbort&) {
    // The library has shown its box.
  } catch (const std::exception& error) {
    XwdProcs->SoundMessage(FromAnsi(error.what()));
  }
  CloseTable();
  ClueList->clear();
  NoFindLbl->hide();
  AutoclueForm->UpdateClueBar();
}

// ---- Showing entries

void TCluesDBForm::FormResize() { CentreNoFindLbl(); }

bool TCluesDBForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ClueList->viewport() && event->type() == QEvent::Resize) CentreNoFindLbl();
  return TForm::eventFilter(watched, event);
}

void TCluesDBForm::CentreNoFindLbl() {
  // The label takes the list's font: its size follows it.
  NoFindLbl->adjustSize();
  const QWidget* list = ClueList->viewport();
  NoFindLbl->move((list->width() - NoFindLbl->width()) / 2, (list->height() - NoFindLbl->height()) / 2);
}

void TCluesDBForm::ShowEntry(const TClueEntry& entry) {
  SetCaption(AnswerForDisplay(entry.Word));
  ClueList->clear();
  for (const std::string& clue : entry.Clues) ClueList->addItem(FromAnsi(clue));
  if (!entry.Found) CentreNoFindLbl();
  NoFindLbl->setVisible(!entry.Found);
}

void TCluesDBForm::LookupEntry(const std::string& Word) {
  NoFindLbl->hide();
  SetCaption(AnswerForDisplay(Word));
  ClueList->clear();
  if (!tableOpen_) return;
  RunTableOperation([&] { ShowEntry(vault_->LookupEntry(Word)); });
}

void TCluesDBForm::NextBtnClick() {
  if (tableOpen_) RunTableOperation([&] { ShowEntry(vault_->NextEntry()); });
}

void TCluesDBForm::PrevBtnClick() {
  if (tableOpen_) RunTableOperation([&] { ShowEntry(vault_->PriorEntry()); });
}

void TCluesDBForm::ClueListMouseUp() {
  if (ClueList->count() == 0 || ClueList->currentItem() == nullptr) return;
  AutoclueForm->DefEdit->setText(ClueList->currentItem()->text());
}

// ---- Adding

void TCluesDBForm::AddClue(const std::string& Clue) {
  if (!tableOpen_ || !TClueVault::IsCompleteWord(vault_->Entry().Word)) return;
  // The list's own search for the whole line ignores case.
  if (!ClueList->findItems(FromAnsi(Clue), Qt::MatchFixedString).isEmpty()) return;
  RunTableOperation([&] {
    const TClueAddResult result = vault_->AddClue(Clue);
    ShowEntry(vault_->Entry());
    if (result == TClueAddResult::Busy) XwdProcs->SoundMessage(kBusy);
    if (result == TClueAddResult::NoRoom)
      XwdProcs->SoundMessage("The clue database has no room for another clue of " +
                             AnswerForDisplay(vault_->Entry().Word) + ".");
  });
}
