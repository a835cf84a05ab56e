// The file root: text preparation (head, line ends, conditional-compilation
// markers), the path fields, Flash-only files, and the source error queue.
#include <gtest/gtest.h>

#include "CompilerOptions.h"
#include "TokenPackage.h"
#include "lexer_util.h"
#include "scriptfile.h"

namespace {

using lexertest::dump;

class FileRoot : public testing::Test {
 protected:
  void SetUp() override {
    lexertest::freshState();
    _ompilerOptions_.conditionSymbol = "JS";
  }
  void TearDown() override { resetCompilerState(); }
};

// The prepared text of a file (what the lexer reads), and whether it is
// kept; without `head` only the line ends and the markers are applied.
std::string prepared(const char* source, bool* kept = nullptr, bool head = true) {
  std::string text = source;
  bool ok;
  if (head) {
    ok = Parse::prepareText(text);
  } else {
    std::string normal;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r') {
        if (i + 1 < text.size() && text[i + 1] == '\n') continue;
        normal += '\n';
      } else {
        normal += text[i];
      }
    }
    ok = Parse::_format_ifdef(normal.data());
    text = normal;
  }
  if (kept) *kept = ok;
  return text;
}

TEST_F(FileRoot, ConditionalCompilationMarkers) {
  struct {
    const char* name;
    const char* source;
    const char* text;
  } rows[] = {
      {"JS-only line", "a;\n//[IF-JS]b();\nc;", "a;\n         b();\nc;"},
      {"script-only line", "//[IF-SCRIPT]b();", "             b();"},
      {"other symbol stays a comment", "//[IF-AIR]b();", "//[IF-AIR]b();"},
      {"script region", "/*[IF-SCRIPT-BEGIN]\nb();\n[IF-SCRIPT-END]*/c;",
       "                   \nb();\n                 c;"},
      {"script regions one in another", "/*[IF-SCRIPT-BEGIN]/*[IF-SCRIPT-BEGIN] x [IF-SCRIPT-END]*/ y [IF-SCRIPT-END]*/",
       "                                       x                   y                  "},
      {"script region without end", "/*[IF-SCRIPT-BEGIN] b();", "                    b();"},
      {"Flash region", "a;/*[IF-FLASH-BEGIN]*/\nflash();\n/*[IF-FLASH-END]*/c;",
       "a;                    \n        \n                  c;"},
      {"Flash region without end", "/*[IF-FLASH-BEGIN]*/ flash();", "                     flash();"},
      {"Flash statement", "a;/*[IF-FLASH]*/ flash();\nb;", "a;                       \nb;"},
      {"Flash statement on the next line", "/*[IF-FLASH]*/\n\n  flash();\nb;", "              \n\n          \nb;"},
      {"no enumeration", "/*[NOENUMERATION]*/ var x", "   NOENUMERATION    var x"},
      {"marker in a string", "s = '//[IF-JS]x';", "s = '//[IF-JS]x';"},
      {"marker inside another comment", "/* //[IF-JS] */ x", "/* //[IF-JS] */ x"},
      {"lone CR", "a\rb\r\nc", "a\nb\nc"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    bool kept = false;
    EXPECT_EQ(prepared(row.source, &kept, false), row.text);
    EXPECT_TRUE(kept);
  }
}

TEST_F(FileRoot, HeadBeforeTheFirstCommentOrPackageIsBlanked) {
  struct {
    const char* source;
    const char* text;
  } rows[] = {
      {"\xEF\xBB\xBF\n  package a {}", "   \n  package a {}"},
      {"junk\r\n// c\npackage", "    \n// c\npackage"},
      {"x;/* c */", "  /* c */"},
      {"no marker at all", "no marker at all"},
      {"s = '//x'", "     //x'"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.source);
    EXPECT_EQ(prepared(row.source), row.text);
  }
}

TEST_F(FileRoot, FlashOnlyFilesHaveNoTokensAndNoJavaScript) {
  struct {
    const char* source;
    bool skipped;
  } rows[] = {
      {"/*[IF-FLASH]*/package a {}", true},           {"/*[IF-FLASH]*/\n\t package a {}", true},
      {"// head\n/*[IF-FLASH]*/ package a {}", true}, {"/*[IF-FLASH]*/ var x;\npackage a {}", false},
      {"'/*[IF-FLASH]*/' package a {}", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.source);
    Parse* p = new Parse(nullptr, row.source, "/x/A.as", 0);
    EXPECT_EQ(p->skip, row.skipped ? 1 : 0);
    if (row.skipped) {
      EXPECT_TRUE(p->childs.empty());
      p->toJavaScript();
      EXPECT_EQ(p->jsText, "");
    }
    deleteTokenTree(p);
  }
}

// Markers whose end never comes, by the ten thousand: the preparation stays
// linear (a hang would show as the test's timeout).
TEST_F(FileRoot, ManyMarkersWithoutTheirEnd) {
  auto repeat = [](const std::string& unit, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += unit;
    return s;
  };
  const std::string rows[] = {
      repeat("/*[IF-SCRIPT-BEGIN] x\n", 50000),
      repeat("/*[IF-SCRIPT-BEGIN]", 50000) + repeat("[IF-SCRIPT-END]*/", 50000),
      repeat("/*[IF-FLASH-BEGIN]*/ x\n", 50000),
      repeat("/*[IF-FLASH]*/\n", 50000) + "x",
      repeat("/* never closed ", 50000),
      repeat("'never closed ", 50000),
  };
  for (const std::string& row : rows) {
    SCOPED_TRACE(row.substr(0, 24));
    std::string text = row;
    Parse::prepareText(text);
    EXPECT_EQ(text.size(), row.size());
  }
  std::string nested = repeat("/*[IF-SCRIPT-BEGIN]", 1000) + repeat("[IF-SCRIPT-END]*/", 1000);
  Parse::prepareText(nested);
  EXPECT_EQ(nested, std::string(nested.size(), ' '));
}

TEST_F(FileRoot, LinesMatchTheSourceAcrossRemovedBlocks) {
  // Tokenising the prepared text of a file puts every token on its source line.
  const char* source =
      "\xEF\xBB\xBF// head\r\n"           // 0
      "/*[IF-FLASH-BEGIN]*/\r\n"          // 1
      "import flash.display.Sprite;\r\n"  // 2
      "/*[IF-FLASH-END]*/\r"              // 3
      "/*[IF-FLASH]*/\n"                  // 4
      "  flashOnly();\n"                  // 5
      "//[IF-JS]scriptOnly();\n"          // 6
      "/*[IF-SCRIPT-BEGIN]\n"             // 7
      "live();\n"                         // 8
      "[IF-SCRIPT-END]*/\n"               // 9
      "last;";                            // 10
  Parse* p = new Parse(nullptr, "/*[IF-FLASH]*/package", "/x/A.as", 0);
  std::string text = prepared(source);
  int pos = 0, line = 0;
  p->skip = 0;
  p->parse(text.c_str(), static_cast<int>(text.size()), pos, line, nullptr);
  EXPECT_EQ(dump(p->childs), "Word:scriptOnly Paren() Semicolon:; Word:live Paren() Semicolon:; Word:last Semicolon:;");
  EXPECT_EQ(p->childs[0]->line, 6);
  EXPECT_EQ(p->childs[3]->line, 8);
  EXPECT_EQ(p->childs[6]->line, 10);
  deleteTokenTree(p);
}

TEST_F(FileRoot, ConstructionSetsThePathFields) {
  auto* record = new ScriptFile("zafrit/display/Sprite.as", "");
  ScriptFile::LoadedFileMap["zafrit/display/Sprite.as"] = record;
  struct {
    const char* path;
    const char* directory;
    int runtimeLibrary;
    bool record;
  } rows[] = {
      {"zafrit/display/Sprite.as", "zafrit/display", 1, true},
      {"iruvo/a.as", "iruvo", 1, false},
      {"kresp/b\\c.as", "kresp/b", 1, false},
      {"/src/game/Main.as", "/src/game", 0, false},
      {"C:\\src\\Main.as", "C:\\src", 0, false},
      {"Main.as", "Main.as", 0, false},
      {"/Main.as", "/Main.as", 0, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.path);
    Parse* p = new Parse(nullptr, "", row.path, 7);
    EXPECT_EQ(p->path, row.path);
    EXPECT_EQ(p->directory, row.directory);
    EXPECT_EQ(p->runtimeLibrary, row.runtimeLibrary);
    EXPECT_EQ(p->scriptFile, row.record ? record : nullptr);
    EXPECT_EQ(p->file, p);
    EXPECT_EQ(p->sync, 1);
    EXPECT_EQ(_CURFILENAME, row.path);
    deleteTokenTree(p);
  }
  // Looking up a path without a record makes no empty entry.
  EXPECT_EQ(ScriptFile::LoadedFileMap.size(), 1u);
}

TEST_F(FileRoot, SourceTextIsThePreparedTextAndIsLetGoAfterTheTree) {
  std::string text = "\xEF\xBB\xBFpackage a {\r\n//[IF-JS]var x;\r}";
  EXPECT_TRUE(Parse::prepareText(text));
  EXPECT_EQ(text, "   package a {\n         var x;\n}");
  Parse* p = new Parse(nullptr, "\xEF\xBB\xBFpackage a {\r\n//[IF-JS]var x;\r}", "/x/A.as", 0);
  EXPECT_EQ(p->skip, 0);
  EXPECT_TRUE(p->sourceText.empty());
  EXPECT_FALSE(p->childs.empty());
  deleteTokenTree(p);
}

TEST_F(FileRoot, JavaScriptLinesEndInCrLf) {
  Parse* p = new Parse(nullptr, "package a {\n}\n", "/x/A.as", 0);
  _CURFILENAME.clear();
  p->toJavaScript();
  EXPECT_EQ(_CURFILENAME, "/x/A.as");
  for (size_t i = 0; i < p->jsText.size(); ++i) {
    if (p->jsText[i] == '\n') {
      ASSERT_GT(i, 0u);
      EXPECT_EQ(p->jsText[i - 1], '\r');
    }
  }
  deleteTokenTree(p);
}

// ---- the source error queue ----

class ErrorQueue : public testing::Test {
 protected:
  void SetUp() override {
    lexertest::freshState();
    _msg_p = 0;
  }
  void TearDown() override { resetCompilerState(); }
};

TEST_F(ErrorQueue, QueuedErrorsMarkThePackageAndWaitInOrder) {
  Parse* p = lexertest::lexFile("a b");
  std::string out = "kept";
  p->childs[1]->scriptErr(out, p, "second line", 1);
  EXPECT_EQ(out, "kept");
  auto* pkg = new TokenPackage(53, "game", 0, 0, nullptr);
  p->package = pkg;
  p->childs[0]->scriptErr(out, p, "first line", 0);
  EXPECT_EQ(pkg->hasError, 1);
  ASSERT_EQ(ScriptErr::__ERRS.size(), 2u);
  EXPECT_EQ(ScriptErr::__ERRS[0]->message, "second line");
  EXPECT_TRUE(ScriptErr::__ERRS[0]->showSource);
  EXPECT_EQ(ScriptErr::__ERRS[1]->token, p->childs[0]);
  EXPECT_FALSE(ScriptErr::__ERRS[1]->showSource);
  EXPECT_EQ(ERRCOUNT, 0);  // nothing is sent yet
  p->childs[0]->scriptErr(out, nullptr, nullptr, 0);
  EXPECT_EQ(ScriptErr::__ERRS.back()->message, "");
  deleteTokenTree(pkg);
  p->package = nullptr;
  resetErrorQueue();
  deleteTokenTree(p);
}

TEST_F(ErrorQueue, SentErrorsAreCountedAndTheFirstNineCollected) {
  struct {
    int errors;
    int lines;
    bool ellipsis;
  } rows[] = {{1, 1, false}, {9, 9, false}, {10, 9, true}, {12, 9, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.errors);
    resetErrorQueue();
    Parse* p = lexertest::lexFile("a\nb");
    std::string unused;
    for (int i = 0; i < row.errors; ++i) p->childs[i % 2]->scriptErr(unused, p, ("e" + std::to_string(i)).c_str(), 1);
    std::string out = lexertest::captureStdout([&] {
      for (ScriptErr* e : ScriptErr::__ERRS) e->token->_scriptErr(e->file, e->message.c_str(), e->showSource);
    });
    EXPECT_EQ(ERRCOUNT, row.errors);
    std::string expectedOut;
    std::string expectedText;
    for (int i = 0; i < row.errors; ++i) {
      const std::string line = std::to_string(i % 2);
      const std::string m = "e" + std::to_string(i);
      expectedOut +=
          "7,0.00,/src/test/Main.as," + line + "," + m + "\r\nMSG,7,0.00,/src/test/Main.as," + line + "," + m + "\n";
      if (i < 9) expectedText += m + " file:/src/test/Main.as line:" + line + "\r\n";
    }
    if (row.ellipsis) expectedText += "...";
    EXPECT_EQ(out, expectedOut);  // in queue order, each as a type-7 message
    EXPECT_EQ(AS3ERR, expectedText);
    deleteTokenTree(p);
  }
  resetErrorQueue();
  EXPECT_EQ(ERRCOUNT, 0);
  EXPECT_EQ(AS3ERR, "");
  EXPECT_TRUE(ScriptErr::__ERRS.empty());
}

}  // namespace
