#pragma once
// The fixture of the printing tests: the program's windows with a recording printer installed,
// a Letter-sized page of 5100 by 6600 pixels at 600 pixels per inch, and text measured as
// Courier New 12 measures there (60 pixels a character, 113 a line).

#include <QString>
#include <string>
#include <vector>

#include "AppTest.h"
#include "app/output/PrintLayout.h"
#include "tests/support/RecordingPrinter.h"

// A 5 by 5 grid whose words are, in order: 1 across, 1 down, 2 down, 3 down, 4 across, 5 across.
inline constexpr const char* kSmallGrid =
    "ABCDE"
    "F#G#H"
    "IJKLM"
    "N#O#P"
    "QRSTW";

class PrintTest : public AppTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Gives the words of the grid, in ordinal order, the clues of `clues` (linked as Autoclue
  // links them: slot = ordinal); words beyond the list keep no clue.
  static void SetClues(const std::vector<std::string>& clues);
  // The print window's layout for the current page, as the window measures it.
  TPrintLayout Layout(const QString& title = "Sunday");

  // The texts drawn on a page, in order.
  static std::vector<testing_support::CanvasCall> Texts(const testing_support::PrintedPage& page);
  // The first text on the page that equals `text`; fails the test when there is none.
  static testing_support::CanvasCall TextCall(const testing_support::PrintedPage& page, const QString& text);
  static bool HasText(const testing_support::PrintedPage& page, const QString& text);
  // "manuscript", "grid" or "puzzle", from what the page holds.
  static std::string KindOf(const testing_support::PrintedPage& page);
  // The kinds of the pages of one job.
  std::vector<std::string> JobKinds(int job) const;

  testing_support::RecordingPrinter printer;
};
