// Loops and jumps: for and for each, break and continue with their labels.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "CompilerOptions.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenOther.h"
#include "TokenPackage.h"
#include "parse.h"
#include "xstringmethod.h"

// Whether the expression goes on from `last` to `next` across a line end:
// after an operator, a ',' or a '?' / ':', or before one of these or a group.
bool continuesExpression(Token* last, Token* next) {
  auto joins = [](Token* t) {
    return t->type == TokenTypeCode::Operator || t->type == TokenTypeCode::Assign ||
           t->type == TokenTypeCode::Comma || t->type == TokenTypeCode::Question || t->type == TokenTypeCode::Colon ||
           t->type == TokenTypeCode::Is || t->type == TokenTypeCode::As || t->type == TokenTypeCode::In;
  };
  const bool increment = next->type == TokenTypeCode::Operator && (next->text == "++" || next->text == "--");
  return joins(last) || (!increment && (joins(next) || next->type == TokenTypeCode::Paren ||
                                        next->type == TokenTypeCode::Bracket));
}

namespace {

Token* firstChild(Token* t) {
  for (Token* c : t->childs) {
    if (c) return c;
  }
  return nullptr;
}

const char* const kFindInErr = "\"for each\" err,find in err";

// break label / continue label: the label prints as written. A word on the
// next line is no label (the line end ends the jump).
int jumpPretreatment(Token* jump, Parse* file) {
  if (file && file->package) jump->currentClass = file->package->workingClass;
  Token* label = siblingOf(jump, 1);
  if (!label || label->type != TokenTypeCode::Word || label->leadingText.find('\n') != std::string::npos) return 0;
  Token* after = siblingOf(jump, 2);
  if (after && after->type != TokenTypeCode::Semicolon) return 0;
  label->type = TokenTypeCode::Literal;
  return 1;
}

// A name or a dotted path (list, this.items): reading it again is the same.
bool isPlainPath(const std::string& text) {
  if (text.empty()) return false;
  for (unsigned char c : text)
    if (!(std::isalnum(c) || c == '_' || c == '$' || c == '.' || c >= 0x80)) return false;
  return true;
}

// Whether a statement stands as the brace-less body of if (...), else,
// for (...), while (...) or do.
bool isBracelessBody(Token* statement) {
  Token* before = statement->nextSibling(-1);
  if (!before) return false;
  if (before->type == TokenTypeCode::StatementWord) return before->text == "else" || before->text == "do";
  if (before->type != TokenTypeCode::Paren) return false;
  Token* keyword = before->nextSibling(-1);
  return keyword && ((keyword->type == TokenTypeCode::StatementWord && keyword->text == "if") ||
                     keyword->type == TokenTypeCode::While || keyword->type == TokenTypeCode::For);
}


// Where the statement that starts at `from` among the children of `parent`
// ends (the position after it), for a brace-less loop body: a block, an
// expression statement up to and including its ';' (or the end of the
// block), if (...) with its statement and an else, for (...) and
// while (...) with theirs, switch (...) {...}, a declaration. npos for
// anything else (try, a class), which is not read as such a body.
size_t statementEnd(Token* parent, size_t from, int depth = 0) {
  const size_t npos = std::string::npos;
  auto skipNull = [&](size_t i) {
    while (i < parent->childs.size() && !parent->childs[i]) ++i;
    return i;
  };
  size_t at = skipNull(from);
  if (at >= parent->childs.size() || depth > 64) return npos;
  Token* c = parent->childs[at];
  auto groupThenStatement = [&](size_t afterKeyword) {
    size_t g = skipNull(afterKeyword);
    if (g >= parent->childs.size() || parent->childs[g]->type != TokenTypeCode::Paren) return npos;
    return statementEnd(parent, g + 1, depth + 1);
  };
  if (c->type == TokenTypeCode::Block) return at + 1;
  if (c->text == "switch") {
    size_t g = skipNull(at + 1), b = g < parent->childs.size() ? skipNull(g + 1) : g;
    if (b >= parent->childs.size() || parent->childs[g]->type != TokenTypeCode::Paren ||
        parent->childs[b]->type != TokenTypeCode::Block)
      return npos;
    return b + 1;
  }
  if (c->type == TokenTypeCode::While || c->type == TokenTypeCode::For) return groupThenStatement(at + 1);
  if (c->type == TokenTypeCode::StatementWord && c->text == "if") {
    size_t end = groupThenStatement(at + 1);
    if (end == npos) return npos;
    size_t e = skipNull(end);
    if (e < parent->childs.size() && parent->childs[e]->type == TokenTypeCode::StatementWord &&
        parent->childs[e]->text == "else")
      return statementEnd(parent, e + 1, depth + 1);
    return end;
  }
  if (c->type == TokenTypeCode::Var || c->type == TokenTypeCode::Const) {
    // The declaration holds its names and values; a ';' may follow it.
    size_t e = skipNull(at + 1);
    return e < parent->childs.size() && parent->childs[e]->type == TokenTypeCode::Semicolon ? e + 1 : at + 1;
  }
  Token* last = nullptr;
  for (size_t i = at; i < parent->childs.size(); ++i) {
    Token* t = parent->childs[i];
    if (!t) continue;
    // A statement without its ';' ends with its line, unless the line ends
    // in an operator or the next one goes on with one.
    if (last && t->leadingText.find('\n') != std::string::npos && !continuesExpression(last, t)) return i;
    last = t;
    switch (t->type) {
      case TokenTypeCode::Block: case TokenTypeCode::Var: case TokenTypeCode::Const:
      case TokenTypeCode::Function: case TokenTypeCode::Class: case TokenTypeCode::While:
      case TokenTypeCode::For: case TokenTypeCode::Case: case TokenTypeCode::Default:
      case TokenTypeCode::Catch: case TokenTypeCode::With:
        return npos;
      case TokenTypeCode::StatementWord:
        if (t->text != "delete" && t->text != "await") return npos;
        break;
      case TokenTypeCode::Semicolon:
        return i + 1;
      default:
        break;
    }
  }
  return parent->childs.size();
}

// The parts of a for each head: (var v in list) or (v in list).
struct ForEachHead {
  Token* first = nullptr;      // the var token, or v itself
  bool withVar = false;        // v is declared in the head
  Token* nameToken = nullptr;  // v
  size_t in = 0;               // the index of `in` in the head group
};

// Reads the head group; false when it has no variable, no `in` or nothing
// after it (for each () or for each (x)): nothing to loop over.
bool readForEachHead(Token* group, ForEachHead& head) {
  head.first = firstChild(group);
  head.withVar = head.first && (head.first->type == TokenTypeCode::Var || head.first->type == TokenTypeCode::Const);
  head.nameToken = head.withVar ? firstChild(head.first) : head.first;
  bool hasIn = false;
  for (size_t i = 0; i < group->childs.size(); ++i) {
    if (group->childs[i] && group->childs[i]->type == TokenTypeCode::In) {
      head.in = i;
      hasIn = true;
      break;
    }
  }
  return head.nameToken && head.nameToken->type != TokenTypeCode::In && hasIn && head.in != 0 &&
         head.in + 1 < group->childs.size();
}

// A body without braces, for each (var v in list) total += v; is the one
// simple statement that follows the head: its count of entries, 0 when the
// body is a block or no such statement.
size_t bracelessBodyLength(Token* loop, Token* body) {
  if (!body || body->type == TokenTypeCode::Block || !loop->parent) return 0;
  const size_t from = static_cast<size_t>(loop->index) + 2;
  size_t end = statementEnd(loop->parent, from);
  return end != std::string::npos ? end - from : 0;
}

// The loop walks the keys in "$each_" + name, a local of the function, or of
// the class body's statements for a loop among them.
void declareKeyVariable(Token* loop, Token* nameToken, const std::string& name) {
  nameToken->text = "$each_" + name;
  if (TokenVarMap* locals = loop->getVarMap())
    (*locals)["$each_" + name] = nameToken;
  else if (TokenClass* cls = loop->getTokenFunction() ? nullptr : loop->getTokenClass())
    cls->bodyLocals["$each_" + name] = nameToken;
}

// The collection after `in` as printed; an empty slot in it is reported once.
std::string printCollection(Token* loop, Token* group, size_t in, std::string& out, Parse* file, int mode,
                            int typeCommentOff) {
  std::string object;
  bool reportedNull = false;
  const size_t first = in + 1;
  size_t i = first;
  while (i < group->childs.size()) {
    // Each run ends at a null slot: the first one the loop meets is an error.
    const ChildRange run{.from = i,
                         .stopAt = [](const Token* t) { return t == nullptr; },
                         .dropLeadingTexts = i == first ? size_t{1} : size_t{0},
                         .skipsDisabled = false,
                         .keepsTokensApart = false};
    i = Token::_childRangeToJs_(object, file, group->childs, run, mode, typeCommentOff);
    if (i >= group->childs.size()) break;
    if (!reportedNull) loop->scriptErr(out, file, "\"for each\" err,use ()", 1);
    reportedNull = true;
    ++i;
  }
  return object;
}

// The head "(var $each_v in list)" with the collection as printed already:
// printed a second time, a for each inside it (in a closure) would print its
// own collection twice too, and so on, twice as long for every level.
std::string printHead(Token* group, size_t in, const std::string& object, int line, Parse* file, int mode,
                      int typeCommentOff) {
  std::string head = group->leadingText;
  TokenList collection(group->childs.begin() + static_cast<std::ptrdiff_t>(in) + 1, group->childs.end());
  // Like every token it lives to the end of the run (an error may name it).
  Token* printed = new Token(TokenTypeCode::Literal, object.c_str(), 0, line, nullptr);
  if (collection.front()) printed->leadingText = collection.front()->leadingText;
  printed->parent = group;
  printed->file = file;
  printed->index = static_cast<int32_t>(in) + 1;
  group->childs.resize(in + 1);
  group->childs.push_back(printed);
  group->toJsScript(head, file, mode, typeCommentOff);
  group->childs.resize(in + 1);
  group->childs.insert(group->childs.end(), collection.begin(), collection.end());
  return head;
}

// An object that is more than a name (a call, list.splice(0), a literal) is
// evaluated once: the head keeps its value in "$eachof_" + name, which the
// body reads, so a call is neither repeated for every element nor seen to
// return something else the second time. Returns what the body reads.
std::string evaluateCollectionOnce(std::string& head, std::string& declared, const std::string& object,
                                   const std::string& name) {
  if (isPlainPath(object)) return object;
  size_t at = head.rfind(object);
  if (at == std::string::npos || head.compare(at + object.size(), std::string::npos, ")") != 0) return object;
  const std::string source = "$eachof_" + name;
  head = head.substr(0, at) + "(" + source + "=" + object + "))";
  declared += "," + source;
  return source;
}

// The body as printed, starting with its "{" when it has one: a block as
// itself, a brace-less statement as the parent's loop would print it.
std::string printBody(Token* loop, Token* body, size_t statementLength, Parse* file, int mode, int typeCommentOff) {
  std::string inner;
  if (body->type == TokenTypeCode::Block) {
    body->toJsScript(inner, file, mode, typeCommentOff);
    return inner;
  }
  Token* parent = loop->parent;
  const int index = loop->index;
  inner = "{";
  const size_t first = static_cast<size_t>(index) + 2;
  const ChildRange statement{
      .from = first, .to = first + statementLength, .notesTypeUses = false, .keepsTokensApart = false};
  Token::_childRangeToJs_(inner, file, parent->childs, statement, mode, typeCommentOff);
  inner += "\n}";
  return inner;
}

// The variable that receives each element. One declared elsewhere may be a
// member (for each (item in list) with a member item): it is written as any
// use of the name is.
std::string elementTarget(const ForEachHead& parts, const std::string& name, Parse* file, int mode,
                          int typeCommentOff) {
  if (parts.withVar || parts.nameToken->type != TokenTypeCode::Word) return name;
  std::string resolved;
  parts.nameToken->toJsScript(resolved, file, mode, typeCommentOff);
  return resolved.empty() ? name : resolved;
}

// A member of a class or of a base class by name: instance members, and with
// `staticsToo` each class's statics as well.
Token* memberOfClassChain(TokenClass* cls, const std::string& name, bool staticsToo) {
  size_t steps = 0;
  for (TokenClass* c = cls; c && steps <= TokenClass::_classCount_(); ++steps, c = c->resolveSuperClass()) {
    Token* member = c->members.get(name, nullptr);
    if (!member && staticsToo) member = c->staticMembers.get(name, nullptr);
    if (member) return member;
  }
  return nullptr;
}

// The declared type of a name: a local or parameter of the function, or a
// member of the class or of a base class (this.name too), and through a
// dotted name the member of what its head names (world.owners with world
// typed as a class, World.all for a static of the class World); "" for
// anything else.
TokenPackage* packageDeclaring(Token* member, TokenPackage* fallback) {
  return member && member->file && member->file->package ? member->file->package : fallback;
}

DeclaredType declaredTypeOfPath(Token* word, std::string name, Parse* file) {
  const bool viaThis = name.compare(0, 5, "this.") == 0;
  if (viaThis) name = name.substr(5);
  std::vector<std::string> path;
  xstringmthod::splitstr(name, '.', path);
  if (path.empty() || path.size() != static_cast<size_t>(std::count(name.begin(), name.end(), '.')) + 1)
    return {};
  TokenPackage* package = file ? file->package : nullptr;
  DeclaredType type{std::string(), package};
  TokenClass* owner = nullptr;
  Token* local = viaThis ? nullptr : word->getTokenInVarMap(path[0].c_str());
  if (local) {
    type.text = local->toTypeDeclaration(file);
  } else if (Token* member = memberOfClassChain(word->getTokenClass(), path[0], true)) {
    type = {member->toTypeDeclaration(file), packageDeclaring(member, package)};
  } else if (!viaThis && path.size() > 1) {
    owner = classOfTypeText(path[0], package);  // a class by its name: its statics
    if (!owner) return {};
  } else {
    return {};
  }
  const size_t head = name.find('.');
  return typeAlongPath(type, owner, head == std::string::npos ? std::string_view() : std::string_view(name).substr(head + 1),
                       PathWalk::Members);
}

std::string declaredTypeOfName(Token* word, Parse* file) {
  if (!word || word->type != TokenTypeCode::Word) return std::string();
  return declaredTypeOfPath(word, word->text.str(), file).text;
}

// Whether a for (k in d) loop walks a Dictionary whose object keys the
// runtime stores as key texts: the library's Dictionary keys are on and d is
// one name declared as a Dictionary.
bool walksDictionaryKeys(Token* group, const ForEachHead& head, Parse* file) {
  if (!_ompilerOptions_.libraryAdded || !_ompilerOptions_.enableDic) return false;
  Token* collection = nullptr;
  for (size_t i = head.in + 1; i < group->childs.size(); ++i) {
    if (!group->childs[i]) continue;
    if (collection) return false;
    collection = group->childs[i];
  }
  std::string type = declaredTypeOfName(collection, file);
  size_t dot = type.rfind('.');
  return (dot == std::string::npos ? type : type.substr(dot + 1)) == "Dictionary";
}

// The type the loop variable is declared with: in the head, or as the local
// or member that the head names.
std::string declaredType(const ForEachHead& parts, Parse* file) {
  return parts.withVar ? parts.nameToken->toTypeDeclaration(file) : declaredTypeOfName(parts.nameToken, file);
}

// The value that the loop variable of for (k in o) or for each (v in o)
// receives when it is declared as a number: for (var i:int in list) gives 0,
// 1, 2 where the JavaScript loop gives "0", "1", "2", and for each (var n:int
// in "1,2".split(",")) gives 1 and 2 where the elements are texts. "" for a
// variable of another type, which takes the value as it is.
std::string numericLoopValue(const ForEachHead& parts, const std::string& value, Parse* file) {
  const std::string type = declaredType(parts, file);
  if (type == "int") return "((" + value + ")|0)";
  if (type == "uint") return "((" + value + ")>>>0)";
  if (type == "Number") return "Number(" + value + ")";
  return std::string();
}

}  // namespace

