// The grid as Encapsulated PostScript for typesetting: squares of 23 points, the grid centred
// on the point (305.5, 395.5) of the page, drawn by a few procedures of its own; the puzzle
// file shows the clue numbers, the answers file the letters.

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <cstdint>

#include "app/output/ExportFiles.h"
#include "app/output/ExportUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/AnsiText.h"

namespace {

constexpr int LightStyle = 2;
constexpr int PuzzleKind = 1;
// Comment and row lines stay within the 255 characters that readers of these files take.
constexpr std::size_t MaxLine = 255;

// A coordinate given in half points: 358 is "179", 357 "178.5".
std::string HalfPoints(int twice) {
  return std::to_string(twice / 2) + (twice % 2 != 0 ? ".5" : "");
}

// Bounding box values are whole points: half points round outwards.
int FloorHalf(int twice) { return twice >= 0 ? twice / 2 : -((1 - twice) / 2); }
int CeilHalf(int twice) { return -FloorHalf(-twice); }

// The date and time in the locale's short date and its time with seconds (no time zone).
std::string CreationDate(const QDateTime& when) {
  const QLocale locale;
  QString timeFormat = locale.timeFormat(QLocale::LongFormat);
  timeFormat.remove(QRegularExpression(QStringLiteral("t+")));
  return platform::gui::ToAnsi(locale.toString(when.date(), QLocale::ShortFormat) + ' ' +
                               locale.toString(when.time(), timeFormat.trimmed()));
}

// Letters other than A..Z show right only when the font's encoding is Windows-1252: the
// standard encoding has accents, or nothing, at those codes.
bool GridHasAccentedLetters() {
  for (int y = 1; y <= Puzzle.GridSize; ++y)
    for (int x = 1; x <= Puzzle.GridSize; ++x)
      if (Puzzle.Solution(x, y) > 127 && Puzzle.Solution(x, y) != BlackSquare) return true;
  return false;
}

// Defines "<font>-1252": the font with the Windows-1252 encoding (ISO Latin-1 with the
// Windows characters at 128 to 159 and the plain quote, hyphen and grave accent).
std::string ReencodedFont(const std::string& font) {
  return "/" + font + " findfont dup length dict begin\r\n" +
         "{1 index /FID ne {def} {pop pop} ifelse} forall\r\n"
         "/Encoding ISOLatin1Encoding 256 array copy def\r\n"
         "Encoding 39 /quotesingle put Encoding 45 /hyphen put Encoding 96 /grave put\r\n"
         "128 [/Euro /.notdef /quotesinglbase /florin /quotedblbase /ellipsis /dagger /daggerdbl\r\n"
         "/circumflex /perthousand /Scaron /guilsinglleft /OE /.notdef /Zcaron /.notdef\r\n"
         "/.notdef /quoteleft /quoteright /quotedblleft /quotedblright /bullet /endash /emdash\r\n"
         "/tilde /trademark /scaron /guilsinglright /oe /.notdef /zcaron /Ydieresis]\r\n"
         "{Encoding 2 index 3 -1 roll put 1 add} forall pop\r\n"
         "currentdict end /" +
         font + "-1252 exch definefont pop\r\n";
}

// A letter as a PostScript string's content.
std::string ShownLetter(std::uint8_t letter) {
  const char c = static_cast<char>(letter);
  return c == '(' || c == ')' || c == '\\' ? std::string{'\\', c} : std::string(1, c);
}

}  // namespace

void TExportForm::ExportEps(const QString& FileName, int Style) {
  std::string puzzle;
  OutputName = WithoutExtension(FileName) + ".EPS";
  WriteEps(puzzle, FileName, Style, 1);
  WriteExportFile(OutputName, puzzle);

  std::string answers;
  OutputName = WithoutExtension(FileName) + "-A.EPS";
  WriteEps(answers, FileName, Style, 2);
  WriteExportFile(OutputName, answers);
}

