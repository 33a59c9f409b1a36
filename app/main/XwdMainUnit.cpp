#include "app/main/XwdMainUnit.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/clues/XwdAutoUnit.h"
#include "app/grid/XwdClueUnit.h"
#include "app/grid/XwdGridUnit.h"
#include "app/main/XwdMainTexts.h"
#include "app/output/ExportUnit.h"
#include "app/output/XwdPrintUnit.h"
#include "app/puzzle/WindowSettings.h"
#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "app/tools/AnalysisUnit.h"
#include "app/tools/BylineUnit.h"
#include "app/tools/LaunchUnit.h"
#include "app/tools/ScanGridUnit.h"
#include "app/tools/ScoreUnit.h"
#include "app/tools/XwdAboutUnit.h"
#include "app/tools/XwdClockUnit.h"
#include "app/tools/XwdMsgUnit.h"
#include "app/tools/XwdPrefUnit.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/Colors.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/HelpViewer.h"
#include "platform/gui/Printer.h"
#include "platform/gui/SystemMetrics.h"

using namespace platform::gui;

TXwdMainForm* XwdMainForm = nullptr;

namespace {

const QString kShowGuidelines = QStringLiteral("Sho&w Guidelines");
const QString kHideGuidelines = QStringLiteral("&Hide Guidelines");

// Special > Transform: caption, the name in the question, and the transform's mode.
struct TransformItem {
  const char* caption;
  const char* name;
  int mode;
};
constexpr std::array<TransformItem, 3> kTransformItems{{{"&Invert", "Invert", 1}, {"&Rotate", "Rotate", 2},
                                                        {"&Flip", "Flip", 3}}};

constexpr int kModeLabelHeight = 17;
constexpr int kDataMemoHeight = 89;
constexpr int kUpdateBtnHeight = 25;
constexpr int kMinPuzzleWidth = 235;

int WordPar(int size) {
  switch (size) {
    case 11: return 40;
    case 13: return 56;
    case 15: return 78;
    case 17: return 96;
    case 19: return 120;
    case 21: return 146;
    case 23: return 170;
    default: return 0;
  }
}

// The class library's font height for a point size: negative, in screen pixels.
int FontHeightValue(int pointSize) { return -((pointSize * ScreenPixelsPerInch() + 36) / 72); }

QIcon Glyph(const char* name) { return QIcon(QStringLiteral(":/glyphs/%1.png").arg(QLatin1String(name))); }

}  // namespace

TXwdMainForm::TXwdMainForm()
    : ToolPanel(new QWidget(this)),
      MouseBtn(new QToolButton(ToolPanel)),
      CheatBtn(new QToolButton(ToolPanel)),
      SquaresBtn(new QToolButton(ToolPanel)),
      LettersBtn(new QToolButton(ToolPanel)),
      SymmetryBtn(new QToolButton(ToolPanel)),
      DictBtn(new QToolButton(ToolPanel)),
      AutoclueBtn(new QToolButton(ToolPanel)),
      ModeLabel(new QLabel(this)),
      LogoImage(new QLabel(this)),
      DataMemo(new QPlainTextEdit(this)),
      Byline(new QLabel(this)),
      UpdateBtn(new QPushButton("Update", Byline)) {
  SetCaption("Quillmere Demo");
  BuildMenus();
  BuildToolPanel();

  LogoImage->setPixmap(QPixmap(QStringLiteral(":/pictures/logo.png")));
  LogoImage->setAlignment(Qt::AlignCenter);
  if (LogoImage->pixmap().isNull()) LogoImage->setText("Quillmere Demo");
  LogoImage->setFixedSize(LogoImage->pixmap().isNull() ? QSize(300, 160) : LogoImage->pixmap().size());

  ModeLabel->setFixedHeight(kModeLabelHeight);
  DataMemo->setReadOnly(true);
  DataMemo->setMinimumHeight(kDataMemoHeight);
  DataMemo->viewport()->installEventFilter(this);
  DataMemo->hide();

  Byline->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Byline->setAlignment(Qt::AlignCenter);
  UpdateBtn->setToolTip("Update puzzle specifications");
  UpdateBtn->setFixedHeight(kUpdateBtnHeight);
  auto* bylineLayout = new QHBoxLayout(Byline);
  bylineLayout->setContentsMargins(2, 2, 2, 2);
  bylineLayout->addStretch(1);
  bylineLayout->addWidget(UpdateBtn);
  Byline->setMinimumHeight(kUpdateBtnHeight + 4);
  Byline->hide();
  QObject::connect(UpdateBtn, &QPushButton::clicked, this, Handler([this] { UpdateBtnClick(); }));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 0, 4, 4);
  layout->setSpacing(2);
  layout->setMenuBar(menuBar_);
  layout->addWidget(ToolPanel);
  layout->addWidget(ModeLabel);
  layout->addWidget(LogoImage, 0, Qt::AlignHCenter);
  layout->addWidget(DataMemo, 1);
  layout->addWidget(Byline);
}