DeclaredType typeAlongPath(DeclaredType from, TokenClass* owner, std::string_view steps, PathWalk walk) {
  DeclaredType type = std::move(from);
  for (size_t start = 0; !steps.empty() && start <= steps.size();) {
    size_t end = steps.find('.', start);
    if (end == std::string_view::npos) end = steps.size();
    if (!owner) owner = classOfTypeText(type.text, type.package);
    Token* member = owner ? memberOfClassChain(owner, std::string(steps.substr(start, end - start)),
                                               walk == PathWalk::Members)
                          : nullptr;
    if (!member || (walk == PathWalk::Fields && dynamic_cast<TokenFunction*>(member))) return {};
    type = {member->toTypeDeclaration(nullptr), packageDeclaring(member, type.package)};
    owner = nullptr;
    start = end + 1;
  }
  return type;
}

std::string declaredTypeOfDottedName(Token* word, const std::string& name, Parse* file) {
  return word ? declaredTypeOfPath(word, name, file).text : std::string();
}

TokenClass* classOfDeclaredName(Token* word, const std::string& name, Parse* file) {
  if (!word) return nullptr;
  const DeclaredType type = declaredTypeOfPath(word, name, file);
  return classOfTypeText(type.text, type.package);
}

// for (...) and for each (...) keep their head and body as the lexer left
// them: the output reads them from the parent's list.
int TokenFor::pretreatment(Parse*) { return 0; }

