// The program's own sounds, pictures and help pages, as they are compiled in, and the help
// viewer that shows the pages.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QRegularExpression>
#include <QTextBrowser>

#include "platform/gui/HelpIndex.h"
#include "platform/gui/QtHelpViewer.h"
#include "platform/gui/WavFile.h"
#include "tests/support/AppEnvironment.h"

namespace {

using namespace platform::gui;

QByteArray Resource(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(Resources, SevenShortSounds) {
  for (int n = 1; n <= 7; ++n) {
    const QByteArray bytes = Resource(QStringLiteral(":/sounds/WAVE_%1.wav").arg(n));
    const auto sound =
        ParseWav({reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
    ASSERT_TRUE(sound.has_value()) << "WAVE_" << n;
    const double seconds = double(sound->Frames()) / sound->SampleRate;
    EXPECT_GT(seconds, 0.1) << "WAVE_" << n;
    // WAVE_5 holds up the program while it plays.
    EXPECT_LT(seconds, n == 5 ? 1.5 : 2.0) << "WAVE_" << n;
  }
}

TEST(Resources, GlyphsAndLogo) {
  for (const char* name : {"MOUSEACR", "MOUSEDWN", "ONSYMMETRY", "OFFSYMMETRY", "CHEAT", "SQUARES", "LETTERS", "DICT",
                           "AUTOCLUE", "HISTCONSTRUCT", "HISTSOLVE"}) {
    const QPixmap glyph(QStringLiteral(":/glyphs/%1.png").arg(QLatin1String(name)));
    EXPECT_EQ(glyph.size(), QSize(16, 16)) << name;
  }
  EXPECT_FALSE(QPixmap(":/pictures/logo.png").isNull());
}

// Every entry of the contents and the keyword index leads to a page, and to an anchor on it.
TEST(Resources, HelpIndexLeadsToPagesAndAnchors) {
  const HelpIndex index = ParseHelpIndex(QString::fromUtf8(Resource(":/help/index.txt")));
  ASSERT_FALSE(index.Contents.empty());
  ASSERT_FALSE(index.Keywords.empty());
  std::vector<HelpEntry> all = index.Contents;
  all.insert(all.end(), index.Keywords.begin(), index.Keywords.end());
  for (const HelpEntry& entry : all) {
    const QString page = entry.Page.section('#', 0, 0);
    const QString anchor = entry.Page.section('#', 1);
    const QString html = QString::fromUtf8(Resource(":/help/" + page));
    ASSERT_FALSE(html.isEmpty()) << entry.Text.toStdString() << ": " << page.toStdString();
    if (!anchor.isEmpty()) {
      EXPECT_TRUE(html.contains(QStringLiteral("name=\"%1\"").arg(anchor)))
          << entry.Text.toStdString() << ": " << entry.Page.toStdString();
    }
  }
}

class HelpViewerTest : public testing_support::GuiTest {
 protected:
  static QWidget* HelpWindow() {
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->windowTitle() == "Quillmere Demo Help" && window->isVisible()) return window;
    return nullptr;
  }
  QtHelpViewer viewer;
};

TEST_F(HelpViewerTest, ContentsKeywordIndexAndQuit) {
  viewer.ShowContents("quillmeredemo.hlp");
  QWidget* window = HelpWindow();
  ASSERT_NE(window, nullptr);
  auto* contents = window->findChild<QListWidget*>("contents");
  auto* page = window->findChild<QTextBrowser*>("page");
  ASSERT_TRUE(contents && page);
  EXPECT_EQ(contents->currentRow(), 0);
  EXPECT_TRUE(page->source().toString().endsWith("contents.html"));

  // The keyword search with no keyword: the whole index, nothing chosen.
  viewer.ShowKeywordIndex("quillmeredemo.hlp", "");
  auto* keywords = window->findChild<QListWidget*>("keywords");
  auto* filter = window->findChild<QLineEdit*>("keywordFilter");
  ASSERT_TRUE(keywords && filter);
  EXPECT_EQ(keywords->currentItem(), nullptr);
  int shown = 0;
  for (int row = 0; row < keywords->count(); ++row) shown += keywords->item(row)->isHidden() ? 0 : 1;
  EXPECT_EQ(shown, keywords->count());

  // Typing narrows the index and opens the first keyword that holds the text.
  filter->setText("symm");
  ASSERT_NE(keywords->currentItem(), nullptr);
  EXPECT_EQ(keywords->currentItem()->text(), "Symmetry");
  EXPECT_TRUE(page->source().toString().endsWith("constructing.html#design"));

  viewer.Quit();
  EXPECT_EQ(HelpWindow(), nullptr);
}

}  // namespace
