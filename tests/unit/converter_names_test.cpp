// The import rewriting of the Flash source converter: its three name tables,
// the mapping of one name in each direction, and whole source texts in which
// only the package-level import lines change.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "flashtozafrit.h"
#include "globals.h"
#include "xstringmethod.h"

namespace {

class ConverterNames : public ::testing::Test {
 protected:
  void SetUp() override { resetCompilerState(); }
  void TearDown() override { resetCompilerState(); }
};

std::string captured(const std::function<void()>& run) {
  testing::internal::CaptureStdout();
  run();
  return testing::internal::GetCapturedStdout();
}

// Both lines of a type-1 message.
std::string info(const std::string& file, const std::string& text) {
  return "1,0.00," + file + ",0," + text + "\r\nMSG,1,0.00," + file + ",0," + text + "\n";
}

std::string toZafrit(std::string name) {
  FlashToZafrit::paceNameToZafrit(name, "F.as", ConverterMode::ToLibraryFirst);
  return name;
}

std::string toFlash(std::string name) {
  FlashToZafrit::paceNameToZafrit(name, "F.as", ConverterMode::ToFlash);
  return name;
}

}  // namespace

// Every row of the full-name table to the library maps its name, and the
// table holds each name once: 37 Flash names moved under "zafrit.", four
// Flash names kept, 23 older library names.
TEST_F(ConverterNames, ToLibraryFullNameTableWalk) {
  auto rows = FlashToZafrit::toZafritNames();
  ASSERT_EQ(rows.size(), 64u);
  std::set<std::string> seen;
  int moved = 0, kept = 0, older = 0;
  captured([&] {
    for (const FlashNameRow& row : rows) {
      SCOPED_TRACE(row.name);
      EXPECT_TRUE(seen.insert(row.name).second) << "listed twice";
      EXPECT_EQ(toZafrit(row.name), row.newName);
      std::string name = row.name, target = row.newName;
      if (startsWith(name, "flash.") && name == target) {
        ++kept;
      } else if (startsWith(name, "flash.")) {
        EXPECT_EQ(target, "zafrit." + name.substr(6));
        ++moved;
      } else {
        EXPECT_TRUE(startsWith(target, "zafrit."));
        ++older;
      }
    }
  });
  EXPECT_EQ(moved, 37);
  EXPECT_EQ(kept, 4);
  EXPECT_EQ(older, 23);
}

// Every prefix of the prefix table (up to its second dot) maps any class
// under it that the full-name table does not list.
TEST_F(ConverterNames, ToLibraryPrefixTableWalk) {
  auto rows = FlashToZafrit::toZafritPrefixes();
  ASSERT_EQ(rows.size(), 15u);
  std::set<std::string> seen;
  captured([&] {
    for (const FlashNameRow& row : rows) {
      SCOPED_TRACE(row.name);
      std::string name = row.name;
      EXPECT_TRUE(seen.insert(name).second) << "listed twice";
      EXPECT_EQ(std::count(name.begin(), name.end(), '.'), 2);
      EXPECT_EQ(name.back(), '.');
      EXPECT_EQ(toZafrit(name + "NotListed"), std::string(row.newName) + "NotListed");
    }
  });
}

// Every row of the table back to Flash maps its name; the library's own
// method, XML and SWF tool names are listed as themselves and so stay.
TEST_F(ConverterNames, ToFlashFullNameTableWalk) {
  auto rows = FlashToZafrit::toFlashNames();
  ASSERT_EQ(rows.size(), 42u);
  std::set<std::string> seen;
  int kept = 0;
  captured([&] {
    for (const FlashNameRow& row : rows) {
      SCOPED_TRACE(row.name);
      EXPECT_TRUE(seen.insert(row.name).second) << "listed twice";
      EXPECT_EQ(toFlash(row.name), row.newName);
      if (std::string(row.name) == row.newName) ++kept;
    }
  });
  EXPECT_EQ(kept, 12);
}

