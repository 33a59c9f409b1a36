#include "app/clues/XwdAutoUnit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>
#include <tuple>

#include "app/clues/AnswerText.h"
#include "app/clues/CharMapUnit.h"
#include "app/clues/ClueSlots.h"
#include "app/clues/CluesDBUnit.h"
#include "app/clues/DefListUnit.h"
#include "app/clues/ToolBarButton.h"
#include "app/grid/GridCursor.h"
#include "app/grid/GridLayout.h"
#include "app/grid/XwdGridUnit.h"
#include "app/puzzle/SFXUnit.h"
#include "app/puzzle/WindowSettings.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/AnsiValidator.h"
#include "platform/gui/Colors.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/InputEvents.h"
#include "platform/gui/SystemMetrics.h"

using namespace platform::gui;

TAutoclueForm* AutoclueForm = nullptr;

namespace {

const QString kWordLimit = QStringLiteral(
    "Maximum word limit has been exceeded! Quillmere does not permit more than 179 words in a puzzle. "
    "Please reconstruct grid accordingly.");
const QString kNoMoreClues = QStringLiteral("NO MORE CLUES!");
const QString kAddHint = QStringLiteral("Add definition to clue database");

// The images of AddBtn: 7 while the clue database window is closed, 8 while it is open.
constexpr int kAddImageClosed = 7;
constexpr int kAddImageOpen = 8;

constexpr std::uint8_t kEnter = 13, kCtrlN = 14, kCtrlU = 21, kCtrlY = 25;

// The walk visits words row by row, cell by cell, across before down.
std::tuple<int, int, int> WalkOrder(int x, int y, int dir) { return {y, x, dir}; }
std::tuple<int, int, int> WalkOrder(const TWordRef& w) { return WalkOrder(w.X, w.Y, w.Dir); }

int DirOf(char dir) { return dir == 'a' ? DirAcross : DirDown; }
char DirChar(int dir) { return dir == DirAcross ? 'a' : 'd'; }

bool Matches(const TWalkTarget& target, const TWordRef& word) {
  switch (target.Kind) {
    case TWalkTarget::TKind::AnyWord: return true;
    case TWalkTarget::TKind::Unclued: return Puzzle.Clue(WordLink(Puzzle, word)).empty();
    case TWalkTarget::TKind::Word: return word.X == target.X && word.Y == target.Y && word.Dir == target.Dir;
  }
  return false;
}

}  // namespace

