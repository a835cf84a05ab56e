// Programs in the style of the game code this compiler serves (inventories,
// tile maps, event dispatchers, spatial trees, fixed-step loops,
// serialisers), compiled with the library off by the real program and run
// in node. Their output is worked out by hand from the ActionScript.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "harness.h"

namespace {

// Compiles, runs and checks what node prints; no warning or error may be reported.
void expectPrints(const std::map<std::string, std::string>& sources, const std::string& expected) {
  ruvotest::SourcesRun r = ruvotest::compileSourcesAndRun(sources, "game");
  ASSERT_FALSE(r.js.empty()) << r.messages;
  EXPECT_EQ(r.messages.find("MSG,7,"), std::string::npos) << r.messages;
  EXPECT_EQ(r.node.exitCode, 0) << r.node.err;
  EXPECT_EQ(r.node.out, expected) << r.node.err << r.js;
}

std::string mainClass(const std::string& imports, const std::string& members, const std::string& body) {
  return "package\n{\n" + imports + "\tpublic class Main\n\t{\n" + members +
         "\n\t\tpublic function Main()\n\t\t{\n" + body + "\n\t\t}\n\t}\n}\n";
}

}  // namespace

// A for each loop whose body has no braces runs that one statement for every
// element: an expression, if with else, a nested loop, a switch, a
// declaration, and the loop itself as the body of an if.
TEST(GameCode, ForEachWithoutBraces) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("", "",
                           "var list:Array = [3, 0, 4];\n"
                           "var sum:int = 0, odd:Array = [], grid:Array = [[1, 2], [3]], flat:Array = [];\n"
                           "for each (var n:int in list) sum += n;\n"
                           "for each (n in list) if (n % 2) odd.push(n); else odd.push(-n);\n"
                           "for each (var row:Array in grid) for each (var cell:int in row) flat.push(cell * 10);\n"
                           "var names:String = \"\";\n"
                           "for each (n in list) switch (n) { case 0: names += \"z\"; break; default: names += n; }\n"
                           "for each (n in list) var last:int = n;\n"
                           "var o:Object = {a: 1, b: 2};\n"
                           "if (sum > 0) for each (var k:String in [\"a\"]) delete o[k];\n"
                           "trace(sum, odd.join(\",\"), flat.join(\",\"), names, last, o.a, o.b);")}},
               "7 3,0,-4 10,20,30 3z4 4 undefined 2\n");
}