// One name in each direction, with the message each rule sends.
TEST_F(ConverterNames, NameRulesAndTheirMessages) {
  struct Row {
    const char* label;
    int mode;
    const char* name;
    const char* mapped;
    std::string messages;
  };
  const Row rows[] = {
      {"full name to the library", ConverterMode::ToLibraryFirst, "flash.events.MouseEvent", "zafrit.events.MouseEvent", info("F.as", "change")},
      {"kept Flash name still reports", ConverterMode::ToLibrary, "flash.utils.ByteArray", "flash.utils.ByteArray", info("F.as", "change")},
      {"prefix to the library", ConverterMode::LinkFromList, "flash.events.Event", "zafrit.events.Event",
       info("flash.events.Event", "change F.as")},
      {"older prefix", ConverterMode::ToLibraryFirst, "iruvo.geom.Point", "zafrit.geom.Point", info("iruvo.geom.Point", "change F.as")},
      {"unlisted Flash package", ConverterMode::ToLibraryFirst, "flash.xml.XMLDocument", "zafrit.xml.XMLDocument", ""},
      {"one dot under flash", ConverterMode::ToLibraryFirst, "flash.Foo", "zafrit.Foo", ""},
      {"library name stays", ConverterMode::ToLibraryFirst, "zafrit.display.Sprite", "zafrit.display.Sprite", ""},
      {"older name not listed stays", ConverterMode::ToLibraryFirst, "iruvo.css.Style", "iruvo.css.Style", ""},
      {"mx stays", ConverterMode::ToLibraryFirst, "mx.core.UIComponent", "mx.core.UIComponent", ""},
      {"full name back", ConverterMode::ToFlash, "zafrit.utils.Endian", "flash.utils.Endian",
       info("zafrit.utils.Endian", "change:[zafrit.utils.Endian] F.as")},
      {"library package back", ConverterMode::ToFlash, "zafrit.display.Sprite", "flash.display.Sprite",
       info("flash.display.Sprite", "change:[flash.display.Sprite] F.as")},
      {"older package back", ConverterMode::ToFlash, "iruvo.text.TextField", "flash.text.TextField",
       info("flash.text.TextField", "change:[flash.text.TextField] F.as")},
      {"old method package back", ConverterMode::ToFlash, "iruvomethod.Foo", "zafrit.method.Foo",
       info("zafrit.method.Foo", "change:[zafrit.method.Foo] F.as")},
      {"kept method name back", ConverterMode::ToFlash, "zafrit.method.bind", "zafrit.method.bind",
       info("zafrit.method.bind", "change:[zafrit.method.bind] F.as")},
      {"Flash name back stays", ConverterMode::ToFlash, "flash.display.Sprite", "flash.display.Sprite", ""},
      {"no dot back stays", ConverterMode::ToFlash, "zafrit", "zafrit", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    std::string name = row.name;
    std::string out = captured([&] { FlashToZafrit::paceNameToZafrit(name, "F.as", row.mode); });
    EXPECT_EQ(name, row.mapped);
    EXPECT_EQ(out, row.messages);
  }
}

// Whole texts: only the names of package-level imports change, everything
// else comes out byte for byte.
TEST_F(ConverterNames, ImportLinesRewritten) {
  struct Row {
    const char* label;
    int mode;
    std::string in;
    std::string out;
  };
  const Row rows[] = {
      {"package-level import, the same import in a class body kept", 1,
       "package a\r\n{\r\n\timport flash.events.Event;\r\n\tclass A\r\n\t{\r\n\t\timport "
       "flash.events.Event;\r\n\t}\r\n}",
       "package a\r\n{\r\n\timport zafrit.events.Event;\r\n\tclass A\r\n\t{\r\n\t\timport "
       "flash.events.Event;\r\n\t}\r\n}"},
      {"byte array kept", ConverterMode::ToLibraryFirst, "package {\n import flash.utils.ByteArray;\n}",
       "package {\n import flash.utils.ByteArray;\n}"},
      {"wildcard with blanks before its star", ConverterMode::ToLibraryFirst, "package {\n\timport flash.display.  \t*;\n}",
       "package {\n\timport zafrit.display.*;\n}"},
      {"wildcard on the next line", ConverterMode::ToLibrary, "package {\nimport flash.geom.\r\n*;\n}",
       "package {\nimport zafrit.geom.*;\n}"},
      {"one dot under flash", ConverterMode::ToLibraryFirst, "package{import flash.Foo;}", "package{import zafrit.Foo;}"},
      {"mx untouched", ConverterMode::ToLibraryFirst, "package{import mx.core.UIComponent;}", "package{import mx.core.UIComponent;}"},
      {"back to Flash", ConverterMode::ToFlash, "package{import zafrit.display.Sprite;import iruvomethod.Foo;}",
       "package{import flash.display.Sprite;import zafrit.method.Foo;}"},
      {"imports after the package body are examined", ConverterMode::ToLibraryFirst, "package{class A{}}\nimport flash.events.Event;\nclass B{}",
       "package{class A{}}\nimport zafrit.events.Event;\nclass B{}"},
      {"comments and strings are not imports", 1,
       "package{\n// import flash.events.Event;\n/* import flash.events.Event; */\nvar s = \"import "
       "flash.events.Event;\";\n"
       "var t = 'import flash.events.Event';}",
       "package{\n// import flash.events.Event;\n/* import flash.events.Event; */\nvar s = \"import "
       "flash.events.Event;\";\n"
       "var t = 'import flash.events.Event';}"},
      {"braces in strings and comments do not count", ConverterMode::ToLibraryFirst, "package{var s = '{'; /* { */\nimport flash.events.Event;}",
       "package{var s = '{'; /* { */\nimport zafrit.events.Event;}"},
      {"no package body", ConverterMode::ToLibraryFirst, "import flash.events.Event;", "import flash.events.Event;"},
      {"text starting with its brace", ConverterMode::ToLibraryFirst, "{import flash.events.Event;}", "{import flash.events.Event;}"},
      {"XML literal after '=' kept", ConverterMode::ToLibraryFirst, "package{import flash.events.Event;\nvar x:XML = <a b='1'/>;}",
       "package{import zafrit.events.Event;\nvar x:XML = <a b='1'/>;}"},
      {"bytes of 0x80 and above kept", ConverterMode::ToLibraryFirst, "package{//\xD6\xD0\xCE\xC4\nimport flash.events.Event;/*\xE4\xB8\xAD*/}",
       "package{//\xD6\xD0\xCE\xC4\nimport zafrit.events.Event;/*\xE4\xB8\xAD*/}"},
      {"a name ending in a dot without a star keeps the rest", 1,
       "package{import flash.display.;\nclass A{var s='*'; var n = 2 * 3;}}",
       "package{import zafrit.display.;\nclass A{var s='*'; var n = 2 * 3;}}"},
      {"the next import after a one-letter name is still found", ConverterMode::ToLibraryFirst, "package{import A;\nimport flash.events.Event;}",
       "package{import A;\nimport zafrit.events.Event;}"},
      {"unterminated comment", ConverterMode::ToLibraryFirst, "package{import flash.events.Event; /* open",
       "package{import zafrit.events.Event; /* open"},
      {"unterminated string", ConverterMode::ToLibraryFirst, "package{import flash.events.Event; var s = 'open",
       "package{import zafrit.events.Event; var s = 'open"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    std::string out;
    captured([&] { out = FlashToZafrit::adjustScript(row.in, row.mode, "F.as"); });
    EXPECT_EQ(out, row.out);
  }
}

// A zero byte ends the scanned text; the bytes after it are kept.
TEST_F(ConverterNames, ZeroByteKeepsTheRest) {
  std::string in = std::string("package{import flash.events.Event;}") + '\0' + "import flash.events.Event;";
  std::string out;
  captured([&] { out = FlashToZafrit::adjustScript(in, ConverterMode::ToLibraryFirst, "F.as"); });
  EXPECT_EQ(out, std::string("package{import zafrit.events.Event;}") + '\0' + "import flash.events.Event;");
}

// The white-space walk over pieces, forwards and backwards.
TEST_F(ConverterNames, FindNormalText) {
  const std::vector<std::string> pieces = {"a", " ", "\t", "b", "\r", "\n"};
  struct Row {
    int from, step;
    const char* found;
    int index;
  };
  const Row rows[] = {{1, 1, "b", 3}, {0, 1, "a", 0}, {2, -1, "a", 0}, {4, 1, "", 6}, {-1, -1, "", -1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.from) + " by " + std::to_string(row.step));
    int index = row.from;
    EXPECT_EQ(FlashToZafrit::findNormalText(pieces, index, row.step), row.found);
    EXPECT_EQ(index, row.index);
  }
}
