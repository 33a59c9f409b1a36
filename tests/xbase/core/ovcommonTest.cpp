#include "xbase/core/ovcommon.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/xbase/LibraryTest.h"
#include "xbase/core/timedate.h"

namespace xbase {
namespace {

using ErrorsTest = LibraryTest;

TEST_F(ErrorsTest, ErrorTextOfCodes) {
  struct Case {
    std::uint16_t code;
    const char* text;
  };
  for (const auto& c : {
           Case{0, ""},
           Case{2, "Error # 2 (File not found)"},
           Case{7, "Error # 7 (Undefined error)"},
           Case{18, "Error # 18 (Too many open files)"},
           Case{101, "Error # 101 (Disk write error (probable cause: Disk Full).)"},
           Case{162, "Error # 162 (File sharing violation)"},
           Case{215, "Error # 215 (No database in use)"},
           Case{227, "Error # 227 (Insufficient disk space )"},
           Case{228, "Error # 228 (Unbalanced Push/Pop operation )"},
           Case{266, "Error # 266 (Invalid size)"},
           Case{1103, "Error # 1103 (Invalid Operation )"},
           Case{1202, "Error # 1202 (Semaphore file error. Possible solutions: log into network "
                      "or load SHARE.EXE before running Windows)"},
           Case{1203, "Error # 1203 (Network Error)"},
           Case{1250, "Error # 1250 (Network Error)"},
           Case{1299, "Error # 1299 (Network Error)"},
           Case{1300, "Error # 1300 (File format not supported)"},
           Case{1401, "Error # 1401 (Undefined error)"},
           Case{65535, "Error # 65535 (Undefined error)"},
       }) {
    EXPECT_EQ(ErrorText(c.code), c.text) << c.code;
  }
}

TEST_F(ErrorsTest, WithImmediateOffSetErrorOnlyStores) {
  SetImmediateErrors(false);
  SetError(220, "Invalid workarea selected = [Select(40)]");
  EXPECT_EQ(ErrorCode, 220);
  EXPECT_EQ(PendingError, 220);
  EXPECT_EQ(PendingErrorText(),
            "Error # 220 (Invalid parameter)\r\nInvalid workarea selected = [Select(40)]");
  EXPECT_EQ(PendingError, 0);
  EXPECT_EQ(LastErrorMessage, "");
  EXPECT_EQ(PendingErrorText(), "");
  EXPECT_EQ(ErrorCode, 220) << "reading the message leaves the code";
}

TEST_F(ErrorsTest, RaisedErrorCarriesTextAndMessageAndClearsPending) {
  try {
    SetError(215, "No database in use [Skip]  WorkArea = 1");
    FAIL() << "no exception";
  } catch (const EOrvelError& e) {
    EXPECT_STREQ(e.what(), "Error # 215 (No database in use)\r\nNo database in use [Skip]  WorkArea = 1");
  }
  EXPECT_EQ(ErrorCode, 215);
  EXPECT_EQ(PendingError, 0);
  EXPECT_EQ(LastErrorMessage, "");
}

TEST_F(ErrorsTest, RaisedTextIsNotCutButTheBoxIs) {
  const std::string message(300, 'm');
  try {
    SetError(5, message);
    FAIL() << "no exception";
  } catch (const EOrvelError& e) {
    EXPECT_EQ(std::string(e.what()), "Error # 5 (File access denied)\r\n" + message);
  }

  std::string boxText;
  SetRaiseErrors(false);
  FatalExit.ShowBox = [&](const std::string& text, const std::string&, unsigned) { boxText = text; };
  FatalExit.Terminate = [](int) {};
  SetError(5, message);
  EXPECT_EQ(boxText.size(), 255u);
  EXPECT_EQ(boxText, ("Error # 5 (File access denied)\r\n" + message).substr(0, 255));
}

// Records what the fatal path does instead of showing a box and ending the process.
class FatalPathTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    SetRaiseErrors(false);
    FatalExit.ShowBox = [this](const std::string& text, const std::string& caption, unsigned flags) {
      events.push_back("box " + caption + " " + std::to_string(flags) + " " + text);
    };
    FatalExit.Terminate = [this](int status) {
      events.push_back("exit " + std::to_string(status));
    };
  }
  std::vector<std::string> events;
};

