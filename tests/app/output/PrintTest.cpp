#include "PrintTest.h"

#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/Printer.h"

using testing_support::CanvasCall;
using testing_support::PrintedPage;

void PrintTest::SetUp() {
  AppTest::SetUp();
  printer.Surface.CharWidth = 60;
  printer.Surface.LineHeight = 113;
  platform::gui::InstallPrinter(&printer);
}

void PrintTest::TearDown() {
  platform::gui::InstallPrinter(nullptr);
  AppTest::TearDown();
}

void PrintTest::SetClues(const std::vector<std::string>& clues) {
  for (const TWordRef& word : NumberWords(Puzzle)) {
    if (word.Ordinal > static_cast<int>(clues.size())) continue;
    WordLink(Puzzle, word) = static_cast<std::uint16_t>(word.Ordinal);
    Puzzle.SetClue(word.Ordinal, clues[static_cast<std::size_t>(word.Ordinal - 1)]);
  }
}

TPrintLayout PrintTest::Layout(const QString& title) {
  TPrintLayout layout;
  layout.Title = title;
  layout.SpecsText = "Size of Grid: 15\xD7\r\nBlack Squares: 38  Par: 37\r\nWord Count: 78  Par: 78\r\n";
  layout.Manuscript = MeasureManuscriptPage(printer, 0);
  return layout;
}

std::vector<CanvasCall> PrintTest::Texts(const PrintedPage& page) {
  std::vector<CanvasCall> texts;
  for (const CanvasCall& call : page.Calls)
    if (call.What == CanvasCall::Kind::Text) texts.push_back(call);
  return texts;
}

CanvasCall PrintTest::TextCall(const PrintedPage& page, const QString& text) {
  for (const CanvasCall& call : Texts(page))
    if (call.Text == text) return call;
  ADD_FAILURE() << "no text \"" << text.toStdString() << "\" on page " << page.Number;
  return {};
}

bool PrintTest::HasText(const PrintedPage& page, const QString& text) {
  for (const CanvasCall& call : Texts(page))
    if (call.Text == text) return true;
  return false;
}

std::string PrintTest::KindOf(const PrintedPage& page) {
  bool rectangles = false;
  for (const CanvasCall& call : page.Calls) {
    if (call.What == CanvasCall::Kind::Line || call.Text.contains(" / page ")) return "puzzle";
    rectangles = rectangles || call.What == CanvasCall::Kind::Rectangle;
  }
  return rectangles ? "grid" : "manuscript";
}

std::vector<std::string> PrintTest::JobKinds(int job) const {
  std::vector<std::string> kinds;
  for (const PrintedPage& page : printer.Pages)
    if (page.Job == job) kinds.push_back(KindOf(page));
  return kinds;
}
