#include "app/tools/ScanGridUnit.h"

#include <QGridLayout>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "app/clues/AnswerText.h"
#include "app/grid/GridCursor.h"
#include "app/grid/GridLayout.h"
#include "app/grid/XwdGridUnit.h"
#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/AnsiValidator.h"
#include "platform/gui/Colors.h"
#include "platform/gui/FontStyle.h"
#include "platform/gui/QtCanvas.h"
#include "platform/os/CodePage1252.h"

using namespace platform::gui;

TScanGridForm* ScanGridForm = nullptr;

namespace {

const QString kScanFont = QStringLiteral("Times New Roman");
constexpr int kScanFontSize = 10;
constexpr int kMaxScanLength = 23;
constexpr int kErrPanelWidth = 201;
constexpr int kErrPanelHeight = 24;
constexpr int kMinWidth = 269;
// Below the Close button: the bevel and a few lines of the list.
constexpr int kMinListRoom = 53;

// Upper case through the Windows-1252 case map, so that accented letters find their words;
// characters a puzzle cannot hold are refused.
class TUpperAnsiValidator : public AnsiValidator {
 public:
  using AnsiValidator::AnsiValidator;
  State validate(QString& input, int& pos) const override {
    const State state = AnsiValidator::validate(input, pos);
    if (state != Invalid) input = FromAnsi(platform::os::AnsiUpper(ToAnsi(input)));
    return state;
  }
};

// Lines are drawn by the form, at the fixed item height, clipped to their own rectangle.
class TScanLineDelegate : public QStyledItemDelegate {
 public:
  TScanLineDelegate(TScanGridForm* form, QObject* parent) : QStyledItemDelegate(parent), form_(form) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    painter->save();
    painter->setClipRect(option.rect);
    QtCanvas canvas(*painter);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    Guard([&] { form_->ScanListDrawItem(canvas, index.row(), option.rect, selected); });
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), TScanGridForm::ItemHeight};
  }

 private:
  TScanGridForm* form_;
};

bool StartsWord(const TXwdPuzzle& p, const TScanHit& hit) {
  return hit.Kind == DirAcross ? IsAcrossStart(p, hit.X, hit.Y) : IsDownStart(p, hit.X, hit.Y);
}

}  // namespace

TScanGridForm::TScanGridForm()
    : ScanEdit(new QLineEdit(this)),
      ScanBtn(new QPushButton("Scan &For...", this)),
      AllBtn(new QPushButton("Scan &All...", this)),
      OkBtn(new QPushButton("&Close", this)),
      ScanList(new TListBox(this)),
      ErrPanel(new QLabel(this)),
      ExImg(new QLabel(this)),
      Bevel1(new QFrame(this)) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  SetCaption("Scan Grid");

  ScanEdit->setFont(MakeFont(kScanFont, kScanFontSize, 0));
  ScanEdit->setMaxLength(kMaxScanLength);
  ScanEdit->setValidator(new TUpperAnsiValidator(ScanEdit));
  ScanBtn->setToolTip("Find any letters in the grid");
  AllBtn->setToolTip("Check grid for matching entries");
  ScanList->setFont(MakeFont(kScanFont, kScanFontSize, 0));
  ScanList->setUniformItemSizes(true);
  ScanList->setItemDelegate(new TScanLineDelegate(this, ScanList));
  Bevel1->setFrameShape(QFrame::HLine);
  Bevel1->setFrameShadow(QFrame::Sunken);
  ExImg->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
  ExImg->hide();

  ErrPanel->setAutoFillBackground(true);
  SetPaletteColor(ErrPanel, QPalette::Window, clWhite);
  SetPaletteColor(ErrPanel, QPalette::WindowText, clRed);
  ErrPanel->setFont(MakeFont("Arial", 10, fsBold));
  ErrPanel->setAlignment(Qt::AlignCenter);
  ErrPanel->setFrameShape(QFrame::Box);
  ErrPanel->resize(kErrPanelWidth, kErrPanelHeight);
  ErrPanel->hide();

  auto* controls = new QGridLayout;
  controls->addWidget(ScanEdit, 0, 0, 1, 2);
  controls->addWidget(ScanBtn, 0, 2);
  controls->addWidget(AllBtn, 1, 0);
  controls->addWidget(ExImg, 1, 1, Qt::AlignLeft);
  controls->addWidget(OkBtn, 1, 2);
  controls->setColumnStretch(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addLayout(controls);
  layout->addWidget(Bevel1);
  layout->addWidget(ScanList, 1);
  resize(kMinWidth, 320);

  ScanList->OnClick = [this] { ScanListClick(); };
  QObject::connect(ScanBtn, &QPushButton::clicked, this, Handler([this] { ScanBtnClick(); }));
  QObject::connect(AllBtn, &QPushButton::clicked, this, Handler([this] { AllBtnClick(); }));
  QObject::connect(OkBtn, &QPushButton::clicked, this, Handler([this] { OkBtnClick(); }));
  QObject::connect(ScanEdit, &QLineEdit::textChanged, this, Handler([this] { ScanEditChange(); }));
  // Enter scans for the text.
  QObject::connect(ScanEdit, &QLineEdit::returnPressed, this, Handler([this] { ScanBtnClick(); }));
}

