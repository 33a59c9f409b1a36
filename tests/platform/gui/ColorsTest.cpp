#include "platform/gui/Colors.h"

#include <gtest/gtest.h>

namespace {

using namespace platform::gui;

TEST(Colors, NamesBothWays) {
  struct Case { TColor color; const char* name; };
  for (const Case& c : {Case{clBlack, "clBlack"}, Case{clNavy, "clNavy"}, Case{clYellow, "clYellow"},
                        Case{clWhite, "clWhite"}, Case{clSilver, "clSilver"}, Case{clBtnFace, "clBtnFace"},
                        Case{clWindowText, "clWindowText"}, Case{clNone, "clNone"}}) {
    EXPECT_EQ(ColorToString(c.color), c.name);
    EXPECT_EQ(StringToColor(c.name), c.color) << c.name;
  }
  EXPECT_EQ(ColorToString(0x123456), "$00123456");
  EXPECT_EQ(ColorToString(SystemColor(30)), "$8000001E");
}

TEST(Colors, TextForms) {
  EXPECT_EQ(StringToColor("CLNAVY"), clNavy) << "names in any case";
  EXPECT_EQ(StringToColor("$00FFFF"), 0x00FFFF);
  EXPECT_EQ(StringToColor("$8000000F"), clBtnFace);
  EXPECT_EQ(StringToColor("255"), 255);
  for (const char* bad : {"", "clNoSuchColour", "$", "$12G", "12x", "navy", "$123456789"})
    EXPECT_FALSE(StringToColor(bad).has_value()) << bad;
}

TEST(Colors, QtColoursAreBlueGreenRed) {
  EXPECT_EQ(ToQColor(clRed), QColor(255, 0, 0));
  EXPECT_EQ(ToQColor(clNavy), QColor(0, 0, 128));
  EXPECT_EQ(ToQColor(0x00FFFF), QColor(255, 255, 0));
  EXPECT_EQ(FromQColor(QColor(0, 0, 128)), clNavy);
  EXPECT_EQ(FromQColor(QColor(Qt::transparent)), clNone);
  // System colours come from a fixed scheme, not from the desktop theme.
  EXPECT_EQ(ToQColor(clBtnFace), QColor(192, 192, 192));
  EXPECT_EQ(ToQColor(clWindow), QColor(255, 255, 255));
}

}  // namespace
