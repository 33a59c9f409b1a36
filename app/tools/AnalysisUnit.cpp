#include "app/tools/AnalysisUnit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "app/clues/AnswerText.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/Colors.h"
#include "platform/gui/FontStyle.h"
#include "platform/gui/QtCanvas.h"

using namespace platform::gui;

TAnalysisForm* AnalysisForm = nullptr;

namespace {

// The caption's suffix by grid language.
constexpr std::array<const char*, 9> kLanguageSuffixes{
    "", " (French)", " (Spanish)", " (Italian)", " (German)", " (Swedish)", " (Norwegian)", " (Danish)",
    " (Multilingual)"};

// The distribution box: room for seven rows of text at the row height of the box's height.
constexpr int kLtrBoxWidth = 240;
constexpr int kLtrBoxHeight = 133;
constexpr int kLtrBoxMargin = 4;

// The box in which the letter distribution is drawn, white inside a sunken frame.
class TLtrPaintBox : public QFrame {
 public:
  explicit TLtrPaintBox(TAnalysisForm* form) : QFrame(form), form_(form) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
    SetPaletteColor(this, QPalette::Window, clWhite);
    setContentsMargins(kLtrBoxMargin, kLtrBoxMargin, kLtrBoxMargin, kLtrBoxMargin);
    const int frame = 2 * frameWidth() + 2 * kLtrBoxMargin;
    setFixedSize(kLtrBoxWidth + frame, kLtrBoxHeight + frame);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect box = contentsRect();
    painter.translate(box.topLeft());
    QtCanvas canvas(painter);
    Guard([&] { form_->LtrBoxPaint(canvas, box.width(), box.height()); });
  }

 private:
  TAnalysisForm* form_;
};

QLabel* ValueLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setMinimumWidth(40);
  return label;
}

void SetTextColor(QLabel* label, TColor color) { SetPaletteColor(label, QPalette::WindowText, color); }

// One entry of the distribution: the character, a dash and the count ending 40 pixels right
// of the character; a count of 0 in white, so that it vanishes on the white box.
void DrawCount(Canvas& canvas, int x, int y, const QString& character, int count) {
  canvas.Font.Color = count == 0 ? clWhite : clMaroon;
  const QString number = QString::number(count);
  canvas.TextOut(x, y, character);
  canvas.TextOut(x + 15, y, QStringLiteral("-"));
  canvas.TextOut(x + 40 - canvas.TextWidth(number), y, number);
}

}  // namespace

TAnalysisForm::TAnalysisForm()
    : BlackSqValue(ValueLabel(this)),
      AcrossValue(ValueLabel(this)),
      DownValue(ValueLabel(this)),
      TotalValue(ValueLabel(this)),
      ThreeLtrValue(ValueLabel(this)),
      TwoLtrLbl(new QLabel("Total 2-letter words:", this)),
      TwoLtrValue(ValueLabel(this)),
      EndsInSValue(ValueLabel(this)),
      AverageValue(ValueLabel(this)),
      IdentLbl(new QLabel(this)),
      SymmetryLbl(new QLabel("Symmetry", this)),
      VerdictLbl(new QLabel(this)),
      LtrBox(new TLtrPaintBox(this)),
      CloseBtn(new QPushButton("&Close", this)) {
  SetCaption("Puzzle Analysis");

  auto* figures = new QGridLayout;
  const std::array<std::pair<const char*, QLabel*>, 8> lines{{{"Total black squares:", BlackSqValue},
                                                              {"Total across words:", AcrossValue},
                                                              {"Total down words:", DownValue},
                                                              {"= Total words:", TotalValue},
                                                              {"Total 3-letter words:", ThreeLtrValue},
                                                              {nullptr, TwoLtrValue},
                                                              {"Words ending in S:", EndsInSValue},
                                                              {"Average word length:", AverageValue}}};
  for (int row = 0; row < static_cast<int>(lines.size()); ++row) {
    const auto& [caption, value] = lines[static_cast<std::size_t>(row)];
    figures->addWidget(caption ? new QLabel(caption, this) : TwoLtrLbl, row, 0);
    figures->addWidget(value, row, 1);
  }
  figures->setColumnStretch(0, 1);

  QFont bold = IdentLbl->font();
  bold.setBold(true);
  IdentLbl->setFont(bold);
  IdentLbl->setAlignment(Qt::AlignCenter);
  IdentLbl->setTextInteractionFlags(Qt::TextSelectableByMouse);
  VerdictLbl->setFont(bold);
  auto* symmetry = new QHBoxLayout;
  symmetry->addWidget(SymmetryLbl);
  symmetry->addWidget(VerdictLbl);
  symmetry->addStretch(1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(CloseBtn);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(figures);
  layout->addWidget(IdentLbl);
  layout->addLayout(symmetry);
  layout->addWidget(LtrBox, 0, Qt::AlignHCenter);
  layout->addLayout(buttons);

  QObject::connect(CloseBtn, &QPushButton::clicked, this, Handler([this] { Close(); }));
  SetCancelButton(CloseBtn);
}

void TAnalysisForm::FormShow() {
  statistics_ = AnalysePuzzle(Puzzle);
  const TPuzzleStatistics& s = statistics_;
  BlackSqValue->setNum(s.BlackSquares);
  AcrossValue->setNum(s.AcrossWords);
  DownValue->setNum(s.DownWords);
  TotalValue->setNum(s.TotalWords());
  ThreeLtrValue->setNum(s.ThreeLetterWords);
  TwoLtrValue->setNum(s.TwoLetterWords);
  EndsInSValue->setNum(s.WordsEndingInS);
  AverageValue->setNum(s.AverageWordLength());
  for (QLabel* label : {TwoLtrLbl, TwoLtrValue}) SetTextColor(label, s.TwoLetterWords > 0 ? clBlack : clGray);

  IdentLbl->setText(AnswerForDisplay(IdentificationLine(s, Puzzle.GridSize)));
  const bool symmetric = CheckSymmetry(Puzzle);
  VerdictLbl->setText(symmetric ? "OK" : "NO");
  SetTextColor(VerdictLbl, symmetric ? clNavy : clRed);

  SetAnalysisCaption();
  // As large as its contents, and never so narrow that the title bar cuts the caption.
  const QMargins frame = FrameMargins();
  layout()->activate();
  setFixedSize(std::max(layout()->sizeHint().width(), CaptionWidth() - frame.left() - frame.right()),
               layout()->sizeHint().height());
  LtrBox->update();
}

void TAnalysisForm::SetAnalysisCaption() {
  // A language digit outside the table adds nothing.
  const int language = XwdProcs->GetGridLanguage();
  const bool known = language >= 0 && language < static_cast<int>(kLanguageSuffixes.size());
  SetCaption(QStringLiteral("Puzzle Analysis") + (known ? kLanguageSuffixes[static_cast<std::size_t>(language)] : ""));
}

void TAnalysisForm::LtrBoxPaint(Canvas& Canvas, int Width, int Height) const {
  Canvas.Font.Name = QStringLiteral("Arial");
  Canvas.Font.SetSize(8);
  Canvas.Font.Style = 0;
  const int rowHeight = Height / 7 + 1;
  const int columnWidth = Width / 4 + 6;
  for (int letter = 0; letter < 26; ++letter)
    DrawCount(Canvas, (letter % 4) * columnWidth, (letter / 4) * rowHeight, QChar('A' + letter),
              statistics_.LetterCounts[static_cast<std::size_t>(letter)]);
  DrawCount(Canvas, 3 * columnWidth, 6 * rowHeight, QStringLiteral("?"), statistics_.Placeholders);
  Canvas.Font.Color = clBlack;
}
