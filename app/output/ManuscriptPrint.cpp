#include "app/output/ManuscriptPrint.h"

#include <algorithm>

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
    PrintHeading("ACROSS", words, DirAcross);
    // The page is tested after every cell of the grid, whatever starts there.
    std::size_t next = 0;
    for (int y = 1; y <= Puzzle.GridSize; ++y)
      for (int x = 1; x <= Puzzle.GridSize; ++x) {
        for (; next < words.size() && words[next].X == x && words[next].Y == y; ++next)
          if (words[next].Dir == DirAcross) PrintEntry(words[next], false);
        if (PageFull()) NextPage();
      }

    PrintHeading("DOWN", words, DirDown);
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

  // Lines that would run below the page's last line start a new page, unless they already
  // start one. `testFirst`: the page is tested before a single line too.
  void MakeRoom(std::size_t lines, bool testFirst) {
    if (lines < 2 && !testFirst) return;
    const int last = y_ + static_cast<int>(lines - 1) * 2 * lineHeight_;
    if (last > layout_.Manuscript.LinesPerPage * lineHeight_ && y_ > ContinuationBodyLine * lineHeight_) NextPage();
  }

  // A heading stays with the first entry of its list: when that does not fit below it, both
  // go to the next page.
  void PrintHeading(const char* heading, const std::vector<TWordRef>& words, int dir) {
    const auto first = std::find_if(words.begin(), words.end(), [dir](const TWordRef& word) { return word.Dir == dir; });
    MakeRoom(first == words.end() ? 1 : 1 + ClueLines(*first).size(), false);
    DrawLine(clueX_, heading);
    y_ += 2 * lineHeight_;
  }

  // The clue line of an entry: the number field and the clue, wrapped to the column.
  std::vector<std::string> ClueLines(const TWordRef& word) const {
    const std::string clueLine = NumberField(word.Number) + " " + Puzzle.Clue(WordLink(Puzzle, word));
    const int columnWidth = layout_.Manuscript.ColumnWidth;
    return canvas_.TextWidth(FromAnsi(clueLine)) > columnWidth
               ? WrapText(canvas_, clueLine, columnWidth, 5, canvas_.TextWidth("MMMM"))
               : std::vector<std::string>{clueLine};
  }

  void PrintEntry(const TWordRef& word, bool testFirst) {
    const std::vector<std::string> pieces = ClueLines(word);
    MakeRoom(pieces.size(), testFirst);
    DrawLine(answerX_, XwdProcs->GetEntryWord(word.X, word.Y, word.Dir == DirAcross ? 'a' : 'd'));
    if (pieces.size() == 1) {
      DrawLine(clueX_, pieces.front());
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