TAutoclueForm::TAutoclueForm()
    : ClueLbl(new QLabel(this)),
      NumLbl(new QLabel(this)),
      CountLbl(new QLabel(this)),
      CtBtn(new QToolButton(this)),
      DefEdit(new QLineEdit(this)),
      OkBtn(new QPushButton("&Close", this)),
      ToolBar1(new QToolBar(this)),
      PrevBtn(AddToolBarButton(ToolBar1, style()->standardIcon(QStyle::SP_ArrowLeft), "<", "Previous definition")),
      NextBtn(AddToolBarButton(ToolBar1, style()->standardIcon(QStyle::SP_ArrowRight), ">", "Next definition")),
      BlankBtn(AddToolBarButton(ToolBar1, style()->standardIcon(QStyle::SP_MediaSkipForward), ">>", "Next undefined word")),
      InsertBtn(AddToolBarButton(ToolBar1, QIcon(), "Paste", "Paste")),
      CharsBtn(AddToolBarButton(ToolBar1, QIcon(), QString(QChar(0x00E9)), "Insert special character")),
      ListDefsBtn(AddToolBarButton(ToolBar1, style()->standardIcon(QStyle::SP_FileDialogDetailedView), "List",
                             "List all definitions")),
      ClueBar(new QToolBar(this)),
      CluesBtn(AddToolBarButton(ClueBar, style()->standardIcon(QStyle::SP_DirOpenIcon), "DB", "Open clue database")),
      AddBtn(AddToolBarButton(ClueBar, QIcon(), "+", kAddHint)) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  SetCaption("Autoclue");

  QFont labelFont = ClueLbl->font();
  labelFont.setBold(true);
  for (QLabel* label : {ClueLbl, NumLbl}) {
    label->setFont(labelFont);
    SetPaletteColor(label, QPalette::WindowText, clNavy);
  }
  CtBtn->setText("( )");
  CtBtn->setFocusPolicy(Qt::NoFocus);
  DefEdit->setMaxLength(MaxStringLength);
  DefEdit->setValidator(new AnsiValidator(DefEdit));
  DefEdit->installEventFilter(this);
  AddBtn->setEnabled(false);
  AddBtn->setToolTip(QString());
  AddBtn->setProperty("ImageIndex", kAddImageClosed);

  auto* answerRow = new QHBoxLayout;
  answerRow->setSpacing(0);
  answerRow->addWidget(ClueLbl);
  answerRow->addSpacing(8);
  answerRow->addWidget(CountLbl);
  answerRow->addSpacing(2);
  answerRow->addWidget(CtBtn);
  answerRow->addStretch(1);
  answerRow->addWidget(NumLbl);
  auto* barRow = new QHBoxLayout;
  barRow->addWidget(ToolBar1);
  barRow->addStretch(1);
  barRow->addWidget(ClueBar);
  barRow->addWidget(OkBtn, 0, Qt::AlignVCenter);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addLayout(answerRow);
  layout->addWidget(DefEdit);
  layout->addLayout(barRow);

  auto connectClick = [this](QAbstractButton* button, void (TAutoclueForm::*handler)()) {
    QObject::connect(button, &QAbstractButton::clicked, this, Handler([this, handler] { (this->*handler)(); }));
  };
  connectClick(PrevBtn, &TAutoclueForm::PrevBtnClick);
  connectClick(NextBtn, &TAutoclueForm::NextBtnClick);
  connectClick(BlankBtn, &TAutoclueForm::BlankBtnClick);
  connectClick(InsertBtn, &TAutoclueForm::InsertBtnClick);
  connectClick(CharsBtn, &TAutoclueForm::CharsBtnClick);
  connectClick(ListDefsBtn, &TAutoclueForm::ListdefsBtnClick);
  connectClick(CluesBtn, &TAutoclueForm::CluesBtnClick);
  connectClick(AddBtn, &TAutoclueForm::AddBtnClick);
  connectClick(CtBtn, &TAutoclueForm::CtBtnClick);
  connectClick(OkBtn, &TAutoclueForm::OkBtnClick);
  QObject::connect(DefEdit, &QLineEdit::textChanged, this, Handler([this] { DefEditChange(); }));
}

void TAutoclueForm::FormCreate() {
  // The height stays as designed; the width may grow.
  setFixedHeight(sizeHint().height());
  setMinimumWidth(minimumSizeHint().width());
}

void TAutoclueForm::FormShow() {
  LoadAutoPrefs();
  RestoreAutoclueBounds();
  ResetWalk();
  FindNextWord(GetSelectedGridWord());
}

void TAutoclueForm::FormClose() {
  for (TForm* form : std::initializer_list<TForm*>{DefListForm, CharMapForm, CluesDBForm})
    if (form->Visible()) form->Close();
}

void TAutoclueForm::LoadAutoPrefs() {
  UseEntryCounts = XwdProcs->ReadSetting("EntryCounts", false) ? 1 : 0;
  ApplyFontSetting(DefEdit, ReadFontSetting("Auto", AutoFontDefaults));
  CountLbl->setVisible(UseEntryCounts != 0);
  CtBtn->setVisible(UseEntryCounts != 0);
  if (DefListForm->Visible()) DefListForm->LoadDefsPrefs();
}

