// Evaluating expressions: every operator and function on the records of the fixture, with the
// edge cases of each, and what evaluations leave behind.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/xbase/expr/ExprTest.h"

namespace xbase {
namespace {

struct Case {
  const char* text;
  std::string value;
};

class ExprEvaluateTest : public ExprTest {
 protected:
  void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_EQ(Value(c.text), c.value) << c.text;
  }

  // The value of an expression whose evaluation reports an error, with the error's message.
  std::string Failing(const std::string& text, std::uint16_t code, std::string& message) {
    QuietErrors();
    GetErrorMessage();
    ErrorCode = 0;
    const std::string value = Value(text);
    EXPECT_EQ(ErrorCode, code) << text;
    message = GetErrorMessage();
    return value;
  }
};

TEST_F(ExprEvaluateTest, FieldsOfTheCurrentRecordAndOfOtherAreas) {
  Check({
      {"NAME", "C:CAT       "},
      {"AMT", "N:123.45"},
      {"QTY", "N:10"},
      {"OK", "L:T"},
      {"BORN", "D:20000101"},
      {"ORD->TAG", "C:A-1  "},
      {"ORD->TOTAL", "N:12.5"},
      {"RECNO()", "N:1"},
      {"DELETED()", "L:F"},
  });
  Skip(1);
  Select(2);
  Skip(1);
  Check({
      {"TAG + TRIM(PEOPLE->NAME)", "C:B-2  DOG"},
      {"TOTAL", "N:-100"},
      {"PEOPLE->OK", "L:F"},
      {"PEOPLE->BORN", "D:19990215"},
      {"RECNO()", "N:2"},
  });
  Select(1);
  SetIgnoreDel(false);
  Go(3);
  Check({
      {"OK", "L:T"},  // y
      {"BORN", "D:        "},
      {"DELETED()", "L:T"},
      {"LOWER(NAME) == 'delta     '", "L:T"},
  });
}

TEST_F(ExprEvaluateTest, TextOperators) {
  Check({
      {"'ABC' = 'AB'", "L:T"},
      {"'ABC' <> 'AB'", "L:T"},
      {"'ABC' # 'ABC'", "L:F"},
      {"'AB' = 'ABC'", "L:F"},
      {"'ABC' = ''", "L:F"},
      {"NAME = 'CAT'", "L:T"},
      {"'CAT' = NAME", "L:F"},
      {"NAME == 'CAT'", "L:F"},
      {"NAME == 'CAT       '", "L:T"},
      {"'' $ 'ABC'", "L:F"},
      {"'BC' $ 'ABC'", "L:T"},
      {"'CB' $ 'ABC'", "L:F"},
      {"'ab' < 'abc'", "L:T"},
      {"'abc' > 'ab'", "L:T"},
      {"'b' > 'abc'", "L:T"},
      {"'\xE9' > 'z'", "L:T"},  // bytes compare unsigned
      {"'ab' <= 'ab'", "L:T"},
      {"'ab' >= 'ac'", "L:F"},
      {"'ab ' + 'c'", "C:ab c"},
      {"'ab  ' - 'c'", "C:abc  "},
      {"'   ' - 'x'", "C:x   "},
      {"'a' - ''", "C:a"},
      {"NAME - '!'", "C:CAT!       "},
  });
}

TEST_F(ExprEvaluateTest, NumberDateAndLogicalOperators) {
  Check({
      {"1 + 2 * 3", "N:7"},
      {"(1 + 2) * 3", "N:9"},
      {"1.5E2", "N:150"},
      {"1E+5", "N:1e+05"},
      {"3-1E-1", "N:2.9"},
      {"1E-400", "N:0"},  // below the smallest double
      {"AMT>1E2.AND.OK", "L:T"},
      {"7 / 2", "N:3.5"},
      {"2 ^ 3", "N:8"},
      {"2 ** 0.5 * 2 ** 0.5 > 1.99", "L:T"},
      {"-2 ^ 2", "N:4"},
      {"2 ^ 3 ^ 2", "N:64"},
      {"0 ^ 2", "N:0"},
      {"-AMT", "N:-123.45"},
      {"+QTY", "N:10"},
      {"10 - 4 - 3", "N:3"},
      {"QTY = 10", "L:T"},
      {"QTY <> 10", "L:F"},
      {"QTY # 11", "L:T"},
      {"AMT > 100 .AND. AMT < 200", "L:T"},
      {"AMT >= 123.45 .AND. AMT <= 123.45", "L:T"},
      {"BORN + 31", "D:20000201"},
      {"31 + BORN", "D:20000201"},
      {"BORN - 1", "D:19991231"},
      {"BORN - CTOD('12/31/99')", "N:1"},
      {"BORN > CTOD('12/31/99') .AND. BORN >= BORN .AND. BORN <= BORN", "L:T"},
      {"BORN < BORN .OR. BORN <> BORN .OR. BORN = BORN - 1", "L:F"},
      {"DATE() + 1 - DATE()", "N:1"},
      {".T. .AND. .F.", "L:F"},
      {".T. .OR. .F.", "L:T"},
      {".NOT. .T.", "L:F"},
      {".NOT. OK = .F.", "L:T"},
      {"OK = .T.", "L:T"},
      {"OK <> .T.", "L:F"},
      {"OK .AND. .NOT. DELETED()", "L:T"},
  });
}

TEST_F(ExprEvaluateTest, TextFunctions) {
  Check({
      {"LEN(NAME)", "N:10"},
      {"LEN('')", "N:0"},
      {"TRIM(NAME)", "C:CAT"},
      {"RTRIM('  a  ')", "C:  a"},
      {"LTRIM('  a  ')", "C:a  "},
      {"LTRIM('   ')", "C:"},
      {"UPPER('ab\xE9z1')", "C:AB\xC9Z1"},
      {"LOWER('AB\xC9Z1')", "C:ab\xE9z1"},
      {"LEFT('ABC', 2)", "C:AB"},
      {"LEFT('ABC', 5)", "C:ABC"},
      {"LEFT('ABC', 0)", "C:"},
      {"LEFT('ABC', -1)", "C:"},
      {"RIGHT('ABC', 2)", "C:BC"},
      {"RIGHT('ABC', 5)", "C:ABC"},
      {"RIGHT('ABC', 0)", "C:"},
      {"RIGHT('ABC', -1)", "C:ABC"},
      {"SUBSTR('ABCDE', 2, 3)", "C:BCD"},
      {"SUBSTR('ABCDE', 4, 9)", "C:DE"},
      {"SUBSTR('ABC', 0, 2)", "C:AB"},
      {"SUBSTR('ABC', -5, 1)", "C:A"},
      {"SUBSTR('ABC', 4, 1)", "C:"},
      {"SUBSTR('ABC', 2, 0)", "C:"},
      {"SUBSTR('ABC', 2.9, 1.9)", "C:B"},
      {"STUFF('ABCDEF', 2, 3, 'xy')", "C:AxyEF"},
      {"STUFF('ABC', 4, 1, 'x')", "C:ABCx"},
      {"STUFF('ABC', 9, 1, 'x')", "C:ABCx"},
      {"STUFF('ABC', 0, 1, 'x')", "C:xABC"},
      {"STUFF('ABC', 2, -1, 'x')", "C:AxBC"},
      {"STUFF('ABC', 2, 10, '')", "C:A"},
      {"REPLICATE('ab', 3)", "C:ababab"},
      {"REPLICATE('ab', 0)", "C:"},
      {"REPLICATE('', 5)", "C:"},
      {"SPACE(3) + '|'", "C:   |"},
      {"SPACE(-1)", "C:"},
      {"AT('B', 'ABCB')", "N:2"},
      {"AT('', 'ABC')", "N:0"},
      {"AT('X', 'ABC')", "N:0"},
      {"ASC('A')", "N:65"},
      {"ASC('\xE9')", "N:233"},
      {"ASC('')", "N:0"},
      {"CHR(65)", "C:A"},
      {"CHR(321)", "C:A"},
      {"CHR(0)", "C:"},
      {"CHR(-1) = '\xFF'", "L:T"},
      {"IIF(OK, 'yes', 'no')", "C:yes"},
      {"IIF(.NOT. OK, 'yes', 'no')", "C:no"},
      {"SOUNDEX('Ashcraft')", "C:A226"},
      {"SOUNDEX(NAME)", "C:C300"},
      {"VAL('  12.5abc')", "N:12.5"},
      {"VAL('-3  ')", "N:-3"},
      {"VAL('abc')", "N:0"},
      {"VAL('1E3')", "N:1000"},
      {"VAL(' 1.5e2 ')", "N:150"},
      {"VAL('-2.5E-1x')", "N:-0.25"},
      {"VAL('1E')", "N:1"},
      {"VAL('1E-400')", "N:0"},
      {"VAL('')", "N:0"},
  });
  // Results are cut to 255 characters.
  std::string abs;
  while (abs.size() < 255) abs += "ab";
  EXPECT_EQ(Value("REPLICATE('ab', 200)"), "C:" + abs.substr(0, 255));
  EXPECT_EQ(Value("LEN(REPLICATE('a', 200) + REPLICATE('b', 200))"), "N:255");
  EXPECT_EQ(Value("LEN(SPACE(300))"), "N:255");
  EXPECT_EQ(Value("LEN(STUFF(SPACE(200), 1, 0, SPACE(200)))"), "N:255");
}

TEST_F(ExprEvaluateTest, NumberFunctions) {
  Check({
      {"ABS(-2.5)", "N:2.5"},
      {"INT(-2.7)", "N:-2"},
      {"INT(2.7)", "N:2"},
      {"MAX(1, 2)", "N:2"},
      {"MIN(1, 2)", "N:1"},
      {"MAX(BORN, BORN + 1)", "D:20000102"},
      {"MIN(BORN, BORN + 1)", "D:20000101"},
      {"MOD(7, 3)", "N:1"},
      {"MOD(-7, 3)", "N:-1"},
      {"MOD(7, -3)", "N:1"},
      {"MOD(7.9, 3.9)", "N:1"},
      {"ROUND(2.567, 2)", "N:2.56"},
      {"ROUND(-2.567, 2)", "N:-2.56"},
      {"ROUND(2.5, 0)", "N:2"},
      {"ROUND(2.5, -1)", "N:2"},
      {"ABS(ROUND(1.5, 400) - 1.5) < 0.000001", "L:T"},
      {"STR(3.14159, 6, 2)", "C:  3.14"},
      {"STR(123456, 3)", "C:***"},
      {"STR(7)", "C:         7"},
      // Exact halves round away from zero; what rounds to zero has no sign.
      {"STR(2.5)", "C:         3"},
      {"STR(-2.5)", "C:        -3"},
      {"STR(-7.25, 6, 1)", "C:  -7.3"},
      {"STR(0.125, 5, 2)", "C: 0.13"},
      {"STR(ORD->TOTAL)", "C:        13"},
      {"STR(9.5, 2)", "C:10"},
      {"STR(1.005, 5, 2)", "C: 1.00"},  // a little below the half
      {"STR(-0.4)", "C:         0"},
      {"STR(-0.001, 5, 2)", "C: 0.00"},
      {"STR(-0, 3)", "C:  0"},
      {"STR(AMT, 10, 2) = '    123.45'", "L:T"},
      {"STR(1, 0)", "C:1"},
      {"STR(12, -3)", "C:*"},
      {"LEN(STR(1, 300))", "N:255"},
      {"STR(1.5, 5, -2)", "C:    2"},
      {"STR(1E300 * 10, 5)", "C:*****"},
  });
}

TEST_F(ExprEvaluateTest, DateFunctionsTakeTheDayNumber) {
  SetDateCode = 0;
  SetCenturyFlag = false;
  CenturyWindowStart = 1950;
  Check({
      {"YEAR(CTOD('02/15/1999'))", "N:1999"},
      {"MONTH(BORN)", "N:1"},
      {"DAY(BORN - 1)", "N:31"},
      {"DOW(BORN)", "N:7"},
      {"CDOW(BORN)", "C:Saturday "},
      {"CMONTH(BORN)", "C:January  "},
      {"DTOC(BORN)", "C:01/01/00"},
      {"DTOS(BORN)", "C:20000101"},
      {"CTOD('02/29/2000')", "D:20000229"},
      {"CTOD('02/30/2000')", "D:        "},
      {"DTOS(CTOD('x'))", "C:        "},
      {"DTOC(CTOD(''))", "C:  /  /  "},
      {"YEAR(CTOD(''))", "N:0"},
      {"DOW(CTOD(''))", "N:0"},
      {"CDOW(CTOD('')) + '|'", "C:          |"},
      {"CMONTH(CTOD('')) + '|'", "C:         |"},
      {"CTOD('01/02/2000 and more')", "D:20000102"},
  });
  // A day outside the century window: its own weekday and year, not another century's.
  EXPECT_EQ(Value("YEAR(BORN - 365 * 150)"), "N:1850");
  EXPECT_EQ(Value("DOW(BORN - 7 * 8000)"), "N:7");
  SetDateCode = 3;
  SetCenturyFlag = true;
  EXPECT_EQ(Value("DTOC(BORN)"), "C:01-01-2000");
  EXPECT_EQ(Value("CTOD('15-02-1999') = PEOPLE->BORN - 320"), "L:T");
  EXPECT_EQ(Value("CDOW(BORN)"), "C:Sabato   ");  // Italian names with this layout
  EXPECT_EQ(Value("DTOS(DATE()) = DTOS(DATE())"), "L:T");
}

TEST_F(ExprEvaluateTest, ArithmeticWithoutAValueReportsAndGivesZero) {
  std::string message;
  EXPECT_EQ(Failing("10 / 0", 358, message), "N:1e+250");
  EXPECT_EQ(message, "Error during evaluation: Divide by 0 [Evaluate/Engine]");
  EXPECT_EQ(Failing("MOD(5, 0.5)", 358, message), "N:0");
  EXPECT_EQ(message, "Error during evaluation: Divide by 0 [Evaluate/Engine]");
  EXPECT_EQ(Failing("(-8) ^ (1/3)", 358, message), "N:0");
  EXPECT_EQ(message, "Error during evaluation: Invalid power [Evaluate/Engine]");
  EXPECT_EQ(Failing("0 ^ -1", 358, message), "N:0");
  EXPECT_EQ(Failing("1E300 * 1E300 - 1E300 * 1E300", 358, message), "N:0");
  EXPECT_EQ(message, "Error during evaluation: Numeric overflow [Evaluate/Engine]");
  EXPECT_EQ(Failing("BORN + 1E308 + 1E308 > BORN", 358, message), "L:F");
  // The evaluation goes on after a division by zero.
  EXPECT_EQ(Failing("STR(1 / 0 * 0 + 5, 3)", 358, message), "C:  5");
  SetImmediateErrors(true);
  SetRaiseErrors(true);
  EXPECT_THROW(Value("1 / 0"), EOrvelError);
}

TEST_F(ExprEvaluateTest, LiteralsNeverOverflowThePool) {
  SetDateCode = 0;
  Check({
      {"NAME = 'SMITH'", "L:F"},
      {"'x' + NAME", "C:xCAT       "},
      {"CTOD('01/01/99') < BORN", "L:T"},
      {"'a' + 'b' + 'c' + ('d' + ('e' + 'f'))", "C:abcdef"},
      {"IIF(OK, REPLICATE('x', 255), 'b') + 'c' = 'xx'", "L:T"},
      {"STUFF(REPLICATE('a', 255), 1, 1, REPLICATE('b', 255)) = 'b'", "L:T"},
  });
}

TEST_F(ExprEvaluateTest, RepeatedEvaluationFollowsTheRecords) {
  DbfImage image;
  image.Field("N", 'N', 5).Field("WORD", 'C', 6);
  std::vector<int> expected;
  for (int n = 1; n <= 200; ++n) {
    const std::string number = std::to_string(n * 7 % 101);
    const std::string word = n % 3 == 0 ? "fizz" : "buzz";
    image.Record(std::string(5 - number.size(), ' ') + number + word + std::string(6 - word.size(), ' '));
    if (n * 7 % 101 > 50 && n % 3 == 0) expected.push_back(n);
  }
  Select(3);
  Use(Write("many.dbf", image.Bytes()), nullptr, 0);
  CompiledExpr* condition = AssignExpr("N > 50 .AND. TRIM(WORD) + '!' == 'fizz!'");
  CompiledExpr* text = AssignExpr("UPPER(WORD) + STR(N, 4)");
  std::vector<int> selected;
  for (GoTop(); !dEOF(); Skip(1)) {
    if (*static_cast<std::int32_t*>(Evaluate(condition)) != 0) selected.push_back(static_cast<int>(RecNo()));
    const char* value = static_cast<const char*>(Evaluate(text));
    ASSERT_EQ(value, text->Result) << "a text result begins at the pool's base";
    EXPECT_EQ(std::string(value).substr(0, 4), RecNo() % 3 == 0 ? "FIZZ" : "BUZZ");
  }
  EXPECT_EQ(selected, expected);
  FreeExpr(condition);
  FreeExpr(text);
}

TEST_F(ExprEvaluateTest, FieldsOfAClosedOrChangedAreaReadBlank) {
  CompiledExpr* tag = AssignExpr("ORD->TAG + '|'");
  CompiledExpr* total = AssignExpr("ORD->TOTAL + 1");
  ASSERT_NE(tag, nullptr);
  QuietErrors();
  Select(2);
  CloseArea();
  Select(1);
  EXPECT_EQ(ResultText(*tag, Evaluate(tag)), "C:|");
  EXPECT_EQ(ErrorCode, 215);
  EXPECT_EQ(GetErrorMessage(), "No database in use  WorkArea = 2 [Evaluate/Engine]");
  // Another table in area 2 whose first field is a number.
  DbfImage other;
  other.Field("COUNT", 'N', 3);
  other.Record("  7");
  Select(2);
  Use(Write("other.dbf", other.Bytes()) + " ALIAS ORD", nullptr, 0);
  GoTop();
  Select(1);
  ErrorCode = 0;
  EXPECT_EQ(ResultText(*tag, Evaluate(tag)), "C:|");
  EXPECT_EQ(ErrorCode, 220);
  ErrorCode = 0;
  EXPECT_EQ(ResultText(*total, Evaluate(total)), "N:1");
  EXPECT_EQ(ErrorCode, 220) << "field 2 is gone";
  FreeExpr(tag);
  FreeExpr(total);
  // Fields of the current area are read in whatever area is current.
  CompiledExpr* first = AssignExpr("NAME");
  Select(2);
  ErrorCode = 0;
  EXPECT_EQ(ResultText(*first, Evaluate(first)), "C:");
  EXPECT_EQ(ErrorCode, 220);
  FreeExpr(first);
}

TEST_F(ExprEvaluateTest, EmptyTablesReadBlank) {
  DbfImage image;
  image.Field("WORD", 'C', 3).Field("N", 'N', 4).Field("D", 'D', 8).Field("B", 'L', 1);
  Select(3);
  Use(Write("empty.dbf", image.Bytes()), nullptr, 0);
  Check({
      {"WORD + '|'", "C:   |"},
      {"N", "N:0"},
      {"D", "D:        "},
      {"B", "L:F"},
  });
}

TEST_F(ExprEvaluateTest, AnUnknownValueTypeStopsTheEvaluation) {
  CompiledExpr* expr = AssignExpr("1 + 2");
  EntryOf(expr->CodeBase).ValueType = 999;
  QuietErrors();
  EXPECT_EQ(Evaluate(expr), nullptr);
  EXPECT_EQ(ErrorCode, 356);
  EXPECT_EQ(GetErrorMessage(),
            "Unknown data type (none of \"C\",\"N\",\"F\",\"L\",\"D\"or\"M\") [PARSER/PushWD]");
  EntryOf(expr->CodeBase).ValueType = ExprNumeric;
  EXPECT_EQ(ResultText(*expr, Evaluate(expr)), "N:3");
  FreeExpr(expr);
}

TEST_F(ExprEvaluateTest, ResultsStayWhereTheHeaderSays) {
  CompiledExpr* number = AssignExpr("QTY * 2");
  void* first = Evaluate(number);
  Skip(1);
  EXPECT_EQ(Evaluate(number), first);
  EXPECT_EQ(*static_cast<double*>(first), 0);
  EXPECT_EQ(Evaluate(nullptr), nullptr);
  FreeExpr(number);
}

}  // namespace
}  // namespace xbase
