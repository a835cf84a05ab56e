// Programs compiled with the emulation library on, as studios compile them,
// and run in node with stand-ins for the library's start (the harness's
// compileLibraryOnAndRun): what the Flash-API header and the library-on
// translation give the program, worked out by hand from the ActionScript.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "harness.h"

namespace {

// Compiles, runs and checks what node prints; no warning or error may be reported.
void expectPrints(const std::map<std::string, std::string>& sources, const std::string& expected) {
  ruvotest::SourcesRun r = ruvotest::compileLibraryOnAndRun(sources);
  ASSERT_FALSE(r.js.empty()) << r.messages;
  EXPECT_EQ(r.messages.find("MSG,7,"), std::string::npos) << r.messages;
  EXPECT_EQ(r.node.exitCode, 0) << r.node.err;
  EXPECT_EQ(r.node.out, expected) << r.node.err << r.js;
}

using ruvotest::mainClass;

}  // namespace

// Sorting a high-score table and a unit list: the flags other than NUMERIC
// sort as Flash sorts (strings, from the largest with DESCENDING, case
// ignored with CASEINSENSITIVE), sortOn a field of strings sorts by it, and
// RETURNINDEXEDARRAY and UNIQUESORT leave the array as it is.
TEST(LibraryOn, SortFlagsAndSortOnStringFields) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << "node is not installed";
  expectPrints({{"Main.as",
                 mainClass("", "\t\tprivate function pick(a:Array):String {\n"
                               "\t\t\tvar s:String = \"\";\n"
                               "\t\t\tfor each (var o:Object in a) s += o.n;\n"
                               "\t\t\treturn s;\n\t\t}\n",
                           "var names:Array = [\"bob\", \"Al\", \"carl\", \"al\"];\n"
                           "trace(names.concat().sort(Array.DESCENDING).join(\",\"));\n"
                           "trace(names.concat().sort(Array.CASEINSENSITIVE | Array.DESCENDING).join(\",\"));\n"
                           "var recs:Array = [{n: \"c\", v: 2}, {n: \"a\", v: 10}, {n: \"b\", v: 1}];\n"
                           "trace(pick(recs.sortOn(\"n\")), pick(recs.sortOn(\"v\")), pick(recs.sortOn(\"n\", "
                           "Array.DESCENDING)), pick(recs.sortOn([\"v\"], Array.NUMERIC | Array.DESCENDING)));\n"
                           "var idx:Array = recs.sortOn(\"n\", Array.RETURNINDEXEDARRAY);\n"
                           "trace(idx.join(\",\"), pick(recs), [3, 1, 3].sort(Array.UNIQUESORT | Array.NUMERIC));")}},
               "carl,bob,al,Al\n"
               "carl,bob,Al,al\n"
               "abc bca cba acb\n"
               "0,2,1 acb 0\n");
}
