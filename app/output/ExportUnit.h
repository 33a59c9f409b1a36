#pragma once
// The export routines: clue list text, EPS and metafile grids, the RTF manuscript, clipboard
// copies, and the grid transform. Every file is Windows-1252 text or a metafile, written whole
// or not at all; a failure raises EInOutError and stops the export there.

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <string>

namespace platform::gui {
class TMetafile;
}

class TExportForm : public QObject {
 public:
  QString OutputName;     // the file the current export writes
  std::string SpecsText;  // the main window's specifications, Windows-1252
  // The time the EPS files give as their creation date.
  std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };

  // The clue list (ExportClueText.cpp): as FileName's ".TXT" file, or on the clipboard.
  void ExportText(const QString& FileName);
  void WriteClueText(std::string& Out) const;
  void CopyCluesToClipboard();

  // The grid as two EPS files, puzzle and answers (ExportEps.cpp); Style 1 normal, 2 light.
  void ExportEps(const QString& FileName, int Style);
  void WriteEps(std::string& Out, const QString& FileName, int Style, int Kind) const;

  // The grid as a picture (ExportMetafile.cpp): Mode 0 writes the puzzle and answers files,
  // Modes 1, 2 and 3 put that kind of picture on the clipboard, described by FileName's name.
  void ExportMetafile(const QString& FileName, int Mode);
  // Kind 1 numbers, 2 letters, 3 both.
  void DrawGridMetafile(platform::gui::TMetafile& Metafile, int Kind, const QString& Description) const;

  // The manuscript as an RTF file, then its grid picture on the clipboard (ExportRtf.cpp).
  void ExportRtf(const QString& FileName);
  static std::string SmartQuotes(const std::string& S);

  void TransformGrid(int Mode);
};

extern TExportForm* ExportForm;
