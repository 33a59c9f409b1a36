#pragma once
// The grid window: the one window that shows the puzzle grid, in every editing mode, and holds
// the current word (CursorPos and Direction) that the other windows read and set. It draws
// into its back buffer at any time, not only while painting, so key and mouse handlers and
// other windows redraw single squares through DrawCell and HighlightWord.

#include <QSize>
#include <cstdint>
#include <memory>

#include "app/grid/LetterSets.h"
#include "platform/gui/Canvas.h"
#include "platform/gui/Colors.h"
#include "platform/gui/Form.h"
#include "platform/gui/InputEvents.h"

// The characters the grid accepts now; empty until the first BuildLetterSet.
extern TLetterSet LetterSet;

class TXwdGridForm : public platform::gui::TForm {
 public:
  // HighlightWord's colours: the highlight of the current word, and the call that removes it.
  static constexpr platform::gui::TColor HighlightColor = platform::gui::clYellow;
  static constexpr platform::gui::TColor RemoveHighlight = platform::gui::clWhite;
  // The number of the pencil among the program's screen cursors.
  static constexpr int crPencil = 2;

  TXwdGridForm();
  ~TXwdGridForm() override;

  platform::gui::TColor FilledColor = platform::gui::clBlack;
  platform::gui::TColor BlankColor = platform::gui::clWhite;
  std::uint32_t CursorPos = 0;  // low half x, high half y, client pixels
  std::int32_t Direction = 0;   // 0 none, 1 across, 2 down
  std::uint8_t Cheated = 0;
  std::uint8_t SymmetryOn = 0;
  std::uint8_t SwapButtons = 0;

  void LoadGridPrefs();
  void BuildLetterSet();
  void RestoreGridBounds();
  // Draws the square whose top-left corner is at pixel (X, Y) in Colour (black squares in
  // FilledColor), with its letter: the answer, or while solving the entry unless ShowSolution.
  void DrawCell(int X, int Y, platform::gui::TColor Colour, bool ShowSolution = false);
  // Draws from the cell holding pixel (X, Y) to the end of its word in Direction; with
  // RemoveHighlight in BlankColor, which also ends the selection.
  void HighlightWord(int X, int Y, platform::gui::TColor Colour);
  // Ends the selection of the current word and removes its highlight; nothing without one.
  void EndSelection();

  // Mouse: grid design in emSquares, word selection in the other modes.
  void FormMouseDown(platform::gui::TMouseButton Button, platform::gui::TShiftState Shift, int X, int Y);
  void FormMouseMove(platform::gui::TShiftState Shift, int X, int Y);
  void ToggleSquare(int X, int Y, bool Right);
  void SelectWordAt(int X, int Y, bool Right);

  // Keys: letters into the selected word; the clue list forwards its keys to FormKeyPress.
  void FormKeyPress(std::uint8_t& Key);
  void FormKeyDown(std::uint16_t& Key, platform::gui::TShiftState Shift);
  void EnterChar(std::uint8_t Key);

  // The answer peek of the cheat button, and the score card's error marks and celebration.
  void ShowAnswers();
  void MarkWrongEntries();
  void CelebrateSolved();

  // What the window draws on: its back buffer, or the canvas a test put in its place (which
  // takes over the pen, brush and font in force; nullptr goes back to the back buffer).
  platform::gui::Canvas& Canvas();
  void SetCanvas(platform::gui::Canvas* canvas);

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormPaint() override;
  void FormResize() override;
  void FormCloseQuery(bool& CanClose) override;

  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The cell EnterChar works on, with its square's corner.
  struct TEntryCell {
    int X, Y, CornerX, CornerY;
  };

  int Square() const;
  bool IsBlack(int x, int y) const;
  // Whether the cursor stands on a letter square of the grid; a selection that does not
  // (the square was made black after it began) is ended by the next key.
  bool CursorOnLetterSquare() const;
  void EndStaleSelection();
  void StepBack(TEntryCell& cell, std::uint8_t& Key);
  void AfterEntryAdvance();
  // The present content of a square as Enter and Backspace read it.
  std::uint8_t PresentKey(int x, int y) const;
  void ApplyFontSize();
  // Sizes the window to the grid at SquareSize, with a minimum for the smallest squares.
  void SetGridBounds(int left, int top, platform::gui::ScreenFit fit);

  std::unique_ptr<platform::gui::Canvas> backBufferCanvas_;
  platform::gui::Canvas* canvas_ = nullptr;
  bool snapping_ = false;
  QSize ownSize_;  // the client size SetGridBounds gave the window
};

extern TXwdGridForm* XwdGridForm;
