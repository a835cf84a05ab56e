// Small statement tokens: [Embed(...)] tags, the raw-script words __JS__ and
// __INCLUDESTR__, Vector types, with, case/default, catch and in.
#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "Token.h"
#include "TokenClass.h"
#include "TokenOther.h"
#include "TokenPackage.h"
#include "parse.h"
#include "scriptfile.h"
#include "xfilemethod.h"

namespace {

using namespace TokenTypeCode;

TokenClass* packageClass(Parse* file) {
  return file && file->package ? file->package->workingClass : nullptr;
}

// Whether `text` holds `part` somewhere after its first byte.
bool holdsAfterFirst(const std::string& text, const char* part) {
  return text.size() > 1 && text.find(part, 1) != std::string::npos;
}

// The class expression of an embedded asset: a subclass of the emulation
// library's asset class named after the variable, loading the source.
std::string embedClass(const std::string& name, const char* base, const std::string& loadArgs) {
  std::string text;
  text += "(function (){\n";
  text += std::string("\tvar _super=") + base + ";\n";
  text += "\tfunction " + name + "(){\n";
  text += "\t\t_super.apply(this,arguments);\n";
  text += "\t\tthis.load(" + loadArgs + ");\n";
  text += "\t}\n";
  text += "\t" + name + ".prototype=_super.prototype;\n";
  text += "\treturn " + name + ";\n";
  text += "})()\n";
  return text;
}

}  // namespace

// [Embed(source="a.png")] / [Embed("a.png")] / [Embed(source="a.swf", symbol="S")]:
// the attributes are read; the source's extension decides the asset class
// (EmbedImage for .png, .gif and .jpg, EmbedSymbol for .swf), which the file
// imports.
int TokenEmbed::pretreatment(Parse* parseFile) {
  Parse* owner = parseFile ? parseFile : file.get();
  currentClass = packageClass(owner);
  Token* group = parent ? parent->getNextToken(this, 1) : nullptr;
  if (!group || group->type != Paren || group->childs.empty()) return 0;
  TokenList args;
  for (Token* child : group->childs)
    if (child) args.push_back(child);
  if (args.empty()) return 0;
  if (args.size() <= 2) {
    attributes["source"] = args[0]->text;
  } else {
    for (size_t i = 0; i + 2 < args.size(); i += 4) attributes[args[i]->text] = args[i + 2]->text;
  }
  source = attributes.get("source", "");
  TokenPackage* pkg = owner ? owner->package : nullptr;
  if (holdsAfterFirst(source, ".png") || holdsAfterFirst(source, ".gif") || holdsAfterFirst(source, ".jpg")) {
    kind = "image";
    if (pkg) pkg->importMap["EmbedImage"] = "zafrit.display.EmbedImage";
  } else if (holdsAfterFirst(source, ".swf")) {
    kind = "swf";
    if (pkg) pkg->importMap["EmbedSymbol"] = "zafrit.display.EmbedSymbol";
    if (attributes.get("symbol", "").empty()) attributes["symbol"] = "null";
  }
  return 0;
}

// [Embed(...)] writes nothing where it stands: the variable after it takes
// its value from getJsScript.
//   [Embed(source="a.png")] var Pic:Class;  ->  (the tag leaves no text)
int TokenEmbed::toJsScript(std::string&, Parse*, int, int) { return 0; }

// The value of the variable `name` that the tag stands in front of; empty for
// a source of no known kind.
std::string TokenEmbed::getJsScript(std::string name, std::string&, Parse* parseFile, int, int) {
  Parse* owner = parseFile ? parseFile : file.get();
  TokenPackage* pkg = owner ? owner->package : nullptr;
  if (kind == "image") {
    if (pkg) pkg->hasUseThisClass("zafrit.display.EmbedImage");
    return embedClass(name, "zafrit.display.EmbedImage", source);
  }
  if (kind == "swf") {
    if (pkg) pkg->hasUseThisClass("zafrit.display.EmbedSymbol");
    return embedClass(name, "zafrit.display.EmbedSymbol", source + "," + attributes.get("symbol", "null"));
  }
  return std::string();
}

// __JS__("code") / __INCLUDESTR__("file"): the keyword moves into its own
// field, the unquoted argument becomes the token's text and the argument
// group leaves the list.
int TokenUntyped::pretreatment(Parse* parseFile) {
  currentClass = packageClass(parseFile ? parseFile : file.get());
  if (!keyword.empty()) return 0;
  keyword = text;
  text.clear();
  Token* next = parent ? parent->getNextToken(this, 1) : nullptr;
  if (!next) return 0;
  Token* argument = next;
  if (next->type == Paren) {
    argument = nullptr;
    for (Token* child : next->childs)
      if (child) {
        argument = child;
        break;
      }
  }
  if (argument) {
    text = argument->text;
    if (!text.empty() && (text[0] == '"' || text[0] == '\''))
      text = text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string();
  }
  parent->clearNextToken(this, 1);
  return 0;
}

