#pragma once
// Base fixture of the expression tests: two small tables open in areas 1 and 2, and the value
// of an expression on the current records written as text, so that cases fit in tables.

#include <charconv>
#include <cstring>
#include <string>

#include "tests/xbase/workarea/WorkAreaTest.h"
#include "xbase/expr/ovparser.h"

namespace xbase {

class ExprTest : public WorkAreaTest {
 protected:
  // Area 1, alias PEOPLE: NAME C(10), AMT N(10,2), QTY N(5,0), OK L, BORN D, NOTES M.
  // Area 2, alias ORD: TAG C(5), TOTAL N(8,2). Area 1 is current, on record 1.
  void SetUp() override {
    WorkAreaTest::SetUp();
    DbfImage orders;
    orders.Field("TAG", 'C', 5).Field("TOTAL", 'N', 8, 2);
    orders.Record("A-1     12.50").Record("B-2   -100.00");
    Select(2);
    Use(Write("orders.dbf", orders.Bytes()) + " ALIAS ORD", nullptr, 0);
    Select(1);
    Use(Write("people.dbf", People().Bytes()), nullptr, 0);
    GoTop();
  }

  static DbfImage People() {
    DbfImage people;
    people.Field("NAME", 'C', 10)
        .Field("AMT", 'N', 10, 2)
        .Field("QTY", 'N', 5)
        .Field("OK", 'L', 1)
        .Field("BORN", 'D', 8)
        .Field("NOTES", 'M', 10);
    people.Record("CAT           123.45   10T20000101         1")
        .Record("DOG            -5.00    0F19990215          ")
        .Record("delta        1000.00  500y                  ", true);
    return people;
  }

  // The value of an expression on the current records as text: "C:text", "N:number" (the
  // shortest text that reads back as the same double), "L:T" or "L:F", "D:YYYYMMDD" (8 blanks
  // for the blank date), "M:text"; "null" when the evaluation gave no result.
  static std::string Value(const std::string& text) {
    CompiledExpr* expr = AssignExpr(text);
    if (expr == nullptr) return "compile error";
    const std::string value = ResultText(*expr, Evaluate(expr));
    FreeExpr(expr);
    return value;
  }

  static std::string ResultText(const CompiledExpr& expr, const void* result) {
    if (result == nullptr) return "null";
    switch (expr.ResultType) {
      case 'C': case 'M':
        return std::string(1, expr.ResultType) + ":" + static_cast<const char*>(result);
      case 'N': {
        char number[32];
        double value;
        std::memcpy(&value, result, sizeof value);
        return "N:" + std::string(number, std::to_chars(number, number + sizeof number, value).ptr);
      }
      case 'D': {
        double value;
        std::memcpy(&value, result, sizeof value);
        return "D:" + JulianToDbfDate(value);
      }
      default:
        return *static_cast<const std::int32_t*>(result) != 0 ? "L:T" : "L:F";
    }
  }
};

}  // namespace xbase
