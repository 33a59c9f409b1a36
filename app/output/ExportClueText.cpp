// The clue list: "ACROSS", a line per across word, "DOWN", a line per down word, each line the
// clue number right-aligned in three characters, a blank and the clue; CR LF line ends.

#include <cstdio>

#include "app/output/ExportFiles.h"
#include "app/output/ExportUnit.h"
#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/Clipboard.h"

void TExportForm::ExportText(const QString& FileName) {
  OutputName = WithoutExtension(FileName) + ".TXT";
  std::string text;
  WriteClueText(text);
  WriteExportFile(OutputName, text);
}

void TExportForm::WriteClueText(std::string& Out) const {
  Out += "ACROSS\r\n";
  std::string downList;
  for (const TWordRef& word : NumberWords(Puzzle)) {
    char number[16];
    std::snprintf(number, sizeof number, "%3d ", word.Number);
    std::string& list = word.Dir == DirAcross ? Out : downList;
    list += number + Puzzle.Clue(WordLink(Puzzle, word)) + "\r\n";
  }
  Out += "DOWN\r\n" + downList;
}

void TExportForm::CopyCluesToClipboard() {
  std::string text;
  WriteClueText(text);
  platform::gui::CurrentClipboard().SetText(platform::gui::FromAnsi(text));
}