TEST_F(FatalPathTest, ShowsBoxThenExitsWithTheCode) {
  SetError(215, "No database in use [Go]  WorkArea = 1");
  ASSERT_EQ(events.size(), 2u) << "an exit of one's own closes no area";
  EXPECT_EQ(events[0], "box Program halted. 16 Error # 215 (No database in use)\r\n"
                       "No database in use [Go]  WorkArea = 1");
  EXPECT_EQ(events[1], "exit 215");
  EXPECT_FALSE(InErrorHandler) << "an exit that returns lets later errors report again";
}

TEST_F(FatalPathTest, ExitStatusKeepsEightBits) {
  struct Case {
    std::uint16_t code;
    int status;
  };
  for (const auto& c : {Case{1, 1}, Case{255, 255}, Case{256, 255}, Case{512, 255},
                        Case{1280, 255}, Case{65535, 255}}) {
    events.clear();
    SetError(c.code, "m");
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), "exit " + std::to_string(c.status)) << c.code;
  }
}

TEST_F(FatalPathTest, CodeZeroReportsNothing) {
  SetError(0, "nothing wrong");
  EXPECT_TRUE(events.empty());
}

TEST_F(FatalPathTest, CallbackReplacesEverythingElse) {
  int calls = 0;
  std::uint16_t seen = 0;
  std::string message;
  ErrorCallback = [&] {
    ++calls;
    seen = PendingError;
    message = LastErrorMessage;
  };
  SetError(5, "Error erasing x");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen, 5);
  EXPECT_EQ(message, "Error erasing x");
  EXPECT_EQ(PendingError, 5) << "the pending error stays for the callback";
  EXPECT_TRUE(events.empty());

  SetRaiseErrors(true);
  EXPECT_NO_THROW(SetError(5, "again"));
  EXPECT_EQ(calls, 2);
}

TEST_F(FatalPathTest, DirectCallReportsTheStoredCodeWithThePreviousMessage) {
  SetImmediateErrors(false);
  SetError(213, "End of file [GetDbfRecord]");
  ErrorCode = 101;  // an I/O result stored without a new message
  FatalErrorHandler();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0], "box Program halted. 16 Error # 101 (Disk write error (probable cause: "
                       "Disk Full).)\r\nEnd of file [GetDbfRecord]");
  EXPECT_EQ(events[1], "exit 101");
}

TEST_F(FatalPathTest, NoReportWhileInHandler) {
  InErrorHandler = true;
  SetError(5, "m");
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(ErrorCode, 5);
}

TEST(FatalPathDeathTest, DefaultPathShowsBoxOnStderrAndExits) {
  struct Case {
    std::uint16_t code;
    int status;
  };
  for (const auto& c : {Case{215, 215}, Case{256, 255}, Case{1280, 255}}) {
    EXPECT_EXIT(
        {
          ResetForTests();
          SetError(c.code, "Lock refused [RLock]");
        },
        ::testing::ExitedWithCode(c.status), "Program halted\\..*Error # .*Lock refused \\[RLock\\]")
        << c.code;
  }
}

TEST(FatalPathDeathTest, TheDefaultExitClosesTheAreasSilentlyFirst) {
  EXPECT_EXIT(
      {
        ResetForTests();
        FatalExit.CloseAllAreas = [] {
          std::fputs(InErrorHandler ? "closing in handler\n" : "closing outside\n", stderr);
          SetError(6, "nested report while closing");  // must stay silent
        };
        SetError(215, "No database in use [Go]  WorkArea = 1");
      },
      ::testing::ExitedWithCode(215), "Program halted\\..*Error # 215.*closing in handler");
}

TEST_F(ErrorsTest, ModeSwitchesReturnThePreviousValue) {
  EXPECT_TRUE(SetRaiseErrors(false));
  EXPECT_FALSE(SetRaiseErrors(true));
  EXPECT_TRUE(SetImmediateErrors(false));
  EXPECT_FALSE(SetImmediateErrors(false));
  EXPECT_FALSE(SetImmediateErrors(true));
  EXPECT_TRUE(ImmediateErrors);
}

