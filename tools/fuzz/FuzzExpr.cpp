// Fuzz target of the expression engine: the input is compiled as an expression against two
// tables aliased A and B with C, N, F, D, L and M fields (and odd contents: NUL bytes, numbers
// that overflowed their field, impossible dates; memos served by a stand-in for the memo
// store), evaluated on every record and freed. No input
// may crash, hang, touch memory out of bounds, leak a compiled expression, or give NaN or a
// text longer than 255 characters.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/xbase/dbf/DbfImage.h"
#include "tests/xbase/expr/FakeMemos.h"
#include "tools/fuzz/FuzzFolder.h"
#include "xbase/Library.h"
#include "xbase/expr/ovparser.h"
#include "xbase/workarea/dbf4.h"

namespace {

using namespace xbase;

std::string TableBytes(bool second) {
  const int widths[] = {second ? 5 : 12, 10, 12, 8, 1, 10};
  DbfImage image;
  image.Field("NAME", 'C', static_cast<std::uint8_t>(widths[0]))
      .Field(second ? "QTY" : "AMT", 'N', 10, second ? 0 : 2)
      .Field("RATE", 'F', 12, 4)
      .Field("BORN", 'D', 8)
      .Field("OK", 'L', 1)
      .Field("NOTES", 'M', 10);
  // Each field's text cut or padded with blanks to its width.
  const auto record = [&](std::initializer_list<std::string> texts) {
    std::string bytes;
    int field = 0;
    for (const std::string& text : texts) {
      std::string padded = text.substr(0, widths[field]);
      padded.resize(widths[field++], ' ');
      bytes += padded;
    }
    return bytes;
  };
  image.Record(record({second ? "abc" : "DELTA", "    123.45", "     -1.5000", "20000101", "T", "         1"}));
  image.Record(record({std::string("ab\0c", 4), "**********", "    1e3xyz", "20001399", "?", "     -5"}));
  image.Record(record({"", "", "", "", "", ""}), true);
  image.Record(record({"Z\xE9", "-999999.99", "9999999.9999", "00000000", "y", "      7778"}));
  return image.Bytes();
}

// Memo texts by block: none, two lines, lines longer than a value, stray line ends and bytes.
std::string MemoText(std::int32_t block) {
  switch (block % 4) {
    case 0: return "";
    case 1: return "AB\r\nCD";
    case 2: return std::string(300, 'x') + "\r\n" + std::string(100, 'y');
    default: return std::string("\r\r\n\n\x1A\0z\x8D\n", 9) + std::string(600, 'w');
  }
}

// Areas 1 (alias A) and 2 (alias B), opened once for the whole run, with memos served.
bool OpenTables() {
  static const FuzzFolder folder("fuzz-expr");
  ResetForTests();
  SetImmediateErrors(false);
  ServeMemos(MemoText);
  AnsiTables = true;
  for (const int area : {1, 2}) {
    const std::string path = folder.Path(area == 1 ? "a.dbf" : "b.dbf");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const std::string bytes = TableBytes(area == 2);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    Select(static_cast<std::uint8_t>(area));
    Use(path + (area == 1 ? " ALIAS A" : " ALIAS B"), nullptr, 0);
    if (ErrorCode != 0) std::abort();
  }
  Select(1);
  return true;
}

void CheckResult(const CompiledExpr& expr, const void* result) {
  if (result == nullptr) return;
  double number = 0;
  switch (expr.ResultType) {
    case 'C': case 'M':
      if (result != expr.PoolBase || strnlen(static_cast<const char*>(result), expr.PoolSize) > MaxTextValue)
        std::abort();
      break;
    case 'N': case 'D':
      std::memcpy(&number, result, sizeof number);
      if (std::isnan(number)) std::abort();
      break;
    default:
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool opened = OpenTables();
  (void)opened;
  const std::string text(reinterpret_cast<const char*>(data), size);
  Select(1);
  CompiledExpr* expr = AssignExpr(text);
  if (expr != nullptr) {
    std::int32_t other = 0;
    for (GoTop(); !dEOF(); Skip(1)) {
      Select(2);
      Go(other++ % 4 + 1);
      Select(1);
      CheckResult(*expr, Evaluate(expr));
      Select(1);
    }
    FreeExpr(expr);
  }
  if (ExpressionList != nullptr) std::abort();
  GetErrorMessage();
  ErrorCode = 0;
  return 0;
}