// for (...) prints "for" and leaves the head and body to the parent's loop.
// for each (var v in list) { ... } becomes a for-in over the keys:
//   var v;/*for each*/for(var $each_v in list){v=list[$each_v]; ...}
// and a variable declared as a number takes the element as that number:
//   for each (var n:int in list)  ->  ...{n=((list[$each_n])|0); ...}
// one declared as a String takes it as a text (null and undefined as null):
//   for each (var s:String in list)  ->  ...{s=list[$each_s];
//   s=s==null?null:String(s); ...}
int TokenFor::toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) {
  if (!pendingError().empty()) {
    scriptErr(out, file, pendingError().c_str(), 1);
    out += "for";
    return 0;
  }
  Token* group = siblingOf(this, 1);
  if (!forEach && group && group->type == TokenTypeCode::Paren) return forInToJs(out, file, mode, typeCommentOff);
  if (!forEach || !group || group->type != TokenTypeCode::Paren) {
    out += "for";
    return 0;
  }
  ForEachHead parts;
  if (!readForEachHead(group, parts)) {
    scriptErr(out, file, kFindInErr, 1);
    out += "for";
    return 0;
  }

  std::string name = parts.nameToken->text;
  // In a function rewritten for await the variable is declared at its top
  // already; a second declaration would hide it from the resumed code.
  auto* varToken = parts.withVar ? dynamic_cast<TokenVar*>(parts.first) : nullptr;
  const bool declaredAbove = varToken && varToken->asyncDecl;
  std::string declared = parts.withVar ? name : "$each_" + name;
  // A labelled loop (outer: for each ...) must follow its label directly, so
  // its declaration goes behind the loop; a var is the function's wherever it
  // stands.
  Token* colon = nextSibling(-1);
  Token* label = nextSibling(-2);
  const bool labelled = colon && colon->type == TokenTypeCode::Colon && label && label->type == TokenTypeCode::Literal;
  Token* body = siblingOf(this, 2);
  const size_t statementLength = bracelessBodyLength(this, body);
  const bool hasBody = body && (body->type == TokenTypeCode::Block || statementLength > 0);
  const bool declareAfter = labelled && hasBody;
  // The loop as the brace-less body of if, else, for, while or do: the
  // declaration and the loop go into one block, so that the declaration does
  // not take the place of the loop as that body.
  const bool braced = !labelled && hasBody && isBracelessBody(this);
  declareKeyVariable(this, parts.nameToken, name);

  const std::string object = printCollection(this, group, parts.in, out, file, mode, typeCommentOff);
  std::string head = printHead(group, parts.in, object, line, file, mode, typeCommentOff);
  const char* keyword = __ISRELEASE__ ? "for" : "/*for each*/for";
  const std::string source = declaredAbove ? object : evaluateCollectionOnce(head, declared, object, name);
  const std::string declaration = declaredAbove ? std::string() : "\nvar " + declared + ";\n";
  if (braced) out += "{";
  if (!declareAfter) out += declaration;

  if (!hasBody) {
    scriptErr(out, file, "\"for each\" err,must add{}", 1);
    out += keyword + head;
    parts.nameToken->text = name;
    return 1;
  }
  out += keyword + head;
  std::string inner = printBody(this, body, statementLength, file, mode, typeCommentOff);
  parts.nameToken->text = name;
  const std::string element = source + "[$each_" + name + "]";
  const std::string number = numericLoopValue(parts, element, file);
  const std::string target = elementTarget(parts, name, file, mode, typeCommentOff);
  out += "{\n" + target + "=" + (number.empty() ? element : number) + ";\n";
  if (declaredType(parts, file) == "String") out += target + "=" + target + "==null?null:String(" + target + ");\n";
  // The block's own "{" is already out; a block printed without braces gets
  // its closing one here.
  if (!inner.empty() && inner[0] == '{') {
    out += inner.substr(1);
  } else {
    out += inner + "}";
  }
  if (declareAfter) out += declaration;
  if (braced) out += "}";
  return body->type == TokenTypeCode::Block ? 2 : 1 + static_cast<int>(statementLength);
}

