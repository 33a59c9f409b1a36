#include "app/puzzle/XwdProcsUnit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cassert>

#include "app/puzzle/AtomicFile.h"
#include "app/puzzle/SFXUnit.h"
#include "app/puzzle/WordGeometry.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/Pause.h"
#include "platform/gui/SettingsStore.h"
#include "platform/gui/SystemMetrics.h"
#include "platform/gui/Trash.h"

using platform::gui::SettingsStore;
using platform::gui::SettingType;

TXwdPuzzle Puzzle;
QString PuzzleFileName;
std::uint8_t PuzzleModified = 0;
std::uint8_t EditMode = 0;
int SquareSize = 0;
int DefaultSquareSize = 1;
std::uint8_t AllowChildClose = 0;
int SoundLevel = 1;
const QString ApplicationSettingsKey = QStringLiteral("Software\\Quillmere32\\QuillmereDemo");
QString SettingsKey = ApplicationSettingsKey;
TXwdProcs* XwdProcs = nullptr;

// ---- Record --------------------------------------------------------------------------------

std::string TPuzzleString::Text() const {
  return std::string(Chars.data(), std::min<std::size_t>(Length, MaxStringLength));
}

void TPuzzleString::Assign(std::string_view text) {
  const auto n = std::min<std::size_t>(text.size(), MaxStringLength);
  Chars.fill(0);
  std::copy_n(text.begin(), n, Chars.begin());
  Length = static_cast<std::uint8_t>(n);
}

std::size_t TXwdPuzzle::CellIndex(int x, int y) {
  assert(x >= 1 && x <= MaxGridSize && y >= 1 && y <= MaxGridSize);
  return static_cast<std::size_t>(MaxGridSize * (x - 1) + (y - 1));
}

std::string TXwdPuzzle::Clue(int slot) const {
  if (slot < 1 || slot > MaxClues) return {};
  return Clues[slot - 1].Text();
}

void TXwdPuzzle::SetClue(int slot, std::string_view text) {
  if (slot < 1 || slot > MaxClues) return;
  Clues[slot - 1].Assign(text);
}