// __JS__("a.b = 1")          ->  a.b = 1          (raw script, as written)
// __INCLUDESTR__("t.txt")    ->  "line 1\nline 2"  (the file as one string)
// An unknown keyword leaves the comment /*UNNOW*/.
int TokenUntyped::toJsScript(std::string& out, Parse* parseFile, int, int) {
  Parse* owner = parseFile ? parseFile : file.get();
  if (keyword == "__JS__") {
    // Raw JavaScript, copied as written.
    if (!__ISRELEASE__) out += "/*__JS__ */";
    out += text;
  } else if (keyword == "__INCLUDESTR__") {
    // The named file's text as one string literal.
    if (owner && owner->scriptFile) owner->scriptFile->textFlag = 0;
    std::string content;
    bool read = false;
    if (owner) read = xfilemethod::readtxtfile(owner->directory + "/" + text, content);
    if (!read) read = xfilemethod::readtxtfile(text, content);
    if (read) {
      std::string literal = "\"";
      for (char c : content) {
        if (c == '\r') continue;
        if (c == '\n')
          literal += "\\n";
        else if (c == '"')
          literal += "\\\"";
        else if (c == '\\')
          literal += "\\\\";
        else
          literal += c;
      }
      out += literal + "\"";
    }
  } else {
    out += "/*UNNOW*/";
  }
  return 0;
}

// Vector.<T> needs nothing rewritten before output: the class it stands in
// is noted, as for every token.
int TokenVector::pretreatment(Parse* parseFile) {
  currentClass = packageClass(parseFile ? parseFile : file.get());
  return 0;
}

// Vector.<T> as a type prints nothing, or /*Vector.<T>*/ when types are kept.
// After `new` or `is` it is an array: "__newvec" for a length argument,
// "Array" otherwise; the fixed-length flag argument is dropped. Standing as
// a value of its own (var c:Class = Vector.<int>, f(Vector.<int>), x as
// Vector.<int>) it is the class Array too; Vector.<int>(list), the
// conversion, leaves the list in its brackets.
int TokenVector::toJsScript(std::string& out, Parse*, int, int typeCommentOff) {
  out += _ompilerOptions_.KeepVariableType(text.c_str(), typeCommentOff != 0);
  Token* before = parent ? parent->getNextToken(this, -1) : nullptr;
  Token* next = parent ? parent->getNextToken(this, 1) : nullptr;
  int filled = 0;
  if (next && next->type == Paren)
    for (Token* child : next->childs)
      if (child) ++filled;
  if (before && (before->type == Is || before->type == New))
    out += filled == 1 ? "__newvec" : "Array";
  else if (type == VectorType && !(next && next->type == Paren))
    out += "Array";
  if (next && next->type == Paren && filled >= 3) {
    for (size_t i = next->childs.size(); i-- > 0;) {
      Token* child = next->childs[i];
      if (child && child->type == Comma) {
        next->childs.resize(i);
        break;
      }
    }
  }
  return 0;
}

// with (object) { ... }: the block becomes a child of the with token too, so
// that names inside it see the with scope; a with without a block is an
// error at output.
int TokenWith::pretreatment(Parse* parseFile) {
  Parse* owner = parseFile ? parseFile : file.get();
  currentClass = packageClass(owner);
  Token* object = parent ? parent->getNextToken(this, 1) : nullptr;
  Token* block = parent ? parent->getNextToken(this, 2) : nullptr;
  if (!block || block->type != Block) {
    setPendingError("err with must{}");
    return 0;
  }
  if (object) object->pretreatment(owner);
  push(block);
  childsPretreatment(owner, childs);
  return 2;
}

// with (o) { x = 1; }  ->  with (o) { x = 1; }: the keyword as written; the
// object and the block print as the parent's next children.
int TokenWith::toJsScript(std::string& out, Parse* parseFile, int, int) {
  Parse* owner = parseFile ? parseFile : file.get();
  if (!pendingError().empty()) scriptErr(out, owner, pendingError().c_str(), 1);
  if (__ISRELEASE__)
    for (Token* child : childs)
      if (child) child->addTypeDeclarationClassUse();
  out += "with";
  return 0;
}

TokenCase::TokenCase(int type, const char* text, int pos, int line, Token* parent)
    : Token(type, text, pos, line, parent) {
  leadingText = "\n";
}

// case v: and default: print as written, each on a new line.
// `default xml namespace = ns;` (E4X) has no JavaScript form: a source
// error, and the statement is left out.
int TokenCase::toJsScript(std::string& out, Parse* parseFile, int, int) {
  Token* first = type == Default && parent ? parent->getNextToken(this, 1) : nullptr;
  Token* second = first ? parent->getNextToken(this, 2) : nullptr;
  if (first && second && first->type == Word && first->text == "xml" && second->type == Word &&
      second->text == "namespace") {
    std::string unused;
    scriptErr(unused, parseFile ? parseFile : file.get(), "default xml namespace is not translated", 0);
    // The statement runs to its ';' or to the end of its line.
    int consumed = 2;
    for (int k = 3; index + k < static_cast<int>(parent->childs.size()); ++k) {
      Token* t = parent->getNextToken(this, k);
      if (!t) continue;
      if (t->leadingText.find('\n') != std::string::npos) break;
      consumed = k;
      if (t->type == Semicolon) break;
    }
    return consumed;
  }
  out += type == Default ? "default " : "case ";
  return 0;
}

