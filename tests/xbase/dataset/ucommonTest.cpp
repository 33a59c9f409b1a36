// What the dataset classes share: DbfFields lines and their corrections, table creation from
// them, messages, field properties, library dates and the platform's date format.

#include "xbase/dataset/ucommon.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/db/DateTime.h"
#include "platform/db/DbErrors.h"
#include "platform/db/FormatSettings.h"
#include "tests/xbase/dataset/DatasetTest.h"
#include "xbase/core/timedate.h"
#include "xbase/dbf/ovdbflow.h"

namespace xbase {
namespace {

using platform::db::EncodeDate;
using platform::db::TDateTime;

using UCommonTest = DatasetTest;

std::string Correction(const std::string& before, const std::string& after) {
  return "Invalid field definition for CLUES: " + before + ". Will use corrected definition: " + after;
}

TEST_F(UCommonTest, DbfFieldsLinesAndTheirCorrections) {
  struct Case {
    const char* line;
    DbfFieldsEntry result;
    const char* entry;    // name,type,length,decimals of the entry made
    const char* message;  // the correction reported, "" for none
  };
  const Case cases[] = {
      {"ENTRY,C,30,0", DbfFieldsEntry::Field, "ENTRY,C,30,0", ""},
      {" more , l , 1 , 0 ", DbfFieldsEntry::Field, "more,L,1,0", ""},
      {"NOTE,X,1,0", DbfFieldsEntry::Skipped, "", ""},
      {"AMOUNT,N,25,3", DbfFieldsEntry::Field, "AMOUNT,N,20,3", "AMOUNT,N,25,3|AMOUNT,N,20,3"},
      {"RATE,N,3,2", DbfFieldsEntry::Field, "RATE,N,3,1", "RATE,N,3,2|RATE,N,3,1"},
      {"X1,N,1,1", DbfFieldsEntry::Field, "X1,N,1,0", "X1,N,1,1|X1,N,1,0"},
      {"Q,N,20,19", DbfFieldsEntry::Field, "Q,N,20,18", "Q,N,20,19|Q,N,20,18"},
      {"F1,F,30,20", DbfFieldsEntry::Field, "F1,F,20,18", "F1,F,30,20|F1,F,20,18"},
      {"FLAG,Y,1,0", DbfFieldsEntry::Field, "FLAG,C,1,0", "FLAG,Y,1,0|FLAG,C,1,0"},
      {"PIC,G,10,0", DbfFieldsEntry::Field, "PIC,M,10,0", ""},
      {"C1,C,300,2", DbfFieldsEntry::Field, "C1,C,254,0", "C1,C,300,2|C1,C,254,0"},
      {"D1,D,-3,-2", DbfFieldsEntry::Field, "D1,D,0,0", "D1,D,-3,-2|D1,D,0,0"},
      {"L1,L,300,0", DbfFieldsEntry::Field, "L1,L,255,0", "L1,L,300,0|L1,L,255,0"},
      {"BAD,C,-5,0", DbfFieldsEntry::Refused, "", ""},
      {"ZERO,N,0,0", DbfFieldsEntry::Refused, "", ""},
      {"AVERYLONGNAME,C,5,0", DbfFieldsEntry::Field, "AVERYLONGN,C,5,0", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    messages.clear();
    FieldEntry entry;
    EXPECT_EQ(ParseDbfFieldsEntry(c.line, entry, "CLUES"), c.result);
    if (c.result == DbfFieldsEntry::Field) {
      EXPECT_EQ(entry.Name + "," + entry.FieldType + "," + std::to_string(entry.Length) + "," +
                    std::to_string(entry.Decimals),
                c.entry);
    }
    const std::string message = c.message;
    if (message.empty()) {
      EXPECT_TRUE(messages.empty());
    } else {
      const auto bar = message.find('|');
      EXPECT_EQ(messages, (std::vector<std::string>{Correction(message.substr(0, bar), message.substr(bar + 1))}));
    }
  }
}

TEST_F(UCommonTest, LineItems) {
  EXPECT_EQ(ParseDbfFieldsLine(" A , B ,C", 1), "A");
  EXPECT_EQ(ParseDbfFieldsLine(" A , B ,C", 2), "B");
  EXPECT_EQ(ParseDbfFieldsLine(" A , B ,C ", 3), "C");
  EXPECT_EQ(ParseDbfFieldsLine("A,B", 4), "");
  EXPECT_EQ(ParseDbfFieldsLine("", 1), "");
}

class CreateTest : public UCommonTest {
 protected:
  bool Create(const std::vector<std::string>& lines) {
    return CreateTableFromDbfFields(&lines, At("clues"), "CLUES");
  }
  bool Created() const { return std::filesystem::exists(At("clues.DBF")); }
};

TEST_F(CreateTest, CreatesTheCorrectedFields) {
  ASSERT_TRUE(Create({"ENTRY,C,30,0", "NOTE,X,1,0", "MORE,L,1,0", "AMOUNT,N,25,3", "PIC,G,10,0"}));
  Use(At("clues.DBF"), nullptr, 0);
  ASSERT_EQ(FieldCount(), 4);
  const std::string expected[] = {"ENTRY C 30 0", "MORE L 1 0", "AMOUNT N 20 3", "PIC M 10 0"};
  for (int n = 1; n <= 4; ++n) {
    const FieldEntry& field = WorkArea(CurrentArea())->FieldTable[n - 1];
    EXPECT_EQ(field.Name + " " + field.FieldType + " " + std::to_string(field.Length) + " " +
                  std::to_string(field.Decimals),
              expected[n - 1]);
  }
  EXPECT_EQ(messages.size(), 1u);  // the correction of AMOUNT
  EXPECT_TRUE(std::filesystem::exists(At("clues.DBT")));
}

TEST_F(CreateTest, RefusesListsThatMakeNoGoodTable) {
  struct Case {
    std::vector<std::string> lines;
    const char* message;
  };
  const Case cases[] = {
      {{}, TextFieldListEmpty},
      {{"NOTE,X,1,0"}, TextFieldListEmpty},
      {{"ENTRY,C,30,0", "NAME,C,30"}, ""},
      {{"ENTRY,C,30,0", "NAME,C,30,0,0"}, ""},
      {{"ENTRY,C,30,0", "BAD,C,-5,0"}, ""},
  };
  for (const Case& c : cases) {
    messages.clear();
    EXPECT_FALSE(Create(c.lines));
    EXPECT_FALSE(Created());
    const std::string message = c.message;
    EXPECT_EQ(messages, message.empty() ? std::vector<std::string>{} : std::vector<std::string>{message});
  }
  EXPECT_FALSE(CreateTableFromDbfFields(nullptr, At("clues"), "CLUES"));
  EXPECT_EQ(messages, (std::vector<std::string>{TextFieldListNil}));
}

TEST_F(CreateTest, ACreationErrorStaysPendingAndImmediateHandlingComesBack) {
  SetRaiseErrors(false);
  const std::vector<std::string> lines = {"ENTRY,C,30,0"};
  EXPECT_FALSE(CreateTableFromDbfFields(&lines, At("no/such/folder/clues"), "CLUES"));
  EXPECT_NE(PendingError, 0);
  EXPECT_TRUE(ImmediateErrors);
}

// ---- Messages

TEST_F(UCommonTest, MessageModeTwoShowsOthersDrop) {
  ShowLibMessage(TextLockFailed, {"Post"});
  ShowLibMessage(TextCouldNotCreate, {"clues.DBF"});
  EXPECT_EQ(messages, (std::vector<std::string>{"Lock failed [Post]", "Could not create \"clues.DBF\""}));
  EXPECT_EQ(SetMessageMode(0), 2);  // 0 only reads it
  EXPECT_EQ(SetMessageMode(1), 2);
  ShowLibText(TextYes);
  ShowLibMessage(TextNo, {});
  EXPECT_EQ(messages.size(), 2u);
  EXPECT_EQ(SetMessageMode(2), 1);
  ShowLibText("100% done");  // a text is shown as it is
  EXPECT_EQ(messages.back(), "100% done");
  EXPECT_EQ(FormatLibText("%s of %d is 100%%", {"half", "50"}), "half of 50 is 100%");
}

// ---- Field properties

TEST_F(UCommonTest, FieldPropsDescribeTheTypedRecord) {
  DbfImage image;
  image.Field("NAME", 'C', 8).Field("AGE", 'N', 3).Field("BORN", 'D', 8).Field("PRICE", 'N', 7, 2);
  image.Record("Ab       42202405170001.50");
  Use(Write("props.dbf", image.Bytes()), nullptr, 0);
  const auto props = BuildFieldProps(false);
  ASSERT_EQ(props->Count(), 4);
  EXPECT_EQ(props->Name(3), "BORN");
  EXPECT_EQ(props->Type(3), 'D');
  EXPECT_EQ(props->Length(3), 10);  // with SET CENTURY, as shown
  EXPECT_EQ(props->Decimals(4), 2);
  EXPECT_EQ(props->Address(0), FieldAddress(0));
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(props->Address(n), FieldAddress(n));
  EXPECT_EQ(props->CopySize(), 0);

  const auto copy = BuildFieldProps(true);
  const std::size_t size = WorkArea(CurrentArea())->TypedBufferSize;
  EXPECT_EQ(copy->CopySize(), size);
  EXPECT_EQ(std::vector<std::uint8_t>(copy->Address(0), copy->Address(0) + size),
            std::vector<std::uint8_t>(FieldAddress(0), FieldAddress(0) + size));
  CloseArea();
  EXPECT_EQ(GetSlotText(copy->Address(1), 8), "Ab      ");
  EXPECT_EQ(BuildFieldProps(false), nullptr);
}

// ---- Dates

// The library's layout and the platform's format alike, as ApplyLocaleDateFormat leaves them.
void UseLayout(unsigned code, bool century) {
  SetCenturyFlag = century;
  SetDateFormat(code);
  platform::db::FormatSettings.ShortDateFormat = ShortDateFormat;
  platform::db::FormatSettings.DateSeparator = DateSeparator;
}

TEST_F(UCommonTest, LibraryDateTextsAsDates) {
  struct Case {
    unsigned code;
    const char* shortYear;
    const char* longYear;
  };
  const Case cases[] = {{0, "12/31/99", "12/31/1899"}, {1, "99.12.31", "1899.12.31"},
                        {2, "31/12/99", "31/12/1899"}, {3, "31-12-99", "31-12-1899"},
                        {5, "31.12.99", "31.12.1899"}};
  CenturyWindowStart = 1950;
  const TDateTime end1999 = EncodeDate(1999, 12, 31);
  for (const bool century : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(c.code) + (century ? " with century" : ""));
      UseLayout(c.code, century);
      EXPECT_EQ(DbfDateToDateTime(c.shortYear, false), end1999);
      EXPECT_EQ(DbfDateToDateTime(std::string("  ") + c.shortYear, false), end1999);
      if (century) {
        EXPECT_EQ(DbfDateToDateTime(c.longYear, false), EncodeDate(1899, 12, 31));
      }
      EXPECT_EQ(DbfDateToDateTime(BlankDatePicture(c.code), false).Days, 0);
      EXPECT_EQ(DbfDateToDateTime("31/31/31", true).Days, 0);
      EXPECT_THROW(DbfDateToDateTime("31/31/31", false), platform::db::EConvertError);
    }
  }
}

TEST_F(UCommonTest, TheCenturyWindowPlacesTwoDigitYears) {
  UseLayout(0, false);
  CenturyWindowStart = 1990;
  EXPECT_EQ(DbfDateToDateTime("12/31/99", false), EncodeDate(1999, 12, 31));
  EXPECT_EQ(DbfDateToDateTime("01/01/89", false), EncodeDate(2089, 1, 1));
}

TEST_F(UCommonTest, ThePlatformsDateFormatIsTakenOver) {
  struct Case {
    const char* format;
    char separator;
    unsigned code;
    bool century;
    const char* after;  // the platform's short format afterwards
    const char* may17;  // 17 May 2024 as the library shows it
  };
  const Case cases[] = {
      {"M/d/yy", '/', 0, false, "MM/dd/yy", "05/17/24"},
      {"MM/dd/yyyy", '/', 0, true, "MM/dd/yyyy", "05/17/2024"},
      {"dd.MM.yyyy", '.', 5, true, "dd.MM.yyyy", "17.05.2024"},
      {"dd-MM-yy", '-', 3, false, "dd-MM-yy", "17-05-24"},
      {"dd/MM/yyyy", '/', 2, true, "dd/MM/yyyy", "17/05/2024"},
      {"yyyy-MM-dd", '-', 1, true, "yyyy.MM.dd", "2024.05.17"},
      {"ddd", ' ', 2, false, "dd/MM/yy", "17/05/24"},
      {"", '/', 0, false, "MM/dd/yy", "05/17/24"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    platform::db::FormatSettings.ShortDateFormat = c.format;
    platform::db::FormatSettings.DateSeparator = c.separator;
    ApplyLocaleDateFormat();
    EXPECT_EQ(SetDateCode, c.code);
    EXPECT_EQ(SetCenturyFlag, c.century);
    EXPECT_EQ(platform::db::FormatSettings.ShortDateFormat, c.after);
    // Both read the same texts: a library date converts.
    EXPECT_EQ(DbfDateToDateTime(c.may17, false), EncodeDate(2024, 5, 17));
    EXPECT_EQ(platform::db::DateToStr(EncodeDate(2024, 5, 17)), c.may17);
  }
  platform::db::FormatSettings.DecimalSeparator = ',';
  platform::db::FormatSettings.ThousandSeparator = '.';
  ApplyLocaleDateFormat();
  EXPECT_EQ(DecimalPoint, ',');
  EXPECT_EQ(ThousandsSeparator, '.');
}

TEST_F(UCommonTest, TheProgramsStartUpTakesTheLanguagesFormat) {
  // de: dd.MM.yyyy, so layout 5 with four-digit years and a decimal comma.
  ResetForTests({"de", "DE"});
  ApplyLocaleDateFormat();
  EXPECT_EQ(SetDateCode, 5);
  EXPECT_TRUE(SetCenturyFlag);
  EXPECT_EQ(DecimalPoint, ',');
  EXPECT_EQ(MessageMode, 2);
}

// ---- Field classes

TEST_F(UCommonTest, NumberFieldsTakeTheTablesWidth) {
  TOvIntegerField integer;
  TOvFloatField number;
  for (int size : {0, 1, 20}) {
    EXPECT_NO_THROW(integer.SetSize(size));
    EXPECT_NO_THROW(number.SetSize(size));
  }
  EXPECT_THROW(integer.SetSize(21), platform::db::EDatabaseError);
  EXPECT_THROW(number.SetSize(-1), platform::db::EDatabaseError);
}

TEST_F(UCommonTest, DateFieldsReadLibraryDatesAndRefuseMistypedOnes) {
  DbfImage image;
  image.Field("BORN", 'D', 8);
  image.Record("20240517");
  TableDataSet data("DATES");
  data.SetDbfFileName(Write("dates.dbf", image.Bytes()));
  data.Open();
  platform::db::TField& born = data.FieldByName("BORN");
  EXPECT_EQ(born.AsString(), "05/17/2024");
  data.Edit();
  born.SetAsString("12/31/99");
  EXPECT_EQ(born.AsDateTime(), EncodeDate(1999, 12, 31));
  EXPECT_THROW(born.SetAsString("02/30/2024"), platform::db::EConvertError);
  EXPECT_THROW(born.SetAsString("tomorrow"), platform::db::EConvertError);
  EXPECT_EQ(born.AsDateTime(), EncodeDate(1999, 12, 31));
  for (const char* blank : {"  /  /    ", "  /  /  ", ""}) {
    born.SetAsDateTime(EncodeDate(2000, 1, 1));
    born.SetAsString(blank);
    EXPECT_TRUE(born.IsNull()) << blank;
  }
}

}  // namespace
}  // namespace xbase
