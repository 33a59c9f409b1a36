#include "app/output/PuzzlePagePrint.h"

#include "app/output/ExportUnit.h"
#include "app/output/TextWrap.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/FontStyle.h"

using namespace platform::gui;

namespace {

class TPuzzlePageWriter {
 public:
  TPuzzlePageWriter(TPrinter& printer, const TPrintLayout& layout)
      : printer_(printer), canvas_(printer.Canvas()), layout_(layout), n_(Puzzle.GridSize) {}

  void Print() {
    StartPage(printer_);
    const int pageWidth = printer_.PageWidth();
    cellSize_ = 17 * (pageWidth / 28) / n_;
    margin_ = printer_.XResolution() / 4;
    columnWidth_ = (pageWidth - 2 * margin_) / 5;
    right_ = margin_ + 5 * columnWidth_;
    SetFont("Arial", 9, 0);
    lineHeight_ = canvas_.TextHeight("I") + 2;
    pageLines_ = printer_.PageHeight() / lineHeight_ - 2 - XwdProcs->ReadSetting("PageLength", 0);
    columnTop_ = 3 * lineHeight_ + 10;
    SetFont("Times New Roman", 9, 0);
    numberIndent_ = canvas_.TextWidth("999");

    SetFont("Arial", 12, fsBold);
    canvas_.Pen.Width = 4;
    canvas_.MoveTo(margin_, lineHeight_);
    canvas_.LineTo(right_ + 2, lineHeight_);
    canvas_.Pen.Width = 1;
    canvas_.TextOut(margin_, lineHeight_ + 8, FromAnsi("\x93") + layout_.Title + FromAnsi("\x94"));

    PrintPuzzleGrid();
    PrintAcrossColumn();
    PrintDownColumn();
  }

 private:
  void SetFont(const char* name, int size, int style) {
    canvas_.Font.Name = name;
    canvas_.Font.SetSize(size);
    canvas_.Font.Style = style;
  }

  int GridLeft() const { return right_ - n_ * cellSize_; }
  int GridFoot() const { return columnTop_ + n_ * cellSize_; }
  int SecondColumn() const { return margin_ + columnWidth_; }
  int LastLine() const { return pageLines_ * lineHeight_; }

  void PrintPuzzleGrid() {
    const int numberSize = n_ >= 11 && n_ <= 15 ? 9 : n_ == 23 ? 6 : 7;
    SetFont("Arial", numberSize, 0);
    canvas_.Brush.Color = clWhite;
    canvas_.Brush.Style = BrushStyle::Solid;
    canvas_.Pen.Width = 2;
    canvas_.Rectangle(GridLeft() - 3, columnTop_ - 2, right_ + 2, GridFoot() + 3);
    canvas_.Pen.Width = 1;
    const TClueNumbers numbers(NumberWords(Puzzle));
    for (int y = 1; y <= n_; ++y)
      for (int x = 1; x <= n_; ++x) {
        const int cellX = GridLeft() + (x - 1) * cellSize_;
        const int cellY = columnTop_ + (y - 1) * cellSize_;
        const bool black = Puzzle.Solution(x, y) == BlackSquare;
        canvas_.Brush.Color = black ? layout_.SquareColor : clWhite;
        canvas_.Rectangle(cellX, cellY, cellX + cellSize_ + 1, cellY + cellSize_ + 1);
        if (!black && numbers.At(x, y) > 0) canvas_.TextOut(cellX + 4, cellY + 2, QString::number(numbers.At(x, y)));
      }
    canvas_.Brush.Color = clWhite;
  }

  void PrintAcrossColumn() {
    x_ = margin_;
    y_ = columnTop_;
    Heading("ACROSS");
    for (const TWordRef& word : NumberWords(Puzzle))
      if (word.Dir == DirAcross) PrintEntry(word);
  }