void TXwdMainForm::BuildMenus() {
  menuBar_ = new QMenuBar(this);
  auto action = [this](QMenu* menu, const QString& caption, auto handler) {
    QAction* item = menu->addAction(caption);
    QObject::connect(item, &QAction::triggered, this, Handler([this, item, handler] { handler(item); }));
    return item;
  };
  auto shortcut = [](QAction* item, const QKeySequence& keys) {
    item->setShortcut(keys);
    item->setShortcutContext(Qt::ApplicationShortcut);
  };

  puzzleMenu_ = menuBar_->addMenu("&Puzzle");
  Solve1 = action(puzzleMenu_, "&Solve...", [this](QAction* a) { Open1Click(a); });
  QMenu* construct = puzzleMenu_->addMenu("&Construct");
  QMenu* newMenu = construct->addMenu("&New");
  for (std::size_t i = 0; i < NewItems.size(); ++i)
    NewItems[i] = action(newMenu, kNewCaptions[i], [this](QAction* a) { NewPuzzleClick(a); });
  ConstructOpen1 = action(construct, "&Open...", [this](QAction* a) { Open1Click(a); });
  puzzleMenu_->addSeparator();
  Save1 = action(puzzleMenu_, "Sa&ve", [this](QAction*) { Save1Click(); });
  shortcut(Save1, QKeySequence("Ctrl+S"));
  SavePuzzleAs1 = action(puzzleMenu_, "Save Puzzle &As...", [this](QAction* a) { CopyGridAs1Click(a); });
  CopyGridAs1 = action(puzzleMenu_, "Copy &Grid As...", [this](QAction* a) { CopyGridAs1Click(a); });
  puzzleMenu_->addSeparator();
  Print1 = action(puzzleMenu_, "&Print...", [this](QAction*) { Print1Click(); });
  shortcut(Print1, QKeySequence("Ctrl+P"));
  PrinterSetup1 = action(puzzleMenu_, "P&rinter Setup...", [this](QAction*) { PrinterSetup1Click(); });
  HistorySeparator = puzzleMenu_->addSeparator();
  HistorySeparator->setVisible(false);
  for (int i = 0; i < 3; ++i) {
    History[i] = action(puzzleMenu_, QString(), [this, i](QAction*) { HistoryClick(i + 1); });
    History[i]->setVisible(false);
  }
  puzzleMenu_->addSeparator();
  Exit1 = action(puzzleMenu_, "E&xit", [this](QAction*) { Exit1Click(); });
  shortcut(Exit1, QKeySequence("Ctrl+X"));

  QMenu* options = menuBar_->addMenu("&Options ");
  ScorePuzzle1 = action(options, "&Score Puzzle", [this](QAction*) { ScorePuzzle1Click(); });
  Clock1 = action(options, "&Clock...", [this](QAction*) { Clock1Click(); });
  ReverttoSaved1 = action(options, "&Revert to Saved", [this](QAction*) { ReverttoSaved1Click(); });
  ScanGrid1 = action(options, "Scan &Grid...", [this](QAction*) { ScanGrid1Click(); });
  AutoArrange1 = action(options, "&Auto Arrange", [this](QAction*) { AutoArrange1Click(); });
  shortcut(AutoArrange1, QKeySequence("F9"));
  Preferences1 = action(options, "&Preferences...", [this](QAction*) { Preferences1Click(); });

  SpecialMenu = menuBar_->addMenu("&Special");
  ExportMetafile1 = action(SpecialMenu, "Export &Metafile", [this](QAction* a) { ExportClick(a); });
  ExportEPS1 = action(SpecialMenu, "Export &EPS", [this](QAction* a) { ExportClick(a); });
  ExportRTFFile1 = action(SpecialMenu, "Export &RTF File", [this](QAction* a) { ExportClick(a); });
  SpecialMenu->addSeparator();
  RTFGridToClipboard1 = action(SpecialMenu, "RT&F Grid to Clipboard", [this](QAction* a) { ToClipboardClick(a); });
  GridToClipboard1 = action(SpecialMenu, "&Grid to Clipboard", [this](QAction* a) { ToClipboardClick(a); });
  SolutionToClipboard1 = action(SpecialMenu, "&Solution to Clipboard", [this](QAction* a) { ToClipboardClick(a); });
  CluesToClipboard1 = action(SpecialMenu, "&Clues to Clipboard", [this](QAction* a) { ToClipboardClick(a); });
  SpecialMenu->addSeparator();
  ShowGuidelines1 = action(SpecialMenu, kShowGuidelines, [this](QAction*) { ShowGuidelines1Click(); });
  QMenu* transform = SpecialMenu->addMenu("&Transform");
  Invert1 = action(transform, kTransformItems[0].caption, [this](QAction* a) { TransformClick(a); });
  Rotate1 = action(transform, kTransformItems[1].caption, [this](QAction* a) { TransformClick(a); });
  Flip1 = action(transform, kTransformItems[2].caption, [this](QAction* a) { TransformClick(a); });
  SpecialMenu->addSeparator();
  Byline1 = action(SpecialMenu, "&Byline...", [this](QAction*) { Byline1Click(); });
  Analysis1 = action(SpecialMenu, "&Analysis...", [this](QAction*) { Analysis1Click(); });

  toolsMenu_ = menuBar_->addMenu("&Tools");
  const char* tools[] = {"&Dictionary...", "&Thesaurus...", nullptr, "&Hintvault...", "&Jotterly...", "&Postwick..."};
  for (std::size_t slot = 0; slot < ToolItems.size(); ++slot) {
    if (!tools[slot]) {
      ToolItems[slot] = toolsMenu_->addSeparator();
      continue;
    }
    // The value name is the four characters after the ampersand, followed by "Path".
    toolNames_[slot] = QString::fromLatin1(tools[slot]).mid(1, 4);
    ToolItems[slot] = action(toolsMenu_, tools[slot], [this](QAction* a) { ToolsMenuItemClick(a); });
  }
  shortcut(ToolItems[0], QKeySequence("Ctrl+D"));

  QMenu* help = menuBar_->addMenu("&Help");
  HelpContents1 = action(help, "&Contents", [this](QAction*) { HelpContentsClick(); });
  HelpKeywordIndex1 = action(help, "&Keyword Index", [this](QAction*) { HelpKeywordIndexClick(); });
  help->addSeparator();
  About1 = action(help, "&About...", [this](QAction*) { About1Click(); });

  for (QAction* off : {Save1, SavePuzzleAs1, CopyGridAs1, Print1, ScorePuzzle1, Clock1, ReverttoSaved1,
                       ScanGrid1, AutoArrange1})
    off->setEnabled(false);
  SpecialMenu->setEnabled(false);
}

