// Lexing throughput: generates a large ActionScript project text in memory
// and reports MB/s for the lexer alone and for the file root's text
// preparation followed by the lexer.
//
//   build/bench/lexer_bench [megabytes [passes]]     (default 20 MB, 5 passes)
//
// Build with -DCMAKE_BUILD_TYPE=Release for meaningful figures.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Token.h"
#include "globals.h"
#include "message.h"
#include "parse.h"

namespace {

// One class of a made-up game, numbered so that no two are alike.
std::string makeClass(int n) {
  const std::string id = std::to_string(n);
  std::string s;
  s += "package game.level" + std::to_string(n % 17) + "\n{\n";
  s += "\timport zafrit.display.Sprite;\n\timport zafrit.events.Event;\n";
  s += "\t/**\n\t * Actor number " + id + " of the benchmark project.\n\t */\n";
  s += "\tpublic class Actor" + id + " extends Sprite implements IActor\n\t{\n";
  s += "\t\t[Embed(source=\"assets/actor" + id + ".png\")]\n";
  s += "\t\tprivate static const SKIN:Class;\n";
  s += "\t\tpublic static const SPEED:Number = 3.5;\n";
  s += "\t\tprivate var _hp:int = 100;\n";
  s += "\t\tprotected var _items:Vector.<String> = new Vector.<String>();\n";
  s += "\t\tprivate var _path:Array = [1, 2, 3, 0x1F, 4.25];\n\n";
  s += "\t\tpublic function Actor" + id + "(name:String = null, ...rest)\n\t\t{\n";
  s += "\t\t\tsuper();\n\t\t\tthis.name = name || \"actor" + id + "\";\n";
  s += "\t\t\taddEventListener(Event.ENTER_FRAME, onFrame);\n\t\t}\n\n";
  s += "\t\tprivate function onFrame(e:Event):void\n\t\t{\n";
  s += "\t\t\tfor (var i:int = 0; i < _items.length; i++) {\n";
  s += "\t\t\t\tif (_items[i] === null || _items[i].length == 0) continue;\n";
  s += "\t\t\t\t_hp -= (i * 2 + 1) / SPEED; // damage\n\t\t\t}\n";
  s += "\t\t\tfor each (var item:String in _items) trace('item', item);\n";
  s += "\t\t\tvar re:RegExp = /actor[0-9]+/gi;\n";
  s += "\t\t\tswitch (_hp) {\n\t\t\t\tcase 0: die(); break;\n\t\t\t\tdefault: x += Math.cos(rotation) * "
       "SPEED;\n\t\t\t}\n";
  s += "\t\t\t_cache ||= {};\n";
  s += "\t\t}\n\n";
  s += "\t\tpublic function get hp():int { return _hp; }\n";
  s += "\t\tpublic function set hp(value:int):void { _hp = value < 0 ? 0 : value; }\n";
  s += "\t}\n}\n";
  return s;
}

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 20.0;
  const size_t target = static_cast<size_t>(megabytes * 1024 * 1024);
  std::string project;
  for (int n = 0; project.size() < target; ++n) project += makeClass(n);

  resetCompilerState();
  const double mb = static_cast<double>(project.size()) / (1024.0 * 1024.0);

  // Each measure runs several passes over the same text, freeing the tree
  // after each: the first pass also pays for fresh memory pages (costly on
  // virtual machines that back memory lazily), the later ones show the
  // lexer's own speed.
  const int passes = argc > 2 ? std::max(2, std::atoi(argv[2])) : 5;
  auto measure = [&](const char* name, bool prepare) {
    double first = 0;
    double best = 1e30;
    long long tokens = 0;
    int lines = 0;
    for (int i = 0; i < passes; ++i) {
      auto start = std::chrono::steady_clock::now();
      // The file root works on its own copy of the text; the lexer reads it as it is.
      std::string copy;
      if (prepare) {
        copy = project;
        Parse::prepareText(copy);
      }
      const std::string& text = prepare ? copy : project;
      Token* root = new Token(0, nullptr, 0, 0, nullptr);
      int pos = 0;
      int line = 0;
      // The length counts the terminator: the lexer reads the text in place.
      root->parse(text.c_str(), static_cast<int>(text.size()) + 1, pos, line, nullptr);
      const double t = seconds(std::chrono::steady_clock::now() - start);
      if (i == 0) {
        first = t;
        lines = line + 1;
        std::vector<Token*> stack{root};
        while (!stack.empty()) {
          Token* x = stack.back();
          stack.pop_back();
          ++tokens;
          for (Token* c : x->childs) stack.push_back(c);
        }
      } else if (t < best) {
        best = t;
      }
      deleteTokenTree(root);
      resetLexerState();
    }
    std::fprintf(stderr, "%-18s %7.2f MB, %lld tokens, %d lines: first pass %7.1f MB/s, best of %d %7.1f MB/s\n", name,
                 mb, tokens, lines, mb / first, passes - 1, mb / best);
  };
  measure("lexer:", false);
  measure("file root + lexer:", true);
  resetCompilerState();
  return 0;
}
