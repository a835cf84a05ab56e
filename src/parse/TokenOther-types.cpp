// The type operators: `a is T` becomes a typeof test, an instanceof test or
// the runtime's type test; `a as T` becomes its operand alone (a debug cast
// check under the debug switch, a TypeScript `as` in TypeScript output).
#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "Token.h"
#include "TokenClass.h"
#include "TokenOther.h"
#include "TokenPackage.h"
#include "TsOutput.h"
#include "WritingGuard.h"
#include "parse.h"
#include "xstringmethod.h"

namespace {

using namespace TokenTypeCode;

TokenClass* packageClass(Parse* file) {
  return file && file->package ? file->package->workingClass : nullptr;
}

// The built-in classes tested with instanceof, each enclosed in line feeds.
const char* const kInstanceofNames =
    "\nArray\nDate\nDictionary\nArrayBuffer\nDataView\nFloat32Array\nFloat64Array\nUint8Array\nUint16Array\n"
    "Uint32Array\nInt8Array\nInt16Array\nInt32Array\n";

// A type name as the TypeScript `as` expression writes it, from the type
// token and its text as an expression. A class that no registry knows is an
// expression "/*no*/this.Name", which is no type: it keeps its name as
// written ("x as Name").
std::string tsCastType(Token* type, std::string printed) {
  if (startsWith(printed, "/*no*/this.")) printed = type->text.str();
  printed = typeToTsType(printed);
  if (!printed.empty() && printed[0] == '\'') printed = printed.size() >= 2 ? printed.substr(1, printed.size() - 2) : "";
  return printed;
}

// `a is B is C ...` holds each test as the left operand of the next one, so
// a long chain of tests is written as deeply nested calls; past this depth
// the rest of the chain is reported instead of written.
constexpr size_t kMaxNestedTests = 256;

// Whether the debug cast can be handed the printed type as a value: Class
// is no name in the output, and int and uint are names only the emulation
// library defines. A cast to one of them keeps its operand unchecked.
bool debugCastHasTypeValue(const std::string& type) {
  if (type == "Class") return false;
  if (type == "int" || type == "uint") return _ompilerOptions_.zafritLib;
  return !type.empty();
}

}  // namespace

// a is T: the left operand is everything back to the previous operator,
// separator, "=" or "return", gathered into a bracket group; T is the one
// token after "is" (a type taken from an array or a call is gathered too).
//   trace(f(x) is String)  ->  left (f(x)), right String
int TokenIs::pretreatment(Parse* parseFile) {
  Parse* owner = parseFile ? parseFile : file.get();
  currentClass = packageClass(owner);
  if (mark || !parent) return 0;
  mark = 1;

  // In a chain `a is B is C` the test before this one has gathered its
  // operand already and only emptied places stand before it: when it is the
  // nearest token, it is the whole operand, and the emptied places are not
  // walked again (a long chain would take the square of its length).
  int from = -1;
  for (int i = index - 1; i >= 0 && i < static_cast<int>(parent->childs.size()); --i) {
    Token* before = parent->childs[i];
    if (!before) continue;
    auto* test = before->type == Is ? dynamic_cast<TokenIs*>(before) : nullptr;
    if (test && test->mark) from = i;
    break;
  }
  if (from < 0) {
    from = parent->getPreLineInChilds(index);
    // The operand does not reach back over a case or default label, a ':' or
    // '?' of a ternary, a statement keyword, a loop, a declaration (which
    // holds its own ';'), or a block or function that ended the statement
    // before (case v is String:, c ? x is T : y, var a = 1; x is T ? ...,
    // if (c) {...} x is T && f()).
    for (int i = index - 1; i >= from && i < static_cast<int>(parent->childs.size()); --i) {
      Token* t = parent->childs[i];
      if (t && (t->type == Case || t->type == Default || t->type == Colon || t->type == Question ||
                t->type == StatementWord || t->type == For || t->type == While || t->type == Var ||
                t->type == Const || ((t->type == Block || t->type == Function) && i < index - 1))) {
        from = i + 1;
        break;
      }
    }
    // Nor does it take the condition of if, for or while that it follows as
    // their brace-less body (if (c) x is T && f()).
    // A statement without its ';' ends with its line, unless the line ends in
    // an operator or the next one goes on with one: the operand starts after
    // such a line end (var a = 1 <line end> a is int && f()).
    Token* later = nullptr;
    int laterAt = -1;
    for (int i = index - 1; i >= 0 && i >= from - 1; --i) {
      Token* t = parent->childs[i];
      if (!t) continue;
      if (later && later->leadingText.find('\n') != std::string::npos && !continuesExpression(t, later)) {
        from = laterAt;
        startsStatement = t->type != Semicolon;
        break;
      }
      later = t;
      laterAt = i;
    }
    Token* first = from < index ? parent->childs[from] : nullptr;
    Token* keyword = first && first->type == Paren ? siblingOf(first, -1) : nullptr;
    if (keyword && (keyword->type == For || keyword->type == While ||
                    (keyword->type == StatementWord && keyword->text == "if")))
      ++from;
  }
  TokenParent* group = new TokenParent(Paren, "", 0, line, parent);
  for (int i = from; i >= 0 && i < index && i < static_cast<int>(parent->childs.size()); ++i) {
    Token* operand = parent->childs[i];
    if (!operand) continue;
    group->push(operand);
    parent->childs[i] = nullptr;
  }
  group->index = index - 1;
  group->parent = parent;
  group->file = file;
  int filled = 0;
  for (Token* child : group->childs)
    if (child) ++filled;
  if (filled < 2) group->type = 0;
  left = group;

  Token* next = parent->getNextToken(this, 1);
  if (!next) return 0;
  next->pretreatment(owner);
  // The type is the whole operand after "is": a type taken from an array, a
  // call or a member of either (types[0], pick().cls) is gathered into a
  // group that is tested as a value.
  TokenList parts{next};
  for (int offset = 2;; ++offset) {
    Token* more = parent->getNextToken(this, offset);
    const bool member = more && more->type == 0 && !more->text.empty() && more->text[0] == '.';
    if (!more || (more->type != Bracket && more->type != Paren && !member)) break;
    more->pretreatment(owner);
    parts.push_back(more);
  }
  if (parts.size() == 1) {
    right = next;
    parent->clearNextToken(this, 1);
    return 0;
  }
  TokenParent* type = new TokenParent(Paren, "", 0, line, parent);
  type->file = file;
  // Each part leaves the list where it stands now (a part's pretreatment
  // may have moved its neighbours), the last one first.
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
    Token* part = *it;
    if (part->parent == parent && part->index >= 0 && part->index < static_cast<int>(parent->childs.size()) &&
        parent->childs[part->index] == part)
      parent->clearNextToken(part, 0);
  }
  for (Token* part : parts) type->push(part);
  right = type;
  return 0;
}

