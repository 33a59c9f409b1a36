#include <QImage>
#include <QLocale>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include "ExportFixture.h"
#include "app/output/ExportUnit.h"
#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"

namespace {

const QString kGhostscript = QStringLiteral("gs");

class ExportEps : public ExportTest {
 protected:
  void SetUp() override {
    ExportTest::SetUp();
    ExportForm->Now = [] { return QDateTime(QDate(1997, 1, 21), QTime(4, 1, 2)); };
  }

  // The file's lines, the date line given as "<date>".
  static QList<QByteArray> Lines(const QByteArray& eps) {
    QList<QByteArray> lines = eps.split('\n');
    if (lines.size() > 2) lines[2] = "%%CreationDate: <date>\r";
    return lines;
  }
  static QByteArray Normalised(const QByteArray& eps) { return Lines(eps).join('\n'); }

  // Writes both files of the grid in Puzzle for a chosen name and returns them, puzzle first.
  std::pair<QByteArray, QByteArray> Export(int style, const QString& chosen = "Sunday.eps") {
    ExportForm->ExportEps(TempPath(chosen), style);
    const QString stem = TempPath(chosen.left(chosen.lastIndexOf('.')));
    return {ReadFile(stem + ".EPS"), ReadFile(stem + "-A.EPS")};
  }

  static QByteArray Ghostscript(const QStringList& arguments) {
    const ReaderResult result =
        RunReader(kGhostscript, QStringList{"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE"} + arguments);
    EXPECT_EQ(result.Status, 0) << result.Output.toStdString();
    return result.Output;
  }

  // Ghostscript takes the file, its ink lies within a point of the declared box, and rendered
  // at 72 dpi it is 23 N + 2 pixels square with the black squares black.
  void ExpectRenders(const QString& path) {
    const QByteArray eps = ReadFile(path);
    const QRegularExpression declared(QStringLiteral("%%BoundingBox: (\\S+) (\\S+) (\\S+) (\\S+)"));
    const auto box = declared.match(QString::fromLatin1(eps));
    ASSERT_TRUE(box.hasMatch()) << path.toStdString();
    const QByteArray bbox = Ghostscript({"-sDEVICE=bbox", path});
    const QRegularExpression hiRes(QStringLiteral("%%HiResBoundingBox: (\\S+) (\\S+) (\\S+) (\\S+)"));
    const auto ink = hiRes.match(QString::fromLatin1(bbox));
    ASSERT_TRUE(ink.hasMatch()) << bbox.toStdString();
    for (int i = 1; i <= 4; ++i)
      EXPECT_NEAR(ink.captured(i).toDouble(), box.captured(i).toDouble(), 1.01) << path.toStdString() << " edge " << i;

    const QString png = path + ".png";
    Ghostscript({"-dEPSCrop", "-sDEVICE=png16m", "-r72", "-sOutputFile=" + png, path});
    const QImage image(png);
    const int n = Puzzle.GridSize;
    ASSERT_EQ(image.size(), QSize(23 * n + 2, 23 * n + 2)) << path.toStdString();
    for (int y = 1; y <= n; ++y)
      for (int x = 1; x <= n; ++x) {
        // Inside the square, clear of its number or letter.
        const QRgb probe = image.pixel(1 + 23 * (x - 1) + 21, 1 + 23 * (y - 1) + 21);
        EXPECT_EQ(qGray(probe) < 128, Puzzle.Solution(x, y) == BlackSquare) << x << "," << y;
      }
  }