TEST_F(ErrorsTest, ImmediateErrorsScopeRestoresAlsoWhenRaised) {
  {
    ImmediateErrorsScope off(false);
    EXPECT_NO_THROW(SetError(221, "Index file not open"));
  }
  EXPECT_TRUE(ImmediateErrors);

  SetImmediateErrors(false);
  EXPECT_THROW(
      {
        ImmediateErrorsScope on(true);
        SetError(221, "Index file not open");
      },
      EOrvelError);
  EXPECT_FALSE(ImmediateErrors);
}

TEST_F(ErrorsTest, FreeMemOfNullReportsNine) {
  void* p = nullptr;
  GetMem(p, 16);
  ASSERT_NE(p, nullptr);
  FreeMem(p, 16);
  EXPECT_EQ(p, nullptr);
  try {
    FreeMem(p, 16);
    FAIL() << "no exception";
  } catch (const EOrvelError& e) {
    EXPECT_STREQ(e.what(),
                 "Error # 9 (Memory block address invalid)\r\nAttempt to free NIL pointer [FreeMem()]");
  }
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(MaxAvail(), 0x7FFFFFFF);
}

using StartUpTest = LibraryTest;

TEST_F(StartUpTest, LanguageGivesDateLayoutAndSeparators) {
  struct Case {
    const char* language;
    const char* territory;
    std::uint8_t code;
    char decimal;
    char thousands;
    const char* shortFormat;
  };
  for (const auto& c : {
           Case{"", "", 0, '.', ',', "MM/dd/yy"},
           Case{"en", "US", 0, '.', ',', "MM/dd/yy"},
           Case{"en", "GB", 2, '.', ',', "dd/MM/yy"},
           Case{"en", "", 2, '.', ',', "dd/MM/yy"},
           Case{"de", "AT", 5, ',', '.', "dd.MM.yy"},
           Case{"es", "MX", 6, ',', '.', "dd.MM.yy"},
           Case{"fr", "CA", 7, '.', ',', "dd.MM.yy"},
           Case{"fr", "BE", 4, ',', '.', "dd.MM.yy"},
           Case{"it", "CH", 3, ',', '.', "dd-MM-yy"},
           Case{"ru", "", 8, '.', ' ', "dd.MM.yy"},
           Case{"ja", "JP", 0, '.', ',', "MM/dd/yy"},
       }) {
    ResetForTests({c.language, c.territory});
    SCOPED_TRACE(std::string(c.language) + "_" + c.territory);
    EXPECT_EQ(LanguageDateCode, c.code);
    EXPECT_EQ(SetDateCode, c.code);
    EXPECT_EQ(DecimalPoint, c.decimal);
    EXPECT_EQ(ThousandsSeparator, c.thousands);
    EXPECT_EQ(ShortDateFormat, c.shortFormat);
  }
}

TEST_F(StartUpTest, InitReadsTheLocaleVariables) {
  const char* saved = std::getenv("LC_ALL");
  const std::string savedValue = saved ? saved : "";
  setenv("LC_ALL", "de_AT.UTF-8", 1);
  Init();
  EXPECT_EQ(SetDateCode, 5);
  EXPECT_EQ(DecimalPoint, ',');
  if (saved) setenv("LC_ALL", savedValue.c_str(), 1); else unsetenv("LC_ALL");
}

