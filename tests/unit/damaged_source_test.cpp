// Damaged sources the compile fuzzer found (or shapes like them): each one
// compiles to an end, with its error queued, instead of recursing without
// end or taking time that doubles with every class or test more.
#include <gtest/gtest.h>

#include <string>

#include "TokenFunction.h"
#include "expr_support.h"
#include "harness.h"

namespace {

bool queued(const std::string& start) {
  for (const ScriptErr* err : ScriptErr::__ERRS)
    if (err->message.rfind(start, 0) == 0) return true;
  return false;
}

std::string repeat(const std::string& piece, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

struct Case {
  const char* name;
  bool typeScript;
  std::string source;
  const char* expectedError;  // start of a queued message, or null
  const char* expectedText;   // text the output holds, or null
};

TEST(DamagedSource, CompilesToAnEnd) {
  const Case cases[] = {
      // A public class written inside a private class's body: printing the
      // private classes would reach it, and it would print them again.
      {"class inside a private class", true,
       "package a\n{\n\tpublic class Main\n\t{\n\t}\n}\nclass Outer\n{\n\tpublic class Inner\n\t{\n\t}\n}\n",
       "This Class[Inner] file err:", "export class Main"},
      // Public classes listed among the file's other classes: each one used
      // to print the ones listed before it before finding itself.
      {"many public classes", true,
       "package a\n{\n\tpublic class Main\n\t{\n\t}\n}\n" + repeat("public class B { }\n", 40),
       "This Class[B] file err:", "export class Main"},
      {"many public classes (JavaScript)", false,
       "package a\n{\n\tpublic class Main\n\t{\n\t}\n}\n" + repeat("public class B { }\n", 40),
       "This Class[B] file err:", "//class a.Main"},
      // A chain of type tests nests one call in the next.
      {"short chain of tests", false,
       "package a\n{\n\tpublic class Main\n\t{\n\t\tpublic function f(a:*):*\n\t\t{\n\t\t\treturn a is Array is "
       "Boolean;\n\t\t}\n\t}\n}\n",
       nullptr, "return (typeof (a instanceof Array)=='boolean');"},
      {"long chain of tests", false,
       "package a\n{\n\tpublic class Main\n\t{\n\t\tpublic function f(a:*):*\n\t\t{\n\t\t\treturn " +
           repeat("a is ", 20000) + "Array;\n\t\t}\n\t}\n}\n",
       "Type tests nested too deeply", "__proto.f=function(a){"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    exprtest::Switches keep;
    ruvotest::TempDir dir;
    resetCompilerState();
    __ISTOTS = c.typeScript;
    std::string js = exprtest::compileOne(dir, "a/Main.as", c.source);
    if (c.expectedText) {
      EXPECT_NE(js.find(c.expectedText), std::string::npos) << js.substr(0, 2000);
    }
    if (c.expectedError) {
      EXPECT_TRUE(queued(c.expectedError));
    }
    resetCompilerState();
  }
}

// An include right after the async word queues its error at that word; the
// word is then folded into its function and freed, and the error moves to
// the function (it pointed at a freed token, sent at the end of the run).
TEST(DamagedSource, ErrorAtTheAsyncWordMovesToItsFunction) {
  exprtest::Switches keep;
  ruvotest::TempDir dir;
  resetCompilerState();
  exprtest::compileOne(dir, "a/Main.as",
                       "package a\n{\n\tpublic class Main\n\t{\n"
                       "\t\t/*async*/ public include \"missing.as\" function f():void {}\n\t}\n}\n");
  const ScriptErr* found = nullptr;
  for (const ScriptErr* err : ScriptErr::__ERRS)
    if (err->message.rfind("Include file not found", 0) == 0) found = err;
  ASSERT_NE(found, nullptr);
  ASSERT_NE(dynamic_cast<TokenFunction*>(found->token), nullptr);
  EXPECT_EQ(found->token->line, 4);
  resetCompilerState();
}

}  // namespace
