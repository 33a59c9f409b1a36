#include "app/clues/DefListUnit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "app/clues/AnswerText.h"
#include "app/clues/XwdAutoUnit.h"
#include "app/puzzle/WindowSettings.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/SystemMetrics.h"

using namespace platform::gui;

TDefListForm* DefListForm = nullptr;

namespace {

const QString kFullViewHint = QStringLiteral("Full screen edit");
const QString kNormalViewHint = QStringLiteral("Normal view");

TBounds BoundsOf(const TForm& form) { return {form.Left(), form.Top(), form.Width(), form.Height()}; }

void SetFormBounds(TForm& form, const TBounds& b) { form.SetBounds(b.Left, b.Top, b.Width, b.Height); }

void ClearSelection(QListWidget* list) {
  list->setCurrentRow(-1);
  list->clearSelection();
}

}  // namespace

TDefListForm::TDefListForm()
    : Panel1(new QWidget(this)),
      AcrLbl(new QLabel("ACROSS", Panel1)),
      DwnLbl(new QLabel("    DOWN", Panel1)),
      ViewBtn(new QToolButton(Panel1)),
      Splitter1(new QSplitter(Qt::Horizontal, this)),
      AcrList(new QListWidget(Splitter1)),
      DwnList(new QListWidget(Splitter1)) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  SetCaption("Definitions");
  auto* panelLayout = new QHBoxLayout(Panel1);
  panelLayout->setContentsMargins(4, 1, 4, 1);
  panelLayout->addWidget(AcrLbl);
  panelLayout->addStretch(1);
  panelLayout->addWidget(ViewBtn);
  ViewBtn->setAutoRaise(true);
  ViewBtn->setFocusPolicy(Qt::NoFocus);
  ShowViewState(false);
  Splitter1->setChildrenCollapsible(false);
  DwnList->installEventFilter(this);
  for (QListWidget* list : {AcrList, DwnList}) list->viewport()->installEventFilter(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 0, 2, 2);
  layout->setSpacing(0);
  layout->addWidget(Panel1);
  layout->addWidget(Splitter1, 1);
  resize(560, 300);

  QObject::connect(ViewBtn, &QToolButton::clicked, this, Handler([this] { ViewBtnClick(); }));
}

QString TDefListForm::FormatDefLine(int X, int Y, int Number, char Dir, const std::string& Clue) {
  const std::string number = std::to_string(Number);
  const std::string padding = Number < 10 ? "    " : Number < 100 ? "  " : "";
  return FromAnsi(padding + number + "  " + Clue + "  | ") + AnswerForDisplay(XwdProcs->GetEntryWord(X, Y, Dir));
}

void TDefListForm::FormShow() {
  ShowViewState(ViewBtn->toolTip() == kNormalViewHint);
  LoadDefsPrefs();
  setMinimumHeight(Panel1->height() + 3 * std::max(AcrList->fontMetrics().height(), 1) + 2 * AcrList->frameWidth());
  Splitter1->setSizes({Splitter1->width() / 2, Splitter1->width() / 2});

  AcrList->clear();
  DwnList->clear();
  acrossWords_.clear();
  downWords_.clear();
  for (const TWordRef& word : NumberWords(Puzzle)) {
    const char dir = word.Dir == DirAcross ? 'a' : 'd';
    ListOf(word.Dir)->addItem(FormatDefLine(word.X, word.Y, word.Number, dir, Puzzle.Clue(WordLink(Puzzle, word))));
    WordsOf(word.Dir).push_back(word);
  }
  ClearSelection(AcrList);
  ClearSelection(DwnList);
  AlignDownLabel();
}

void TDefListForm::LoadDefsPrefs() {
  const TFontSetting font = ReadFontSetting("Defs", DefsFontDefaults);
  for (QListWidget* list : {AcrList, DwnList}) ApplyFontSetting(list, font);
}

void TDefListForm::UpdateWordLine(const TWordRef& Word, const std::string& Clue) {
  const auto& words = WordsOf(Word.Dir);
  const auto line = std::find_if(words.begin(), words.end(),
                                 [&](const TWordRef& w) { return w.X == Word.X && w.Y == Word.Y; });
  if (line == words.end()) return;
  const char dir = Word.Dir == DirAcross ? 'a' : 'd';
  ListOf(Word.Dir)
      ->item(static_cast<int>(line - words.begin()))
      ->setText(FormatDefLine(Word.X, Word.Y, Word.Number, dir, Clue));
}

void TDefListForm::DefListMouseUp(QListWidget* Sender) {
  const int dir = Sender == AcrList ? DirAcross : DirDown;
  ClearSelection(ListOf(dir == DirAcross ? DirDown : DirAcross));
  const QList<QListWidgetItem*> selected = Sender->selectedItems();
  if (selected.isEmpty()) return;
  const TWordRef& line = WordsOf(dir).at(static_cast<std::size_t>(Sender->row(selected.first())));
  // The grid may have changed since the list was built: the word must still start there.
  const auto words = NumberWords(Puzzle);
  const auto word = std::find_if(words.begin(), words.end(), [&](const TWordRef& w) {
    return w.X == line.X && w.Y == line.Y && w.Dir == line.Dir;
  });
  if (word == words.end()) return;
  AutoclueForm->CurX = word->X;
  AutoclueForm->CurY = word->Y;
  AutoclueForm->WordCount = word->Ordinal;
  AutoclueForm->ClueNumber = word->Number;
  AutoclueForm->CurDir = dir == DirAcross ? 'a' : 'd';
  AutoclueForm->ShowWord(AutoclueForm->CurDir);
}

bool TDefListForm::eventFilter(QObject* watched, QEvent* event) {
  // The down list moves when the splitter is dragged and when the window is resized.
  if (watched == DwnList && event->type() == QEvent::Move) AlignDownLabel();
  if (event->type() == QEvent::MouseButtonRelease)
    for (QListWidget* list : {AcrList, DwnList})
      if (watched == list->viewport()) Guard([this, list] { DefListMouseUp(list); });
  return TForm::eventFilter(watched, event);
}

void TDefListForm::ViewBtnClick() {
  if (ViewBtn->toolTip() == kFullViewHint) {
    normalBounds_ = BoundsOf(*this);
    normalAutoclueBounds_ = BoundsOf(*AutoclueForm);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int autoclueHeight = AutoclueForm->Height();
    AutoclueForm->SetBounds(8, 8, screenWidth - 16, autoclueHeight);
    SetBounds(8, autoclueHeight + 12, screenWidth - 16, GetSystemMetrics(SM_CYSCREEN) - autoclueHeight - 16);
    ShowViewState(true);
  } else {
    SetFormBounds(*this, normalBounds_);
    SetFormBounds(*AutoclueForm, normalAutoclueBounds_);
    ShowViewState(false);
  }
  Splitter1->setSizes({Splitter1->width() / 2, Splitter1->width() / 2});
  AlignDownLabel();
}

void TDefListForm::ShowViewState(bool full) {
  ViewBtn->setIcon(style()->standardIcon(full ? QStyle::SP_TitleBarNormalButton : QStyle::SP_TitleBarMaxButton));
  ViewBtn->setToolTip(full ? kNormalViewHint : kFullViewHint);
}

void TDefListForm::AlignDownLabel() {
  // The label stands over the down list, where the splitter bar begins.
  const int left = Splitter1->x() - Panel1->x() + DwnList->x() - Splitter1->handleWidth();
  DwnLbl->move(left, AcrLbl->y());
}
