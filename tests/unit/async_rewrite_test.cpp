// Functions with awaited calls ("await::f(x)") become continuations that the
// runtime re-enters at a source line. The generated text is checked where it
// is fixed, and run with node against a small stand-in of the runtime's
// `Ruvo.await`: it resumes the continuation later, and the value holder
// returned by an awaited call answers getValue().
#include <gtest/gtest.h>

#include <string>

#include "CompilerOptions.h"
#include "TokenFunction.h"
#include "globals.h"
#include "harness.h"
#include "parse.h"
#include "platform_guard.h"
#include "scriptfile.h"

namespace {

std::string compileToJs(const std::string& source) {
  resetCompilerState();
  __ISTOTS = false;
  __ISDEBUG__ = false;
  Parse* file = new Parse(nullptr, source.c_str(), "src/run.as", 0);
  std::string out;
  file->_childsToJs_(out, file, 0, 0, 0);
  return out;
}

// A package-level function `run(log)` of the unnamed package.
std::string runFunction(const std::string& body) {
  return "package {\npublic function run(log:Function, load:Function):void {\n" + body + "}\n}\n";
}

// Runs the generated script: run(log, load) is called once, then every
// resumption the runtime stand-in queued; the log lines are printed.
std::string runWithNode(const std::string& js) {
  ruvotest::TempDir dir;
  std::string script =
      "var queue=[];\n"
      "var Ruvo={await:function(self,fn,line){queue.push(function(){fn.call(self,line);});}};\n"
      "function Holder(v){this.v=v;}\nHolder.prototype.getValue=function(){return this.v;};\n"
      "var lines=[];\nfunction log(){lines.push(Array.prototype.join.call(arguments,' '));}\n"
      "function load(v){lines.push('load '+v);return new Holder(v*10);}\n" +
      js + "\nrun(log, load);\nwhile(queue.length) queue.shift()();\nconsole.log(lines.join('|'));\n";
  ruvotest::writeFile(dir / "run.js", script);
  ruvotest::RunResult r = ruvotest::runNode(dir / "run.js");
  EXPECT_EQ(r.exitCode, 0) << r.err << "\n" << js;
  std::string out = r.out;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

void expectRun(const std::string& js, const std::string& expected) {
  if (!ruvotest::haveNode()) GTEST_SKIP() << ruvotest::noNodeReason();
  EXPECT_EQ(runWithNode(js), expected);
}

TEST(AsyncRewrite, FunctionsWithoutAwaitedCallsStayAsTheyAre) {
  std::string js = compileToJs(runFunction("  log(1);\n  if (true) { log(2); }\n"));
  EXPECT_EQ(js.find("__line"), std::string::npos) << js;
  EXPECT_EQ(js.find("__$"), std::string::npos) << js;
}

TEST(AsyncRewrite, SwitchedOffByTheDirectiveOrTooShortABody) {
  std::string off =
      compileToJs("/*[COMPILER OPTIONS:DISABLE2SYNC]*/\n" + runFunction("  await::load(1);\n  log(2);\n"));
  EXPECT_EQ(off.find("Ruvo.await"), std::string::npos) << off;
  std::string shortBody = compileToJs(runFunction("  await::load\n"));
  EXPECT_EQ(shortBody.find("Ruvo.await"), std::string::npos) << shortBody;
}

TEST(AsyncRewrite, SingleAwaitedStatement) {
  // Lines (0-based): 1 the head, 2 the awaited call.
  std::string js = compileToJs(runFunction("  await::load(1);\n"));
  EXPECT_NE(js.find("var _$this=this,__$=function (__line){"), std::string::npos) << js;
  EXPECT_NE(js.find("\nif(__line<3){"), std::string::npos) << js;
  EXPECT_NE(js.find("\nRuvo.await(_$this,__$,3);return load(1);\n"), std::string::npos) << js;
  EXPECT_NE(js.find("\n__$.call(this,0);\n"), std::string::npos) << js;
  expectRun(js, "load 1");
}

// An awaited call that an included file brings is rewritten too, though the
// including file's own text names none.
TEST(AsyncRewrite, AwaitedCallOfAnIncludedFile) {
  ruvotest::TempDir dir;
  resetCompilerState();
  __ISTOTS = false;
  __ISDEBUG__ = false;
  const std::string steps = dir / "steps.as";
  ruvotest::writeFile(steps, "log('a');\nawait::load(1);\nlog('b');\n");
  ScriptFile::LoadFile(steps);
  const std::string source = runFunction("  include \"steps.as\";\n");
  const std::string path = dir / "run.as";
  Parse* file = new Parse(nullptr, source.c_str(), path.c_str(), 0);
  std::string js;
  file->_childsToJs_(js, file, 0, 0, 0);
  EXPECT_NE(js.find("var _$this=this,__$=function (__line){"), std::string::npos) << js;
  EXPECT_NE(js.find("return load(1);"), std::string::npos) << js;
}

TEST(AsyncRewrite, StatementsAfterTheAwaitedCallRunOnResumption) {
  std::string js = compileToJs(runFunction("  log('a');\n  await::load(1);\n  log('b');\n"));
  EXPECT_NE(js.find("\nif(__line<5){"), std::string::npos) << js;
  expectRun(js, "a|load 1|b");
}

TEST(AsyncRewrite, AwaitedAssignment) {
  std::string js =
      compileToJs(runFunction("  var x = await::load(2);\n"
                              "  log('x', x);\n"
                              "  x = await::load(x);\n"
                              "  log('x', x);\n"
                              "  var y:int = await::load(3);\n"
                              "  log('y', y + 1);\n"));
  EXPECT_NE(js.find("var _SyNrTn_,_$this=this,__$="), std::string::npos) << js;
  // The declared targets are declared once, at the top of the function.
  EXPECT_NE(js.find("{\nvar x,y=0;\nvar _SyNrTn_"), std::string::npos) << js;
  EXPECT_NE(js.find("Ruvo.await(_$this,__$,3),_SyNrTn_"), std::string::npos) << js;
  EXPECT_NE(js.find("=_SyNrTn_.getValue()"), std::string::npos) << js;
  expectRun(js, "load 2|x 20|load 20|x 200|load 3|y 31");
}

// An awaited value declared among other names: after names declared in
// front of it (on its line or the line before), or in front of names that
// follow it, which are declared and assigned once the value has come.
TEST(AsyncRewrite, AwaitedValueAmongOtherDeclaredNames) {
  std::string js =
      compileToJs(runFunction("  var a:int = 1, b:int = await::load(2);\n"
                              "  log('ab', a + b);\n"
                              "  var c:int = 3,\n"
                              "    d:int = await::load(4);\n"
                              "  log('cd', c + d);\n"
                              "  var e:int = await::load(5), f:String = 'f', g:int = e + 1;\n"
                              "  log('efg', e, f, g);\n"
                              "  const h:int = await::load(6), k:int = h * 2;\n"
                              "  log('hk', h, k);\n"));
  EXPECT_EQ(js.find("This variable is not defined"), std::string::npos) << js;
  expectRun(js, "load 2|ab 21|load 4|cd 43|load 5|efg 50 f 51|load 6|hk 60 120");
}

// A compound assignment of an awaited value applies its operator to the
// value once it has come (the lexer makes one token of "+=" and two of "%=").
TEST(AsyncRewrite, CompoundAssignmentOfAnAwaitedValue) {
  std::string js =
      compileToJs(runFunction("  var a:int = 100, b:int = 7, c:int = 5, d:int = 1, e:int = 12, s:String = 'x';\n"
                              "  a /= await::load(2);\n"
                              "  b %= await::load(0.4);\n"
                              "  c *= await::load(0.4);\n"
                              "  d <<= await::load(0.4);\n"
                              "  e ^= await::load(0.4);\n"
                              "  s += await::load(1);\n"
                              "  log(a, b, c, d, e, s);\n"));
  expectRun(js, "load 2|load 0.4|load 0.4|load 0.4|load 0.4|load 1|5 3 20 16 8 x10");
}

// return await::f() ends the function once the call has resumed it.
TEST(AsyncRewrite, ReturnOfAnAwaitedCall) {
  std::string js = compileToJs(runFunction("  for (var i:int = 0; i < 3; i++) {\n"
                                           "    log('i', i);\n"
                                           "    if (i == 1)\n"
                                           "      return await::load(i);\n"
                                           "  }\n"
                                           "  log('not reached');\n"));
  expectRun(js, "i 0|i 1|load 1");
}

// A body that ends on the line of its awaited call (a brace-less body, or
// braces on one line) still admits its resume line: the resumed function
// goes on with what follows the statement.
TEST(AsyncRewrite, BodiesThatEndOnTheAwaitedLine) {
  std::string js = compileToJs(runFunction("  var n:int = 0;\n"
                                           "  if (n == 0)\n"
                                           "    await::load('if');\n"
                                           "  log('after if');\n"
                                           "  while (n < 2)\n"
                                           "    n += await::load(0.1);\n"
                                           "  log('n', n);\n"
                                           "  if (n > 5) log('big'); else\n"
                                           "    await::load('else');\n"
                                           "  log('after else');\n"
                                           "  if (n == 2) { await::load('one'); }\n"
                                           "  log('after one');\n"
                                           "  do\n"
                                           "    await::load('do');\n"
                                           "  while (false);\n"
                                           "  for (var i:int = 0; i < 2; i++)\n"
                                           "    await::load(i);\n"
                                           "  for each (var s:String in ['x', 'y'])\n"
                                           "    await::load(s);\n"
                                           "  log('end', i, s);\n"));
  expectRun(js,
            "load if|after if|load 0.1|load 0.1|n 2|load else|after else|load one|after one|load do|"
            "load 0|load 1|load x|load y|end 2 y");
}

// A label stays right before its loop, so that continue and break name it.
TEST(AsyncRewrite, LabelledLoops) {
  std::string js = compileToJs(runFunction("  var sum:int = 0;\n"
                                           "  outer: for (var a:int = 0; a < 3; a++) {\n"
                                           "    for (var b:int = 0; b < 3; b++) {\n"
                                           "      if (b == 1) continue outer;\n"
                                           "      sum += await::load(a + 1);\n"
                                           "    }\n"
                                           "  }\n"
                                           "  var n:int = 0;\n"
                                           "  loop: while (true) {\n"
                                           "    await::load(n);\n"
                                           "    if (++n == 2) break loop;\n"
                                           "  }\n"
                                           "  log('sum', sum, n);\n"));
  expectRun(js, "load 1|load 2|load 3|load 0|load 1|sum 60 2");
}

TEST(AsyncRewrite, AssignedValueIsReadyForTheStatementOnTheNextLine) {
  struct Row {
    const char* label;
    const char* statement;
    const char* expected;
  };
  const Row rows[] = {
      {"loop", "  while (n > 0) {\n    n = n - 4;\n    log('n', n);\n  }\n", "load 1|n 6|n 2|n -2"},
      {"if without braces", "  if (n > 5) log('big', n);\n", "load 1|big 10"},
      {"if with else", "  if (n > 5) {\n    log('big', n);\n  } else {\n    log('small', n);\n  }\n", "load 1|big 10"},
      {"try", "  try {\n    log('try', n);\n  } catch (e:Error) {\n  }\n", "load 1|try 10"},
      {"block", "  {\n    log('block', n);\n  }\n", "load 1|block 10"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    std::string js = compileToJs(runFunction(std::string("  var n:int = 0;\n  n = await::load(1);\n") + row.statement));
    expectRun(js, row.expected);
  }
}

TEST(AsyncRewrite, ContinueInARewrittenLoopResetsTheResumeLine) {
  std::string js =
      compileToJs(runFunction("  var i:int = 0;\n"
                              "  while (i < 4) {\n"
                              "    i++;\n"
                              "    if (i == 2) continue;\n"
                              "    await::load(i);\n"
                              "    if (i == 3) {\n"
                              "      continue;\n"
                              "    }\n"
                              "    log('i', i);\n"
                              "  }\n"
                              "  log('end');\n"));
  EXPECT_NE(js.find("\n__line=0;\n"), std::string::npos) << js;
  expectRun(js, "load 1|i 1|load 3|load 4|i 4|end");
}

TEST(AsyncRewrite, ContinueDirectlyInTheLoopBody) {
  std::string js =
      compileToJs(runFunction("  var i:int = 0;\n"
                              "  do {\n"
                              "    i++;\n"
                              "    await::load(i);\n"
                              "    continue;\n"
                              "    log('never');\n"
                              "  } while (i < 2);\n"
                              "  log('end', i);\n"));
  size_t reset = js.find("\n__line=0;\n");
  ASSERT_NE(reset, std::string::npos) << js;
  EXPECT_NE(js.find("continue", reset), std::string::npos) << js;
  expectRun(js, "load 1|load 2|end 2");
}

// An if without else in a rewritten body: the Windows program starts its
// guard condition on a new line; both run alike.
TEST(AsyncRewrite, PlainIfConditionInBothPrograms) {
  const std::string source = runFunction("  var k:int = 2;\n"
                                         "  if (k > 1) {\n"
                                         "    await::load(k);\n"
                                         "    log('then');\n"
                                         "  }\n"
                                         "  log('end');\n");
  std::string console, windows;
  {
    ruvotest::PlatformGuard g(false);
    console = compileToJs(source);
  }
  {
    ruvotest::PlatformGuard g(true);
    windows = compileToJs(source);
  }
  EXPECT_NE(console.find("if (__line<4 && (k > 1) || __line>=4 && __line<7) {"), std::string::npos) << console;
  EXPECT_NE(windows.find("if (\n__line<4 && (k > 1) || __line>=4 && __line<7) {"), std::string::npos) << windows;
  EXPECT_EQ(ruvotest::replaceAll(windows, "if (\n__line<", "if (__line<"), console);
  expectRun(console, "load 2|then|end");
  expectRun(windows, "load 2|then|end");
}

TEST(AsyncRewrite, BranchesTryAndSwitch) {
  std::string js =
      compileToJs(runFunction("  var k:int = 2;\n"
                              "  if (k > 1) {\n"
                              "    await::load(k);\n"
                              "    log('then');\n"
                              "  } else {\n"
                              "    log('else');\n"
                              "  }\n"
                              "  try {\n"
                              "    await::load(3);\n"
                              "    log('try');\n"
                              "  } catch (e:Error) {\n"
                              "    log('catch');\n"
                              "  } finally {\n"
                              "    log('finally');\n"
                              "  }\n"
                              "  switch (k) {\n"
                              "    case 2:\n"
                              "      await::load(4);\n"
                              "      log('case');\n"
                              "      break;\n"
                              "    default:\n"
                              "      log('default');\n"
                              "  }\n"
                              "  log('end');\n"));
  // The finally block runs as well when the function is suspended inside the try.
  expectRun(js, "load 2|then|load 3|finally|try|finally|load 4|case|end");
}

// The function's own arguments are read before and after a resumption;
// a nested function keeps its own.
TEST(AsyncRewrite, ArgumentsOfTheFunctionAcrossResumption) {
  std::string js = compileToJs(runFunction("  var count:Function = function(...rest):int { return arguments.length; };\n"
                                           "  log('before', arguments.length);\n"
                                           "  await::load(1);\n"
                                           "  log('after', arguments.length, arguments[0] == log, count(1, 2, 3));\n"));
  expectRun(js, "before 2|load 1|after 2 true 3");
}

// Resumed inside a catch block, the function goes on in that block with the
// error it caught; the try block does not run again.
TEST(AsyncRewrite, ResumedInsideACatchBlock) {
  std::string js = compileToJs(runFunction("  var n:int = 0;\n"
                                           "  try {\n"
                                           "    n++;\n"
                                           "    if (n == 1) throw new Error('first');\n"
                                           "    log('try again');\n"
                                           "  } catch (e:Error) {\n"
                                           "    await::load(1);\n"
                                           "    log('caught', e.message, n);\n"
                                           "  }\n"
                                           "  try {\n"
                                           "    await::load(2);\n"
                                           "    n += 10;\n"
                                           "    throw new Error('second');\n"
                                           "  } catch (f:Error) {\n"
                                           "    await::load(3);\n"
                                           "    log('caught', f.message, n);\n"
                                           "  }\n"
                                           "  log('after', n);\n"));
  expectRun(js, "load 1|caught first 1|load 2|load 3|caught second 11|after 11");
}

// An awaited call inside an object literal is an ordinary call of the
// expression: the literal stays whole. A block after a case or default
// head is a statement block and waits.
TEST(AsyncRewrite, ObjectLiteralsAndClauseBlocks) {
  std::string js = compileToJs(runFunction("  var k:int = 1;\n"
                                           "  switch (k) {\n"
                                           "    case 1: {\n"
                                           "      await::load(1);\n"
                                           "      log('case');\n"
                                           "      break;\n"
                                           "    }\n"
                                           "    default: {\n"
                                           "      log('default');\n"
                                           "    }\n"
                                           "  }\n"
                                           "  var o:Object = {a: await::load(2), b: {c: 3}};\n"
                                           "  log('o', o.a.getValue(), o.b.c);\n"));
  expectRun(js, "load 1|case|load 2|o 20 3");
}

TEST(AsyncRewrite, NestedFunctionsSurviveResumption) {
  std::string js =
      compileToJs(runFunction("  function twice(v:int):int { return v * 2; }\n"
                              "  var show:Function = function(v:int):void { log('show', v); };\n"
                              "  await::load(1);\n"
                              "  show(twice(3));\n"));
  expectRun(js, "load 1|show 6");
}

}  // namespace
