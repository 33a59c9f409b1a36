#pragma once
// A fixture with the program's whole set of windows, a fresh puzzle state and scripted dialogs.

#include <QByteArray>
#include <QString>
#include <string>

#include "tests/support/AppEnvironment.h"

class AppTest : public testing_support::GuiTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes a puzzle file of the current record's shape: an N by N grid where each row of
  // `rows` gives the cells ('#' black, '.' empty, '?' placeholder, letters as they stand).
  QString WritePuzzle(const QString& name, const std::string& rows, int size = 0);
  static QByteArray ReadFile(const QString& path);
  static void WriteFile(const QString& path, const QByteArray& bytes);
};

// Fills Puzzle from rows of a square grid as WritePuzzle describes.
void SetGrid(const std::string& rows);
