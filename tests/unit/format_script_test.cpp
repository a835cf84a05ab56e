// The output formatter: one table of (JavaScript in, formatted JavaScript out)
// rows, one per layout rule, plus the helpers and a node run showing that the
// compression never changes what a script computes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formatScript.h"
#include "harness.h"

namespace {

struct FormatCase {
  const char* name;
  const char* in;
  const char* out;
};

const FormatCase kFormatCases[] = {
    {"only blank lines", "  \n\t\n\r\n\n", ""},
    {"blanks compressed, quotes kept", "\tvar  a\t=\r1 + 2,   b = 'x  +  y';\n",
     "var a=1+2,b='x  +  y';\n"},
    {"blank after keyword stays, after comma goes", "while (a < b) f(a, b);\n", "while (a < b)f(a,b);\n"},
    // ")" is one of the characters a blank vanishes after, so ") {" joins.
    {"function body indented", "function f() {\n  return 1;\n}\n", "function f(){\n\treturn 1;\n}\n\n\n"},
    {"lone brace joined to head", "function f()\n{\nreturn 1;\n}\n", "function f(){\n\treturn 1;\n}\n\n\n"},
    {"lone brace after line comment stays", "function f() // note\n{\nx();\n}\n",
     "function f()// note\n{\n\tx();\n}\n\n\n"},
    {"empty braces joined", "function g() {\nvar o = {\n}\n}\n", "function g(){\n\tvar o={}\n}\n\n\n"},
    {"method at one tab gets one blank line", "var C = function() {\nthis.f = function() {\nreturn 1;\n}\n}\n",
     "var C=function(){\n\tthis.f=function(){\n\t\treturn 1;\n\t}\n\n}\n\n\n"},
    {"switch body at level one",
     "function f(x) {\nswitch (x) {\ncase 1:\ny();\nbreak;\ndefault:\nz();\n}\nw();\n}\n",
     "function f(x){\n\tswitch (x){\n\t\tcase 1:\n\t\t\ty();\n\t\t\tbreak;\n\t\tdefault:\n\t\t\tz();\n\t\t}\n\tw();\n}\n\n\n"},
    {"switch at level zero ends with its brace", "switch (x) {\ncase 1:\nf();\n}\ng();\n",
     "switch (x){\n\tcase 1:\n\t\tf();\n\t}\n\ng();\n"},
    {"brace-less if indents its body", "if (a)\nb();\nc();\n", "if (a)\n\tb();\nc();\n"},
    {"if ending with ';' does not", "if (a) b();\nc();\n", "if (a)b();\nc();\n"},
    {"if with top-level return does not", "if (a) return x\nc();\n", "if (a)return x\nc();\n"},
    {"last if line changes nothing", "x();\nif (a)\n", "x();\nif (a)\n"},
    {"else after closing brace", "if (a) {\nx();\n}\nelse {\ny();\n}\n", "if (a){\n\tx();\n}\n\n\nelse {\n\ty();\n}\n\n\n"},
    {"} else { on one line stays one level deep", "if (a) {\nx();\n} else {\ny();\n}\n",
     "if (a){\n\tx();\n\t}else {\n\n\ty();\n}\n\n\n"},
    {"brace in string and comment not counted", "var s = '{' + \"}}\"; /* { */\nx();\n",
     "var s='{'+\"}}\";/*{*/\nx();\n"},
    {"brace in a line comment not counted", "f(); // {\ng();\n", "f();// {\ng();\n"},
    {"brace in a string continued over the line end not counted", "a = \"x\\\n{\";\nb();\n",
     "a=\"x\\\n{\";\nb();\n"},
    // The depth reader does not know regular expressions.
    {"brace in a regular expression counted", "x = /[{]/;\ny();\n", "x=/[{]/;\n\ty();\n"},
    {"multi-byte text", "var \xe5\x8f\x98 = '\xe4\xb8\xad  \xe6\x96\x87';\n", "var \xe5\x8f\x98='\xe4\xb8\xad  \xe6\x96\x87';\n"},
    // Signs that a dropped blank would join into "--" or "++".
    {"minus minus stays two operators", "a = b - -c;\n", "a=b- -c;\n"},
    {"plus then pre-increment", "x = i + ++j;\n", "x=i+ ++j;\n"},
    {"post-increment then plus", "y = i++ + j;\n", "y=i++ +j;\n"},
    {"minus then pre-decrement", "z = a - --b;\n", "z=a- --b;\n"},
    {"plus minus may join", "w = a + -b;\n", "w=a+-b;\n"},
    // A dropped blank between '*' and '//' would close the comment early.
    {"doc comment line with a line comment", "/**\n * {\n *   // do stuff\n * }\n */\nx();\n",
     "/**\n*{\n\t* // do stuff\n\t*}\n*/\nx();\n"},
    {"regex body copied", "s = s.replace(/ +/g, ' ');\n", "s=s.replace(/ +/g,' ');\n"},
    {"regex after return", "return / = +/.test(s);\n", "return / = +/.test(s);\n"},
    {"regex with slash in class", "r = /[/ ]+ x/;\n", "r=/[/ ]+ x/;\n"},
    {"division is not a regex", "q = a / b + c / d;\n", "q=a / b+c / d;\n"},
    // A lone "{" after a statement that ends without its ';' opens a block:
    // joined, "var a=0{" would not parse.
    {"block after var without ';' stays apart", "var a = 0\n{\na = 1;\n}\n", "var a=0\n{\n\ta=1;\n}\n\n\n"},
    {"block after call without ';' stays apart", "f(a)\n{\ng();\n}\n", "f(a)\n{\n\tg();\n}\n\n\n"},
    {"lone brace joined to control heads", "if (a)\n{\nx();\n}\nfor (;;)\n{\ny();\n}\n",
     "if (a){\n\tx();\n}\n\n\nfor (;;){\n\ty();\n}\n\n\n"},
    {"lone brace joined after else and '='", "}else\n{\nx();\n}\nvar o =\n{\n}\n",
     "}else{\n\n\nx();\n}\n\n\nvar o={\n}\n\n\n"},
    // A kept doc comment: "*//" would close it.
    {"line comment in a block comment keeps its blank", "/**\n *   // do stuff\n *\t//x\n */\nf();\n",
     "/**\n* // do stuff\n* //x\n*/\nf();\n"},
    {"blank after '*' stays before any '/'", "a = b * /*c*/d * // e\n", "a=b * /*c*/d * // e\n"},
    {"doc comment lines beginning with '/' keep their blank",
     "/**\n * /assets/levels\n *\t/ 2\n * /* old\n */\nf();\n", "/**\n* /assets/levels\n* / 2\n* /*old\n*/\nf();\n"},
    {"lone brace joined to TypeScript heads", "class A extends B\n{\nf (a:number):number\n{\n}\n}\n",
     "class A extends B{\n\tf (a:number):number{\n\t}\n\n}\n\n\n"},
    // A line joined by a lone brace is written again with it, here one
    // whose LF inside a string doubles with CR LF ends.
    {"lone brace joined to a line with a continued string", "if (s == 'a\\\nb')\n{\nx();\n}\n",
     "if (s=='a\\\nb'){\n\tx();\n}\n\n\n"},
    {"brace after a joined brace stands alone", "if (a)\n{\n{\nx();\n}\n}\n", "if (a){\n\t{\n\t\tx();\n\t}\n\n}\n\n\n"},
    {"closing brace after a joined brace stays apart", "function f()\n{\n}\ng();\n", "function f(){\n}\n\n\ng();\n"},
    // The compressed line ends in a backslash inside a string, so it goes on
    // over its line end although the source line (ending in a blank) did not.
    {"string continued once its trailing blank is dropped", "s = 'a\\ \nb  c;\nd();\n", "s='a\\\nb c;\nd();\n"},
    {"ten levels deep", "a{\nb{\nc{\nd{\ne{\nf{\ng{\nh{\ni{\nj{\nk();\n}\n}\n}\n}\n}\n}\n}\n}\n}\n}\n",
     "a{\n\tb{\n\t\tc{\n\t\t\td{\n\t\t\t\te{\n\t\t\t\t\tf{\n\t\t\t\t\t\tg{\n\t\t\t\t\t\t\th{\n\t\t\t\t\t\t\t\ti{\n\t\t\t\t\t\t\t\t\tj{\n"
     "\t\t\t\t\t\t\t\t\t\tk();\n\t\t\t\t\t\t\t\t\t}\n\t\t\t\t\t\t\t\t}\n\t\t\t\t\t\t\t}\n\t\t\t\t\t\t}\n\t\t\t\t\t}\n\t\t\t\t}\n"
     "\t\t\t}\n\t\t}\n\t}\n\n}\n\n\n"},
};

TEST(FormatScript, Table) {
  for (const FormatCase& c : kFormatCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(formatScript(c.in), c.out);
  }
}

// The CR LF layout is the LF layout with every LF turned into CR LF, one
// inside a string continued over a line end included.
TEST(FormatScript, CrLfLineEnds) {
  auto withCrLf = [](const std::string& lf) {
    std::string out;
    for (char c : lf) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
  };
  for (const FormatCase& c : kFormatCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(formatScript(c.in, FormatLineEnd::CrLf), withCrLf(c.out));
  }
  const std::string continued = "s = 'a\\\nb';\n}\n";
  EXPECT_EQ(formatScript(continued, FormatLineEnd::CrLf), withCrLf(formatScript(continued)));
  EXPECT_NE(formatScript(continued).find("a\\\nb"), std::string::npos);
}

TEST(FormatScript, LineHelpers) {
  EXPECT_EQ(getLineBraceCount("a{b{'{'/*}*/}//}"), 1);
  EXPECT_EQ(getLineBraceCount("}else{"), 0);
  EXPECT_TRUE(endIsAnnotationText("x();//c"));
  EXPECT_FALSE(endIsAnnotationText("s='//';/*//*/x();"));
  EXPECT_TRUE(checkIfEnd("if(a)b();"));
  EXPECT_TRUE(checkIfEnd("if(a)return x"));
  EXPECT_FALSE(checkIfEnd("if(f(a;b))"));
  EXPECT_FALSE(checkIfEnd("if(a)//x;"));
  EXPECT_FALSE(checkIfEnd("if(a){x();"));
  EXPECT_EQ(_nChar_(3, '\t'), "\t\t\t");
  EXPECT_EQ(_nChar_(-1, '\t'), "");
  EXPECT_EQ(_formatOneLine_(" \t "), "");
}

// The compressed script computes what the input computed.
TEST(FormatScript, KeepsMeaning) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  const std::string script =
      "var a = 5, b = 3, i = 1, j = 2, s = 'a  b   c';\n"
      "var r = [a - -b, i + ++j, i++ + j, a - --b, a + -b, s.replace(/ +/g, '_'), / =/.test('x =')];\n"
      "console.log(JSON.stringify(r));\n";
  ruvotest::TempDir dir;
  ruvotest::writeFile(dir / "in.js", script);
  ruvotest::writeFile(dir / "out.js", formatScript(script));
  ruvotest::RunResult in = ruvotest::runNode(dir / "in.js");
  ruvotest::RunResult out = ruvotest::runNode(dir / "out.js");
  ASSERT_EQ(in.exitCode, 0) << in.err;
  ASSERT_EQ(out.exitCode, 0) << out.err;
  EXPECT_EQ(out.out, in.out);
  EXPECT_EQ(in.out, "[8,4,4,3,3,\"a_b_c\",true]\n");
}

}  // namespace
