// Conditions over every function and operator select the same records here as in Python: the
// table is written by python3-dbf, and tests/xbase/expr/expr_oracle.py reads its bytes and
// evaluates each condition in Python.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

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

}  // namespace
}  // namespace xbase