void TAutoclueForm::RestoreAutoclueBounds() {
  // The height is the window's own.
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const TBounds bounds = ReadBoundsSetting(
      "ScreenBoundsAutoclue", {screenWidth / 4, (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2, screenWidth / 2, Height()});
  SetBounds(bounds.Left, bounds.Top, bounds.Width, Height());
}

// ---- The word walk -------------------------------------------------------------------------

TWordRef TAutoclueForm::CurrentWord() const { return {CurX, CurY, DirOf(CurDir), WordCount, ClueNumber}; }

void TAutoclueForm::SetCurrentWord(const TWordRef& word) {
  CurX = word.X;
  CurY = word.Y;
  CurDir = DirChar(word.Dir);
  WordCount = word.Ordinal;
  ClueNumber = word.Number;
}

void TAutoclueForm::ResetWalk() {
  CurX = 0;
  CurY = 1;
  CurDir = 'd';
  WordCount = 0;
  ClueNumber = 0;
}

TWalkTarget TAutoclueForm::GetSelectedGridWord() const {
  const int direction = XwdGridForm->Direction;
  if (direction == 0) return {};
  const TGridPoint cursor = UnpackCursor(XwdGridForm->CursorPos);
  const int x = CellOf(cursor.X, UsableSquareSize(SquareSize)), y = CellOf(cursor.Y, UsableSquareSize(SquareSize));
  const bool starts = direction == DirAcross ? IsAcrossStart(Puzzle, x, y) : IsDownStart(Puzzle, x, y);
  if (!starts) return {};
  return {TWalkTarget::TKind::Word, x, y, direction};
}

void TAutoclueForm::FindNextWord(const TWalkTarget& Target) {
  const auto here = WalkOrder(CurX, CurY, DirOf(CurDir));
  for (const TWordRef& word : NumberWords(Puzzle)) {
    if (WalkOrder(word) <= here) continue;
    SetCurrentWord(word);
    if (word.Ordinal > MaxClues) {
      WordLimitStop();
      return;
    }
    if (Matches(Target, word)) {
      ShowWord(CurDir);
      return;
    }
  }
  if (EndOfClues(true)) ShowWord(CurDir);
}

void TAutoclueForm::PrevBtnClick() {
  const auto here = WalkOrder(CurX, CurY, DirOf(CurDir));
  const auto words = NumberWords(Puzzle);
  const auto later = std::find_if(words.begin(), words.end(), [&](const TWordRef& w) { return WalkOrder(w) >= here; });
  if (later == words.begin()) {
    EndOfClues(false);
    if (SoundLevel > 0) SoundFX->PlayWave4();
    return;
  }
  SetCurrentWord(*std::prev(later));
  ShowWord(CurDir);
}

bool TAutoclueForm::EndOfClues(bool AtEnd) {
  const auto words = NumberWords(Puzzle);
  if (!words.empty()) SetCurrentWord(AtEnd ? words.back() : words.front());
  if (AtEnd) {
    SetPaletteColor(NumLbl, QPalette::WindowText, clRed);
    NumLbl->setText(kNoMoreClues);
    XwdProcs->Pause(5);
    if (SoundLevel == 1)
      SoundFX->PlayWave4();
    else if (SoundLevel >= 2)
      SoundFX->PlayWave5();
    if (SoundLevel < 2) XwdProcs->Pause(500);
    SetPaletteColor(NumLbl, QPalette::WindowText, clNavy);
  }
  // A grid without words leaves nothing to write a clue for.
  if (words.empty()) LockClueEdit();
  return !words.empty();
}

void TAutoclueForm::WordLimitStop() {
  LockClueEdit();
  XwdProcs->AlertMessage(kWordLimit, MsgDlgType::Warning, mbOK);
}

void TAutoclueForm::LockClueEdit() {
  {
    const QSignalBlocker blocker(DefEdit);
    DefEdit->clear();
  }
  DefEdit->setEnabled(false);
  UpdateAddBtn();
}

void TAutoclueForm::ShowWord(char Dir) {
  CurDir = Dir;
  const TClueSlot clue = ClueSlotOf(Puzzle, CurrentWord());
  DefEdit->setEnabled(clue.Slot != 0);
  // The keyboard goes to the clue, also from the grid or the definition list, whose window is
  // active while they call this.
  DefEdit->setFocus();
  if (isVisible()) activateWindow();
  {
    // The change handler runs below in any case, also when the text stays the same.
    const QSignalBlocker blocker(DefEdit);
    DefEdit->setText(FromAnsi(clue.Text));
  }
  DefEdit->end(false);
  DefEditChange();
  const std::string answer = XwdProcs->GetEntryWord(CurX, CurY, Dir);
  ClueLbl->setText(AnswerForDisplay(answer));
  if (UseEntryCounts) CountLbl->setText(AnswerLengthText());
  NumLbl->setText(QString::number(ClueNumber) + (Dir == 'a' ? "  Across" : "  Down"));
  UpdateAddBtn();
  if (CluesDBForm->Visible()) CluesDBForm->LookupEntry(answer);
}

QString TAutoclueForm::AnswerLengthText() const {
  return QStringLiteral("(%1)").arg(XwdProcs->GetEntryWord(CurX, CurY, CurDir).size());
}

void TAutoclueForm::NextBtnClick() { FindNextWord({TWalkTarget::TKind::AnyWord}); }

void TAutoclueForm::BlankBtnClick() { FindNextWord({TWalkTarget::TKind::Unclued}); }

// ---- The clue edit -------------------------------------------------------------------------

void TAutoclueForm::DefEditChange() {
  const TWordRef word = CurrentWord();
  const int slot = ClueSlotOf(Puzzle, word).Slot;
  if (slot == 0) return;  // beyond the word limit: nothing is stored
  std::string text = ToAnsi(DefEdit->text(), 0);
  text.resize(std::min<std::size_t>(text.size(), MaxStringLength));
  if (Puzzle.Clue(WordLink(Puzzle, word)) == text) return;
  PuzzleModified = 1;
  WordLink(Puzzle, word) = static_cast<std::uint16_t>(slot);
  Puzzle.SetClue(slot, text);
  if (DefListForm->Visible()) DefListForm->UpdateWordLine(word, text);
}

void TAutoclueForm::DefEditKeyPress(std::uint8_t& Key) {
  switch (Key) {
    case kEnter:
      NextBtnClick();
      break;
    case kCtrlN:
      CtBtnClick();
      break;
    case kCtrlU:
      InsertIntoClue("___");
      break;
    case kCtrlY:
      DefEdit->clear();
      break;
    default:
      return;
  }
  Key = 0;
}

bool TAutoclueForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == DefEdit && event->type() == QEvent::KeyPress) {
    if (const auto typed = KeyChar(*static_cast<QKeyEvent*>(event))) {
      std::uint8_t key = *typed;
      Guard([&] { DefEditKeyPress(key); });
      if (key == 0) return true;
    }
  }
  return TForm::eventFilter(watched, event);
}

