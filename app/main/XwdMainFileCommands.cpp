// The main window's puzzle file commands (new, open, save, save as, copy grid, revert) and the
// menu of recent puzzles with its settings values.

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "app/grid/XwdClueUnit.h"
#include "app/grid/XwdGridUnit.h"
#include "app/main/XwdMainTexts.h"
#include "app/main/XwdMainUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "app/tools/XwdMsgUnit.h"
#include "platform/gui/Dialogs.h"

using namespace platform::gui;

namespace {

const QString kPuzzleFilter = QStringLiteral("Quillmere Crossword Puzzle |*.xwd");
const QString kPuzzleExt = QStringLiteral("xwd");
const QString kNotValidPuzzle = QStringLiteral("Not a valid Quillmere puzzle.");

bool HasPuzzleExtension(const QString& fileName) {
  return QFileInfo(fileName).suffix().compare(kPuzzleExt, Qt::CaseInsensitive) == 0;
}

QString HistoryValueName(int n) { return QStringLiteral("HistoryPuzzle%1").arg(n); }

// A history entry is a path followed by " /s" or " /c".
bool IsValidHistoryEntry(const QString& entry) {
  return entry.size() > 3 && (entry.endsWith(" /s") || entry.endsWith(" /c"));
}

}  // namespace

// ---- Puzzle file commands ------------------------------------------------------------------

bool TXwdMainForm::ConfirmSaveChanges() {
  if (EditMode == emSolve) {
    XwdProcs->SavePuzzle(PuzzleFileName);
    return true;
  }
  switch (XwdProcs->AlertMessage(kSaveQuestion, MsgDlgType::Confirmation, mbYes | mbNo | mbCancel)) {
    case mrYes:
      XwdProcs->SavePuzzle(PuzzleFileName);
      return true;
    case mrNo:
      PuzzleModified = 0;
      return true;
    default:
      return false;
  }
}

void TXwdMainForm::ReloadCurrentPuzzle() {
  if (PuzzleFileName.isEmpty()) return;
  try {
    XwdProcs->LoadPuzzle(PuzzleFileName);
  } catch (const EInOutError&) {
    return;  // the record stays as it is
  }
  if (XwdGridForm->Visible()) XwdGridForm->Repaint();
}

void TXwdMainForm::Open1Click(QAction* Sender) {
  const bool construct = Sender == ConstructOpen1;
  if (PuzzleModified && !ConfirmSaveChanges()) return;
  FileDialogRequest request;
  request.Title = construct ? "Open puzzle for constructing" : "Open puzzle for solving";
  request.Filter = kPuzzleFilter;
  request.DefaultExt = kPuzzleExt;
  request.Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist;
  const auto chosen = CurrentDialogs().OpenFile(request);
  if (!chosen) return;
  const QString fileName = QFileInfo(chosen->FileName).absoluteFilePath();
  try {
    XwdProcs->LoadPuzzle(fileName);
  } catch (const EInOutError&) {
    ReloadCurrentPuzzle();
    XwdProcs->SoundMessage(kCorruptPuzzle);
    return;
  }
  EditMode = construct ? emLetters : emSolve;
  PuzzleFileName = fileName;
  ShowPuzzle();
}

void TXwdMainForm::NewPuzzleClick(QAction* Sender) {
  const auto item = std::find(NewItems.begin(), NewItems.end(), Sender) - NewItems.begin();
  const QString size = QString::fromLatin1(kNewCaptions[static_cast<std::size_t>(item)]).left(2);
  if (PuzzleModified && !ConfirmSaveChanges()) return;
  const std::optional<QString> chosen = AskNewPuzzleFile("New " + size + "x puzzle for constructing");
  if (!chosen) return;
  TXwdPuzzle fresh = Puzzle;
  XwdProcs->NewPuzzle(size.toInt(), 'N', fresh);
  CommitNewFile(fresh, *chosen);
  EditMode = emLetters;
  ShowPuzzle();
}

void TXwdMainForm::CopyGridAs1Click(QAction* Sender) {
  const bool copyGrid = Sender == CopyGridAs1;
  // Copying the grid leaves the current puzzle behind: its changes are not to be lost silently.
  if (copyGrid && PuzzleModified && !ConfirmSaveChanges()) return;
  const std::optional<QString> chosen = AskNewPuzzleFile(copyGrid ? "Copy grid as..." : "Save puzzle as...");
  if (!chosen) return;
  TXwdPuzzle copy = Puzzle;
  if (copyGrid) XwdProcs->NewPuzzle(Puzzle.GridSize, 'C', copy);
  CommitNewFile(copy, *chosen);
  ShowPuzzle();
}

