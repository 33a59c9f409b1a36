#pragma once
// The one puzzle record of the program, the globals beside it, and the data module of shared
// routines: puzzle file I/O, entry geometry, the byline, settings, pauses and the error message.

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/gui/Colors.h"
#include "platform/gui/Dialogs.h"

constexpr int MaxGridSize = 23;
constexpr int MaxClues = 179;
constexpr int MaxStringLength = 60;
constexpr std::size_t PuzzleFileSize = 14156;

// Cell values of the answer layer.
constexpr std::uint8_t BlackSquare = 219;
constexpr std::uint8_t EmptySquare = 0;
constexpr std::uint8_t PlaceholderLetter = 32;  // shown and read as "?"

// Edit modes.
constexpr std::uint8_t emSolve = 1;
constexpr std::uint8_t emSquares = 2;
constexpr std::uint8_t emLetters = 4;

// A length byte and 60 characters. The bytes after the length are padding; this program writes
// them as zeros so that no earlier text survives in a file.
struct TPuzzleString {
  std::uint8_t Length = 0;
  std::array<char, MaxStringLength> Chars{};

  std::string Text() const;  // at most 60 characters, whatever the length byte says
  void Assign(std::string_view text);  // cut to 60 characters, padding zeroed

  bool operator==(const TPuzzleString&) const = default;
};

struct TWordIdxPair {
  std::uint16_t Across = 0;
  std::uint16_t Down = 0;

  bool operator==(const TWordIdxPair&) const = default;
};

// The puzzle as its file holds it. Cells are addressed (x, y), column and row from 1 to 23.
struct TXwdPuzzle {
  std::int16_t GridSize = 0;
  std::array<std::uint8_t, MaxGridSize * MaxGridSize> SolutionCells{};  // column by column
  std::array<std::uint8_t, MaxGridSize * MaxGridSize> EntryCells{};
  std::array<TWordIdxPair, MaxGridSize * MaxGridSize> WordIdxCells{};
  std::array<TPuzzleString, MaxClues> Clues{};  // slot i at index i - 1
  TPuzzleString BylineText;

  std::uint8_t& Solution(int x, int y) { return SolutionCells[CellIndex(x, y)]; }
  std::uint8_t Solution(int x, int y) const { return SolutionCells[CellIndex(x, y)]; }
  std::uint8_t& Entries(int x, int y) { return EntryCells[CellIndex(x, y)]; }
  std::uint8_t Entries(int x, int y) const { return EntryCells[CellIndex(x, y)]; }
  TWordIdxPair& WordIdx(int x, int y) { return WordIdxCells[CellIndex(x, y)]; }
  const TWordIdxPair& WordIdx(int x, int y) const { return WordIdxCells[CellIndex(x, y)]; }

  // The clue text of a slot; slots outside 1..179 (a link from a foreign file) read as empty.
  std::string Clue(int slot) const;
  // Stores a clue; slots outside 1..179 are never written.
  void SetClue(int slot, std::string_view text);

  // The exact file image, and the record of one; Parse refuses an image whose grid size is
  // outside 1..23.
  std::array<std::uint8_t, PuzzleFileSize> Serialize() const;
  static bool Parse(const std::array<std::uint8_t, PuzzleFileSize>& image, TXwdPuzzle& into);

  bool operator==(const TXwdPuzzle&) const = default;

 private:
  static std::size_t CellIndex(int x, int y);
};

// The failure of a puzzle file read or write; the text is the system's own error text.
class EInOutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Globals beside the record, alive for the whole run.
extern TXwdPuzzle Puzzle;
extern QString PuzzleFileName;
extern std::uint8_t PuzzleModified;
extern std::uint8_t EditMode;
extern int SquareSize;
extern int DefaultSquareSize;
extern std::uint8_t AllowChildClose;
extern int SoundLevel;  // 0 no sounds, 1 sounds, 2 spoken messages
extern QString SettingsKey;

extern const QString ApplicationSettingsKey;  // "Software\Quillmere32\QuillmereDemo"

// Switches SettingsKey for a group of reads and restores it on every path.
class TSettingsKeySwitch {
 public:
  explicit TSettingsKeySwitch(const QString& key);
  ~TSettingsKeySwitch();
  TSettingsKeySwitch(const TSettingsKeySwitch&) = delete;
  TSettingsKeySwitch& operator=(const TSettingsKeySwitch&) = delete;

 private:
  QString previous_;
};

class TXwdProcs : public QObject {
 public:
  TXwdProcs();

  // Puzzle record and file. NewPuzzle and SavePuzzle work on the global record unless given
  // another, so that a command can build and save a new puzzle before it replaces the current one.
  void NewPuzzle(int Size, char Mode, TXwdPuzzle& Into = Puzzle);
  // Reads the whole file into the record, or raises EInOutError and leaves the record as it was.
  void LoadPuzzle(const QString& FileName);
  // Writes a temporary file beside the target and renames it over the target, so that a failed
  // save never destroys the old file. Raises EInOutError; clears PuzzleModified on success.
  void SavePuzzle(const QString& FileName, const TXwdPuzzle& From = Puzzle);
  // Moves the file to the trash; clears PuzzleModified and returns true when that worked.
  bool RecyclePuzzleFile(const QString& FileName);

  // Entry geometry; cells outside 1..N start no word.
  bool IsAcrossStart(int X, int Y) const;
  bool IsDownStart(int X, int Y) const;
  std::string GetEntryWord(int X, int Y, char Dir) const;
  bool IsGridFull() const;

  // The two halves of the byline "name|digit".
  int GetGridLanguage() const;
  std::string GetBylineName() const;

  // Settings under SettingsKey. A missing value, or one stored with the other type, reads as
  // the default.
  QString ReadSetting(const QString& Name, const QString& Default) const;
  QString ReadSetting(const QString& Name, const char* Default) const;
  int ReadSetting(const QString& Name, int Default) const;
  bool ReadSetting(const QString& Name, bool Default) const;
  void WriteSetting(const QString& Name, const QString& Value) const;
  void WriteSetting(const QString& Name, const char* Value) const;
  void WriteSetting(const QString& Name, int Value) const;
  void WriteSetting(const QString& Name, bool Value) const;
  void WriteBoundsSetting(const QString& Name, int Left, int Top, int Width, int Height) const;
  // A colour stored by name; an unknown name reads as the default.
  platform::gui::TColor ReadColorSetting(const QString& Name, const char* Default) const;

  void Pause(int Milliseconds) const;
  // The error message: its sound, then an error box.
  void SoundMessage(const QString& Text) const;
  // A question or warning: the alert sound, then the box; returns the button's modal result.
  int AlertMessage(const QString& Text, platform::gui::MsgDlgType Type, unsigned Buttons) const;
};

extern TXwdProcs* XwdProcs;

// "L,T,W,H" split into four integers; false when the text is not exactly that.
struct TBounds {
  int Left = 0, Top = 0, Width = 0, Height = 0;
};
bool ParseBounds(const QString& text, TBounds& bounds);