  // What Ghostscript's text extraction shows, in reading order, blanks left out.
  static QString ShownText(const QString& path) {
    QString text = QString::fromUtf8(Ghostscript({"-sDEVICE=txtwrite", "-sOutputFile=-", path}));
    text.remove(QRegularExpression(QStringLiteral("[\\s\\x00]")));
    return text;
  }
};

TEST_F(ExportEps, FixtureFilesMatchTheirGoldenFiles) {
  SetSundayGrid();
  for (const auto& [style, name] : {std::pair{1, "Sunday"}, std::pair{2, "Sunday-light"}}) {
    const auto [puzzle, answers] = Export(style);
    ExpectGolden(QStringLiteral("%1.EPS").arg(name), Normalised(puzzle));
    ExpectGolden(QStringLiteral("%1-A.EPS").arg(name), Normalised(answers));
  }
}

// The four lines that depend on the grid size, as the table of sizes gives them.
TEST_F(ExportEps, LinesPerGridSize) {
  struct Case {
    int n;
    const char *box, *start, *frame, *corner;
  };
  const Case cases[] = {
      {11, "178 268 433 523", "/xx 156 def /x 156 def /y 545 def", "178 523 mv 255 0 rl 0 -255 rl -255 0 rl cp stroke",
       "179 522 mv"},
      {13, "155 245 456 546", "/xx 133 def /x 133 def /y 568 def", "155 546 mv 301 0 rl 0 -301 rl -301 0 rl cp stroke",
       "156 545 mv"},
      {15, "132 222 479 569", "/xx 110 def /x 110 def /y 591 def", "132 569 mv 347 0 rl 0 -347 rl -347 0 rl cp stroke",
       "133 568 mv"},
      {17, "109 199 502 592", "/xx 87 def /x 87 def /y 614 def", "109 592 mv 393 0 rl 0 -393 rl -393 0 rl cp stroke",
       "110 591 mv"},
      {19, "86 176 525 615", "/xx 64 def /x 64 def /y 637 def", "86 615 mv 439 0 rl 0 -439 rl -439 0 rl cp stroke",
       "87 614 mv"},
      {21, "63 153 548 638", "/xx 41 def /x 41 def /y 660 def", "63 638 mv 485 0 rl 0 -485 rl -485 0 rl cp stroke",
       "64 637 mv"},
      {23, "40 130 571 661", "/xx 18 def /x 18 def /y 683 def", "40 661 mv 531 0 rl 0 -531 rl -531 0 rl cp stroke",
       "41 660 mv"},
      // Other sizes follow the same rule; half points stay, the box rounds outwards.
      {12, "166 256 445 535", "/xx 144.5 def /x 144.5 def /y 556.5 def",
       "166.5 534.5 mv 278 0 rl 0 -278 rl -278 0 rl cp stroke", "167.5 533.5 mv"},
  };
  for (const Case& c : cases) {
    Puzzle = TXwdPuzzle{};
    Puzzle.GridSize = static_cast<std::int16_t>(c.n);
    std::string eps;
    ExportForm->WriteEps(eps, "Sunday.eps", 1, 1);
    const QList<QByteArray> lines = QByteArray::fromStdString(eps).split('\n');
    EXPECT_EQ(lines[4].toStdString(), std::string("%%BoundingBox: ") + c.box + "\r") << c.n;
    EXPECT_EQ(lines[14].toStdString(), std::string(c.start) + "\r") << c.n;
    EXPECT_EQ(lines[16].toStdString(), std::string(c.frame) + "\r") << c.n;
    EXPECT_EQ(lines[17].toStdString(), std::string(c.corner) + "\r") << c.n;
  }
}

TEST_F(ExportEps, EveryStyleAndKindRendersInGhostscript) {
  SKIP_WITHOUT_READER(kGhostscript);
  SetSundayGrid();
  for (int style : {1, 2}) {
    Export(style);
    for (const char* file : {"Sunday.EPS", "Sunday-A.EPS"}) ExpectRenders(TempPath(file));
    QString numbers;
    for (const TWordRef& word : NumberWords(Puzzle))
      if (numbers.isEmpty() || !numbers.endsWith(QString::number(word.Number))) numbers += QString::number(word.Number);
    EXPECT_EQ(ShownText(TempPath("Sunday.EPS")), numbers) << "the numbers in scan order";
    QString letters;
    for (int y = 1; y <= 15; ++y)
      for (int x = 1; x <= 15; ++x)
        if (const std::uint8_t c = Puzzle.Solution(x, y); c >= 'A' && c <= 'Z') letters += QChar(c);
    EXPECT_EQ(ShownText(TempPath("Sunday-A.EPS")), letters) << "the letters in scan order";
  }
}

// A row with more numbers above 99 than fit in 255 characters goes on over further lines,
// between items; Ghostscript reads all of them.
TEST_F(ExportEps, LongRowsContinueBetweenItems) {
  std::string rows;
  for (int y = 1; y <= 23; ++y)
    for (int x = 1; x <= 23; ++x) rows += y == 13 ? '#' : y < 13 && (x + 2 * y) % 3 == 0 ? '#' : 'E';
  SetGrid(rows);
  const QList<QByteArray> lines = Lines(Export(1).first);
  for (const QByteArray& line : lines) EXPECT_LE(line.size(), 255 + 1) << line.toStdString();
  // Row 13 is black, so every square of row 14 starts a down word, numbered above 99.
  const qsizetype black = lines.indexOf("nc" + QByteArray(" bb").repeated(23) + "\r");
  ASSERT_GE(black, 0);
  const QByteArray first = lines[black + 1].chopped(1);
  const QByteArray second = lines[black + 2].chopped(1);
  EXPECT_TRUE(first.startsWith("nc nb (173) sh")) << first.toStdString();
  EXPECT_TRUE(second.startsWith("nb (")) << "the row goes on with its next item: " << second.toStdString();
  EXPECT_EQ((first + ' ' + second).count(" sh"), 23);
  if (HasReader(kGhostscript)) ExpectRenders(TempPath("Sunday.EPS"));
}

// Each answer square shows its own byte: "I" and "W" with their own offsets, an empty square
// its byte 0, a placeholder a blank, and the three characters PostScript strings reserve
// escaped.
TEST_F(ExportEps, AnswerItems) {
  SetGrid("IW.?#"
          "()\\A#"
          "#####"
          "#####"
          "#####");
  const QByteArray answers = Export(1).second;
  EXPECT_TRUE(answers.contains(QByteArray("nc ib (I) sh ww (W) sh lb (\0) sh lb ( ) sh bb\r\n", 47)))
      << answers.toStdString();
  EXPECT_TRUE(answers.contains("nc lb (\\() sh lb (\\)) sh lb (\\\\) sh lb (A) sh bb\r\n"));
  if (!HasReader(kGhostscript)) return;
  ExpectRenders(TempPath("Sunday-A.EPS"));
  EXPECT_EQ(ShownText(TempPath("Sunday-A.EPS")), "IW()\\A");
}

// Letters of the other grid languages show as themselves: the answers font is re-encoded for
// Windows-1252, only when the grid holds such a letter.
TEST_F(ExportEps, AccentedLettersShowAsThemselves) {
  SetGrid("AB#"
          "C#D"
          "EFG");
  const QByteArray plain = Export(1).second;
  EXPECT_FALSE(plain.contains("1252"));
  EXPECT_TRUE(plain.contains("\r\n/Helvetica-Bold findfont 16 scalefont setfont\r\n"));

  Puzzle.Solution(1, 1) = 0xC4;  // Ä
  Puzzle.Solution(2, 1) = 0xD6;  // Ö
  Puzzle.Solution(3, 2) = 0xD1;  // Ñ
  Puzzle.Solution(1, 3) = 0x8C;  // Œ
  Puzzle.Solution(3, 3) = 0xDF;  // ß
  for (int style : {1, 2}) {
    const auto [puzzle, answers] = Export(style);
    EXPECT_FALSE(puzzle.contains("1252")) << "numbers need no other encoding";
    const QByteArray font = style == 1 ? "Helvetica-Bold" : "Helvetica";
    EXPECT_TRUE(answers.contains("currentdict end /" + font + "-1252 exch definefont pop\r\n/" + font +
                                 "-1252 findfont 16 scalefont setfont\r\n"));
    if (!HasReader(kGhostscript)) continue;
    ExpectRenders(TempPath("Sunday-A.EPS"));
    EXPECT_EQ(ShownText(TempPath("Sunday-A.EPS")), QString::fromUtf8("ÄÖCÑŒFß"));
  }
}

TEST_F(ExportEps, NamesAndTitles) {
  SetGridWithClues("AB"
                   "C#");
  struct Case {
    int style;
    const char* chosen;
    const char *puzzle, *answers, *title;
  };
  const Case cases[] = {
      {1, "Puzzle.eps", "Puzzle.EPS", "Puzzle-A.EPS", "%%Title: Puzzle.eps\r\n"},
      {2, "Light.eps", "Light.EPS", "Light-A.EPS", "%%Title: Light.eps [light]\r\n"},
      {1, "Puzzle.ps", "Puzzle.EPS", "Puzzle-A.EPS", "%%Title: Puzzle.ps\r\n"},
      {1, "Sunday", "Sunday.EPS", "Sunday-A.EPS", "%%Title: Sunday\r\n"},
  };
  for (const Case& c : cases) {
    ExportForm->ExportEps(TempPath(c.chosen), c.style);
    EXPECT_EQ(ExportForm->OutputName, TempPath(c.answers));
    for (const char* file : {c.puzzle, c.answers})
      EXPECT_TRUE(ReadFile(TempPath(file)).contains(c.title)) << c.chosen << " " << file;
  }
  EXPECT_EQ(TempFiles(), (QStringList{"Light-A.EPS", "Light.EPS", "Puzzle-A.EPS", "Puzzle.EPS", "Sunday-A.EPS",
                                      "Sunday.EPS"}));
}

// The creation date is the locale's short date and its time with seconds.
TEST_F(ExportEps, CreationDateFollowsTheLocale) {
  SetGridWithClues("AB"
                   "C#");
  const QLocale saved;
  struct Case {
    QLocale locale;
    const char* line;
  };
  const Case cases[] = {
      {QLocale(QLocale::English, QLocale::UnitedStates), "%%CreationDate: 1/21/97 4:01:02 AM\r"},
      {QLocale(QLocale::German, QLocale::Germany), "%%CreationDate: 21.01.97 04:01:02\r"},
  };
  for (const Case& c : cases) {
    QLocale::setDefault(c.locale);
    std::string eps;
    ExportForm->WriteEps(eps, "Sunday.eps", 1, 1);
    EXPECT_EQ(QByteArray::fromStdString(eps).split('\n')[2].toStdString(), c.line);
  }
  QLocale::setDefault(saved);
}

}  // namespace