// a is String  ->  (typeof a=='string')        a is Sprite  ->  (a instanceof Sprite )
// a is IFoo    ->  Ruvo.__typeof(a,'IFoo')     a is types[0] ->  Ruvo.__typeof(a,(types[0]))
// An interface is tested by name, a class with instanceof, anything else by
// the runtime's type test.
int TokenIs::toJsScript(std::string& out, Parse* parseFile, int, int typeCommentOff) {
  Parse* owner = parseFile ? parseFile : file.get();
  // Malformed sources can make an operator its own operand's operand
  // (`a is is b`, `x as as y`): it prints nothing the second time.
  WritingGuard guard(this, WritingGuard::Scope::TypeTests);
  if (guard.again()) return 0;
  if (guard.depth() > kMaxNestedTests) {
    std::string unused;
    scriptErr(unused, owner, "Type tests nested too deeply", 1);
    return 0;
  }
  std::string operand;
  if (left && left->type == Paren)
    left->toJsScript(operand, owner, JsMode::Plain, typeCommentOff);
  else if (left)
    left->_childsToJs_(operand, owner, JsMode::Plain, typeCommentOff, 0);  // a single operand needs no brackets
  // The operand stands inside the test: its source layout is not kept.
  operand.erase(0, operand.find_first_not_of(" \t\r\n"));
  if (startsStatement) out += ";";
  if (!right) {
    out += operand;
    return 0;
  }

  if (right->type == Paren) {
    std::string typeText;
    right->toJsScript(typeText, owner, JsMode::Plain, typeCommentOff);
    out += "Ruvo.__typeof(" + operand + "," + typeText + ")";
    return 0;
  }
  std::string written = right->text;
  if (toJs(out, operand, written, owner)) return 0;

  // Resolve the type name as the output spells it ("T." keeps it from being
  // read as a cast call), then drop the comments and brackets around it.
  std::string resolved;
  right->text += ".";
  right->toJsScript(resolved, owner, JsMode::Plain, kBareGroup);
  right->text.pop_back();
  if (!resolved.empty() && resolved.back() == '.') resolved.pop_back();
  if (resolved.size() >= 2 && resolved.front() == '(' && resolved.back() == ')')
    resolved = resolved.substr(1, resolved.size() - 2);
  size_t slash = resolved.rfind('/');
  if (slash != std::string::npos && slash > 0) resolved = resolved.substr(slash + 1);
  if (toJs(out, operand, resolved, owner)) return 0;

  if (TokenClass::HasClassAndMiniName(resolved.c_str()))
    resolved = TokenClass::_classAndMiniNameMap_().get(resolved, resolved);
  TokenClass* cls = TokenClass::GetTokenClass(resolved);
  if (TokenClass::_interfacesMap_().has(resolved) || (cls && cls->type == Interface))
    out += "Ruvo.__typeof(" + operand + ",'" + resolved + "')";
  else if (cls)
    out += "(" + operand + " instanceof " + resolved + " )";
  else
    out += "Ruvo.__typeof(" + operand + "," + resolved + ")";
  return 0;
}