std::optional<QString> TXwdMainForm::AskNewPuzzleFile(const QString& title) {
  FileDialogRequest request;
  request.Title = title;
  request.FileName = "untitled.xwd";
  request.Filter = kPuzzleFilter;
  request.DefaultExt = kPuzzleExt;
  request.Options = ofOverwritePrompt | ofHideReadOnly;
  const auto chosen = CurrentDialogs().SaveFile(request);
  if (!chosen) return std::nullopt;
  if (!HasPuzzleExtension(chosen->FileName)) {
    XwdProcs->SoundMessage(kNotValidPuzzle);
    return std::nullopt;
  }
  return chosen->FileName;
}

void TXwdMainForm::CommitNewFile(const TXwdPuzzle& record, const QString& fileName) {
  const QString absolute = QFileInfo(fileName).absoluteFilePath();
  XwdProcs->SavePuzzle(absolute, record);  // raises before anything changed
  Puzzle = record;
  PuzzleFileName = absolute;
}

void TXwdMainForm::Save1Click() {
  TInfoNote note(1);
  XwdProcs->SavePuzzle(PuzzleFileName);
  XwdProcs->Pause(500);
}

void TXwdMainForm::ReverttoSaved1Click() {
  if (XwdProcs->AlertMessage("Discard all recent changes and return to last saved puzzle?", MsgDlgType::Confirmation,
                             mbYes | mbNo) != mrYes)
    return;
  try {
    XwdProcs->LoadPuzzle(PuzzleFileName);
  } catch (const EInOutError& e) {
    // The file was this program's own: what went wrong is the system's to say.
    XwdProcs->SoundMessage(QString::fromUtf8(e.what()));
    return;
  }
  XwdGridForm->Direction = 0;
  XwdGridForm->Repaint();
  if (EditMode == emSolve) {
    ModeLabel->clear();
    DataMemo->clear();
    if (CluesForm->ItemIndex() >= 0) CluesForm->SetItemIndex(-1);
  } else {
    UpdateBtnClick();
  }
  PuzzleModified = 0;
}

// ---- History -------------------------------------------------------------------------------

void TXwdMainForm::RebuildHistory() {
  QStringList entries;
  const QString current = XwdProcs->ReadSetting("CurrentPuzzle", "");
  if (!current.isEmpty() && Save1->isEnabled()) entries << current + (EditMode == emSolve ? " /s" : " /c");
  for (int n = 1; n <= 3; ++n) {
    const QString entry = XwdProcs->ReadSetting(HistoryValueName(n), "");
    if (!entries.contains(entry)) entries << entry;
  }
  HistorySeparator->setVisible(false);
  for (QAction* item : History) item->setVisible(false);
  int count = 0;
  for (const QString& entry : entries) {
    if (count == 3) break;
    if (!IsValidHistoryEntry(entry)) continue;
    ++count;
    SetHistoryItemCaption(entry, count);
    XwdProcs->WriteSetting(HistoryValueName(count), entry);
  }
}

void TXwdMainForm::SetHistoryItemCaption(const QString& Entry, int Count) {
  QString name = QFileInfo(Entry.chopped(3)).fileName();
  name.chop(4);  // ".xwd"
  QAction* item = History[Count - 1];
  item->setText(QStringLiteral("&%1 %2").arg(Count).arg(name.toUpper()));
  item->setIcon(Entry.endsWith('c') ? QIcon(":/glyphs/HISTCONSTRUCT.png") : QIcon(":/glyphs/HISTSOLVE.png"));
  item->setData(Entry.endsWith('c') ? 0 : 1);  // the image index
  item->setVisible(true);
  HistorySeparator->setVisible(true);
}

void TXwdMainForm::HistoryClick(int Item) {
  const QString entry = XwdProcs->ReadSetting(HistoryValueName(Item), "");
  if (!IsValidHistoryEntry(entry)) return;
  const QString path = entry.chopped(3);
  if (path == PuzzleFileName) return;  // already open: nothing to ask, nothing to do
  if (PuzzleModified && !ConfirmSaveChanges()) return;
  const QFileInfo file(path);
  try {
    XwdProcs->LoadPuzzle(path);
  } catch (const EInOutError&) {
    ReloadCurrentPuzzle();
    XwdProcs->SoundMessage(file.exists() ? kCorruptPuzzle
                                         : QStringLiteral("Unable to locate this puzzle from path in history list."));
    if (!puzzleShown_) PuzzleFileName.clear();
    return;
  }
  PuzzleFileName = path;
  EditMode = entry.endsWith("/s") ? emSolve : emLetters;
  // The file dialogs start in the folder of the puzzle opened last from the history.
  QDir::setCurrent(file.absolutePath());
  ShowPuzzle();
}
