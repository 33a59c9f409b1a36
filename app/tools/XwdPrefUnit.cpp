#include "app/tools/XwdPrefUnit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPixmap>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/puzzle/WindowSettings.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/FontStyle.h"
#include "platform/gui/SystemMetrics.h"

using namespace platform::gui;

TXwdPrefForm* XwdPrefForm = nullptr;

namespace {

// A companion program: its setting, its label, and what Browse asks.
struct ToolPath {
  const char* setting;
  const char* label;
  const char* title;
  const char* filter;
};

constexpr std::array<ToolPath, TXwdPrefForm::ToolCount> kToolPaths{{
    {"DictPath", "Dictionary", "Link Dictionary", "Dictionary Files (*.EXE)|*.EXE"},
    {"ThesPath", "Thesaurus", "Link Thesaurus", "Thesaurus Files (*.EXE)|*.EXE"},
    {"HintPath", "Hintvault", "Link Hintvault", "Quillmere Hintvault (*.EXE)|*.EXE"},
    {"JottPath", "Jotterly", "Link Text Editor", "Editor Files (*.EXE)|*.EXE"},
    {"PostPath", "Postwick", "Link Postwick", "Quillmere Postwick (*.EXE)|*.EXE"},
}};

// Programs here have no extension: every file is offered, and chosen at first; no name is
// proposed, as a pattern in the name field would hide them again.
const QString kAllFiles = QStringLiteral("|All files (*)|*");
constexpr int kAllFilesIndex = 2;

// In the order of their digits, three columns of three.
constexpr std::array<const char*, 9> kLanguages{"English", "French",    "Spanish", "Italian",     "German",
                                                "Swedish", "Norwegian", "Danish",  "Multilingual"};
constexpr int kLanguageRows = 3;

constexpr QSize kPreviewSize(160, 120);
constexpr QSize kGridPadSize(241, 161);
constexpr int kSwatchSize = 24;

FontChoice DefaultFont(const TFontDefaults& defaults) {
  return {defaults.Name, defaults.Size, defaults.Style, *StringToColor(defaults.Color)};
}

QFrame* Swatch(QWidget* parent) {
  auto* swatch = new QFrame(parent);
  swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
  swatch->setFixedSize(kSwatchSize, kSwatchSize);
  swatch->setAutoFillBackground(true);
  return swatch;
}

void ShowFont(QWidget* preview, const FontChoice& font) {
  ApplyFontSetting(preview, {MakeFont(font.Name, font.Size, font.Style), font.Color});
}

}  // namespace

std::string BylineWithLanguage(std::string_view Byline, int Language) {
  // The digit replaces what follows the last bar; without a bar the name keeps room for one.
  const std::size_t bar = Byline.rfind('|');
  std::string name(Byline.substr(0, bar == std::string_view::npos ? Byline.size() : bar));
  name.resize(std::min<std::size_t>(name.size(), MaxStringLength - 2));
  return name + "|" + std::to_string(Language);
}

