#include "app/clues/CluesDBUnit.h"

#include <QEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <QVBoxLayout>
#include <utility>

#include "app/clues/AnswerText.h"
#include "app/clues/ToolBarButton.h"
#include "app/clues/XwdAutoUnit.h"
#include "app/puzzle/WindowSettings.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/db/DbErrors.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/Colors.h"
#include "xbase/core/ovcommon.h"

using namespace platform::gui;

TCluesDBForm* CluesDBForm = nullptr;

namespace {

const QString kToolsSettingsKey = QStringLiteral("Software\\Quillmere32\\Tools");
const QString kBusy = QStringLiteral("The clue database is busy: another program is using it. Try again in a moment.");
const QString kNotePrefix = QStringLiteral("Note: ");
// Marks the list's lines that show a note: shown apart, never taken as a clue.
constexpr int kNoteRole = Qt::UserRole + 1;

// Library errors come to the window as exceptions, so that it says them in its own words.
class RaiseLibraryErrors {
 public:
  RaiseLibraryErrors() : previous_(xbase::SetRaiseErrors(true)) {}
  ~RaiseLibraryErrors() { xbase::SetRaiseErrors(previous_); }
  RaiseLibraryErrors(const RaiseLibraryErrors&) = delete;
  RaiseLibraryErrors& operator=(const RaiseLibraryErrors&) = delete;

 private:
  bool previous_;
};

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

std::string TCluesDBForm::AutoclueAnswer() {
  return XwdProcs->GetEntryWord(AutoclueForm->CurX, AutoclueForm->CurY, AutoclueForm->CurDir);
}

// ---- Opening and closing

void TCluesDBForm::FormShow() {
  CentreNoFindLbl();
  {
    // The clue database's settings are the companion programs'.
    const TSettingsKeySwitch toolsKey(kToolsSettingsKey);
    path_ = XwdProcs->ReadSetting("VaultDataFile", "").toStdString();
    ApplyFontSetting(ClueList, ReadFontSetting("Vault", {"clBlack", "Courier New", 11, 0}));
  }
  // An add under way keeps the table it writes to.
  if (!adding_) {
    CloseTable();
    OpenTable();
  }
  AutoclueForm->UpdateClueBar();
  LookupEntry(AutoclueAnswer());
}

void TCluesDBForm::FormHide() { AutoclueForm->UpdateClueBar(); }

void TCluesDBForm::OpenTable() {
  const bool said = !RunTableOperation([&] {
    const std::string failure = table_->Open(path_);
    if (!failure.empty()) {
      XwdProcs->SoundMessage(QString::fromStdString(failure));
      return;
    }
    state_ = TableState::Open;
  });
  // A table error while opening is said once, as a missing table is.
  if (said) state_ = TableState::Closed;
}

bool TCluesDBForm::TableReady() {
  if (state_ != TableState::Failed) return state_ == TableState::Open;
  CloseTable();
  OpenTable();
  if (state_ == TableState::Closed) {
    // Said once, as when the window opens: the window does not stay.
    Hide();
    return false;
  }
  return RunTableOperation([&] { ShowEntry(vault_->LookupEntry(word_)); });
}

void TCluesDBForm::CloseTable() {
  state_ = TableState::Closed;
  if (table_ == nullptr) return;  // before the first table is set
  try {
    table_->Close();
  } catch (const std::exception&) {
    // Closing after a table error: the error has been shown.
  }
}

bool TCluesDBForm::RunTableOperation(const std::function<void()>& operation) {
  try {
    const RaiseLibraryErrors raise;
    operation();
    return true;
  } catch (const platform::db::EAbort&) {
    // The library has shown its box.
  } catch (const std::exception& error) {
    XwdProcs->SoundMessage(QString::fromStdString(table_->FailureMessage(error.what())));
  }
  CloseTable();
  state_ = TableState::Failed;
  ClueList->clear();
  NoFindLbl->hide();
  AutoclueForm->UpdateClueBar();
  return false;
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
  word_ = entry.Word;
  SetCaption(AnswerForDisplay(entry.Word));
  ClueList->clear();
  for (const std::string& clue : entry.Clues) ClueList->addItem(FromAnsi(clue));
  for (const std::string& note : entry.Notes) {
    auto* item = new QListWidgetItem(kNotePrefix + FromAnsi(note), ClueList);
    item->setData(kNoteRole, true);
    item->setFlags(Qt::ItemIsEnabled);
    item->setForeground(ToQColor(clGray));
    QFont font = ClueList->font();
    font.setItalic(true);
    item->setFont(font);
  }
  if (!entry.Found) CentreNoFindLbl();
  NoFindLbl->setVisible(!entry.Found);
  AutoclueForm->UpdateClueBar();
}

void TCluesDBForm::LookupEntry(const std::string& Word) {
  if (adding_) {
    lookupAfterAdd_ = true;
    return;
  }
  word_ = Word;
  NoFindLbl->hide();
  SetCaption(AnswerForDisplay(Word));
  ClueList->clear();
  if (state_ == TableState::Failed) {
    TableReady();  // and looks the word up
  } else if (state_ == TableState::Open) {
    RunTableOperation([&] { ShowEntry(vault_->LookupEntry(Word)); });
  }
  AutoclueForm->UpdateClueBar();
}

void TCluesDBForm::NextBtnClick() {
  if (adding_) {
    lookupAfterAdd_ = true;
  } else if (TableReady()) {
    RunTableOperation([&] { ShowEntry(vault_->NextEntry()); });
  }
}

void TCluesDBForm::PrevBtnClick() {
  if (adding_) {
    lookupAfterAdd_ = true;
  } else if (TableReady()) {
    RunTableOperation([&] { ShowEntry(vault_->PriorEntry()); });
  }
}

void TCluesDBForm::ClueListMouseUp() {
  const QListWidgetItem* item = ClueList->currentItem();
  if (ClueList->count() == 0 || item == nullptr || !item->isSelected() || item->data(kNoteRole).toBool()) return;
  AutoclueForm->DefEdit->setText(item->text());
}

// ---- Adding

bool TCluesDBForm::CanAdd() const {
  return state_ != TableState::Closed && !adding_ && TClueVault::IsCompleteWord(word_);
}

void TCluesDBForm::AddClue(const std::string& Clue) {
  if (!CanAdd() || !TableReady()) return;
  // The list's own search for the whole line ignores case.
  if (!ClueList->findItems(FromAnsi(Clue), Qt::MatchFixedString).isEmpty()) return;
  lookupAfterAdd_ = false;
  const std::string word = word_;
  TClueAddResult result = TClueAddResult::Added;
  bool done = false;
  {
    const QScopedValueRollback<bool> adding(adding_, true);
    // Autoclue's Add is off while the add waits and writes.
    AutoclueForm->UpdateClueBar();
    done = RunTableOperation([&] { result = vault_->AddClue(Clue); });
  }
  if (std::exchange(lookupAfterAdd_, false)) {
    LookupEntry(AutoclueAnswer());
  } else if (done) {
    ShowEntry(vault_->Entry());
  }
  AutoclueForm->UpdateClueBar();
  if (!done) return;
  if (result == TClueAddResult::Busy) XwdProcs->SoundMessage(kBusy);
  if (result == TClueAddResult::NoRoom)
    XwdProcs->SoundMessage("The clue database has no room for another clue of " + AnswerForDisplay(word) + ".");
}