TEST_F(StartUpTest, DefaultsAndEmptyHooks) {
  IndexHookTable.IsActive = [] { return true; };
  ExprHookTable.Compile = [](const std::string&) { return nullptr; };
  VirtualFileHook = [](const std::string&, void*, std::uint16_t) {};
  ErrorCallback = [] {};
  IndexingEnabled = ParserPresent = true;
  EvaluateCurrentHook = [] { return nullptr; };
  CurrentKeyExpr = reinterpret_cast<CompiledExpr*>(&ErrorCode);
  CurrentWorkArea = 7;
  SetError(5, "left over");

  ResetForTests();
  EXPECT_EQ(ErrorCode, 0);
  EXPECT_EQ(PendingError, 0);
  EXPECT_EQ(LastErrorMessage, "");
  EXPECT_TRUE(ImmediateErrors);
  EXPECT_FALSE(RaiseErrors);
  EXPECT_FALSE(InErrorHandler);
  EXPECT_FALSE(ErrorCallback);
  ASSERT_TRUE(IndexHookTable.IsActive) << "filled by the index unit";
  EXPECT_FALSE(IndexHookTable.IsActive()) << "no order open";
  CompiledExpr* compiled = ExprHookTable.Compile("1");
  EXPECT_NE(compiled, nullptr) << "filled by the expression unit";
  ExprHookTable.Free(compiled);
  EXPECT_TRUE(EvaluateCurrentHook);
  EXPECT_EQ(CurrentKeyExpr, nullptr);
  EXPECT_TRUE(MemoHookTable.OpenMemo) << "filled by the memo unit";
  EXPECT_FALSE(VirtualFileHook);
  EXPECT_TRUE(IndexingEnabled);
  EXPECT_TRUE(ParserPresent);
  EXPECT_TRUE(ErrorHookTable.FatalError);
  EXPECT_TRUE(FatalExit.ShowBox);
  EXPECT_TRUE(FatalExit.CloseAllAreas) << "filled by the work-area unit";
  EXPECT_TRUE(FatalExit.Terminate);
  EXPECT_EQ(CurrentWorkArea, 1);

  EXPECT_FALSE(SetCenturyFlag);
  EXPECT_EQ(CenturyWindowStart, Today().year - 70);
  EXPECT_EQ(ValidFieldTypes, (std::set<char>{'C', 'D', 'F', 'L', 'M', 'N'}));
  EXPECT_EQ(DefaultVersionByte, 0x8B);
  EXPECT_EQ(CustomVersionByte, 0);
  EXPECT_EQ(CustomMemoVersionByte, 0);
  EXPECT_EQ(DefaultMemoBlockSize, 512);
  EXPECT_FALSE(FlushAfterWrite);
  EXPECT_FALSE(CountFromFileSize);
  EXPECT_TRUE(NetworkLocking);
  EXPECT_EQ(EofByte, 0x1A);
  EXPECT_EQ(TempFilePrefix, "OVP");
  const std::string driver(Level7LanguageDriver.begin(), Level7LanguageDriver.end());
  EXPECT_EQ(driver, std::string("DBWINWE0") + std::string(28, '\0'));
}

TEST_F(StartUpTest, DoneClearsTheMessage) {
  SetImmediateErrors(false);
  SetError(3, "Path not found [x]");
  Done();
  EXPECT_EQ(LastErrorMessage, "");
}

TEST_F(StartUpTest, ErrorHookSlotIsTheFatalHandler) {
  SetImmediateErrors(false);
  SetError(3, "m");
  EXPECT_THROW(ErrorHookTable.FatalError(), EOrvelError);
}

TEST(OvCommonTest, OemTranslationOfWholeStrings) {
  EXPECT_EQ(AnsiToOemStr("M\xE4rz caf\xE9"), "M\x84rz caf\x82");
  EXPECT_EQ(OemToAnsiStr("M\x84rz caf\x82"), "M\xE4rz caf\xE9");
  EXPECT_EQ(AnsiToOemStr("\x80" "5"), "?5");  // no euro sign in the OEM page
}

TEST(OvCommonTest, TodayIsTheLocalDateWithItsWeekday) {
  using namespace std::chrono;
  const CalendarDate today = Today();
  const year_month_day ymd{year{today.year}, month{static_cast<unsigned>(today.month)},
                           day{static_cast<unsigned>(today.day)}};
  ASSERT_TRUE(ymd.ok());
  EXPECT_EQ(today.dayOfWeek, static_cast<int>(weekday{sys_days{ymd}}.c_encoding()) + 1);
}

}  // namespace
}  // namespace xbase