// The test of `a` against a built-in type, or false (nothing written) for
// any other type name.
bool TokenIs::toJs(std::string& out, std::string& a, std::string& type, Parse* file) {
  if (type == "String") {
    out += "(typeof " + a + "=='string')";
  } else if (type == "int" || type == "uint") {
    out += "((typeof " + a + "=='number') && Math.floor(" + a + ")==" + a + ")";
  } else if (type == "Number") {
    out += "(typeof " + a + "=='number')";
  } else if (type == "Boolean") {
    out += "(typeof " + a + "=='boolean')";
  } else if (type == "Class") {
    out += "Ruvo.__isClass(" + a + ")";
  } else if (type == "Function") {
    out += "(typeof " + a + "=='function')";
  } else if (type == "Object") {
    // Every value but null and undefined is an Object: strings, numbers,
    // booleans and functions too.
    out += "(" + a + "!=null)";
  } else if (type == "undefined") {
    out += "(typeof " + a + "=='undefined')";
  } else if (type == "XML") {
    out += "(" + a + " instanceof XML)";
    if (file && file->package) file->package->hasUseThisClass("zafrit.xml.XMLElement");
  } else if (type == "XMLList") {
    out += "(" + a + " instanceof XMLList)";
    if (file && file->package) file->package->hasUseThisClass("zafrit.xml.XMLElementList");
  } else if (!type.empty() && std::string(kInstanceofNames).find("\n" + type + "\n") != std::string::npos) {
    out += "(" + a + " instanceof " + type + ")";
  } else {
    return false;
  }
  return true;
}

// a as T: the operands leave the list; `(a) as T` keeps its group in place
// and only the type name is dropped at output (TypeScript output keeps it
// for its own `as`). `a as as T` drops the second "as" and its type.
int TokenAs::pretreatment(Parse* parseFile) {
  Parse* owner = parseFile ? parseFile : file.get();
  currentClass = packageClass(owner);
  if (!parent || left || right || groupForm) return 0;
  Token* before = parent->getNextToken(this, -1);
  if (!before) return 0;
  if (before->type == As) {
    parent->clearNextToken(this, 1);
    parent->clearNextToken(this, 0);
    return 0;
  }
  if (before->type == Paren) {
    groupForm = 1;
    if (__ISTOTS) {
      right = parent->getNextToken(this, 1);
      if (right) {
        parent->clearNextToken(this, 1);
        right->pretreatment(owner);
      }
    }
    return 0;
  }
  left = before;
  parent->childs[index - 1] = nullptr;
  // new cls as IFoo casts the new object: in debug output the check must
  // wrap "new cls", or the `new` would construct the check itself.
  Token* keyword = parent->getNextToken(this, -2);
  if (__ISDEBUG__ && before->type == Word && keyword && keyword->type == New) {
    newKeyword = keyword;
    parent->childs[index - 2] = nullptr;
  }
  right = parent->getNextToken(this, 1);
  if (right) {
    parent->clearNextToken(this, 1);
    right->pretreatment(owner);
  }
  return 0;
}

// (a as Sprite).x  ->  (a).x; in debug output __DEBUGAS__(a,Sprite) checks
// the cast, and TypeScript output writes (a as Sprite).x.
int TokenAs::toJsScript(std::string& out, Parse* parseFile, int mode, int typeCommentOff) {
  Parse* owner = parseFile ? parseFile : file.get();
  // Malformed sources can make an operator its own operand's operand
  // (`a is is b`, `x as as y`): it prints nothing the second time.
  WritingGuard guard(this, WritingGuard::Scope::TypeTests);
  if (guard.again()) return 0;
  if (guard.depth() > kMaxNestedTests) {
    std::string unused;
    scriptErr(unused, owner, "Type tests nested too deeply", 1);
    return 0;
  }
  if (groupForm) {
    if (__ISTOTS && right) {
      std::string printed;
      right->toJsScript(printed, owner, mode, typeCommentOff);
      printed = tsCastType(right, printed);
      if (!printed.empty()) out += " as " + printed + " ";
    }
    return 1;
  }
  if (!left) return 0;

  std::string operand;
  left->toJsScript(operand, owner, mode, typeCommentOff);
  std::string keyword;
  if (newKeyword) {
    // Out of the list, the `new` sees no operand after it and prints only itself.
    out += newKeyword->leadingText;
    newKeyword->toJsScript(keyword, owner, mode, typeCommentOff);
  }
  if (__ISDEBUG__ && left->type == Word && right) {
    std::string printed;
    right->toJsScript(printed, owner, mode, typeCommentOff);
    if (debugCastHasTypeValue(printed)) {
      out += left->leadingText + "__DEBUGAS__(" + keyword + operand + "," + printed + ")";
      return 1;
    }
  }
  out += keyword + left->leadingText + operand;
  if (__ISRELEASE__ && __ISTOTS && right) {
    std::string printed;
    right->toJsScript(printed, owner, mode, typeCommentOff);
    printed = tsCastType(right, printed);
    if (!printed.empty()) out += " as " + printed + " ";
  }
  return 1;
}
