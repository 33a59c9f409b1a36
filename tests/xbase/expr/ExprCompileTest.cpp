// Compiling expressions: the code made, the description of the result, and every compile error
// with its message and window.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/xbase/expr/ExprTest.h"

namespace xbase {
namespace {

// The code of a compiled expression, one text an entry: literals as their value (numbers,
// 'texts', L<integer>), other entries as their opcode, with the argument count after a '/'
// where it is not that of a binary operator.
std::vector<std::string> CodeOf(const CompiledExpr& expr) {
  std::vector<std::string> code;
  for (ListNode* node = expr.CodeBase;; node = node->Next) {
    const CodeEntry& entry = EntryOf(node);
    if (entry.Opcode == OpLiteral) {
      switch (entry.ValueType) {
        case ExprChar: code.push_back("'" + std::string(entry.Value.Text) + "'"); break;
        case ExprLogical: code.push_back("L" + std::to_string(entry.Value.Logical)); break;
        default: {
          char number[32];
          code.emplace_back(number, std::to_chars(number, number + 32, entry.Value.Number).ptr);
        }
      }
    } else {
      std::string text = std::to_string(entry.Opcode);
      if (entry.Opcode < OpAddNumbers && entry.Opcode != OpEnd)
        text += "/" + std::to_string(entry.ArgCount);
      code.push_back(text);
    }
    if (entry.Opcode == OpEnd) return code;
  }
}

class ExprCompileTest : public ExprTest {
 protected:
  std::vector<std::string> Code(const std::string& text) {
    CompiledExpr* expr = AssignExpr(text);
    if (expr == nullptr) return {"compile error"};
    auto code = CodeOf(*expr);
    FreeExpr(expr);
    return code;
  }

  // The message of a failed compile (errors left stored, not raised).
  std::string CompileError(const std::string& text) {
    QuietErrors();
    GetErrorMessage();
    CompiledExpr* expr = AssignExpr(text);
    EXPECT_EQ(expr, nullptr) << text;
    FreeExpr(expr);
    EXPECT_EQ(ErrorCode, 351) << text;
    return GetErrorMessage();
  }

  static std::string Mismatch(const std::string& name) {
    return "PARSER:Type mismatch in expression \"" + name + "\"";
  }

