// Conditions over every function and operator select the same records here as in Python: the
// table is written by python3-dbf, and tests/xbase/expr/expr_oracle.py reads its bytes and
// evaluates each condition in Python. Numbers in fields, exact halves and exponents among
// them, read here as python3-dbf reads them, and are written and shown by STR as dBase rounds.

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "tests/xbase/ExternalTool.h"
#include "tests/xbase/expr/ExprTest.h"

namespace xbase {
namespace {

class ExprInteropTest : public WorkAreaTest {};

TEST_F(ExprInteropTest, ConditionsSelectTheRecordsPythonSelects) {
  if (!HasPythonDbf()) GTEST_SKIP() << "python3-dbf is not installed";
  const std::string table = At("oracle.dbf");
  const std::string oracle = std::string(kPython) + " " + EXPR_ORACLE;
  ASSERT_EQ(RunTool(oracle + " write " + table).status, 0);
  const ToolResult selections = RunTool(oracle + " select " + table);
  ASSERT_EQ(selections.status, 0) << selections.output;

  AnsiTables = true;
  Use(table, nullptr, 0);
  std::istringstream lines(selections.output);
  int conditions = 0;
  for (std::string line; std::getline(lines, line); ++conditions) {
    const auto tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos) << line;
    const std::string text = line.substr(0, tab);
    CompiledExpr* condition = AssignExpr(text);
    ASSERT_NE(condition, nullptr) << text;
    ASSERT_EQ(condition->ResultType, 'L') << text;
    std::string selected;
    for (GoTop(); !dEOF(); Skip(1)) {
      if (*static_cast<const std::int32_t*>(Evaluate(condition)) != 0)
        selected += (selected.empty() ? "" : ",") + std::to_string(RecNo());
    }
    EXPECT_EQ(selected.empty() ? "-" : selected, line.substr(tab + 1)) << text;
    FreeExpr(condition);
  }
  EXPECT_GT(conditions, 70);
}

std::vector<std::string> Columns(const std::string& line) {
  std::vector<std::string> columns;
  std::istringstream in(line);
  for (std::string column; std::getline(in, column, '\t');) columns.push_back(column);
  return columns;
}

double NumberOf(const std::string& text) {
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// The value of a numeric expression on the current record.
double NumberValue(const std::string& text) {
  CompiledExpr* expr = AssignExpr(text);
  EXPECT_NE(expr, nullptr) << text;
  if (expr == nullptr) return 0;
  double value = 0;
  std::memcpy(&value, Evaluate(expr), sizeof value);
  FreeExpr(expr);
  return value;
}

std::string TextValue(const std::string& text) {
  CompiledExpr* expr = AssignExpr(text);
  EXPECT_NE(expr, nullptr) << text;
  if (expr == nullptr) return {};
  std::string value = static_cast<const char*>(Evaluate(expr));
  FreeExpr(expr);
  return value;
}

TEST_F(ExprInteropTest, NumbersReadAndRoundAsPythonDbfAndDbaseHaveThem) {
  if (!HasPythonDbf()) GTEST_SKIP() << "python3-dbf is not installed";
  // T C(14) the text, N N(12,2) and F F(14,3) holding it as stored, G N(10,1) and H N(12,2)
  // written here with its value.
  const std::vector<std::string> texts = {
      "12.50", "0.125", "-0.125", "2.5",  "-2.5",    "0.25",    "-0.25", "-0.4",  "0.05",   "1.005",
      "2.675", "9.5",   "99.95",  "0.375", "7.25",   "-7.25",   "1.5E2", "1E3",   "-1.5e-1", "2.5E-1",
      "1E-400", "1.25e+1", "123456.5", "0", "-0.04"};
  DbfImage image;
  image.Field("T", 'C', 14).Field("N", 'N', 12, 2).Field("F", 'F', 14, 3);
  image.Field("G", 'N', 10, 1).Field("H", 'N', 12, 2);
  const auto right = [](const std::string& text, std::size_t width) {
    return std::string(width - text.size(), ' ') + text;
  };
  for (const std::string& text : texts) {
    image.Record(text + std::string(14 - text.size(), ' ') + right(text, 12) + right(text, 14) +
                 std::string(22, ' '));
  }
  const std::string table = Write("numbers.dbf", image.Bytes());
  Use(table + " EXCLUSIVE", nullptr, 0);
  for (GoTop(); !dEOF(); Skip(1)) {
    Set("G", Text("T"));
    Set("H", Text("T"));
    Replace();
  }
  CloseArea();

  const ToolResult result = RunTool(std::string(kPython) + " " + EXPR_ORACLE + " numbers " + table);
  ASSERT_EQ(result.status, 0) << result.output;
  std::istringstream lines(result.output);
  std::string line;
  std::getline(lines, line);
  const std::vector<std::string> calls = Columns(line);
  Use(table, nullptr, 0);
  std::size_t compared = 0;
  for (GoTop(); !dEOF() && std::getline(lines, line); Skip(1), ++compared) {
    const std::vector<std::string> python = Columns(line);
    ASSERT_EQ(python.size(), 6 + calls.size()) << line;
    SCOPED_TRACE(Text("T"));
    EXPECT_EQ(NumberValue("N"), NumberOf(python[0]));
    EXPECT_EQ(NumberValue("F"), NumberOf(python[1]));
    EXPECT_EQ(NumberValue("VAL(T)"), NumberOf(python[0]));
    EXPECT_EQ(NumberOf(python[2]), NumberOf(python[4])) << "G as stored here, and as rounded";
    EXPECT_EQ(NumberOf(python[3]), NumberOf(python[5])) << "H as stored here, and as rounded";
    for (std::size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(TextValue(calls[i]), python[6 + i]) << calls[i];
  }
  EXPECT_EQ(compared, texts.size());
}

}  // namespace
}  // namespace xbase