  void PrintDownColumn() {
    // The heading and two lines must fit.
    if (y_ + 3 * lineHeight_ > LastLine()) NextColumn(0);
    if (y_ != columnTop_) y_ += lineHeight_;
    Heading("DOWN");
    for (const TWordRef& word : NumberWords(Puzzle))
      if (word.Dir == DirDown) PrintEntry(word);
  }

  void Heading(const char* text) {
    SetFont("Arial", 9, fsBold);
    canvas_.TextOut(x_, y_, text);
    SetFont("Times New Roman", 9, 0);
    numberIndent_ = canvas_.TextWidth("999");
    y_ += lineHeight_;
  }

  // The next column: below the grid from the third column on (with `gapBelowGrid`), beside
  // it in the second; after the fifth, a new page headed by the title and its page number.
  // Later pages keep the columns' places, though they have no grid.
  void NextColumn(int gapBelowGrid) {
    x_ += columnWidth_;
    entriesInColumn_ = 0;
    if (x_ > margin_ + 4 * columnWidth_) {
      printer_.NewPage();
      ++page_;
      x_ = margin_;
      y_ = lineHeight_;
      SetFont("Arial", 9, fsBold);
      canvas_.TextOut(x_, y_, layout_.Title + QStringLiteral(" / page %1").arg(page_));
      SetFont("Times New Roman", 9, 0);
      y_ += 2 * lineHeight_;
    } else if (x_ == SecondColumn()) {
      y_ = columnTop_;
    } else {
      y_ = GridFoot() + gapBelowGrid;
    }
  }

  void PrintEntry(const TWordRef& word) {
    const std::string clue = TExportForm::SmartQuotes(Puzzle.Clue(WordLink(Puzzle, word)));
    std::vector<std::string> lines = ClueLines(clue);
    // A clue whose lines would run below the column's last line starts the next column,
    // unless it is the column's first.
    if (entriesInColumn_ > 0 && y_ + static_cast<int>(lines.size() - 1) * lineHeight_ > LastLine()) {
      NextColumn(lineHeight_);
      lines = ClueLines(clue);
    }
    const QString number = FromAnsi(NumberField(word.Number));
    canvas_.TextOut(x_ + numberIndent_ - canvas_.TextWidth(number), y_, number);
    const int textX = x_ + numberIndent_ + canvas_.TextWidth("N");
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (i > 0) y_ += lineHeight_;
      if (!lines[i].empty()) canvas_.TextOut(textX, y_, FromAnsi(lines[i]));
    }
    ++entriesInColumn_;
    y_ += lineHeight_;
    if (LastLine() < y_) NextColumn(lineHeight_);
  }

  // The lines of a clue at the current place: narrow beside the grid in the second column.
  std::vector<std::string> ClueLines(const std::string& clue) const {
    const QString text = FromAnsi(clue);
    const int reserve = canvas_.TextWidth("999NM");
    const int hyphen = canvas_.TextWidth("M");
    if (x_ == SecondColumn() && y_ < GridFoot() + 3 && x_ + canvas_.TextWidth(text + "999NM") > GridLeft() - 3)
      return WrapText(canvas_, clue, 4 * columnWidth_ - n_ * cellSize_ - reserve, 1, hyphen);
    if (canvas_.TextWidth(text) > columnWidth_ - reserve)
      return WrapText(canvas_, clue, columnWidth_ - reserve, 1, hyphen);
    return {clue};
  }

  TPrinter& printer_;
  Canvas& canvas_;
  const TPrintLayout& layout_;
  const int n_;
  int cellSize_ = 0;
  int margin_ = 0;
  int columnWidth_ = 0;
  int right_ = 0;
  int lineHeight_ = 0;
  int pageLines_ = 0;
  int columnTop_ = 0;
  int numberIndent_ = 0;
  int x_ = 0;
  int y_ = 0;
  int page_ = 1;
  int entriesInColumn_ = 0;
};

}  // namespace

void PrintPuzzlePage(TPrinter& printer, const TPrintLayout& layout) { TPuzzlePageWriter(printer, layout).Print(); }
