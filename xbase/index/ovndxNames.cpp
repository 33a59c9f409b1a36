// Key expression texts as index headers keep them, and index file names beside their table.

#include <sys/stat.h>

#include "xbase/core/ovutils.h"
#include "xbase/index/ovndxBuild.h"
#include "xbase/index/ovndxInternal.h"
#include "xbase/index/ovndxlow.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsQuote(char c) { return c == '"' || c == '\''; }

}  // namespace

namespace ndx {

IndexOptions ParseIndexOptions(const std::string& nameWithOptions) {
  IndexOptions options;
  std::string text = nameWithOptions + " ";
  options.Unique = CutOptionWord(text, " UNIQUE");
  options.Soundex = CutOptionWord(text, " SOUNDEX");
  options.Descending = CutOptionWord(text, " DESCENDING");
  options.NoCache = CutOptionWord(text, " NOCACHE");
  options.Name = AllTrim(text);
  return options;
}

bool IsFileOf(const OrderDescriptor& order, const std::string& path) {
  struct stat opened {}, named {};
  if (fstat(order.IndexFile.Descriptor(), &opened) != 0 || stat(path.c_str(), &named) != 0)
    return order.FileName == path;
  return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

}  // namespace ndx

void NormalizeKeyExpr(std::string& text, bool keepBlanks) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsQuote(c)) {
      const std::size_t close = text.find(c, i + 1);
      const std::size_t end = close == std::string::npos ? text.size() : close;
      const std::string_view literal = std::string_view(text).substr(i + 1, end - i - 1);
      // A literal that holds a double quote keeps its own delimiters, or it would end there.
      const char delimiter = keepBlanks || literal.find('"') != std::string_view::npos ? c : '"';
      result += delimiter;
      result += literal;
      if (close != std::string::npos) result += delimiter;
      i = end;
      continue;
    }
    if (IsBlank(c)) {
      if (!keepBlanks) continue;
      const char next = i + 1 < text.size() ? text[i + 1] : '\0';
      if (next != '\0' && !IsBlank(next) && !IsQuote(next) && next != '=') result += ' ';
      continue;
    }
    result += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  text = std::move(result);
}

std::string ResolveIndexPath(std::string_view name) {
  const WorkAreaRecord* table = WorkArea(CurrentWorkArea);
  if (table == nullptr || name.find_first_of("/\\:") != std::string_view::npos) return std::string(name);
  std::string folder, base, extension;
  FSplit(table->FileName, folder, base, extension);
  return folder + std::string(name);
}

}  // namespace xbase
