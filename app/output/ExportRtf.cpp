// The manuscript as Rich Text for a word processor: the constructor's address with the
// puzzle's specifications, every clue with its number and answer, then a second section with
// the address again and a marked place for the grid picture, which goes on the clipboard.

#include <QFileInfo>
#include <cstdint>
#include <cstdio>

#include "app/output/ExportFiles.h"
#include "app/output/ExportUnit.h"
#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/os/CodePage1252.h"

namespace {

// Windows-1252 text inside RTF: the characters RTF reserves escaped, bytes above 127 as
// \'hh, so that a backslash or a brace in a clue stays text and accents read right.
std::string RtfText(std::string_view ansi) {
  std::string out;
  for (const char c : ansi) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += c;
    } else if (byte > 127) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\'%02x", byte);
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

// Unicode text inside RTF: Windows-1252 where it has the character, else \uN? (N the signed
// UTF-16 unit, "?" for readers without Unicode).
std::string RtfText(const QString& text) {
  std::string out;
  for (const char32_t cp : text.toUcs4()) {
    if (const auto byte = platform::os::UnicodeToAnsi(cp)) {
      out += RtfText(std::string(1, static_cast<char>(*byte)));
      continue;
    }
    for (const QChar unit : QString::fromUcs4(&cp, 1))
      out += "\\u" + std::to_string(static_cast<std::int16_t>(unit.unicode())) + "?";
  }
  return out;
}

// A piece of the specifications as the print header cuts it: `count` characters from the
// first `marker`, or from the start when there is none.
std::string SpecsPiece(const std::string& specs, const std::string& marker, std::size_t count) {
  const std::size_t at = specs.find(marker);
  return specs.substr(at == std::string::npos ? 0 : at, count);
}

// An answer as the manuscript shows it: an empty square is a blank.
std::string AnswerText(std::string word) {
  for (char& c : word)
    if (c == '\0') c = ' ';
  return RtfText(word);
}

}  // namespace

std::string TExportForm::SmartQuotes(const std::string& S) {
  std::string out = S;
  bool opening = true;
  for (char& c : out) {
    if (c == '"') {
      c = opening ? '\x93' : '\x94';
      opening = !opening;
    } else if (c == '\'') {
      c = '\x92';
    }
  }
  return out;
}

void TExportForm::ExportRtf(const QString& FileName) {
  OutputName = WithoutExtension(FileName) + ".RTF";
  const std::string title = RtfText(QFileInfo(WithoutExtension(FileName)).fileName());
  const std::string name = RtfText(XwdProcs->ReadSetting("Name", "Your Name"));
  const std::string add1 = RtfText(XwdProcs->ReadSetting("Add1", "Address 1"));
  const std::string add2 = RtfText(XwdProcs->ReadSetting("Add2", "Address 2"));
  const std::string add3 = RtfText(XwdProcs->ReadSetting("Add3", "Address 3"));
  const std::string add4 = RtfText(XwdProcs->ReadSetting("Add4", ""));

  std::string out;
  const auto line = [&out](const std::string& text) { out += text + "\r\n"; };
  line("{\\rtf\\ansi \\deff4\\deff5\\deflang1033\\margl1250\\margr1150");
  line("{\\fonttbl{\\f4\\froman\\fcharset0\\fprq2\\ftruetype Times New Roman;}"
       "{\\f5\\fswiss\\fcharset0\\fprq2\\ftruetype Arial;}}");
  line("{\\info{\\title " + title + "}{\\author Quillmere 4}{\\creatim\\yr1997\\mo1\\dy21\\hr4\\min01}{\\version1}}");
  line("{\\sectd\\header\\pgnucltr\\pgnx1180\\pard\\plain\\tqr\\tx9525\\f4\\fs20 " + title + "\\tab Page");
  line("\\par}{\\tx6400\\f4\\fs22 " + name);
  line("\\par " + add1 + "\\tab " + RtfText(SpecsPiece(SpecsText, "", 17)));
  line("\\par " + add2 + "\\tab " + RtfText(SpecsPiece(SpecsText, "Bl", 18)));
  line("\\par " + add3 + "\\tab " + RtfText(SpecsPiece(SpecsText, "Wo", 15)));
  if (!add4.empty()) line("\\par " + add4);
  line("\\par}");
  line("\\par{\\f5\\fs22\\sl440\\b ACROSS}{\\tqr\\tx350\\tx500\\tx6400\\f4\\fs22\\sl440");
  std::string downList;
  for (const TWordRef& word : NumberWords(Puzzle)) {
    const bool across = word.Dir == DirAcross;
    (across ? out : downList) += "\\par\\tab " + std::to_string(word.Number) + "\\tab " +
                                 RtfText(SmartQuotes(Puzzle.Clue(WordLink(Puzzle, word)))) + "\\tab " +
                                 AnswerText(XwdProcs->GetEntryWord(word.X, word.Y, across ? 'a' : 'd')) + "\r\n";
  }
  line("\\par}");
  line("\\par{\\f5\\fs22\\sl440\\b DOWN}{\\tqr\\tx350\\tx500\\tx6400\\f4\\fs22\\sl440");
  out += downList;
  line("{\\sect\\header\\pgnucltr\\pgnx1180\\pard\\plain\\tqr\\tx9525\\f4\\fs20 " + title + "\\tab Page\\par}");
  line("{\\pard\\f4\\fs22 " + name);
  line("\\par " + add1);
  line("\\par " + add2);
  line("\\par " + add3);
  if (!add4.empty()) line("\\par " + add4);
  line("\\par\\par}");
  line("{\\f4\\fs20\\b\\qc Insert puzzle grid as graphic file or from Clipboard.\\par}");
  line("\\par}}");

  WriteExportFile(OutputName, out);
  ExportMetafile(OutputName, 3);
}