// catch (e:Error) { ... }: the exception name becomes a local of the
// enclosing function, spelled as a JavaScript local, and a literal that is
// never resolved as a member: catch(e){ ... }.
int TokenCatch::pretreatment(Parse* parseFile) {
  currentClass = packageClass(parseFile ? parseFile : file.get());
  Token* group = parent ? parent->getNextToken(this, 1) : nullptr;
  if (!group || group->type != Paren) return 0;
  Token* name = nullptr;
  for (Token* child : group->childs)
    if (child) {
      name = child;
      break;
    }
  if (!name) return 0;
  name->type = Literal;
  TokenVarMap* locals = getVarMap();
  if (locals) (*locals)[name->text] = name;
  name->text = jsLocalName(name->text);
  return 0;
}

namespace {

// The exception variable of a catch group: its first child.
Token* catchVariable(Token* group) {
  for (Token* child : group->childs)
    if (child) return child;
  return nullptr;
}

// A catch clause that takes every exception: untyped, `*` or Object.
bool catchesEverything(Token* variable) {
  const Token* type = variable ? variable->typeToken() : nullptr;
  return !type || type->text.empty() || type->text == "*" || type->text == "Object";
}

}  // namespace

// catch. JavaScript allows one catch clause, so typed clauses in a row (or
// one clause of a narrower type than Error)
//   catch (e:IOError) {A} catch (f:Error) {B}
// become one clause that tests the types in order and throws on what none
// of them takes:
//   catch(e){if(<e is IOError>){A}else if(<e is Error>){var f=e;B}else throw e;}
int TokenCatch::toJsScript(std::string& out, Parse* parseFile, int mode, int typeCommentOff) {
  Parse* owner = parseFile ? parseFile : file.get();
  struct Clause {
    Token* group;
    Token* block;
  };
  std::vector<Clause> clauses;
  for (int at = 0; parent; at += 3) {
    Token* keyword = at == 0 ? this : parent->getNextToken(this, at);
    Token* group = parent->getNextToken(this, at + 1);
    Token* block = parent->getNextToken(this, at + 2);
    if (!keyword || keyword->type != Catch || !group || group->type != Paren || !block || block->type != Block ||
        !catchVariable(group))
      break;
    clauses.push_back({group, block});
  }
  // One clause passes on as it stands when it takes every exception; one
  // typed Error takes all the script's errors too (a thrown value that is
  // no Error is the rare case it would let through in Flash). A narrower
  // type (catch (e:RangeError)) tests it and throws what it does not take.
  if (clauses.empty() || (clauses.size() == 1 && (catchesEverything(catchVariable(clauses[0].group)) ||
                                                  catchVariable(clauses[0].group)->typeToken()->text == "Error"))) {
    out += "catch";
    return 0;
  }

  const std::string caught = catchVariable(clauses[0].group)->text;
  out += "catch(" + caught + "){";
  bool everything = false;
  for (size_t i = 0; i < clauses.size() && !everything; ++i) {
    Token* variable = catchVariable(clauses[i].group);
    clauses[i].group->addTypeDeclarationClassUse();
    clauses[i].block->addTypeDeclarationClassUse();
    if (i > 0) out += "else ";
    everything = catchesEverything(variable);
    if (!everything) {
      // The type test of `is`, on the caught value.
      auto* value = new Token(Literal, caught.c_str(), 0, line, nullptr);
      auto* operand = new Token(Word, "", 0, line, nullptr);
      operand->childs.push_back(value);
      auto* test = new TokenIs(Is, "is", 0, line, parent);
      test->file = owner;
      test->currentClass = currentClass;
      test->left = operand;
      test->right = variable->typeToken();
      out += "if(";
      test->toJsScript(out, owner, JsMode::Plain, typeCommentOff);
      out += ")";
    }
    std::string body;
    clauses[i].block->toJsScript(body, owner, mode, typeCommentOff);
    size_t open = body.find('{');
    if (variable->text != caught && open != std::string::npos)
      body.insert(open + 1, "var " + variable->text + "=" + caught + ";");
    out += body;
  }
  if (!everything) out += "else throw " + caught + ";";
  out += "}";
  return static_cast<int>(clauses.size()) * 3 - 1;
}

// `in` keeps its code only in a for head, where the loop output looks for
// it: for (k in o) holds an In token, "a" in o a word.
int TokenIn::pretreatment(Parse* parseFile) {
  currentClass = packageClass(parseFile ? parseFile : file.get());
  bool forHead = false;
  if (parent && parent->type == Paren && parent->parent) {
    Token* before = parent->parent->getNextToken(parent, -1);
    forHead = before && before->type == For;
  }
  type = forHead ? In : Word;
  return 0;
}

// for (k in o) / "a" in o  ->  k in o / "a" in o: the operator between
// blanks.
int TokenIn::toJsScript(std::string& out, Parse*, int, int) {
  out += " in ";
  return 0;
}