  static std::size_t CompiledCount() {
    std::size_t count = 0;
    for (ListNode* node = ListNext(ExpressionList, nullptr); node != nullptr;
         node = ListNext(ExpressionList, node))
      ++count;
    return count;
  }
};

using CodeList = std::vector<std::string>;

TEST_F(ExprCompileTest, PostfixCodeFollowsPrecedenceAndAssociativity) {
  struct Case {
    const char* text;
    CodeList code;
  };
  for (const auto& c : std::vector<Case>{
           {"1+2*3", {"1", "2", "3", "355", "347", "-1"}},
           {"1-2-3", {"1", "2", "351", "3", "351", "-1"}},
           {"2^3^2", {"2", "3", "357", "2", "357", "-1"}},
           {"2**3", {"2", "3", "357", "-1"}},
           {"-2^2", {"2", "383", "2", "357", "-1"}},
           {"+2", {"2", "-1"}},
           {"(1+2)*3", {"1", "2", "347", "3", "355", "-1"}},
           {".NOT. OK = .T.", {"L4", "323/1", "382", "L1", "361", "-1"}},
           {"OK .OR. OK .AND. .F.", {"L4", "323/1", "L4", "323/1", "L0", "381", "380", "-1"}},
           {"NAME = 'x' .OR. AMT > 3", {"L1", "321/1", "'x'", "360", "L2", "322/1", "3", "364", "380", "-1"}},
           {"OK = 'b' == 'c'", {"L4", "323/1", "'b'", "'c'", "362", "361", "-1"}},
           {"'a' = 'b' == 'c'", {"compile error"}},  // = 'b' == 'c' is = on a logical value
           {"'a' $ 'b' = 'c' < 'd'", {"'a'", "'b'", "363", "'c'", "'d'", "369", "361", "-1"}},
           {"ORD->TOTAL", {"L2", "L2", "327/2", "-1"}},
           {"ord->tag # 'x'", {"L1", "L2", "326/2", "'x'", "372", "-1"}},
           {"BORN - BORN", {"L5", "324/1", "L5", "324/1", "353", "-1"}},
           {"1 + BORN", {"1", "L5", "324/1", "348", "-1"}},
           {"BORN - 1 <= BORN", {"L5", "324/1", "1", "352", "L5", "324/1", "375", "-1"}},
           {"NAME - 'a' >= NAME + 'b'", {"L1", "321/1", "'a'", "354", "L1", "321/1", "'b'", "350", "379", "-1"}},
           {"NOTES", {"L6", "325/1", "-1"}},
           {"STR(AMT)", {"L2", "322/1", "311/1", "-1"}},
           {"STR(AMT, 8, 1)", {"L2", "322/1", "8", "1", "311/3", "-1"}},
           {"SUBS(NAME, 1, 2)", {"L1", "321/1", "1", "2", "313/3", "-1"}},
           {"RECNO() + 1", {"300/0", "1", "347", "-1"}},
           {"DELE()", {"272/0", "-1"}},
           {"CMONT(DATE())", {"270/0", "267/1", "-1"}},
           {"IIF(OK, 'y', \"n\")", {"L4", "323/1", "'y'", "'n'", "283/3", "-1"}},
           {"MAX(BORN, BORN) < MIN(1, 2)", {"compile error"}},
       }) {
    QuietErrors();
    EXPECT_EQ(Code(c.text), c.code) << c.text;
  }
}

TEST_F(ExprCompileTest, TextsWithoutBlanksCompileAsWithThem) {
  // Index headers keep key expressions with their blanks removed.
  for (const char* text : {"OK .AND. .NOT. DELETED()", "AMT > 3 .AND. NAME = 'A B'", "QTY = 3 .OR. OK",
                           "2.5 .AND. OK", "1E2 .OR. .T.", ".T. .AND. .F.", "AMT > 3.5 .AND. OK",
                           "UPPER(NAME) = 'CAT' .AND. .NOT. OK"}) {
    std::string squeezed;
    bool inLiteral = false;
    for (const char c : std::string(text)) {
      if (c == '\'') inLiteral = !inLiteral;
      if (c != ' ' || inLiteral) squeezed += c;
    }
    QuietErrors();
    EXPECT_EQ(Code(squeezed), Code(text)) << squeezed;
  }
  EXPECT_EQ(Code("3.AND.OK").front(), "compile error");  // 3 is no logical value
  EXPECT_EQ(Code("OK.AND.OK"), Code("OK .AND. OK"));
}

TEST_F(ExprCompileTest, ResultTypeWidthAndDecimals) {
  struct Case {
    const char* text;
    char type;
    int width;
    int decimals;
  };
  for (const auto& c : {
           Case{"NAME", 'C', 10, 0},        Case{"UPPER(NAME)", 'C', 10, 0},
           Case{"NAME + 'x'", 'C', 0, 0},   Case{"'x' + NAME", 'C', 10, 0},
           Case{"TRIM(NAME)", 'C', 10, 0},  Case{"DTOC(BORN)", 'C', 0, 0},
           Case{"AMT", 'N', 10, 2},         Case{"QTY", 'N', 5, 0},
           Case{"AMT * 2", 'N', 13, 2},     Case{"1 + 2", 'N', 13, 2},
           Case{"ORD->TOTAL", 'N', 8, 2},   Case{"QTY + AMT", 'N', 10, 2},
           Case{"BORN", 'D', 8, 0},         Case{"OK", 'L', 1, 0},
           Case{"NOTES", 'M', 256, 0},      Case{"AMT > 1", 'L', 1, 0},
       }) {
    CompiledExpr* expr = AssignExpr(c.text);
    ASSERT_NE(expr, nullptr) << c.text;
    EXPECT_EQ(expr->ResultType, c.type) << c.text;
    EXPECT_EQ(expr->ResultWidth, c.width) << c.text;
    EXPECT_EQ(expr->ResultDecimals, c.decimals) << c.text;
    EXPECT_EQ(ExpressionText(*expr), c.text);
    FreeExpr(expr);
  }
}

TEST_F(ExprCompileTest, ErrorsAndTheirMessages) {
  struct Case {
    const char* text;
    std::string message;
  };
  for (const auto& c : std::vector<Case>{
           {"AMT > 3 .AND. NAME", Mismatch(".AND.")},
           {".NOT. AMT > 3", Mismatch(".NOT.")},
           {"NAME .OR. OK", Mismatch(".OR.")},
           {"'a' + 1", Mismatch("+")},
           {"'a' - 1", Mismatch("-")},
           {"BORN + BORN", Mismatch("+")},
           {"'a' * 2", Mismatch("*")},
           {"OK / 2", Mismatch("/")},
           {"2 ^ OK", Mismatch("** or ^")},
           {"2 ** 'x'", Mismatch("** or ^")},
           {"OK = 1", Mismatch("=")},
           {"1 == 1", Mismatch("==")},
           {"1 $ 'a'", Mismatch("$")},
           {"OK > .F.", Mismatch(">")},
           {"OK < .F.", Mismatch("<")},
           {"1 <> 'a'", Mismatch("<>")},
           {"1 # 'a'", Mismatch("<>")},
           {"OK <= OK", Mismatch("<=")},
           {"OK >= OK", Mismatch(">=")},
           {"+'a'", Mismatch("Unary +")},
           {"-OK", Mismatch("Unary -")},
           {"NOTES + 'x'", Mismatch("+")},
           {"UPPER(AMT)", "PARSER:Type mismatch in function \"UPPER\""},
           {"SUBS(NAME, 'a', 1)", "PARSER:Type mismatch in function \"SUBSTR\""},
           {"MAX(1, BORN)", "PARSER:Type mismatch in function \"MAX\""},
           {"IIF(OK, 1, 2)", "PARSER:Type mismatch in function \"IIF\""},
           {"SUBSTR(NAME, 1)", "Syntax error"},
           {"STR(1, 2, 3, 4)", "Syntax error"},
           {"RECNO(1)", "Syntax error"},
           {"UPPER()", "Syntax error"},
           {"UPPER", "Syntax error"},
           {"X->NAME", "Syntax error"},
           {"PEOPLE->NOSUCH", "Syntax error"},
           {"NOSUCH", "Syntax error"},
           {"CMO(BORN)", "Syntax error"},
           {"SUB(NAME, 1, 1)", "Syntax error"},
           {"(1", "Syntax error"},
           {"1 +", "Syntax error"},
           {"'abc", "Syntax error"},
           {".5", "Syntax error"},
           {"1E", "Syntax error"},
           {"1E-", "Syntax error"},
           {"1E999", "Numeric overflow"},
           {"2 * 1E+999", "Numeric overflow"},
           {"", "Syntax error"},
           {"1 2", "Parser_stack_overflow"},
           {"(1))", "Parser_stack_overflow"},
       }) {
    const std::string message = CompileError(c.text);
    EXPECT_EQ(message.substr(0, message.find('\r')), "Error in expression : " + c.message) << c.text;
  }
  EXPECT_EQ(CompiledCount(), 0u) << "failed compiles leave nothing behind";
}

TEST_F(ExprCompileTest, ErrorWindowShowsTheTextAroundTheError) {
  EXPECT_EQ(CompileError("AMT > 3 .AND. NAME"),
            "Error in expression : " + Mismatch(".AND.") + "\r\n[AMT > 3 .AND. NAME]\r\n [AssignExpr]");
  EXPECT_EQ(CompileError("1 + 'x' + 2"),
            "Error in expression : " + Mismatch("+") + "\r\n[1 + 'x' + 2]\r\n [AssignExpr]");
  // Far into a long text: 50 characters before the last one read, and 50 after it.
  const std::string head(60, '1');
  const std::string text = "'" + head + "' + 1 + " + std::string(70, '2');
  const std::size_t last = head.size() + 7;  // the "+" read after the right operand
  const std::string message = CompileError(text);
  EXPECT_EQ(message, "Error in expression : " + Mismatch("+") + "\r\n[..." + text.substr(last - 50, 51) +
                         "...]\r\n [AssignExpr]");
  // Near the end of a long text the window closes with "]".
  const std::string late = std::string(60, '1') + " + 'x'";
  EXPECT_EQ(CompileError(late),
            "Error in expression : " + Mismatch("+") + "\r\n[..." + late.substr(late.size() - 50) + "]\r\n [AssignExpr]");
}

TEST_F(ExprCompileTest, LongTextsAndDeepNesting) {
  const std::string longest = "'" + std::string(253, 'x') + "'";
  CompiledExpr* expr = AssignExpr(longest);
  ASSERT_NE(expr, nullptr);
  EXPECT_EQ(ResultText(*expr, Evaluate(expr)), "C:" + std::string(253, 'x'));
  FreeExpr(expr);
  const std::string message = CompileError(longest + " ");
  EXPECT_EQ(message.substr(0, message.find('\r')), "Error in expression : Expression too long");
  // Each level waits with a sign and a parenthesis (unary minus and "(") or three symbols.
  std::string deep;
  for (int i = 0; i < 80; ++i) deep += "-(";
  EXPECT_EQ(CompileError(deep + "1" + std::string(80, ')')).substr(0, 43),
            "Error in expression : Parser_stack_overflow");
  std::string sums;
  for (int i = 0; i < 60; ++i) sums += "1+(";
  EXPECT_EQ(CompileError(sums + "1" + std::string(60, ')')).substr(0, 43),
            "Error in expression : Parser_stack_overflow");
  EXPECT_EQ(Value(std::string(127, '(') + "1" + std::string(127, ')')), "N:1");
  EXPECT_EQ(Value(sums.substr(0, 30 * 3) + "1" + std::string(30, ')')), "N:31");
  EXPECT_EQ(Value(std::string(60, '-') + "1"), "N:1");
}

TEST_F(ExprCompileTest, AbbreviationsAreExactlyThoseListed) {
  for (const char* text : {"CMON(BORN)", "CMONT(BORN)", "DELET()", "DELETE()", "LOWE(NAME)", "LTRI(NAME)",
                           "MONT(BORN)", "RECN()", "REPL(NAME, 2)", "REPLICAT(NAME, 2)", "RIGH(NAME, 1)",
                           "ROUN(AMT, 1)", "RTRI(NAME)", "SOUN(NAME)", "SOUNDE(NAME)", "SPAC(2)",
                           "STUF(NAME, 1, 1, 'x')", "SUBST(NAME, 1, 1)", "UPPE(NAME)", "upper(name)"})
    EXPECT_NE(Value(text), "compile error") << text;
  QuietErrors();
  for (const char* text : {"CM(BORN)", "DEL()", "REP(NAME, 2)", "SOU(NAME)", "UPP(NAME)", "STRING(1)",
                           "ABSO(1)", "LOWERS(NAME)"})
    EXPECT_EQ(Value(text), "compile error") << text;
}

TEST_F(ExprCompileTest, FieldsShadowFunctionsOnlyWithoutParentheses) {
  DbfImage image;
  image.Field("DATE", 'C', 4).Field("YEAR", 'N', 4);
  image.Record("abcd2024");
  Select(3);
  Use(Write("dates.dbf", image.Bytes()), nullptr, 0);
  GoTop();
  EXPECT_EQ(Value("DATE"), "C:abcd");
  EXPECT_EQ(Value("YEAR + 1"), "N:2025");
  EXPECT_EQ(Value("YEAR(DATE()) > 2000"), "L:T");
}

TEST_F(ExprCompileTest, AFailedCompileRaisesOrReturnsNull) {
  EXPECT_THROW(AssignExpr("1 +"), EOrvelError);
  EXPECT_EQ(CompiledCount(), 0u);
  QuietErrors();
  EXPECT_EQ(AssignExpr("1 +"), nullptr);
  EXPECT_EQ(ErrorCode, 351);
  // The next compile clears a compile error still pending.
  CompiledExpr* expr = AssignExpr("1");
  EXPECT_EQ(ErrorCode, 0);
  FreeExpr(expr);
  ErrorCode = 215;
  expr = AssignExpr("1");
  EXPECT_EQ(ErrorCode, 215) << "other errors stay";
  FreeExpr(expr);
}

TEST_F(ExprCompileTest, FreeReleasesOnlyCompiledExpressions) {
  CompiledExpr* first = AssignExpr("NAME");
  CompiledExpr* second = AssignExpr("AMT");
  EXPECT_EQ(CompiledCount(), 2u);
  CompiledExpr* copy = first;
  FreeExpr(first);
  EXPECT_EQ(first, nullptr);
  EXPECT_EQ(CompiledCount(), 1u);
  FreeExpr(copy);  // no longer compiled: left alone
  CompiledExpr stranger{};
  CompiledExpr* outside = &stranger;
  FreeExpr(outside);
  EXPECT_EQ(outside, &stranger);
  CompiledExpr* none = nullptr;
  FreeExpr(none);
  EXPECT_EQ(CompiledCount(), 1u);
  EXPECT_EQ(Value("AMT"), "N:123.45");
  FreeExpr(second);
  EXPECT_EQ(CompiledCount(), 0u);
}

TEST_F(ExprCompileTest, HookTableReachesTheEngine) {
  EXPECT_TRUE(ParserPresent);
  CompiledExpr* expr = ExprHookTable.Compile("QTY * 2");
  ASSERT_NE(expr, nullptr);
  std::string text;
  ExprHookTable.AssignString(expr, text);
  EXPECT_EQ(text, "QTY * 2");
  EXPECT_EQ(*static_cast<double*>(ExprHookTable.Evaluate(expr)), 20);
  CurrentKeyExpr = expr;
  EXPECT_EQ(*static_cast<double*>(EvaluateCurrentHook()), 20);
  ExprHookTable.Free(expr);
  EXPECT_EQ(expr, nullptr);
  EXPECT_EQ(ExprHookTable.Evaluate(nullptr), nullptr);
}

}  // namespace
}  // namespace xbase

namespace xbase {
namespace {

// With immediate handling on and raising off, as in the running program, the first compile
// error ends the program like any library error.
TEST(ExprCompileDeathTest, ACompileErrorEndsTheProgramByDefault) {
  EXPECT_EXIT(
      {
        ResetForTests();
        AssignExpr("1 +");
      },
      ::testing::ExitedWithCode(255),
      "Program halted\\..*Error # 351.*Error in expression : Syntax error.*\\[1 \\+\\].*\\[AssignExpr\\]");
}

}  // namespace
}  // namespace xbase