namespace {

constexpr std::size_t kSolutionOffset = 2;
constexpr std::size_t kEntriesOffset = 531;
constexpr std::size_t kWordIdxOffset = 1060;
constexpr std::size_t kCluesOffset = 3176;
constexpr std::size_t kBylineOffset = 14095;
constexpr std::size_t kStringSize = 1 + MaxStringLength;

using Image = std::array<std::uint8_t, PuzzleFileSize>;

void PutU16(Image& image, std::size_t at, std::uint16_t value) {
  image[at] = static_cast<std::uint8_t>(value & 0xFF);
  image[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint16_t GetU16(const Image& image, std::size_t at) {
  return static_cast<std::uint16_t>(image[at] | (image[at + 1] << 8));
}

void PutString(Image& image, std::size_t at, const TPuzzleString& s) {
  image[at] = s.Length;
  std::copy(s.Chars.begin(), s.Chars.end(), image.begin() + static_cast<std::ptrdiff_t>(at + 1));
}

// A length byte above 60 reads as 60; the characters are kept as they stand.
TPuzzleString GetString(const Image& image, std::size_t at) {
  TPuzzleString s;
  s.Length = std::min<std::uint8_t>(image[at], MaxStringLength);
  std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(at + 1), MaxStringLength, s.Chars.begin());
  return s;
}

}  // namespace

Image TXwdPuzzle::Serialize() const {
  Image image{};
  PutU16(image, 0, static_cast<std::uint16_t>(GridSize));
  std::copy(SolutionCells.begin(), SolutionCells.end(), image.begin() + kSolutionOffset);
  std::copy(EntryCells.begin(), EntryCells.end(), image.begin() + kEntriesOffset);
  for (std::size_t i = 0; i < WordIdxCells.size(); ++i) {
    PutU16(image, kWordIdxOffset + 4 * i, WordIdxCells[i].Across);
    PutU16(image, kWordIdxOffset + 4 * i + 2, WordIdxCells[i].Down);
  }
  for (std::size_t i = 0; i < Clues.size(); ++i) PutString(image, kCluesOffset + kStringSize * i, Clues[i]);
  PutString(image, kBylineOffset, BylineText);
  return image;
}

bool TXwdPuzzle::Parse(const Image& image, TXwdPuzzle& into) {
  TXwdPuzzle rec;
  rec.GridSize = static_cast<std::int16_t>(GetU16(image, 0));
  if (rec.GridSize < 1 || rec.GridSize > MaxGridSize) return false;
  std::copy_n(image.begin() + kSolutionOffset, rec.SolutionCells.size(), rec.SolutionCells.begin());
  std::copy_n(image.begin() + kEntriesOffset, rec.EntryCells.size(), rec.EntryCells.begin());
  for (std::size_t i = 0; i < rec.WordIdxCells.size(); ++i) {
    rec.WordIdxCells[i].Across = GetU16(image, kWordIdxOffset + 4 * i);
    rec.WordIdxCells[i].Down = GetU16(image, kWordIdxOffset + 4 * i + 2);
  }
  for (std::size_t i = 0; i < rec.Clues.size(); ++i) rec.Clues[i] = GetString(image, kCluesOffset + kStringSize * i);
  rec.BylineText = GetString(image, kBylineOffset);
  into = rec;
  return true;
}

// ---- Settings key switch -------------------------------------------------------------------

TSettingsKeySwitch::TSettingsKeySwitch(const QString& key) : previous_(SettingsKey) { SettingsKey = key; }
TSettingsKeySwitch::~TSettingsKeySwitch() { SettingsKey = previous_; }

// ---- Data module ---------------------------------------------------------------------------

TXwdProcs::TXwdProcs() {
  using namespace platform::gui;
  // Never 0: square and font sizes are scaled by it.
  DefaultSquareSize =
      std::max(1, (GetSystemMetrics(SM_CYFULLSCREEN) - GetSystemMetrics(SM_CYMENU)) / MaxGridSize);
}

void TXwdProcs::NewPuzzle(int Size, char Mode, TXwdPuzzle& Into) {
  Into.GridSize = static_cast<std::int16_t>(Size);
  for (auto& cell : Into.SolutionCells)
    if (!(Mode == 'C' && cell == BlackSquare)) cell = EmptySquare;
  Into.EntryCells.fill(0);
  Into.WordIdxCells.fill(TWordIdxPair{});
  for (auto& clue : Into.Clues) clue.Assign("");
  // The name is cut first so that the bar and the language digit always fit.
  std::string name = platform::gui::ToAnsi(ReadSetting("Name", ""));
  name.resize(std::min<std::size_t>(name.size(), MaxStringLength - 2));
  Into.BylineText.Assign(name + "|" + std::to_string(ReadSetting("GridLanguage", 0)));
}

void TXwdProcs::LoadPuzzle(const QString& FileName) {
  QFile file(FileName);
  if (!file.open(QIODevice::ReadOnly)) throw EInOutError(file.errorString().toStdString());
  Image image{};
  const qint64 got = file.read(reinterpret_cast<char*>(image.data()), static_cast<qint64>(image.size()));
  if (got < 0) throw EInOutError(file.errorString().toStdString());
  if (got != static_cast<qint64>(image.size())) throw EInOutError("Read beyond end of file");
  if (!TXwdPuzzle::Parse(image, Puzzle)) throw EInOutError("Invalid grid size");
}

void TXwdProcs::SavePuzzle(const QString& FileName, const TXwdPuzzle& From) {
  const Image image = From.Serialize();
  WriteFileAtomically(FileName, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
  PuzzleModified = 0;
}

bool TXwdProcs::RecyclePuzzleFile(const QString& FileName) {
  if (!platform::gui::MoveToTrash(FileName)) return false;
  PuzzleModified = 0;
  return true;
}

bool TXwdProcs::IsAcrossStart(int X, int Y) const { return ::IsAcrossStart(Puzzle, X, Y); }

bool TXwdProcs::IsDownStart(int X, int Y) const { return ::IsDownStart(Puzzle, X, Y); }

std::string TXwdProcs::GetEntryWord(int X, int Y, char Dir) const { return ::GetEntryWord(Puzzle, X, Y, Dir); }

bool TXwdProcs::IsGridFull() const {
  for (int x = 1; x <= Puzzle.GridSize; ++x)
    for (int y = 1; y <= Puzzle.GridSize; ++y)
      if (Puzzle.Solution(x, y) == EmptySquare) return false;
  return true;
}

int TXwdProcs::GetGridLanguage() const {
  const std::string byline = Puzzle.BylineText.Text();
  if (byline.find('|') == std::string::npos) return 0;
  const char last = byline.back();
  return last >= '0' && last <= '9' ? last - '0' : 0;
}

std::string TXwdProcs::GetBylineName() const {
  const std::string byline = Puzzle.BylineText.Text();
  return byline.substr(0, byline.find('|'));
}

QString TXwdProcs::ReadSetting(const QString& Name, const QString& Default) const {
  return SettingsStore::ReadString(SettingsKey, Name).value_or(Default);
}

QString TXwdProcs::ReadSetting(const QString& Name, const char* Default) const {
  return ReadSetting(Name, QString::fromUtf8(Default));
}

int TXwdProcs::ReadSetting(const QString& Name, int Default) const {
  return SettingsStore::ReadInteger(SettingsKey, Name).value_or(Default);
}

bool TXwdProcs::ReadSetting(const QString& Name, bool Default) const {
  return ReadSetting(Name, Default ? 1 : 0) != 0;
}

void TXwdProcs::WriteSetting(const QString& Name, const QString& Value) const {
  SettingsStore::WriteString(SettingsKey, Name, Value);
}

void TXwdProcs::WriteSetting(const QString& Name, const char* Value) const {
  WriteSetting(Name, QString::fromUtf8(Value));
}

void TXwdProcs::WriteSetting(const QString& Name, int Value) const {
  SettingsStore::WriteInteger(SettingsKey, Name, Value);
}

void TXwdProcs::WriteSetting(const QString& Name, bool Value) const { WriteSetting(Name, Value ? 1 : 0); }

void TXwdProcs::WriteBoundsSetting(const QString& Name, int Left, int Top, int Width, int Height) const {
  WriteSetting(Name, QStringLiteral("%1,%2,%3,%4").arg(Left).arg(Top).arg(Width).arg(Height));
}

platform::gui::TColor TXwdProcs::ReadColorSetting(const QString& Name, const char* Default) const {
  const auto fallback = platform::gui::StringToColor(Default);
  assert(fallback.has_value());
  return platform::gui::StringToColor(ReadSetting(Name, Default).toStdString()).value_or(*fallback);
}

void TXwdProcs::Pause(int Milliseconds) const { platform::gui::Pause(Milliseconds); }

void TXwdProcs::SoundMessage(const QString& Text) const {
  if (SoundLevel > 0) SoundFX->PlayWave7();
  platform::gui::CurrentDialogs().MessageDlg(Text, platform::gui::MsgDlgType::Error, platform::gui::mbOK);
}

int TXwdProcs::AlertMessage(const QString& Text, platform::gui::MsgDlgType Type, unsigned Buttons) const {
  SoundFX->PlayAlert();
  return platform::gui::CurrentDialogs().MessageDlg(Text, Type, Buttons);
}

bool ParseBounds(const QString& text, TBounds& bounds) {
  const QStringList parts = text.split(',');
  if (parts.size() != 4) return false;
  int values[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    values[i] = parts[i].trimmed().toInt(&ok);
    if (!ok) return false;
  }
  bounds = {values[0], values[1], values[2], values[3]};
  return true;
}