void TXwdMainForm::BuildToolPanel() {
  auto* layout = new QHBoxLayout(ToolPanel);
  layout->setContentsMargins(0, 2, 0, 2);
  layout->setSpacing(1);
  ToolPanel->setFocusPolicy(Qt::ClickFocus);
  struct Button {
    QToolButton* button;
    const char* glyph;
    const char* text;
    const char* hint;
  };
  const Button buttons[] = {
      {MouseBtn, "MOUSEACR", "M", "Swap mouse buttons"},
      {CheatBtn, "CHEAT", "?", "Show puzzle answers"},
      {SquaresBtn, "SQUARES", "#", "Design puzzle grid"},
      {LettersBtn, "LETTERS", "A", "Construct the puzzle"},
      {SymmetryBtn, "ONSYMMETRY", "S", "Grid symmetry is ON"},
      {DictBtn, "DICT", "D", "Open dictionary"},
      {AutoclueBtn, "AUTOCLUE", "C", "Write the clues"},
  };
  for (const Button& b : buttons) {
    b.button->setAutoRaise(true);
    b.button->setIcon(Glyph(b.glyph));
    if (b.button->icon().isNull()) b.button->setText(b.text);
    b.button->setProperty("hint", QString::fromLatin1(b.hint));
    b.button->setToolTip(b.hint);
    b.button->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(b.button);
    if (b.button != MouseBtn) SetButtonEnabled(b.button, false);
  }
  layout->addStretch(1);
  SetButtonEnabled(MouseBtn, true);

  auto* group = new QButtonGroup(ToolPanel);
  group->setExclusive(true);
  for (QToolButton* b : {SquaresBtn, LettersBtn}) {
    b->setCheckable(true);
    group->addButton(b);
  }
  QObject::connect(MouseBtn, &QToolButton::clicked, this, Handler([this] { MouseBtnClick(); }));
  QObject::connect(CheatBtn, &QToolButton::pressed, this, Handler([this] { CheatBtnMouseDown(); }));
  QObject::connect(CheatBtn, &QToolButton::released, this, Handler([this] { CheatBtnMouseUp(); }));
  QObject::connect(SquaresBtn, &QToolButton::clicked, this, Handler([this] { SquaresBtnClick(); }));
  QObject::connect(LettersBtn, &QToolButton::clicked, this, Handler([this] { LettersBtnClick(); }));
  QObject::connect(SymmetryBtn, &QToolButton::clicked, this, Handler([this] { SymmetryBtnClick(); }));
  QObject::connect(DictBtn, &QToolButton::clicked, this, Handler([this] { ToolsMenuItemClick(ToolItems[0]); }));
  QObject::connect(AutoclueBtn, &QToolButton::clicked, this, Handler([this] { AutoclueBtnClick(); }));
}

