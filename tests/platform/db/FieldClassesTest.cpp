// The typed field classes over a dataset in memory: their texts, conversions and sizes.

#include <gtest/gtest.h>

#include "platform/db/Application.h"
#include "platform/db/DateTime.h"
#include "platform/db/DbErrors.h"
#include "platform/db/FieldClasses.h"
#include "platform/db/FormatSettings.h"
#include "tests/platform/db/MemoryDataSet.h"

namespace platform::db {
namespace {

// A dataset of one record whose single field of class F holds whatever the test stores.
template <class F>
class OneValueDataSet : public MemoryDataSet {
 public:
  OneValueDataSet() : MemoryDataSet({{1, "x"}}) {
    Fields().Add(std::make_unique<F>()).SetFieldName("ID");
    Open();
    Edit();
  }
  F& Field() { return static_cast<F&>(FieldByName("ID")); }
  TFieldValue Stored;

  bool GetFieldData(const TField&, TFieldValue& value) override {
    value = Stored;
    return !std::holds_alternative<std::monostate>(Stored);
  }
  void SetFieldData(TField&, const TFieldValue& value) override { Stored = value; }
};

TEST(FieldClassesTest, StringFieldsCutToTheirSizeAndReadLogicalsByTheFirstLetter) {
  OneValueDataSet<TStringField> data;
  data.Field().SetSize(4);
  data.Field().SetAsString("abcdef");
  EXPECT_EQ(data.Stored, TFieldValue(std::string("abcd")));
  for (const char* text : {"T", "true", "Yes", "y"}) {
    data.Stored = std::string(text);
    EXPECT_TRUE(data.Field().AsBoolean()) << text;
  }
  data.Stored = std::string("F");
  EXPECT_FALSE(data.Field().AsBoolean());
  data.Field().SetAsBoolean(true);
  EXPECT_EQ(data.Field().AsString(), "T");
  EXPECT_THROW(data.Field().SetSize(-1), EDatabaseError);
}

TEST(FieldClassesTest, NumberFieldsReadAndWriteTexts) {
  OneValueDataSet<TIntegerField> integer;
  EXPECT_EQ(integer.Field().AsString(), "");
  integer.Field().SetAsString(" 42 ");
  EXPECT_EQ(integer.Stored, TFieldValue(std::int32_t{42}));
  EXPECT_EQ(integer.Field().AsString(), "42");
  EXPECT_THROW(integer.Field().SetAsString("4x"), EConvertError);
  integer.Field().SetAsFloat(2.5);
  EXPECT_EQ(integer.Field().AsInteger(), 3);
  integer.Field().SetAsString("");
  EXPECT_TRUE(integer.Field().IsNull());
  EXPECT_THROW(integer.Field().SetSize(8), EDatabaseError);
  EXPECT_THROW(integer.Field().AsBoolean(), EDatabaseError);

  OneValueDataSet<TFloatField> number;
  number.Field().SetAsString("12.5");
  EXPECT_EQ(number.Field().AsFloat(), 12.5);
  EXPECT_EQ(number.Field().AsString(), "12.5");
  EXPECT_THROW(number.Field().SetAsString("twelve"), EConvertError);
}

TEST(FieldClassesTest, BooleanFieldsReadTheStartOfTheirWords) {
  OneValueDataSet<TBooleanField> data;
  struct Case {
    const char* text;
    bool value;
  };
  for (const Case& c : {Case{"T", true}, Case{"true", true}, Case{"Y", true}, Case{"f", false},
                        Case{"FALSE", false}, Case{"no", false}}) {
    data.Field().SetAsString(c.text);
    EXPECT_EQ(data.Field().AsBoolean(), c.value) << c.text;
  }
  EXPECT_EQ(data.Field().AsString(), "False");
  EXPECT_THROW(data.Field().SetAsString("maybe"), EConvertError);
  data.Field().SetAsString("");
  EXPECT_TRUE(data.Field().IsNull());
  EXPECT_FALSE(data.Field().AsBoolean());
}

TEST(FieldClassesTest, DateFieldsShowTheShortDateFormat) {
  OneValueDataSet<TDateField> data;
  EXPECT_EQ(data.Field().AsString(), "");
  data.Field().SetAsDateTime(EncodeDate(2024, 5, 17));
  EXPECT_EQ(data.Field().AsString(), "05/17/2024");
  EXPECT_EQ(data.Field().DisplayText(), "05/17/2024");
  data.Field().SetAsString("12/31/1999");
  EXPECT_EQ(data.Field().AsDateTime(), EncodeDate(1999, 12, 31));
  EXPECT_THROW(data.Field().SetAsString("31/12/1999"), EConvertError);
  data.Field().SetAsString("  ");
  EXPECT_TRUE(data.Field().IsNull());
}

TEST(FieldClassesTest, ValuesGoThroughTheSetterOfTheirType) {
  OneValueDataSet<TStringField> data;
  data.Field().SetValue(std::int32_t{7});
  EXPECT_EQ(data.Stored, TFieldValue(std::string("7")));
  data.Field().SetValue(std::monostate{});
  EXPECT_TRUE(data.Field().IsNull());
  EXPECT_TRUE(std::holds_alternative<std::monostate>(data.Field().Value()));
}

TEST(FieldClassesTest, MemoFieldsWithoutAStreamShowWhatTheRecordHolds) {
  OneValueDataSet<TMemoField> data;
  data.Stored = std::int32_t{12};
  EXPECT_EQ(data.Field().AsString(), "12");
  EXPECT_THROW(data.Field().SetAsString("text"), EDatabaseError);
}

TEST(ApplicationTest, MessagesExceptionsAndTheEndGoToTheirSinks) {
  std::vector<std::string> shown;
  ApplicationSinks.ShowMessage = [&](const std::string& text) { shown.push_back(text); };
  ApplicationSinks.HandleException = [&](std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      shown.push_back(std::string("handled ") + e.what());
    }
  };
  bool ended = false;
  ApplicationSinks.Terminate = [&] { ended = true; };
  ShowMessage("hello");
  try {
    throw Exception("oops");
  } catch (...) {
    Application.HandleException();
  }
  Application.Terminate();
  ApplicationSinks = {};
  EXPECT_EQ(shown, (std::vector<std::string>{"hello", "handled oops"}));
  EXPECT_TRUE(ended);
  EXPECT_TRUE(Application.Terminated());
}

}  // namespace
}  // namespace platform::db
