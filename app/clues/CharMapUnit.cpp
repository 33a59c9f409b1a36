#include "app/clues/CharMapUnit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QVBoxLayout>
#include <cmath>

#include "app/clues/XwdAutoUnit.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/Colors.h"
#include "platform/gui/SystemMetrics.h"

using namespace platform::gui;

TCharMapForm* CharMapForm = nullptr;

namespace {

constexpr int kCells = 10;
constexpr int kCellWidth = 16;   // at 96 pixels per inch
constexpr int kCellHeight = 19;
constexpr TColor clInfoBk = SystemColor(24);

struct Replacement {
  int Col, Row;
  const char* Text;
};

constexpr Replacement kReplacements[] = {
    {0, 0, "___"},   {3, 0, "\xA1"}, {5, 0, "\x85"}, {7, 0, "\x96"}, {8, 0, "\x97"}, {9, 0, "\xA9"},
    {1, 1, "\x91"},  {2, 1, "\x92"}, {3, 1, "\x93"}, {4, 1, "\x94"}, {9, 1, "\xAE"}, {2, 2, "\x9A"},
    {3, 2, "\x8A"},  {5, 9, "\x83"}, {6, 9, "\x8C"}, {7, 9, "\x9C"}, {8, 9, "\x9F"}, {9, 9, "\x99"},
};

// Sizes at the screen's pixels per inch, halves to the even neighbour.
int Scaled(int size) { return static_cast<int>(std::nearbyint(size * ScreenPixelsPerInch() / 96.0)); }

// The width a title bar needs to show the caption whole: the caption in bold, beside a window
// icon and three buttons about as wide as the bar is high, with a margin.
int CaptionRoom(const QString& caption) {
  QFont bold = QApplication::font();
  bold.setBold(true);
  return QFontMetrics(bold).horizontalAdvance(caption) + 5 * GetSystemMetrics(SM_CYSMCAPTION);
}

}  // namespace

std::string TCharMapForm::CellText(int ACol, int ARow) {
  for (const Replacement& r : kReplacements)
    if (r.Col == ACol && r.Row == ARow) return r.Text;
  return std::string(1, static_cast<char>(161 + ACol + kCells * ARow));
}

TCharMapForm::TCharMapForm() : CharGrid(new QTableWidget(kCells, kCells, this)) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  SetCaption("Special Characters");
  CharGrid->horizontalHeader()->hide();
  CharGrid->verticalHeader()->hide();
  CharGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  CharGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  CharGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // A text wider than its cell ("___") is drawn cut at the cell's edges, not left out.
  CharGrid->setTextElideMode(Qt::ElideNone);
  CharGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  CharGrid->setFont(QFont("Times New Roman"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(CharGrid);
  QObject::connect(CharGrid, &QTableWidget::cellClicked, this,
                   [this](int row, int col) { Guard([=, this] { CharGridSelectCell(col, row); }); });
}

void TCharMapForm::FormCreate() {
  SetPaletteColor(CharGrid, QPalette::Base, clInfoBk);
  for (int row = 0; row < kCells; ++row)
    for (int col = 0; col < kCells; ++col) {
      auto* cell = new QTableWidgetItem(FromAnsi(CellText(col, row)));
      cell->setTextAlignment(Qt::AlignCenter);
      CharGrid->setItem(row, col, cell);
    }
  CharGrid->setCurrentCell(-1, -1);
  const int width = Scaled(kCellWidth), height = Scaled(kCellHeight);
  CharGrid->horizontalHeader()->setMinimumSectionSize(1);
  CharGrid->verticalHeader()->setMinimumSectionSize(1);
  CharGrid->horizontalHeader()->setDefaultSectionSize(width);
  CharGrid->verticalHeader()->setDefaultSectionSize(height);
  // Beyond 96 pixels per inch the rounded cells need a little more room.
  const int grow = ScreenPixelsPerInch() > 96 ? 1 : 0;
  const int frame = 2 * CharGrid->frameWidth();
  const int gridWidth = kCells * width + frame + grow;
  const int windowWidth = std::max(gridWidth, CaptionRoom(Caption()));
  // A window widened for its caption shares the room out among the columns.
  if (windowWidth > gridWidth) CharGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  setFixedSize(windowWidth, kCells * height + frame + 2 * grow);
}

void TCharMapForm::CharGridSelectCell(int ACol, int ARow) { AutoclueForm->InsertIntoClue(FromAnsi(CellText(ACol, ARow))); }