void TXwdMainForm::SetButtonEnabled(QToolButton* button, bool enabled) {
  button->setEnabled(enabled);
  button->setToolTip(enabled ? button->property("hint").toString() : QString());
}

bool TXwdMainForm::eventFilter(QObject* watched, QEvent* event) {
  // The status box only displays text: a click hands the focus to the tool panel.
  if (watched == DataMemo->viewport() && event->type() == QEvent::MouseButtonPress) {
    ToolPanel->setFocus();
    return true;
  }
  return TForm::eventFilter(watched, event);
}

// ---- Start-up and presenting a puzzle ------------------------------------------------------

void TXwdMainForm::FirstShow() {
  if (firstShown_) return;
  firstShown_ = true;
  // A fixed window just around the logo; the layout adds up the menu bar, tool panel and label
  // above it and the 4-pixel border around it.
  layout()->activate();
  setFixedSize(LogoImage->width() + 8, layout()->totalMinimumSize().height());
  LoadStatusFont();
  LoadToolPaths();
  if (!commandLine_.isEmpty())
    OpenFromCommandLine();
  else
    RebuildHistory();
}

void TXwdMainForm::OpenFromCommandLine() {
  const QString fileName = QFileInfo(commandLine_.at(0)).absoluteFilePath();
  try {
    XwdProcs->LoadPuzzle(fileName);
  } catch (const EInOutError&) {
    XwdProcs->SoundMessage(kCorruptPuzzle);
    PuzzleFileName.clear();
    RebuildHistory();
    return;
  }
  PuzzleFileName = fileName;
  EditMode = commandLine_.size() > 1 && commandLine_.at(1).toUpper() == "-C" ? emLetters : emSolve;
  ShowPuzzle();
}

