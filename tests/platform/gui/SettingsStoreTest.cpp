#include "platform/gui/SettingsStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "tests/support/AppEnvironment.h"

namespace {

using namespace platform::gui;
using SettingsStoreTest = testing_support::GuiTest;

const QString kKey = QStringLiteral("Software\\Quillmere32\\QuillmereDemo");

TEST_F(SettingsStoreTest, EachKeyIsOneFileUnderTheRoot) {
  EXPECT_EQ(SettingsStore::FileForKey(kKey), TempPath("config/Quillmere32/QuillmereDemo.ini"));
  EXPECT_EQ(SettingsStore::FileForKey("Software\\Quillmere32\\Tools"), TempPath("config/Quillmere32/Tools.ini"));
  // A key never names a file outside the root.
  EXPECT_EQ(SettingsStore::FileForKey("Software\\..\\..\\etc\\passwd"), TempPath("config/etc/passwd.ini"));
}

TEST_F(SettingsStoreTest, ReadsNeverCreateTheKey) {
  EXPECT_FALSE(SettingsStore::ReadString(kKey, "Name").has_value());
  EXPECT_FALSE(SettingsStore::ReadInteger(kKey, "FontSize").has_value());
  EXPECT_EQ(SettingsStore::TypeOf(kKey, "Name"), SettingType::None);
  EXPECT_FALSE(SettingsStore::KeyExists(kKey));
  EXPECT_FALSE(QFileInfo::exists(TempPath("config/Quillmere32")));

  SettingsStore::WriteInteger(kKey, "FontSize", 14);
  EXPECT_TRUE(SettingsStore::KeyExists(kKey));
  EXPECT_FALSE(SettingsStore::KeyExists("Software\\Quillmere32\\Tools"));
}

TEST_F(SettingsStoreTest, ValuesKeepTheirType) {
  SettingsStore::WriteInteger(kKey, "Value", -7);
  EXPECT_EQ(SettingsStore::TypeOf(kKey, "Value"), SettingType::Integer);
  EXPECT_EQ(SettingsStore::ReadInteger(kKey, "Value"), -7);
  EXPECT_FALSE(SettingsStore::ReadString(kKey, "Value").has_value());

  // Writing the other type replaces the value.
  SettingsStore::WriteString(kKey, "Value", "12");
  EXPECT_EQ(SettingsStore::TypeOf(kKey, "Value"), SettingType::String);
  EXPECT_EQ(SettingsStore::ReadString(kKey, "Value"), "12");
  EXPECT_FALSE(SettingsStore::ReadInteger(kKey, "Value").has_value());

  SettingsStore::WriteInteger(kKey, "Big", INT32_MIN);
  EXPECT_EQ(SettingsStore::ReadInteger(kKey, "Big"), INT32_MIN);
}

TEST_F(SettingsStoreTest, StringsComeBackExactly) {
  for (const QString& text : {QString(""), QString("10,20,300,400"), QString("C:\\Tools\\dict.exe"),
                              QString("a=b; c#d [e]"), QString("line\nbreak"), QString("  padded  "),
                              QString::fromUtf8("Zoë Œuvre €"), QString("\"quoted\"")}) {
    SettingsStore::WriteString(kKey, "Text", text);
    EXPECT_EQ(SettingsStore::ReadString(kKey, "Text"), text) << text.toStdString();
  }
}

TEST_F(SettingsStoreTest, AValueThatIsNoNumberReadsAsMissing) {
  QDir().mkpath(TempPath("config/Quillmere32"));
  QFile file(SettingsStore::FileForKey(kKey));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[Integer]\nFontSize=large\n");
  file.close();
  EXPECT_FALSE(SettingsStore::ReadInteger(kKey, "FontSize").has_value());
}

TEST_F(SettingsStoreTest, AnUnwritableKeyRaises) {
  // The folder for the key's file is taken by a plain file.
  QFile blocker(TempPath("config/Quillmere32"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_THROW(SettingsStore::WriteString(kKey, "Name", "x"), std::runtime_error);
}

}  // namespace
