#include "app/grid/XwdClueUnit.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>

#include "app/grid/GridCursor.h"
#include "app/grid/GridLayout.h"
#include "app/grid/XwdGridUnit.h"
#include "app/main/XwdMainUnit.h"
#include "app/puzzle/WindowSettings.h"
#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/Colors.h"
#include "platform/gui/InputEvents.h"
#include "platform/gui/SystemMetrics.h"

using namespace platform::gui;

TCluesForm* CluesForm = nullptr;

namespace {

constexpr int kItemHeight = 17;

// Lines as high as designed, or as high as the list's font needs when it needs more, as a list
// box of plain lines sizes them by its font.
class TClueLineDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(kItemHeight, option.fontMetrics.height()));
    return size;
  }
};

// A list box that reports the user's picks: a click on a line, or a move of the selection by
// the keyboard.
class TClueListBox : public QListWidget {
 public:
  explicit TClueListBox(TCluesForm* owner) : QListWidget(owner), owner_(owner) {
    QObject::connect(this, &QListWidget::itemClicked, this, Handler([this] { owner_->ClueListClick(); }));
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (const auto typed = KeyChar(*event)) {
      std::uint8_t key = *typed;
      Guard([&] { owner_->ClueListKeyPress(key); });
      if (key == 0) return;
    }
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before) Guard([this] { owner_->ClueListClick(); });
  }

 private:
  TCluesForm* owner_;
};

}  // namespace

TCluesForm::TCluesForm() : ClueList(new TClueListBox(this)) {
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  SetCaption("Clues");
  ClueList->setFont(QFont("Times New Roman"));
  ClueList->setItemDelegate(new TClueLineDelegate(ClueList));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(ClueList);
}

void TCluesForm::SetItemIndex(int index) {
  const QSignalBlocker blocker(ClueList);
  ClueList->setCurrentRow(index);
  if (index < 0) ClueList->clearSelection();
}

std::string TCluesForm::SelectedClue() const {
  const QListWidgetItem* item = ClueList->currentItem();
  return item ? ToAnsi(item->text()) : std::string();
}

void TCluesForm::FormShow() {
  LoadCluePrefs();
  RestoreCluesBounds();
  ClueList->clear();
  for (const TWordRef& word : NumberWords(Puzzle)) ClueList->addItem(FromAnsi(Puzzle.Clue(WordLink(Puzzle, word))));
  SetItemIndex(-1);
}

void TCluesForm::LoadCluePrefs() {
  ClueList->setCursor(XwdProcs->ReadSetting("UseCursors", 0) == 1 ? Qt::PointingHandCursor : Qt::ArrowCursor);
  ApplyFontSetting(ClueList, ReadFontSetting("Solve", SolveFontDefaults));
}

void TCluesForm::RestoreCluesBounds() {
  // By default a column under the main window at the right edge of the screen.
  const int w = XwdMainForm->MinimumBounds().width(), h = XwdMainForm->MinimumBounds().height();
  RestoreBoundsSetting(*this, "ScreenBoundsClues",
                       {GetSystemMetrics(SM_CXSCREEN) - w - 4, h + 4, w, GetSystemMetrics(SM_CYSCREEN) - h - 6});
}

void TCluesForm::ClueListClick() {
  // Line k is the word of ordinal k + 1; with no such word the pick does nothing.
  const int line = ItemIndex();
  const auto words = NumberWords(Puzzle);
  if (line < 0 || line >= static_cast<int>(words.size())) return;
  XwdGridForm->EndSelection();
  const TWordRef& word = words[static_cast<std::size_t>(line)];
  const int s = UsableSquareSize(SquareSize);
  const int x = CornerOf(word.X, s), y = CornerOf(word.Y, s);
  XwdGridForm->Direction = word.Dir;
  XwdGridForm->HighlightWord(x, y, TXwdGridForm::HighlightColor);
  XwdGridForm->CursorPos = PackCursor(x, y);
  XwdMainForm->ShowCurrentClue();
}

void TCluesForm::ClueListKeyPress(std::uint8_t& Key) {
  const std::uint8_t c = Key >= 'a' && Key <= 'z' ? static_cast<std::uint8_t>(Key - 'a' + 'A') : Key;
  if (c != VK_BACK && !(c >= 'A' && c <= 'Z')) return;
  XwdGridForm->activateWindow();
  XwdGridForm->setFocus();
  XwdGridForm->FormKeyPress(Key);
  Key = 0;
}

void TCluesForm::FormCloseQuery(bool& CanClose) { CanClose = AllowChildClose != 0; }
