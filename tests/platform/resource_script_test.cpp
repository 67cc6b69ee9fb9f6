#include "platform/resource_script.h"

#include <gtest/gtest.h>

#include "platform/dialogs.h"

namespace {

using platform::ParseResourceScript;

constexpr char kSourceDialog[] = R"(
// Source settings
LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US
104 DIALOG DISCARDABLE  0, 0, 186, 95
STYLE DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION "Source"
FONT 8, "MS Sans Serif"
BEGIN
    DEFPUSHBUTTON   "OK",IDOK,129,7,50,14
    PUSHBUTTON      "Cancel",IDCANCEL,129,24,50,14
    GROUPBOX        "TV Standard",IDC_STATIC,7,7,60,40
    CONTROL         "NTSC",1005,"Button",BS_AUTORADIOBUTTON | WS_GROUP,14,18,37,10
    AUTORADIOBUTTON "PAL",1004,14,30,37,10,NOT WS_TABSTOP
    AUTOCHECKBOX    "VCR",1035,70,10,40,10
    LTEXT           "Delay",-1,7,60,20,8
    RTEXT           "Width",IDC_STATIC,30,60,20,8,NOT WS_GROUP
    EDITTEXT        1059,70,58,40,12,ES_AUTOHSCROLL | ES_NUMBER
    COMBOBOX        1041,7,75,50,60,CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP
    SCROLLBAR       1047,60,75,60,10
    CONTROL         "",1001,"msctls_trackbar32",TBS_AUTOTICKS | WS_TABSTOP,120,75,60,12,WS_EX_STATICEDGE
END
)";

TEST(ResourceScriptTest, DialogRecordsCarryPositionsStylesAndClasses) {
  auto result = ParseResourceScript(kSourceDialog);
  ASSERT_TRUE(result.ok) << result.error_line << ": " << result.error;
  ASSERT_EQ(result.script.dialogs.size(), 1u);
  const platform::DialogTemplate& d = result.script.dialogs[0];
  EXPECT_EQ(d.id, 104);
  EXPECT_EQ(d.language, 1033);
  EXPECT_EQ(d.caption, "Source");
  EXPECT_EQ(d.style, DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT);
  EXPECT_EQ(d.font_size, 8);
  EXPECT_EQ(d.font, "MS Sans Serif");
  EXPECT_EQ(std::tie(d.x, d.y, d.cx, d.cy), std::make_tuple(0, 0, 186, 95));
  ASSERT_EQ(d.items.size(), 12u);

  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  struct Expected {
    const char* class_name;
    const char* text;
    int id;
    DWORD style;
    int x, y, cx, cy;
  };
  const Expected expected[] = {
      {"Button", "OK", IDOK, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 129, 7, 50, 14},
      {"Button", "Cancel", IDCANCEL, kChild | BS_PUSHBUTTON | WS_TABSTOP, 129, 24, 50, 14},
      {"Button", "TV Standard", -1, kChild | BS_GROUPBOX, 7, 7, 60, 40},
      {"Button", "NTSC", 1005, kChild | BS_AUTORADIOBUTTON | WS_GROUP, 14, 18, 37, 10},
      {"Button", "PAL", 1004, kChild | BS_AUTORADIOBUTTON, 14, 30, 37, 10},
      {"Button", "VCR", 1035, kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 70, 10, 40, 10},
      {"Static", "Delay", -1, kChild | SS_LEFT | WS_GROUP, 7, 60, 20, 8},
      {"Static", "Width", -1, kChild | SS_RIGHT, 30, 60, 20, 8},
      {"Edit", "", 1059, kChild | ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP, 70, 58, 40, 12},
      {"ComboBox", "", 1041, kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 7, 75, 50, 60},
      {"ScrollBar", "", 1047, kChild | SBS_HORZ, 60, 75, 60, 10},
      {"msctls_trackbar32", "", 1001, kChild | TBS_AUTOTICKS | WS_TABSTOP, 120, 75, 60, 12},
  };
  for (std::size_t i = 0; i < d.items.size(); ++i) {
    SCOPED_TRACE(i);
    const platform::DialogItem& item = d.items[i];
    EXPECT_EQ(item.class_name, expected[i].class_name);
    EXPECT_EQ(item.text, expected[i].text);
    EXPECT_EQ(item.id, expected[i].id);
    EXPECT_EQ(item.style, expected[i].style);
    EXPECT_EQ(std::tie(item.x, item.y, item.cx, item.cy),
              std::tie(expected[i].x, expected[i].y, expected[i].cx, expected[i].cy));
  }
  EXPECT_EQ(d.items[11].ex_style, WS_EX_STATICEDGE);
}