void TXwdMainForm::LoadStatusFont() {
  ApplyFontSetting(DataMemo, ReadFontSetting("Status", StatusFontDefaults));
}

void TXwdMainForm::LoadToolPaths() {
  for (std::size_t slot = 0; slot < ToolItems.size(); ++slot)
    if (!toolNames_[slot].isEmpty())
      ToolItems[slot]->setEnabled(!XwdProcs->ReadSetting(toolNames_[slot] + "Path", "").isEmpty());
  SoundLevel = XwdProcs->ReadSetting("PlaySounds", 1);
  SetButtonEnabled(DictBtn, ToolItems[0]->isEnabled());
}

void TXwdMainForm::ShowPuzzle() {
  const bool solving = EditMode == emSolve;
  closingSaveFailed_ = false;
  if (!puzzleShown_) {
    puzzleShown_ = true;
    LogoImage->hide();
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const int fontHeight = FontHeightValue(XwdProcs->ReadSetting("StatusFontSize", 11));
    // Never narrower than the menu bar, so that no menu hides behind its extension button.
    const QMargins margins = layout()->contentsMargins();
    const int menuWidth = menuBar_->sizeHint().width() + margins.left() + margins.right();
    setMinimumSize(std::max(kMinPuzzleWidth, menuWidth), GetSystemMetrics(SM_CYMENU) * (ScreenPixelsPerInch() / 60) +
                                         GetSystemMetrics(SM_CYCAPTION) + kModeLabelHeight + kDataMemoHeight +
                                         kUpdateBtnHeight - 5 * fontHeight);
    RestoreMainBounds();
    DataMemo->show();
  }
  // Every puzzle gets its commands back, also after a recycled one took them away.
  for (QAction* item : {Save1, Print1, ReverttoSaved1, AutoArrange1}) item->setEnabled(true);

  DataMemo->clear();
  if (AutoclueForm->Visible()) AutoclueForm->Close();
  if (XwdClockForm->Visible()) XwdClockForm->Close();
  // The scan results belong to the puzzle they were made for; a solver gets no scan of the
  // answers at all.
  ScanGridForm->ForgetScan();
  if (solving) ScanGridForm->Hide();
  XwdPrintForm->TitleEdit->clear();

  XwdProcs->WriteSetting("CurrentPuzzle", PuzzleFileName);
  RebuildHistory();

  XwdGridForm->SetCaption(QFileInfo(PuzzleFileName).fileName());
  if (XwdGridForm->Visible()) XwdGridForm->Hide();
  XwdGridForm->Show();
  CluesForm->Hide();

  for (QAction* item : {SavePuzzleAs1, CopyGridAs1, ScanGrid1}) item->setEnabled(!solving);
  SpecialMenu->setEnabled(!solving);
  for (QToolButton* button : {SquaresBtn, LettersBtn, SymmetryBtn, AutoclueBtn}) SetButtonEnabled(button, !solving);
  for (QAction* item : {ScorePuzzle1, Clock1}) item->setEnabled(solving);
  SetButtonEnabled(CheatBtn, solving);

  Byline->show();
  UpdateBtn->setVisible(!solving);
  if (solving) CluesForm->Show();

  if (!solving) {
    Byline->setText(QString());
    SetModeButtons();
    ModeLabel->setText("Specifications");
    UpdateBtnClick();
  } else {
    ModeLabel->clear();
    const std::string name = XwdProcs->GetBylineName();
    Byline->setText(name.empty() ? QStringLiteral("a Quillmere puzzle") : "by " + FromAnsi(name));
  }
}

// The down button follows the mode, so the button never says letters while clicks set squares.
void TXwdMainForm::SetModeButtons() {
  SquaresBtn->setChecked(EditMode == emSquares);
  LettersBtn->setChecked(EditMode != emSquares);
}