TXwdPrefForm::TXwdPrefForm()
    : PageControl1(new QTabWidget(this)),
      CancelBtn(new QPushButton("&Cancel", this)),
      SaveBtn(new QPushButton("&Save", this)),
      DefaultsBtn(new QPushButton("&Defaults", this)) {
  SetCaption("Quillmere Preferences");
  PageControl1->addTab(BuildGeneralPage(), "General");
  PageControl1->addTab(BuildViewPage(), "View");
  PageControl1->addTab(BuildPrintPage(), "Print");
  PageControl1->addTab(BuildToolsPage(), "Tools");
  PageControl1->addTab(BuildFontsPage(), "Fonts");
  PageControl1->addTab(BuildLanguagePage(), "Language");

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(DefaultsBtn);
  buttons->addStretch(1);
  buttons->addWidget(CancelBtn);
  buttons->addWidget(SaveBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl1);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  QObject::connect(CancelBtn, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
  SetCancelButton(CancelBtn);
  QObject::connect(SaveBtn, &QPushButton::clicked, this, Handler([this] { SaveBtnClick(); }));
  QObject::connect(DefaultsBtn, &QPushButton::clicked, this, Handler([this] { DefaultsBtnClick(); }));
}

QWidget* TXwdPrefForm::BuildGeneralPage() {
  auto* page = new QWidget;
  ScreenImg = new QLabel(page);
  ScreenImg->setFixedSize(kPreviewSize);
  UserLbl = new QLabel("USER CONFIGURED", page);
  UserLbl->setAlignment(Qt::AlignCenter);
  UserLbl->hide();
  ArrangeBtn = new QPushButton("Arrange", page);
  ArrangeBtn->setToolTip("Set screen elements to auto arrange as shown at left");
  SoundChk = new QCheckBox("SOUNDS", page);
  SoundChk->setToolTip("Turn sounds on or off");
  SpeechChk = new QCheckBox("SPEECH", page);
  SpeechChk->setToolTip("Use speaking messages");
  CursorChk = new QCheckBox("CURSORS", page);
  CursorChk->setToolTip("Use fancy cursors");
  CountsChk = new QCheckBox("COUNTS", page);
  CountsChk->setToolTip("Show word lengths in Autoclue");
  SaveAllChk = new QCheckBox("SAVE CUSTOM ARRANGEMENT", page);
  ViewChk = new QCheckBox("Change Screen Layout", page);

  auto* picture = new QVBoxLayout;
  picture->addWidget(ScreenImg);
  picture->addWidget(UserLbl);
  picture->addWidget(ArrangeBtn);
  picture->addStretch(1);
  auto* boxes = new QVBoxLayout;
  for (QCheckBox* box : {SoundChk, SpeechChk, CursorChk, CountsChk}) boxes->addWidget(box);
  boxes->addStretch(1);
  boxes->addWidget(SaveAllChk);
  boxes->addWidget(ViewChk);
  auto* layout = new QHBoxLayout(page);
  layout->addLayout(picture);
  layout->addSpacing(12);
  layout->addLayout(boxes);

  QObject::connect(ViewChk, &QCheckBox::clicked, this, Handler([this] { ViewChkClick(); }));
  QObject::connect(ArrangeBtn, &QPushButton::clicked, this, Handler([this] { ArrangeBtnClick(); }));
  QObject::connect(SaveAllChk, &QCheckBox::clicked, this, Handler([this] { SaveAllChkClick(); }));
  QObject::connect(SoundChk, &QCheckBox::clicked, this, Handler([this] { SoundChkClick(); }));
  QObject::connect(SpeechChk, &QCheckBox::clicked, this, Handler([this] { SpeechChkClick(); }));
  return page;
}

QWidget* TXwdPrefForm::BuildViewPage() {
  auto* page = new QWidget;
  GridPad = new TPaintBox(page);
  GridPad->setFixedSize(kGridPadSize);
  GridPad->OnPaint = [this](Canvas& canvas) { GridPadPaint(canvas); };
  LetterSwatch = Swatch(page);
  FilledSwatch = Swatch(page);
  LeftLegendLbl = new QLabel("Left mouse button sets letter square color", page);
  RightLegendLbl = new QLabel("Right mouse button sets filled square color", page);
  ColorGrid1 = new TColorGrid(page);
  ColorGrid1->setToolTip("Click mouse buttons here as explained in legend to select grid colors");
  ColorGrid1->OnMouseUp = [this](Qt::MouseButton button, QPoint at) { ColorGrid1MouseUp(button, at); };
  FontBtn = new QPushButton("Font...", page);
  FontBtn->setToolTip("Select a typeface for the puzzle grid");

  auto* legend = new QGridLayout;
  legend->addWidget(LetterSwatch, 0, 0);
  legend->addWidget(LeftLegendLbl, 0, 1);
  legend->addWidget(FilledSwatch, 1, 0);
  legend->addWidget(RightLegendLbl, 1, 1);
  auto* colors = new QHBoxLayout;
  colors->addWidget(ColorGrid1);
  colors->addStretch(1);
  colors->addWidget(FontBtn, 0, Qt::AlignBottom);
  auto* right = new QVBoxLayout;
  right->addLayout(legend);
  right->addLayout(colors);
  right->addStretch(1);
  auto* layout = new QHBoxLayout(page);
  layout->addWidget(GridPad, 0, Qt::AlignTop);
  layout->addSpacing(8);
  layout->addLayout(right);

  QObject::connect(FontBtn, &QPushButton::clicked, this, Handler([this] { FontBtnClick(); }));
  return page;
}

QWidget* TXwdPrefForm::BuildPrintPage() {
  auto* page = new QWidget;
  DefsChk = new QCheckBox("Definitions At Left", page);
  MarginEdit = new QSpinBox(page);
  MarginEdit->setRange(0, 9);
  auto* margin = new QHBoxLayout;
  margin->addWidget(MarginEdit);
  margin->addWidget(new QLabel("Bottom Margin", page));
  margin->addStretch(1);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(DefsChk);
  layout->addLayout(margin);
  layout->addStretch(1);
  return page;
}

QWidget* TXwdPrefForm::BuildToolsPage() {
  auto* page = new QWidget;
  auto* layout = new QGridLayout(page);
  for (int tool = 0; tool < ToolCount; ++tool) {
    const ToolPath& path = kToolPaths[static_cast<std::size_t>(tool)];
    PathEdits[tool] = new QLineEdit(page);
    PathEdits[tool]->setMinimumWidth(260);
    BrowseBtns[tool] = new QPushButton("Browse...", page);
    layout->addWidget(new QLabel(path.label, page), tool, 0);
    layout->addWidget(PathEdits[tool], tool, 1);
    layout->addWidget(BrowseBtns[tool], tool, 2);
    QObject::connect(BrowseBtns[tool], &QPushButton::clicked, this,
                     Handler([this, tool] { BrowseBtnClick(static_cast<Tool>(tool)); }));
  }
  layout->setRowStretch(ToolCount, 1);
  return page;
}

QWidget* TXwdPrefForm::BuildFontsPage() {
  auto* page = new QWidget;
  SolvePreview = new QListWidget(page);
  SolvePreview->addItem("Solve mode clues list");
  DefsPreview = new QListWidget(page);
  DefsPreview->addItem("Definitions listing");
  AutoPreview = new QLineEdit("Autoclue puzzle definitions", page);
  AutoPreview->setMaxLength(MaxStringLength);
  StatusPreview = new QPlainTextEdit("Status Box", page);
  StatusPreview->setReadOnly(true);
  SolveFontBtn = new QPushButton("Font...", page);
  SolveFontBtn->setToolTip("Select a typeface for the clue list in Solve mode (preview at left)");
  DefsListBtn = new QPushButton("Font...", page);
  DefsListBtn->setToolTip("Select a typeface for the definitions list in Construct mode (preview at left)");
  AutoFontBtn = new QPushButton("Font...", page);
  AutoFontBtn->setToolTip("Select a typeface for the Autoclue dialog in Construct mode (preview at left)");
  StatusBoxBtn = new QPushButton("Font...", page);
  StatusBoxBtn->setToolTip("Select a typeface for the status box (preview at left)");

  auto* layout = new QGridLayout(page);
  const std::pair<QWidget*, QPushButton*> rows[] = {
      {SolvePreview, SolveFontBtn}, {DefsPreview, DefsListBtn}, {AutoPreview, AutoFontBtn}, {StatusPreview, StatusBoxBtn}};
  for (QListWidget* list : {SolvePreview, DefsPreview}) {
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
  }
  for (int row = 0; row < 4; ++row) {
    rows[row].first->setFixedHeight(44);
    layout->addWidget(rows[row].first, row, 0);
    layout->addWidget(rows[row].second, row, 1, Qt::AlignVCenter);
  }
  QObject::connect(SolveFontBtn, &QPushButton::clicked, this, Handler([this] { SolveFontBtnClick(); }));
  QObject::connect(DefsListBtn, &QPushButton::clicked, this, Handler([this] { DefsListBtnClick(); }));
  QObject::connect(AutoFontBtn, &QPushButton::clicked, this, Handler([this] { AutoFontBtnClick(); }));
  QObject::connect(StatusBoxBtn, &QPushButton::clicked, this, Handler([this] { StatusBoxBtnClick(); }));
  return page;
}

QWidget* TXwdPrefForm::BuildLanguagePage() {
  auto* page = new QWidget;
  auto* group = new QGroupBox("Grid Language", page);
  LangGroup = new QButtonGroup(page);
  auto* columns = new QGridLayout(group);
  for (int digit = 0; digit < static_cast<int>(kLanguages.size()); ++digit) {
    auto* item = new QRadioButton(kLanguages[static_cast<std::size_t>(digit)], group);
    LangGroup->addButton(item, digit);
    columns->addWidget(item, digit % kLanguageRows, digit / kLanguageRows);
  }
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(group);
  layout->addStretch(1);
  // Only a choice of the user's rewrites the open puzzle, not the window setting the group.
  QObject::connect(LangGroup, &QButtonGroup::idClicked, this, Handler([this] { LangGroupClick(); }));
  return page;
}

// ---- Showing -------------------------------------------------------------------------------

void TXwdPrefForm::FormShow() {
  const int pixelsPerInch = ScreenPixelsPerInch();
  if (pixelsPerInch > 96) {
    // The long captions keep their pixel size on a denser screen.
    QFont small = SaveAllChk->font();
    small.setPointSize(static_cast<int>(std::lround(8.0 * 96 / pixelsPerInch)));
    for (QWidget* widget : std::initializer_list<QWidget*>{SaveAllChk, ViewChk, LeftLegendLbl, RightLegendLbl})
      widget->setFont(small);
  }

  ViewChk->setChecked(false);
  ShowPreview(5);
  ArrangeBtn->setEnabled(false);
  SetCustomArrangement(false);
  SaveAllChk->setEnabled(false);

  const int sounds = XwdProcs->ReadSetting("PlaySounds", 1);
  SoundChk->setChecked(sounds != 0);
  SpeechChk->setChecked(sounds == 2);
  CursorChk->setChecked(XwdProcs->ReadSetting("UseCursors", 0) != 0);
  CountsChk->setChecked(XwdProcs->ReadSetting("EntryCounts", false));
  FilledColor = XwdProcs->ReadColorSetting("FilledSqColor", "clBlack");
  LetterColor = XwdProcs->ReadColorSetting("BlankSqColor", "clWhite");
  GridFont = ReadFontValues("", GridFontDefaults);
  ShowGridColors();
  DefsChk->setChecked(XwdProcs->ReadSetting("DefsOnLeft", true));
  MarginEdit->setValue(XwdProcs->ReadSetting("PageBottomMargin", 0));
  LoadToolPaths();
  SolveFont = ReadFontValues("Solve", SolveFontDefaults);
  DefsFont = ReadFontValues("Defs", DefsFontDefaults);
  AutoFont = ReadFontValues("Auto", AutoFontDefaults);
  StatusFont = ReadFontValues("Status", StatusFontDefaults);
  ShowFonts();
  SetLanguage(XwdProcs->ReadSetting("GridLanguage", 0));
}

void TXwdPrefForm::ShowPreview(int number) {
  previewPicture_ = QStringLiteral("SCREEN%1").arg(number);
  ScreenImg->setPixmap(QPixmap(QStringLiteral(":/pictures/%1.png").arg(previewPicture_)));
}

void TXwdPrefForm::SetCustomArrangement(bool ticked) {
  SaveAllChk->setChecked(ticked);
  UserLbl->setVisible(ticked);
}

void TXwdPrefForm::ShowGridColors() {
  SetPaletteColor(LetterSwatch, QPalette::Window, LetterColor);
  SetPaletteColor(FilledSwatch, QPalette::Window, FilledColor);
  GridPad->update();
}

void TXwdPrefForm::ShowFonts() {
  ShowFont(SolvePreview, SolveFont);
  ShowFont(DefsPreview, DefsFont);
  ShowFont(AutoPreview, AutoFont);
  ShowFont(StatusPreview, StatusFont);
}

void TXwdPrefForm::LoadToolPaths() {
  for (int tool = 0; tool < ToolCount; ++tool)
    PathEdits[tool]->setText(XwdProcs->ReadSetting(kToolPaths[static_cast<std::size_t>(tool)].setting, ""));
}

void TXwdPrefForm::SetLanguage(int language) {
  // A digit with no language reads as English, as it does for the grid.
  QAbstractButton* item = LangGroup->button(language);
  (item ? item : LangGroup->button(0))->setChecked(true);
}

// ---- The arrangement and the sounds ---------------------------------------------------------

void TXwdPrefForm::ViewChkClick() {
  const bool ticked = ViewChk->isChecked();
  ArrangeBtn->setEnabled(ticked);
  SaveAllChk->setEnabled(ticked);
  SetCustomArrangement(false);
  if (ticked) {
    ShowPreview(1);
    arrangement = 1;
  } else {
    ShowPreview(5);
  }
}

void TXwdPrefForm::ArrangeBtnClick() {
  SetCustomArrangement(false);
  arrangement = arrangement >= 4 ? 1 : static_cast<char>(arrangement + 1);
  ShowPreview(arrangement);
}

void TXwdPrefForm::SaveAllChkClick() {
  const bool ticked = SaveAllChk->isChecked();
  UserLbl->setVisible(ticked);
  if (ticked) {
    ShowPreview(5);
  } else {
    ShowPreview(1);
    arrangement = 1;
  }
}

void TXwdPrefForm::SoundChkClick() {
  if (!SoundChk->isChecked()) SpeechChk->setChecked(false);
}

void TXwdPrefForm::SpeechChkClick() {
  if (SpeechChk->isChecked()) SoundChk->setChecked(true);
}

// ---- The grid's colours and the fonts ---------------------------------------------------------

void TXwdPrefForm::GridPadPaint(Canvas& Canvas) {
  // A corner of a grid: squares of the real size, black ones in columns 4 and 5 at the top.
  const int square = std::max(1, DefaultSquareSize);
  const int width = GridPad->width(), height = GridPad->height();
  Canvas.Pen = TPen{FilledColor};
  Canvas.Brush.Style = BrushStyle::Clear;
  Canvas.Rectangle(0, 0, width, height);
  Canvas.Font.Name = GridFont.Name;
  Canvas.Font.SetSize(GridFont.Size);
  Canvas.Font.Style = GridFont.Style;
  Canvas.Font.Color = GridFont.Color;
  for (int row = 1; row <= height / square + 1; ++row) {
    for (int column = 1; column <= width / square + 1; ++column) {
      const int x = (column - 1) * square, y = (row - 1) * square;
      const bool filled = (column == 4 && row <= 3) || (column == 5 && row == 1);
      Canvas.Brush = TBrush{filled ? FilledColor : LetterColor, BrushStyle::Solid};
      Canvas.Rectangle(x, y, x + square + 1, y + square + 1);
      if (filled) continue;
      const QString letter = FromAnsi(std::string(1, static_cast<char>(63 + row + column)));
      Canvas.Brush.Style = BrushStyle::Clear;
      Canvas.TextOut(x + (square + 1 - Canvas.TextWidth(letter)) / 2, y + (square + 1 - Canvas.TextHeight(letter)) / 2,
                     letter);
    }
  }
}

void TXwdPrefForm::ColorGrid1MouseUp(Qt::MouseButton Button, QPoint At) {
  const std::optional<TColor> color = ColorGrid1->ColorAt(At);
  if (!color) return;
  if (Button == Qt::RightButton)
    FilledColor = *color;
  else if (Button == Qt::LeftButton)
    LetterColor = *color;
  else
    return;
  ShowGridColors();
}

bool TXwdPrefForm::ChooseFont(FontChoice& font) {
  const std::optional<FontChoice> chosen = CurrentDialogs().ChooseFont(font);
  if (!chosen) return false;
  font = *chosen;
  return true;
}

void TXwdPrefForm::FontBtnClick() {
  if (ChooseFont(GridFont)) GridPad->update();
}

void TXwdPrefForm::SolveFontBtnClick() {
  if (ChooseFont(SolveFont)) ShowFont(SolvePreview, SolveFont);
}

void TXwdPrefForm::DefsListBtnClick() {
  if (ChooseFont(DefsFont)) ShowFont(DefsPreview, DefsFont);
}

void TXwdPrefForm::AutoFontBtnClick() {
  if (ChooseFont(AutoFont)) ShowFont(AutoPreview, AutoFont);
}

void TXwdPrefForm::StatusBoxBtnClick() {
  if (ChooseFont(StatusFont)) ShowFont(StatusPreview, StatusFont);
}

// ---- Programs and language -------------------------------------------------------------------

void TXwdPrefForm::BrowseBtnClick(Tool Which) {
  const ToolPath& path = kToolPaths[static_cast<std::size_t>(Which)];
  FileDialogRequest request;
  request.Title = path.title;
  request.Filter = path.filter + kAllFiles;
  request.FilterIndex = kAllFilesIndex;
  if (const auto chosen = CurrentDialogs().OpenFile(request)) PathEdits[Which]->setText(chosen->FileName);
}

void TXwdPrefForm::LangGroupClick() {
  // Only a puzzle being constructed, with a file to go to, takes the language at once; a
  // solver's puzzle keeps its own, and without a file (none yet, or recycled) there is nothing
  // to change. The choice itself goes to the settings on Save.
  if (EditMode == 0 || EditMode == emSolve || PuzzleFileName.isEmpty()) return;
  const std::string byline = Puzzle.BylineText.Text();
  const std::string changed = BylineWithLanguage(byline, LangItemIndex());
  if (changed == byline) return;
  Puzzle.BylineText.Assign(changed);
  PuzzleModified = 1;
}

// ---- Defaults and Save -----------------------------------------------------------------------

void TXwdPrefForm::DefaultsBtnClick() {
  switch (PageControl1->currentIndex()) {
    case GeneralPage:
      arrangement = 0;
      SoundChk->setChecked(true);
      for (QCheckBox* box : {SpeechChk, CursorChk, CountsChk}) box->setChecked(false);
      if (!ViewChk->isChecked()) {
        ViewChk->setChecked(true);
        ViewChkClick();
      }
      SetCustomArrangement(false);
      ArrangeBtnClick();
      break;
    case ViewPage:
      LetterColor = clWhite;
      FilledColor = clBlack;
      GridFont = DefaultFont(GridFontDefaults);
      ShowGridColors();
      break;
    case PrintPage:
      MarginEdit->setValue(0);
      DefsChk->setChecked(true);
      break;
    case ToolsPage:
      LoadToolPaths();
      break;
    case FontsPage:
      SolveFont = DefaultFont(SolveFontDefaults);
      DefsFont = DefaultFont(DefsFontDefaults);
      AutoFont = DefaultFont(AutoFontDefaults);
      StatusFont = DefaultFont(StatusFontDefaults);
      ShowFonts();
      break;
    case LanguagePage:
      SetLanguage(0);
      break;
  }
}

void TXwdPrefForm::SaveBtnClick() {
  if (ViewChk->isChecked()) {
    if (SaveAllChk->isChecked()) arrangement = 'c';
    XwdProcs->WriteSetting("AutoArrange", static_cast<int>(arrangement));
  }
  XwdProcs->WriteSetting("PlaySounds", SpeechChk->isChecked() ? 2 : SoundChk->isChecked() ? 1 : 0);
  XwdProcs->WriteSetting("UseCursors", CursorChk->isChecked() ? 1 : 0);
  XwdProcs->WriteSetting("EntryCounts", CountsChk->isChecked());
  XwdProcs->WriteSetting("FilledSqColor", QString::fromStdString(ColorToString(FilledColor)));
  XwdProcs->WriteSetting("BlankSqColor", QString::fromStdString(ColorToString(LetterColor)));
  WriteFontValues("", GridFont);
  for (int tool = 0; tool < ToolCount; ++tool)
    XwdProcs->WriteSetting(kToolPaths[static_cast<std::size_t>(tool)].setting, PathEdits[tool]->text());
  WriteFontValues("Solve", SolveFont);
  WriteFontValues("Defs", DefsFont);
  WriteFontValues("Auto", AutoFont);
  WriteFontValues("Status", StatusFont);
  XwdProcs->WriteSetting("GridLanguage", LangItemIndex());
  XwdProcs->WriteSetting("DefsOnLeft", DefsChk->isChecked());
  XwdProcs->WriteSetting("PageBottomMargin", MarginEdit->value());
  SetModalResult(mrOk);
}
