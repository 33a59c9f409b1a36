#include "app/output/ManuscriptPrint.h"

#include "app/output/GridPagePrint.h"
#include "app/output/PageHeader.h"
#include "app/output/TextWrap.h"
#include "platform/gui/AnsiText.h"

using namespace platform::gui;

namespace {

class TManuscriptWriter {
 public:
  TManuscriptWriter(TPrinter& printer, const TPrintLayout& layout)
      : printer_(printer), canvas_(printer.Canvas()), layout_(layout), lineHeight_(layout.Manuscript.LineHeight) {}

  void Print() {
    printer_.BeginDoc();
    canvas_.Font.Name = "Courier New";
    canvas_.Font.SetSize(12);
    canvas_.Font.Style = 0;
    PrintPageHeader(printer_, layout_, true, true, y_);
    const int w = canvas_.TextWidth("M");
    if (XwdProcs->ReadSetting("DefsOnLeft", true)) {
      clueX_ = layout_.Manuscript.LeftMargin;
      answerX_ = layout_.Manuscript.LeftMargin + 46 * w;
    } else {
      clueX_ = layout_.Manuscript.LeftMargin + 25 * w;
      answerX_ = layout_.Manuscript.LeftMargin;
    }
    indentX_ = clueX_ + canvas_.TextWidth("999 ");

    const std::vector<TWordRef> words = NumberWords(Puzzle);
    DrawLine(clueX_, "ACROSS");
    y_ += 2 * lineHeight_;
    // The page is tested after every cell of the grid, whatever starts there.
    std::size_t next = 0;
    for (int y = 1; y <= Puzzle.GridSize; ++y)
      for (int x = 1; x <= Puzzle.GridSize; ++x) {
        for (; next < words.size() && words[next].X == x && words[next].Y == y; ++next)
          if (words[next].Dir == DirAcross) PrintEntry(words[next], false);
        if (PageFull()) NextPage();
      }

    DrawLine(clueX_, "DOWN");
    y_ += 2 * lineHeight_;
    for (const TWordRef& word : words)
      if (word.Dir == DirDown) PrintEntry(word, true);

    PrintGridPage(printer_, layout_, 1);
  }

 private:
  bool PageFull() const { return layout_.Manuscript.LinesPerPage * lineHeight_ < y_; }

  void NextPage() {
    printer_.NewPage();
    PrintPageHeader(printer_, layout_, false, false, y_);
  }

  // An entry whose lines would run below the page's last line starts a new page, unless it
  // already starts one. `testFirst`: the page is tested before the entry even when it takes
  // one line.
  void MakeRoom(std::size_t lines, bool testFirst) {
    if (lines < 2 && !testFirst) return;
    const int last = y_ + static_cast<int>(lines - 1) * 2 * lineHeight_;
    if (last > layout_.Manuscript.LinesPerPage * lineHeight_ && y_ > ContinuationBodyLine * lineHeight_) NextPage();
  }

  void PrintEntry(const TWordRef& word, bool testFirst) {
    const std::string clueLine = NumberField(word.Number) + " " + Puzzle.Clue(WordLink(Puzzle, word));
    const int columnWidth = layout_.Manuscript.ColumnWidth;
    const std::vector<std::string> pieces =
        canvas_.TextWidth(FromAnsi(clueLine)) > columnWidth
            ? WrapText(canvas_, clueLine, columnWidth, 5, canvas_.TextWidth("MMMM"))
            : std::vector<std::string>{clueLine};
    MakeRoom(pieces.size(), testFirst);
    DrawLine(answerX_, XwdProcs->GetEntryWord(word.X, word.Y, word.Dir == DirAcross ? 'a' : 'd'));
    if (pieces.size() == 1) {
      DrawLine(clueX_, clueLine);
    } else {
      // Pieces that begin with the number field start at the clue column, the others below
      // the clue's text; every line is double-spaced.
      for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        const std::string& piece = pieces[i];
        DrawLine(piece.size() > 3 && piece[3] == ' ' ? clueX_ : indentX_, piece);
        y_ += 2 * lineHeight_;
      }
      DrawLine(indentX_, pieces.back());
    }
    y_ += 2 * lineHeight_;
  }

  void DrawLine(int x, const std::string& text) {
    if (!text.empty()) canvas_.TextOut(x, y_, FromAnsi(text));
  }

  TPrinter& printer_;
  Canvas& canvas_;
  const TPrintLayout& layout_;
  const int lineHeight_;
  int y_ = 0;
  int clueX_ = 0;
  int answerX_ = 0;
  int indentX_ = 0;
};

}  // namespace

void PrintManuscript(TPrinter& printer, const TPrintLayout& layout) { TManuscriptWriter(printer, layout).Print(); }