void TXwdMainForm::UpdateBtnClick() {
  const int n = Puzzle.GridSize;
  int blacks = 0;
  for (int y = 1; y <= n; ++y)
    for (int x = 1; x <= n; ++x)
      if (Puzzle.Solution(x, y) == BlackSquare) ++blacks;
  const std::size_t words = NumberWords(Puzzle).size();
  const std::string text = "Size of Grid: " + std::to_string(n) + "\xD7\r\n" + "Black Squares: " +
                           std::to_string(blacks) + "  Par: " + std::to_string(n * n / 6) + "\r\n" +
                           "Word Count: " + std::to_string(words) + "  Par: " + std::to_string(WordPar(n)) + "\r\n";
  SetDataMemoText(text);
}

void TXwdMainForm::SetDataMemoText(const std::string& ansi) {
  QString text = FromAnsi(ansi);
  text.replace("\r\n", "\n");
  if (text.endsWith('\n')) text.chop(1);
  DataMemo->setPlainText(text);
}

std::string TXwdMainForm::DataMemoText() const {
  const QString text = DataMemo->toPlainText();
  if (text.isEmpty()) return {};
  std::string ansi;
  for (const QString& line : text.split('\n')) ansi += ToAnsi(line) + "\r\n";
  return ansi;
}

void TXwdMainForm::ShowCurrentClue() {
  SetDataMemoText(CluesForm->SelectedClue());
  ModeLabel->setText(XwdGridForm->Direction == 1 ? "Across Clue" : "Down Clue");
}

void TXwdMainForm::ClearClueStatus() {
  DataMemo->clear();
  if (EditMode == emSolve) ModeLabel->clear();
}

// ---- Print, export, clipboard, transform ---------------------------------------------------

void TXwdMainForm::Print1Click() {
  if (EditMode == emSolve) {
    TInfoNote note(2);
    XwdProcs->Pause(5);
    const TPrintedNote printed(XwdPrintForm->QuickPrintPuzzle());
    XwdProcs->Pause(1000);
    return;
  }
  UpdateBtnClick();
  XwdPrintForm->SpecsText = DataMemoText();
  XwdPrintForm->ShowModal();
}

void TXwdMainForm::PrinterSetup1Click() {
  // Without a printer the dialog proposes the PDF file beside the current puzzle.
  platform::gui::Printer().Document = PuzzleFileName;
  CurrentDialogs().PrinterSetup();
}

void TXwdMainForm::Exit1Click() { Close(); }

void TXwdMainForm::ExportClick(QAction* Sender) {
  FileDialogRequest request;
  QString extension;
  if (Sender == ExportMetafile1) {
    request.Title = "Export Metafile";
    extension = ".wmf";
    request.Filter = "Windows Metafile|*.wmf";
    request.DefaultExt = "wmf";
  } else if (Sender == ExportEPS1) {
    request.Title = "Export EPS";
    extension = ".eps";
    request.Filter = "Encapsulated PostScript|*.eps|Light Encapsulated PostScript|*.eps";
    request.DefaultExt = "eps";
  } else {
    request.Title = "Export RTF File";
    extension = ".rtf";
    request.Filter = "Rich Text Format|*.rtf";
    request.DefaultExt = "rtf";
  }
  const QFileInfo puzzle(PuzzleFileName);
  request.FileName = QDir(puzzle.path()).filePath(puzzle.completeBaseName() + extension);
  request.Options = ofOverwritePrompt | ofHideReadOnly | ofNoChangeDir;
  const auto chosen = CurrentDialogs().SaveFile(request);
  if (!chosen) return;
  TInfoNote note(3);
  XwdProcs->Pause(5);
  if (Sender == ExportMetafile1) {
    ExportForm->ExportText(chosen->FileName);
    ExportForm->ExportMetafile(chosen->FileName, 0);
  } else if (Sender == ExportEPS1) {
    ExportForm->ExportText(chosen->FileName);
    ExportForm->ExportEps(chosen->FileName, chosen->FilterIndex);
  } else {
    ExportForm->SpecsText = DataMemoText();
    ExportForm->ExportRtf(chosen->FileName);
  }
  XwdProcs->Pause(1000);
}