TEST(ResourceScriptTest, StringTablesAndLanguages) {
  auto result = ParseResourceScript(R"(
STRINGTABLE DISCARDABLE
BEGIN
    1 "April, 1999"
    2, "Say ""hi""\tnow\n"
END
LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT
STRINGTABLE { 1 "November, 1997" }
STRINGTABLE LANGUAGE 9, 1 BEGIN 3 "TWAIN" END
7 DIALOGEX 0, 0, 10, 10, 0
LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL
BEGIN END
8 DIALOG 0, 0, 10, 10 BEGIN END
)");
  ASSERT_TRUE(result.ok) << result.error_line << ": " << result.error;
  const auto& tables = result.script.string_tables;
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(tables[0].language, 1033);
  EXPECT_EQ(tables[0].strings.at(1), "April, 1999");
  EXPECT_EQ(tables[0].strings.at(2), "Say \"hi\"\tnow\n");
  EXPECT_EQ(tables[0].strings.at(3), "TWAIN");  // its own LANGUAGE puts it with the English strings
  EXPECT_EQ(tables[1].language, 1049);
  EXPECT_EQ(tables[1].strings.at(1), "November, 1997");
  ASSERT_EQ(result.script.dialogs.size(), 2u);
  EXPECT_EQ(result.script.dialogs[0].language, 0);
  EXPECT_EQ(result.script.dialogs[1].language, 1049);
  // No STYLE statement: a bordered pop-up with a system menu.
  EXPECT_EQ(result.script.dialogs[1].style, WS_POPUP | WS_BORDER | WS_SYSMENU);
}

TEST(ResourceScriptTest, ErrorsNameTheirLineAndYieldNoRecords) {
  struct Case {
    const char* text;
    int line;
    const char* message;
  };
  const Case cases[] = {
      {"STRINGTABLE BEGIN 1 \"a\"\n", 2, "missing END"},
      {"STRINGTABLE BEGIN\n1 \"a\"\n1 \"b\"\nEND", 3, "duplicate string id"},
      {"STRINGTABLE BEGIN 1 \"open\nEND", 1, "string runs past the end of the line"},
      {"1 DIALOG 0,0,1,1\nSTYLE WS_POPUP | WS_BOGUS\nBEGIN END", 2, "unknown name 'WS_BOGUS'"},
      {"1 DIALOG 0,0,1,1 BEGIN\n  PUSHBUTTON \"OK\" 1,0,0,1,1\nEND", 2, "expected ','"},
      {"1 DIALOG 0,0,1,1 BEGIN\n  BITMAP 1,0,0,1,1\nEND", 2, "expected a control statement or END"},
      {"#include \"resource.h\"", 1, "preprocessor lines are not supported"},
      {"1 MENU BEGIN END", 1, "expected DIALOG, DIALOGEX, STRINGTABLE or LANGUAGE"},
      {"1 DIALOG 0,0,1,1 BEGIN END\n1 DIALOG 0,0,1,1 BEGIN END", 2, "duplicate dialog"},
      {"LANGUAGE 9, 99", 1, "language out of range"},
      {"STRINGTABLE BEGIN 0x1FFFFFFFF \"a\" END", 1, "number too large"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto result = ParseResourceScript(c.text);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error_line, c.line);
    EXPECT_EQ(result.error, c.message);
    EXPECT_TRUE(result.script.dialogs.empty());
    EXPECT_TRUE(result.script.string_tables.empty());
  }
}

}  // namespace