void TScanGridForm::FormShow() {
  layout()->activate();
  setMinimumSize(std::max(kMinWidth, layout()->minimumSize().width()), OkBtn->geometry().bottom() + 1 + kMinListRoom);
  ExImg->hide();
  ScanEdit->clear();
  ClearScanList();
  ScanEdit->setFocus();
}

void TScanGridForm::ForgetScan() {
  ExImg->hide();
  ErrPanel->hide();
  ScanEdit->clear();
  ClearScanList();
}

void TScanGridForm::FormResize() {
  ErrPanel->move(ErrPanel->x(), ScanList->y() + (ScanList->height() - kErrPanelHeight) / 2);
}

void TScanGridForm::ScanEditChange() {
  ExImg->hide();
  ClearScanList();
}

void TScanGridForm::ScanBtnClick() {
  ExImg->hide();
  // Each scan lists its own results only, also when pressed twice for the same text.
  ClearScanList();
  const std::string text = ToAnsi(ScanEdit->text());
  if (text.empty()) {
    ShowScanError("Nothing to Scan For");
    return;
  }
  for (const TScanHit& hit : ScanForText(Puzzle, text)) AddScanHit(hit);
  if (hits_.empty()) ShowScanError("Scan Entry Not Found");
}

void TScanGridForm::AllBtnClick() {
  ExImg->hide();
  ScanEdit->clear();
  ClearScanList();
  for (const TScanHit& hit : ScanAllEntries(Puzzle)) {
    AddScanHit(hit);
    if (IsRepeatLine(hit.Text)) ExImg->show();
  }
  if (hits_.empty()) ShowScanError("No Matches Found");
}

void TScanGridForm::AddScanHit(const TScanHit& Hit) {
  hits_.push_back(Hit);
  ScanList->addItem(AnswerForDisplay(Hit.Text));
}

void TScanGridForm::ClearScanList() {
  ScanList->clear();
  hits_.clear();
}

void TScanGridForm::ShowScanError(const QString& Text) {
  ErrPanel->move(ScanList->x() + (ScanList->width() - ErrPanel->width()) / 2,
                 ScanList->y() + (ScanList->height() - ErrPanel->height()) / 2);
  ErrPanel->setText(Text);
  ErrPanel->raise();
  ErrPanel->show();
  XwdProcs->Pause(1000);
  ErrPanel->hide();
}

void TScanGridForm::ScanListClick() {
  const int line = ScanList->currentRow();
  if (line < 0 || line >= static_cast<int>(hits_.size())) return;
  const TScanHit& hit = hits_[static_cast<std::size_t>(line)];
  // The grid may have changed since the scan: the word must still start there.
  if (!StartsWord(Puzzle, hit)) return;
  XwdGridForm->EndSelection();
  const bool designing = EditMode == emSquares;
  // While squares are designed a word is only shown, so the shown word of an earlier pick goes.
  if (designing) XwdGridForm->Repaint();
  const int s = UsableSquareSize(SquareSize);
  const int x = CornerOf(hit.X, s), y = CornerOf(hit.Y, s);
  XwdGridForm->Direction = hit.Kind;
  XwdGridForm->HighlightWord(x, y, TXwdGridForm::HighlightColor);
  XwdGridForm->CursorPos = PackCursor(x, y);
  // No selection while squares are designed: a word selected over squares that are then made
  // black would take letters into them once letters are typed again.
  if (designing) XwdGridForm->Direction = 0;
}

void TScanGridForm::ScanListDrawItem(Canvas& Canvas, int Index, const QRect& Rect, bool Selected) {
  if (Index < 0 || Index >= static_cast<int>(hits_.size())) return;
  const std::string& line = hits_[static_cast<std::size_t>(Index)].Text;
  Canvas.Brush.Color = Selected ? clHighlight : clWindow;
  Canvas.Brush.Style = BrushStyle::Solid;
  Canvas.Pen.Color = Canvas.Brush.Color;
  Canvas.Rectangle(Rect.left(), Rect.top(), Rect.right() + 1, Rect.bottom() + 1);

  Canvas.Font.Name = kScanFont;
  Canvas.Font.SetSize(kScanFontSize);
  Canvas.Font.Color = clBlack;
  // Scan All leaves the edit empty: its group heads are bold.
  Canvas.Font.Style = ScanEdit->text().isEmpty() ? fsBold : 0;
  if (IsRepeatLine(line))
    Canvas.Font.Color = clRed;
  else if (IsIndentedLine(line))
    Canvas.Font.Style = 0;
  if (Selected) Canvas.Font.Color = clWhite;
  Canvas.TextOut(Rect.left() + 2, Rect.top(), AnswerForDisplay(line));
}

void TScanGridForm::OkBtnClick() { Close(); }