void TXwdMainForm::ToClipboardClick(QAction* Sender) {
  TInfoNote note(3);
  XwdProcs->Pause(5);
  const QString name = QFileInfo(PuzzleFileName).fileName();
  if (Sender == GridToClipboard1)
    ExportForm->ExportMetafile(name, 1);
  else if (Sender == SolutionToClipboard1)
    ExportForm->ExportMetafile(name, 2);
  else if (Sender == RTFGridToClipboard1)
    ExportForm->ExportMetafile(name, 3);
  else
    ExportForm->CopyCluesToClipboard();
  XwdProcs->Pause(1000);
}

void TXwdMainForm::ShowGuidelines1Click() {
  guidelinesShown_ = !guidelinesShown_;
  ShowGuidelines1->setText(guidelinesShown_ ? kHideGuidelines : kShowGuidelines);
  XwdGridForm->Repaint();
}

void TXwdMainForm::TransformClick(QAction* Sender) {
  const TransformItem& item = kTransformItems[Sender == Invert1 ? 0 : Sender == Rotate1 ? 1 : 2];
  if (XwdProcs->AlertMessage(QStringLiteral("Some definition may be lost in transformation. %1?").arg(item.name),
                             MsgDlgType::Warning, mbYes | mbNo) != mrYes)
    return;
  ExportForm->TransformGrid(item.mode);
  // Autoclue's word has moved: a clue typed there now would land on another word.
  if (AutoclueForm->Visible()) AutoclueForm->Close();
  XwdGridForm->Direction = 0;
  XwdGridForm->Repaint();
  PuzzleModified = 1;
}

void TXwdMainForm::Byline1Click() { BylineForm->ShowModal(); }

void TXwdMainForm::Analysis1Click() { AnalysisForm->ShowModal(); }

// ---- Options -------------------------------------------------------------------------------

void TXwdMainForm::ScorePuzzle1Click() {
  switch (ScoreForm->ShowModal()) {
    case mrYes:
      XwdGridForm->MarkWrongEntries();
      break;
    case mrAbort:
      // Nothing changes unless the file really went to the trash.
      if (!XwdProcs->RecyclePuzzleFile(PuzzleFileName)) {
        XwdProcs->SoundMessage("Unable to move the puzzle to the trash.");
        return;
      }
      for (QAction* item : {Save1, Print1, ScorePuzzle1, ReverttoSaved1}) item->setEnabled(false);
      SetButtonEnabled(CheatBtn, false);
      ModeLabel->clear();
      DataMemo->clear();
      Byline->setText("!!! DELETED !!!");
      AllowChildClose = 1;
      XwdGridForm->Close();
      CluesForm->Close();
      AllowChildClose = 0;
      PuzzleFileName.clear();
      XwdProcs->WriteSetting("CurrentPuzzle", "");
      XwdProcs->WriteSetting("HistoryPuzzle1", "");
      RebuildHistory();
      break;
    default:
      break;
  }
}

void TXwdMainForm::Clock1Click() {
  if (XwdClockForm->Visible())
    XwdClockForm->Hide();
  else
    XwdClockForm->Show();
}

void TXwdMainForm::ScanGrid1Click() { ScanGridForm->Show(); }

void TXwdMainForm::Preferences1Click() {
  if (XwdPrefForm->ShowModal() != mrOk) return;
  if (Save1->isEnabled() && XwdPrefForm->ViewChk->isChecked()) SaveScreenLayout(XwdPrefForm->arrangement);
  LoadToolPaths();
  LoadStatusFont();
  if (XwdGridForm->Visible()) {
    XwdGridForm->LoadGridPrefs();
    if (EditMode != emSolve) XwdGridForm->BuildLetterSet();
    XwdGridForm->Repaint();
  }
  if (CluesForm->Visible()) CluesForm->LoadCluePrefs();
  if (AutoclueForm->Visible()) AutoclueForm->LoadAutoPrefs();
}

// ---- Tools and help ------------------------------------------------------------------------

