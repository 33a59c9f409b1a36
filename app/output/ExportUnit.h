#pragma once
// The export routines: clue list text, EPS and metafile grids, the RTF manuscript, clipboard
// copies, and the grid transform.

#include <QObject>
#include <QString>
#include <string>

class TExportForm : public QObject {
 public:
  std::string SpecsText;  // the main window's specifications, Windows-1252

  void ExportText(const QString& FileName);
  void CopyCluesToClipboard();
  void ExportEps(const QString& FileName, int FilterIndex);
  void ExportMetafile(const QString& FileName, int Mode);
  void ExportRtf(const QString& FileName);
  void TransformGrid(int Mode);
};

extern TExportForm* ExportForm;