void TExportForm::WriteEps(std::string& Out, const QString& FileName, int Style, int Kind) const {
  const bool light = Style == LightStyle;
  const bool puzzle = Kind == PuzzleKind;
  const int n = Puzzle.GridSize;
  const int left2 = 611 - 23 * n;  // the grid's top-left corner, in half points
  const int top2 = 791 + 23 * n;
  const int side = 23 * n + 2;      // the frame's
  const auto line = [&Out](const std::string& text) { Out += text + "\r\n"; };
  const auto cut = [](const std::string& text) { return text.substr(0, MaxLine); };

  line("%!PS-Adobe-3.0 EPSF-3.0");
  line("%%Creator: Quillmere for Windows v5.0");
  line(cut("%%CreationDate: " + CreationDate(Now())));
  line(cut("%%Title: " + platform::gui::ToAnsi(QFileInfo(FileName).fileName()) + (light ? " [light]" : "")));
  line("%%BoundingBox: " + std::to_string(FloorHalf(left2 - 2)) + ' ' + std::to_string(FloorHalf(top2 - 46 * n - 2)) +
       ' ' + std::to_string(CeilHalf(left2 + 46 * n + 2)) + ' ' + std::to_string(CeilHalf(top2 + 2)));
  line("/rl {rlineto} def");
  line("/mv {moveto} def");
  line("/cp {closepath} def");
  line("/sh {show} def");
  line("/rm {rmoveto} def");
  line("/wb {/x x 23 add def x y mv 23 0 rl 0 -23 rl -23 0 rl cp stroke} def");
  line("/bb {wb x y mv 23 0 rl 0 -23 rl -23 0 rl cp fill} def");
  if (puzzle) {
    line(light ? "/nb {wb x y mv 2 -8 rm} def" : "/nb {wb x y mv 2 -10 rm} def");
  } else {
    line("/lb {wb x y mv 5 -17 rm} def");
    line("/ib {wb x y mv 8 -17 rm} def");
    line("/ww {wb x y mv 4 -17 rm} def");
  }
  line("/nc {/x xx def /y y 23 sub def} def");
  const std::string start = HalfPoints(left2 - 46);
  line("/xx " + start + " def /x " + start + " def /y " + HalfPoints(top2 + 46) + " def");
  if (!light) {
    line("2 setlinewidth");
    const std::string s = std::to_string(side);
    line(HalfPoints(left2 - 2) + ' ' + HalfPoints(top2 + 2) + " mv " + s + " 0 rl 0 -" + s + " rl -" + s +
         " 0 rl cp stroke");
  }
  line(HalfPoints(left2) + ' ' + HalfPoints(top2) + " mv");
  line(light ? ".5 setlinewidth" : "1 setlinewidth");
  std::string font = puzzle ? (light ? "Helvetica" : "Helvetica-Narrow-Bold") : (light ? "Helvetica" : "Helvetica-Bold");
  if (!puzzle && GridHasAccentedLetters()) {
    Out += ReencodedFont(font);
    font += "-1252";
  }
  line("/" + font + " findfont " + (puzzle ? (light ? "7" : "10") : "16") + " scalefont setfont");

  int number = 0;
  for (int y = 1; y <= n; ++y) {
    // A row too long for one line goes on over further lines, never inside an item.
    std::string row = "nc";
    for (int x = 1; x <= n; ++x) {
      const std::uint8_t cell = Puzzle.Solution(x, y);
      std::string item;
      if (cell == BlackSquare)
        item = " bb";
      else if (puzzle)
        item = XwdProcs->IsAcrossStart(x, y) || XwdProcs->IsDownStart(x, y)
                   ? " nb (" + std::to_string(++number) + ") sh"
                   : " wb";
      else
        item = std::string(cell == 'I' ? " ib (" : cell == 'W' ? " ww (" : " lb (") + ShownLetter(cell) + ") sh";
      if (row.size() + item.size() > MaxLine) {
        line(row);
        row = item.substr(1);
      } else {
        row += item;
      }
    }
    line(row);
  }
  line("showpage");
  line("%%EndDocument");
}
