// The lexer's rewrites, run: snippets are tokenised, pretreated and printed
// as statements, wrapped in a few lines of JavaScript, and node prints what
// the code computed.
#include <gtest/gtest.h>

#include <string>

#include "formatScript.h"
#include "harness.h"
#include "lexer_util.h"

namespace {

// Snippet in, formatted JavaScript out (statements outside any class).
std::string emit(const std::string& source) {
  lexertest::freshState();
  Token* root = new Token(TokenTypeCode::Word, "", 0, 0, nullptr);
  int pos = 0;
  int line = 0;
  root->parse(source.c_str(), static_cast<int>(source.size()), pos, line, nullptr);
  root->pretreatment(nullptr);
  std::string out;
  root->_childsToJs_(out, nullptr, 0, 0, 0);
  deleteTokenTree(root);
  return formatScript(out);
}

std::string runInNode(const std::string& js) {
  ruvotest::TempDir dir;
  ruvotest::writeFile(dir / "s.js", js);
  ruvotest::RunResult r = ruvotest::runNode(dir / "s.js");
  EXPECT_EQ(r.exitCode, 0) << js << "\n" << r.err;
  return r.out;
}

TEST(LexerInNode, RewrittenSnippetsComputeWhatTheSourceSays) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  struct {
    const char* name;
    const char* before;  // JavaScript set-up
    const char* as3;
    const char* after;  // JavaScript that prints the result
    const char* printed;
  } rows[] = {
      {"logical assignments on names, members and elements", "var o = {a: 0, b: 1, list: [0, 2]}, k, n = 0;",
       "o.a ||= 5;\no.b ||= 6;\no.list[1] &&= 7;\no.list[0] &&= 8;\nk = 'c';\no[k] ||= 'set';\nn &&= 9;\n",
       "console.log(JSON.stringify(o), n);", "{\"a\":5,\"b\":1,\"list\":[0,7],\"c\":\"set\"} 0\n"},
      {"regular expressions and division", "var s = 'aab ab b', n, q, r;",
       "r = /a+b/g;\nn = s.match(r).length;\nq = 10 / 4 / 5;\n", "console.log(n, q, r.flags);", "2 0.5 g\n"},
      {"a blank before a dot joins the path", "var o = {p: {q: 3}}, v;", "v = o .p\n  .q;\n", "console.log(v);",
       "3\n"},
      {"namespace prefixes go", "var o = {x: 4}, v;", "v = o.ns::x;\n", "console.log(v);", "4\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::string js = std::string(row.before) + "\n" + emit(row.as3) + "\n" + row.after + "\n";
    EXPECT_EQ(runInNode(js), row.printed) << js;
  }
}

}  // namespace
