// Brace insertion for the async rewriting: in a block that holds an awaited
// call, every brace-less body of if, else, while and do gets its own block,
// and the body is the whole statement that follows; the loop-body test.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Token.h"
#include "formatScript.h"
#include "globals.h"
#include "harness.h"
#include "message.h"

namespace {

Token* lexRoot(const std::string& source) {
  resetCompilerState();
  fpprintf = std::tmpfile();
  auto* root = new Token(TokenTypeCode::Word, "", 0, 0, nullptr);
  int pos = 0;
  int line = 0;
  root->parse(source.c_str(), static_cast<int>(source.size()), pos, line, nullptr);
  return root;
}

// The block's text after brace insertion, laid out.
std::string withBraces(const std::string& block) {
  Token* root = lexRoot(block);
  Token* b = root->childs.at(0);
  EXPECT_EQ(b->type, TokenTypeCode::Block);
  b->checkAddBRACE();
  std::string out;
  b->toJsScript(out, nullptr, 0, 0);
  return formatScript(out);
}

void expectNodeAccepts(const std::string& js) {
  if (!ruvotest::haveNode()) return;
  ruvotest::TempDir dir;
  ruvotest::writeFile(dir / "s.js", "function f()" + js);
  ruvotest::RunResult r = ruvotest::runNodeArgs({"--check", dir / "s.js"}, dir.path());
  EXPECT_EQ(r.exitCode, 0) << "node rejects:\n" << js << "\n" << r.err;
}

TEST(StatementBraces, BodiesAreWholeStatements) {
  struct Case {
    const char* name;
    const char* as3;
    const char* js;
  };
  const Case cases[] = {
      {"throw stays conditional", "{ if (!ok) throw e; await::load(); }", "{{if (!ok){throw e;}}load();}\n"},
      {"loop as the body of if", "{ if (a) for (i = 0; i < 3; i++) g(i); await::load(); }",
       "{{if (a){for (i=0;i < 3;i++)g(i);}}load();}\n"},
      {"return with its value", "{ if (a) return x + 1; await::load(); }", "{{if (a){return x+1;}}load();}\n"},
      {"else-if chain nests", "{ if (a) x = 1; else if (b) return 2; else { y(); } await::load(); }",
       "{{if (a){x=1;}else{if (b){return 2;}else {y();}}}load();}\n"},
      {"if with else as the body of if", "{ if (a) if (b) x(); else y(); z(); await::load(); }",
       "{{if (a){if (b)x();else y();}}z();load();}\n"},
      {"while and do-while", "{ while (c) c--; do x++; while (x < 3); await::load(); }",
       "{while (c){c--;}do{x++;}while (x < 3);load();}\n"},
      {"do-while with a block keeps its while", "{ do { x++; } while (x < 3); if (q) return; await::load(); }",
       "{do {x++;}while (x < 3);{if (q){return;}}load();}\n"},
      {"a line end ends a statement without ';'", "{ if (a) trace(1)\n z = 2\n await::load() }",
       "{{if (a){trace(1)}}\n\tz=2\n\tload()}\n"},
      {"without an awaited call nothing changes", "{ if (!ok) throw e; load(); }", "{if (!ok)throw e;load();}\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string js = withBraces(c.as3);
    EXPECT_EQ(js, c.js);
    expectNodeAccepts(js);
  }
}

TEST(StatementBraces, LoopBodies) {
  Token* root = lexRoot(
      "{ while (a) { { x(); } }\n"
      "if (b) { y(); }\n"
      "do { z(); } while (c);\n"
      "for (;;) { w(); } }");
  Token* outer = root->childs.at(0);
  TokenList blocks;
  for (Token* t : outer->childs) {
    if (t && t->type == TokenTypeCode::Block) blocks.push_back(t);
  }
  ASSERT_EQ(blocks.size(), 4u);
  EXPECT_TRUE(Token::CheckIsWhileDoFor(blocks[0]));              // while body
  EXPECT_TRUE(Token::CheckIsWhileDoFor(blocks[0]->childs.at(0)));  // a block inside it
  EXPECT_FALSE(Token::CheckIsWhileDoFor(blocks[1]));             // if body
  EXPECT_TRUE(Token::CheckIsWhileDoFor(blocks[2]));              // do body
  EXPECT_TRUE(Token::CheckIsWhileDoFor(blocks[3]));              // for body
  EXPECT_FALSE(Token::CheckIsWhileDoFor(outer));
}

}  // namespace