// for (k in o) prints "for" and leaves the head and body to the parent's
// loop. Over a Dictionary with the library's Dictionary keys, whose object
// keys the runtime stores as key texts ("&ruvodic_" and a number), the loop
// turns each key text back into its object, as Flash's loop gives the keys:
//   for (var k in d) {...}  ->  for (var k in d){k=k.indexOf('&ruvodic_')?k:VENDRIX.DICKEYS[k]; ...}
// A key declared as a number is turned into one at the top of the body:
//   for (var i:int in list) {...}  ->  for (var i in list){i=((i)|0); ...}
int TokenFor::forInToJs(std::string& out, Parse* file, int mode, int typeCommentOff) {
  Token* group = siblingOf(this, 1);
  Token* body = siblingOf(this, 2);
  ForEachHead parts;
  const size_t statementLength = bracelessBodyLength(this, body);
  if (!readForEachHead(group, parts) || !(body && (body->type == TokenTypeCode::Block || statementLength > 0))) {
    out += "for";
    return 0;
  }
  // for (init; cond; step) with an `in` in its condition walks no keys.
  for (Token* child : group->childs)
    if (child && child->type == TokenTypeCode::Semicolon) {
      out += "for";
      return 0;
    }
  const bool dictionaryKeys = walksDictionaryKeys(group, parts, file);
  // A TypeScript for-in key is a string that takes no number.
  const std::string number = __ISTOTS ? std::string() : numericLoopValue(parts, "$key", file);
  if (!dictionaryKeys && number.empty()) {
    out += "for";
    return 0;
  }
  std::string head = group->leadingText;
  group->toJsScript(head, file, mode, typeCommentOff);
  std::string inner = printBody(this, body, statementLength, file, mode, typeCommentOff);
  const std::string key = elementTarget(parts, parts.nameToken->text, file, mode, typeCommentOff);
  out += "for" + head + "{\n";
  if (dictionaryKeys) out += key + "=" + key + ".indexOf('&ruvodic_')?" + key + ":VENDRIX.DICKEYS[" + key + "];\n";
  if (!number.empty()) out += key + "=" + numericLoopValue(parts, key, file) + ";\n";
  out += !inner.empty() && inner[0] == '{' ? inner.substr(1) : inner + "}";
  return body->type == TokenTypeCode::Block ? 2 : 1 + static_cast<int>(statementLength);
}

// break outer; keeps its label word as written (see jumpPretreatment).
int TokenBreak::pretreatment(Parse* file) { return jumpPretreatment(this, file); }

// break / break outer  ->  "break " and then the label as the next child.
int TokenBreak::toJsScript(std::string& out, Parse*, int, int) {
  out += "break ";
  return 0;
}

// continue outer; keeps its label word as written (see jumpPretreatment).
int TokenContinue::pretreatment(Parse* file) { return jumpPretreatment(this, file); }

// continue / continue outer  ->  "continue " and then the label as the next
// child.
int TokenContinue::toJsScript(std::string& out, Parse*, int, int) {
  out += "continue ";
  return 0;
}

TokenClass* classOfDeclaredElement(Token* word, size_t depth, Parse* file) {
  if (!word || word->type != TokenTypeCode::Word) return nullptr;
  DeclaredType type = declaredTypeOfPath(word, word->text.str(), file);
  for (size_t i = 0; i < depth; ++i) {
    if (type.text.compare(0, 8, "Vector.<") != 0 || type.text.back() != '>') return nullptr;
    type.text = type.text.substr(8, type.text.size() - 9);
  }
  return classOfTypeText(type.text, type.package);
}