void TXwdMainForm::ToolsMenuItemClick(QAction* Sender) {
  const auto slot = static_cast<int>(std::find(ToolItems.begin(), ToolItems.end(), Sender) - ToolItems.begin());
  const QString path = XwdProcs->ReadSetting(toolNames_[slot] + "Path", "");
  LaunchModule->CurrentSlot = slot;
  LaunchModule->LaunchTool(path);
}

QString TXwdMainForm::HelpFile() const {
  return QDir(QCoreApplication::applicationDirPath()).filePath("quillmeredemo.hlp");
}

void TXwdMainForm::HelpContentsClick() { CurrentHelpViewer().ShowContents(HelpFile()); }

void TXwdMainForm::HelpKeywordIndexClick() { CurrentHelpViewer().ShowKeywordIndex(HelpFile(), QString()); }

void TXwdMainForm::About1Click() { XwdAboutForm->ShowModal(); }

// ---- Tool buttons --------------------------------------------------------------------------

void TXwdMainForm::MouseBtnClick() {
  XwdGridForm->SwapButtons = XwdGridForm->SwapButtons ? 0 : 1;
  MouseBtn->setIcon(Glyph(XwdGridForm->SwapButtons ? "MOUSEDWN" : "MOUSEACR"));
}

void TXwdMainForm::CheatBtnMouseDown() { XwdGridForm->ShowAnswers(); }

void TXwdMainForm::CheatBtnMouseUp() { XwdGridForm->Repaint(); }

void TXwdMainForm::SquaresBtnClick() {
  XwdGridForm->EndSelection();
  if (AutoclueForm->Visible()) AutoclueForm->Close();
  EditMode = emSquares;
}

void TXwdMainForm::LettersBtnClick() { EditMode = emLetters; }

void TXwdMainForm::SymmetryBtnClick() {
  XwdGridForm->SymmetryOn = XwdGridForm->SymmetryOn ? 0 : 1;
  const bool on = XwdGridForm->SymmetryOn != 0;
  SymmetryBtn->setIcon(Glyph(on ? "ONSYMMETRY" : "OFFSYMMETRY"));
  SymmetryBtn->setProperty("hint", on ? "Grid symmetry is ON" : "Grid symmetry is OFF");
  SetButtonEnabled(SymmetryBtn, SymmetryBtn->isEnabled());
}

void TXwdMainForm::AutoclueBtnClick() {
  if (!XwdProcs->IsGridFull() &&
      XwdProcs->AlertMessage("Running Autoclue before completing puzzle is not recommended. Start Autoclue anyway?",
                             MsgDlgType::Warning, mbYes | mbNo) != mrYes)
    return;
  AutoclueForm->Show();
}

// ---- Closing -------------------------------------------------------------------------------

void TXwdMainForm::FormCloseQuery(bool& CanClose) {
  // A solver's changes are saved without a question, unless that save already failed on an
  // earlier close: then the question lets the solver leave without them.
  if (PuzzleModified && (EditMode != emSolve || closingSaveFailed_)) {
    switch (XwdProcs->AlertMessage(kSaveQuestion, MsgDlgType::Confirmation, mbYes | mbNo | mbCancel)) {
      case mrYes: break;
      case mrNo: PuzzleModified = 0; break;
      default: CanClose = false; return;
    }
  }
  // Changes still pending are saved, in solve mode without asking. A failed save is reported
  // and keeps the program open, so nothing is lost.
  if (PuzzleModified) {
    try {
      XwdProcs->SavePuzzle(PuzzleFileName);
    } catch (const EInOutError& e) {
      CurrentDialogs().MessageDlg(QString::fromUtf8(e.what()), MsgDlgType::Error, mbOK);
      closingSaveFailed_ = true;
      CanClose = false;
    }
  }
}

void TXwdMainForm::FormClose() {
  CurrentHelpViewer().Quit();
  AllowChildClose = 1;
  for (TForm* form : std::initializer_list<TForm*>{XwdGridForm, CluesForm})
    if (form->Visible()) form->Close();
  // The run ends once this close is over: Qt refuses a quit asked for while this window is
  // still closing, as it asks every window, this one too, to close first.
  QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}