void TAutoclueForm::CtBtnClick() {
  if (!UseEntryCounts || !DefEdit->isEnabled()) return;
  DefEdit->setText(DefEdit->text() + " " + AnswerLengthText());
  DefEdit->end(false);
}

void TAutoclueForm::InsertIntoClue(const QString& text) {
  if (!DefEdit->isEnabled()) return;
  DefEdit->insert(text + DefEdit->selectedText());
}

void TAutoclueForm::InsertBtnClick() {
  if (DefEdit->isEnabled()) DefEdit->paste();
}

// ---- The other windows ---------------------------------------------------------------------

void TAutoclueForm::CharsBtnClick() {
  if (CharMapForm->Visible())
    CharMapForm->Hide();
  else
    CharMapForm->Show();
}

void TAutoclueForm::ListdefsBtnClick() {
  if (DefListForm->Visible())
    DefListForm->Hide();
  else
    DefListForm->Show();
}

void TAutoclueForm::CluesBtnClick() {
  if (CluesDBForm->Visible()) {
    CluesDBForm->Hide();
  } else {
    CluesDBForm->Show();
    // A clue table that could not be opened has been reported: the window does not stay.
    if (!CluesDBForm->TableOpen()) CluesDBForm->Hide();
  }
  UpdateClueBar();
}

void TAutoclueForm::AddBtnClick() {
  if (AddBtn->isEnabled()) CluesDBForm->AddClue(ToAnsi(DefEdit->text(), 0));
}

void TAutoclueForm::UpdateClueBar() {
  const bool open = CluesDBForm->Visible();
  CluesBtn->setToolTip(open ? "Close clue database" : "Open clue database");
  AddBtn->setProperty("ImageIndex", open ? kAddImageOpen : kAddImageClosed);
  UpdateAddBtn();
}

void TAutoclueForm::UpdateAddBtn() {
  // A clue can be added while the clue database window can add one for a whole answer and the
  // current word may hold a clue.
  const bool enabled = CluesDBForm->Visible() && CluesDBForm->CanAdd() && DefEdit->isEnabled();
  AddBtn->setEnabled(enabled);
  AddBtn->setToolTip(enabled ? kAddHint : QString());
}

void TAutoclueForm::OkBtnClick() { Close(); }
