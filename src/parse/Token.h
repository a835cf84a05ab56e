// The token node: one node per word, operator, literal or bracket group of an
// ActionScript source file; bracket groups hold their contents as children.
//
// Every construct with a translation of its own is a subclass (TokenOther.h,
// TokenClass.h, ...); the file root `Parse` is one too. The two passes,
// `pretreatment` (analysis and rewriting) and `toJsScript` (output), are
// virtual and return a skip count: how many FOLLOWING siblings the token
// consumed. The child loops add it to their index before stepping on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <typeinfo>
#include <unordered_map>
#include <vector>

#include "RareString.h"
#include "SharedString.h"
#include "SmallPointer.h"
#include "TokenList.h"
#include "TokenRareFields.h"
#include "namedCode.h"
#include "ordered_map.h"

class Parse;
class Token;
class TokenClass;
class TokenFunction;
class TokenVar;
class TokenPackage;

// One-byte type codes of the token tree. The table kTokenTypeTable below
// lists every code with its meaning; one test walks it.
namespace TokenTypeCode {
constexpr int Word = 0;            // plain word or dotted path; also the bare word "Vector"
constexpr int While = 16;          // "while"
constexpr int Return = 18;         // "return"
constexpr int New = 19;            // "new"
constexpr int Block = 21;          // { } block ("NO{" prints without braces)
constexpr int Paren = 23;          // ( ) group
constexpr int Comma = 26;          // ","
constexpr int Semicolon = 27;      // ";"
constexpr int Bracket = 30;        // [ ] group
constexpr int Colon = 32;          // ":"
// No lexer rule or pass gives a token this code; one that carries it prints
// its text as it stands and ends the value of a super setter, like ",".
constexpr int Reserved = 40;
constexpr int Assign = 41;         // "="
constexpr int Question = 42;       // "?"
constexpr int Var = 50;            // "var"
constexpr int Function = 51;       // "function"
constexpr int Class = 52;          // "class"
constexpr int Package = 53;        // "package"
constexpr int Import = 54;         // "import"
constexpr int As = 55;             // "as"; also Embed metadata and its [ ] group
constexpr int DeclaredName = 56;   // declared variable name
constexpr int Number = 57;         // number literal
constexpr int Literal = 58;        // literal printed as it stands
constexpr int ObjectKey = 59;      // object-literal key
constexpr int Interface = 60;      // "interface"
constexpr int Extends = 61;        // "extends"
constexpr int Super = 62;          // "super"
constexpr int Case = 63;           // "case"
constexpr int Is = 64;             // "is"
constexpr int Catch = 65;          // "catch"
constexpr int Untyped = 70;        // "__JS__", "__INCLUDESTR__"
constexpr int StatementWord = 71;  // if, else, do, delete ... (the list __unnowkey__)
constexpr int Implements = 73;     // "implements"
constexpr int Const = 74;          // "const"
constexpr int VectorType = 75;     // Vector.<T>
constexpr int For = 76;            // "for"
constexpr int In = 77;             // "in"
constexpr int SystemType = 78;     // built-in type name (the list __sytemtype__), "_super"
constexpr int With = 79;           // "with"
constexpr int Default = 80;        // "default"
constexpr int Continue = 81;       // "continue"
constexpr int Break = 82;          // "break"
constexpr int Include = 83;        // "include"
constexpr int Operator = 100;      // operator
}  // namespace TokenTypeCode

extern const NamedCode kTokenTypeTable[];
extern const int kTokenTypeTableSize;
// The row name of a type code ("Word", "Paren", ...); a code outside the
// table comes back as its number after a "#" ("#40").
std::string tokenTypeName(int code);

// The output modes of `toJsScript`: which text a caller wants of a token.
// The class outputs choose them; variables and functions give each its
// text. The values are fixed (the TypeScript forms are the JavaScript ones
// with a hundred or two added). kJsModeTable lists them; one test compiles
// a snippet for every row.
namespace JsMode {
constexpr int Plain = 0;              // statement and expression text; children of most tokens
constexpr int Member = 1;             // instance methods, function bodies, parameter groups, the second
                                      // constructor pass over instance variables
constexpr int ClassBody = 2;          // class-body statements, static variables and static functions
constexpr int Accessor = 3;           // a getter or setter
constexpr int SplitConstructor = 4;   // a constructor as parameters, the marker "--##END", then its body
constexpr int WholeConstructor = 5;   // a whole constructor
constexpr int ConstructorVars = 10;   // the first constructor pass over instance variables
constexpr int TsConstructorVars = 100;  // ConstructorVars in TypeScript
constexpr int TsMember = 101;         // Member in TypeScript
constexpr int TsClassBody = 201;      // ClassBody in TypeScript
constexpr int OutsidePackage = -4;    // a function declared after the package block of its file
constexpr int PrivateClass = -111;    // a private class of a file (printed inside the public one)
constexpr int TsInterfaceMember = 1000;  // an interface member in TypeScript
}  // namespace JsMode

extern const NamedCode kJsModeTable[];
extern const int kJsModeTableSize;
// The row name of a mode ("?" for a value outside the table).
const char* jsModeName(int mode);

// The `typeCommentOff` value with which `TokenIs` asks a ( ) group for its
// contents without the brackets (any other non-zero value only suppresses
// type comments).
constexpr int kBareGroup = -123;

// Modifier flag bits kept in Token::flags.
namespace TokenModifierFlags {
constexpr int Public = 0x1;        // "public", "native", "virtual"
constexpr int Static = 0x10;
constexpr int Private = 0x20;
constexpr int Dynamic = 0x40;
constexpr int Override = 0x80;
constexpr int Inline = 0x200;      // "[inline]"; also the constant mark of const declarations
constexpr int Protected = 0x400;
constexpr int Final = 0x1000;
constexpr int Namespace = 0x2000;
constexpr int Use = 0x4000;
constexpr int Bindable = 0x8000;   // "[Bindable]"
constexpr int NoEnumeration = 0x20000;
constexpr int Async = 0x40000;     // "async" or a "/*async*" comment
}  // namespace TokenModifierFlags

// Out-record of slot 8 `jsFormatPropertyInto`: the resolved head's type text.
struct TokenHeadMsg {
  int64_t reserved = 0;
  std::string type;
  int state = 1;  // 1 when the word path starts the call; -1 for a name starting with '.'
};

using TokenVarMap = OrderedMap<Token*>;

// A run of children for Token::_childRangeToJs_: the entries of a list from
// `from` up to one before `to`, ending early at the first entry that
// `stopAt` answers true for (that entry, which may be a null slot, does not
// print). Null slots are stepped over.
struct ChildRange {
  size_t from = 0;
  size_t to = SIZE_MAX;
  bool (*stopAt)(const Token* entry) = nullptr;
  // How many of the first children print without their leading text
  // (SIZE_MAX: none of them has it).
  size_t dropLeadingTexts = 0;
  // A child whose output is off prints only its leading text; false hands
  // every child to its own toJsScript, which decides.
  bool skipsDisabled = true;
  // Each child records the classes its declared type names before the
  // output test (only where skipsDisabled is on).
  bool notesTypeUses = true;
  // A blank goes where two printed texts would run together (see
  // Token::keepTokensApart).
  bool keepsTokensApart = true;
  // Text after each child that printed.
  const char* separator = nullptr;
};

// The file a token belongs to: the number of its file root (every root gets
// one when it is made) instead of an 8-byte pointer. It reads and stores as
// the Parse* it stands for.
class FileRef {
 public:
  FileRef() = default;
  FileRef(Parse* root) { *this = root; }
  FileRef& operator=(Parse* root);
  FileRef& operator=(std::nullptr_t) {
    id_ = 0;
    return *this;
  }
  operator Parse*() const { return roots_[id_]; }
  Parse* get() const { return roots_[id_]; }
  Parse* operator->() const { return roots_[id_]; }
  // The number of a new file root (Parse's constructor asks for it).
  static uint32_t add(Parse* root);

 private:
  static Parse* const* roots_;  // entry 0 is null
  uint32_t id_ = 0;
};

// A file makes a token for every few bytes of source and keeps them all to
// the end of the run, so the fields are laid out without gaps: the one-bit
// marks sit together after the four counters, and the 4-byte shared texts,
// numbers and pointers pair up between the 8-byte fields (64 bytes in all,
// the table of virtual functions included). The token's own text is a
// shared text too: words, operators and brackets repeat all through a
// project, so a token holds a number where it held a whole std::string.
// What few tokens set sits in a record of its own (TokenRareFields), read
// and written through the accessors below.
class Token {
 public:
  SharedString text;
  SharedString leadingText;
  int32_t index = -1;
  int32_t line = 0;
  int32_t endLine = 0;
  int32_t flags = 0;
  int8_t type = 0;
  // How often the output of this class or function was written (see
  // WritingGuard), saturating.
  uint8_t writeCount = 0;
  // One-bit marks (each only ever 0 or 1).
  uint8_t safeMark : 1 = 0;
  uint8_t outputEnabled : 1 = 1;
  uint8_t privateNameDone : 1 = 0;
  uint8_t awaitedCall : 1 = 0;
  uint8_t hoistMark : 1 = 0;
  uint8_t asyncVisited : 1 = 0;
  uint8_t functionTyped : 1 = 0;
  uint8_t declaredVar : 1 = 0;
  uint8_t superCallMark : 1 = 0;
  uint8_t noDefaultValues : 1 = 0;
  uint8_t typeUseRegistered : 1 = 0;
  // Set on a token whose children hold the null slots that a declaration
  // left in front of itself when it gathered its tokens (see
  // TokenVar::pretreatment); closeVarGaps takes them out.
  uint8_t varGaps : 1 = 0;
  // Set on such a declaration while its gap is open.
  uint8_t gapMark : 1 = 0;
  // Set on the last token that an include directive read into its group.
  uint8_t includeEnd : 1 = 0;
  // A group's closing layout when it is a line end and one to three tabs
  // (most are): the number of tabs, and no record taken for it; 0: the
  // record holds the layout, if there is one. Read through trailingText().
  uint8_t trailingTabs : 2 = 0;
  FileRef file;
  SharedPointer<TokenClass> currentClass;  // 4 bytes: the classes are few
 private:
  TokenRareSlot rare_;
 public:
  Token* parent = nullptr;
  TokenList childs;

  // ---- fields few tokens set (TokenRareFields) ----
  // Storing an empty text or a null type word in a token without a record
  // takes none.
  const SharedString& trailingText() const {
    return trailingTabs ? lineAndTabsLayout(trailingTabs) : rare_.get().trailingText;
  }
  const SharedString& pendingError() const { return rare_.get().pendingError; }
  const RareString& docComment() const { return rare_.get().docComment; }
  const SharedString& typeText() const { return rare_.get().typeText; }
  const SharedString& resolvedTypeText() const { return rare_.get().resolvedTypeText; }
  Token* typeToken() const { return rare_.get().typeToken; }
  void setTrailingText(const std::string& s) {
    trailingTabs = 0;
    if (rare_ || !s.empty()) rare_.edit().trailingText = s;
  }
  // The same for a text kept already (the lexer's closing layouts).
  void setTrailingShared(const SharedString& s) {
    trailingTabs = tabsOfLineLayout(s);
    if (rare_ || (!s.empty() && !trailingTabs)) rare_.edit().trailingText = trailingTabs ? SharedString() : s;
  }
  void setPendingError(const std::string& s) {
    if (rare_ || !s.empty()) rare_.edit().pendingError = s;
  }
  void setDocComment(const std::string& s) {
    if (rare_ || !s.empty()) rare_.edit().docComment = s;
  }
  void setTypeText(const std::string& s) {
    if (rare_ || !s.empty()) rare_.edit().typeText = s;
  }
  void setResolvedTypeText(const std::string& s) {
    if (!rare_ && s.empty()) return;
    rare_.edit().resolvedTypeText = s;
    if (resolvedTypeLog_ && !s.empty()) resolvedTypeLog_->push_back(this);
  }
  void setResolvedTypeText(const char* s) { setResolvedTypeText(std::string(s ? s : "")); }
  // The same for a text that is kept already (a declared type): no lookup.
  void setResolvedTypeText(const SharedString& s) {
    if (!rare_ && s.empty()) return;
    rare_.edit().resolvedTypeText = s;
    if (resolvedTypeLog_ && !s.empty()) resolvedTypeLog_->push_back(this);
  }
  void setTypeToken(Token* t) {
    if (rare_ || t) rare_.edit().typeToken = t;
  }
  // Forgets the resolved type; the record goes back when it holds nothing else.
  void forgetResolvedTypeText() { rare_.forgetResolvedType(); }
  // While a file root prints (Parse::toJavaScript), the tokens given a
  // resolved type, so that the root forgets them once its output is done
  // (a token may be listed twice); null at any other time.
  static std::vector<Token*>* resolvedTypeLog_;

  // In line: the lexer makes a token for every few bytes of source. It
  // makes most without a text and gives them one it has kept already, so
  // the look-up of a C string stays off the common path.
  Token(int type, const char* text, int, int line, Token* parent)
      : line(line), endLine(line), type(static_cast<int8_t>(type)), parent(parent) {
    if (text && *text) [[unlikely]]
      this->text = SharedString(text);
  }

  // Tokens of every class come from a pool of large blocks: a file makes
  // them by the hundred thousand and keeps them to the end of the run.
  static void* operator new(size_t size);
  static void operator delete(void* p) noexcept;

  // ---- the thirteen virtual operations, in slot order (no virtual destructor) ----
  virtual std::string getValue();                                   // 0
  virtual std::string getSelfValue();                               // 1
  virtual TokenClass* getTokenClass();                              // 2
  virtual TokenFunction* getTokenFunction();                        // 3
  virtual TokenFunction* getClassTokenFunction();                   // 4
  virtual bool isInlineFunction();                                  // 5
  virtual bool pretreatmentAnsy(Parse* file, TokenFunction* function, Token* body);  // 6
  virtual bool isInStatic();                                        // 7
  // The JavaScript spelling of the word `name` (whose first segment is
  // `head`), appended to `out`: the word path writes it where it prints.
  virtual void jsFormatPropertyInto(std::string& out, std::string& name, std::string& head, Token* token,
                                    int typeCommentOff, int& skip, TokenHeadMsg& headMsg);  // 8
  // The same spelling as a text of its own.
  std::string jsFormatProperty(std::string& name, std::string& head, Token* token, int typeCommentOff, int& skip,
                               TokenHeadMsg& headMsg) {
    std::string js;
    jsFormatPropertyInto(js, name, head, token, typeCommentOff, skip, headMsg);
    return js;
  }
  virtual int pretreatment(Parse* file);                            // 9
  virtual int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff);  // 10
  virtual TokenVarMap* getVarMap();                                 // 11
  virtual Token* getTokenInVarMap(const char* name);                // 12

  // ---- child loops ----
  void _childsToJs_(std::string& out, Parse* file, TokenList& list, int mode, const char* sep,
                    int typeCommentOff, int start);
  void _childsToJs_(std::string& out, Parse* file, int mode, int typeCommentOff, int start);
  // Prints the children of `list` in `range` with toJsScript; a child's skip
  // count moves past the siblings it printed itself. Returns the index where
  // the run ended: the entry it stopped at, or one past the last child the
  // run went through.
  static size_t _childRangeToJs_(std::string& out, Parse* file, TokenList& list, const ChildRange& range, int mode,
                                 int typeCommentOff);
  // Puts a blank at `joint` where the texts on its two sides would merge into
  // one JavaScript token. Asked after every printed token: the common case
  // (no '/', '+' or '-' before the joint) is answered here.
  static void keepTokensApart(std::string& out, size_t joint) {
    if (joint == 0 || joint >= out.size()) return;
    const char before = out[joint - 1];
    if (before == '/' || before == '+' || before == '-') separateTokens(out, joint);
  }
  static void separateTokens(std::string& out, size_t joint);
  void childsPretreatment(Parse* file, TokenList& list);
  // Pretreats the childless tokens of the base class that no -define or
  // namespace rule acts on (most leaves) from `from` (below the list's size)
  // on, without the virtual call, and returns the index of the first other
  // child (the list's size when none is left). The child loops ask it first;
  // a run that begins at a group or a token of another class, as about half
  // of them do, is answered here.
  size_t pretreatPlainLeaves(Parse* file, TokenList& list, size_t from) {
    const Token* first = list[from];
    if (first && (!first->childs.empty() || &typeid(*first) != &typeid(Token))) return from;
    return pretreatLeafRun(file, list, from);
  }
  size_t pretreatLeafRun(Parse* file, TokenList& list, size_t from);
  // Removes the null slots that declarations left among the children (one
  // pass over the list; every child learns its new index). Asked after
  // every child loop: the common case, no gaps, is answered here.
  void closeVarGaps() {
    if (varGaps) closeMarkedVarGaps();
  }
  void closeMarkedVarGaps();
  void closeGapsOutOfOrder(std::vector<std::pair<size_t, size_t>>& gaps);
  // closeVarGaps over the whole tree below this token; then no gaps are
  // left on record.
  void closeAllVarGaps();
  // The declarations that left null slots among a token's children, by that
  // token (owner: TokenVar::pretreatment and closeVarGaps; emptied by
  // closeAllVarGaps at the end of every file's pretreatment).
  static std::unordered_map<Token*, std::vector<TokenVar*>>& _varGapOwners_();

  // ---- placing children ----
  // Adds `child` at the end of the children (the lexer does so for every
  // token it makes, hence inline).
  void push(Token* child) {
    if (!child) return;
    child->index = static_cast<int32_t>(childs.size());
    child->parent = this;
    child->file = file;
    childs.push_back(child);
  }
  void insertIt(Token* child, int at);
  void setIn(Token* child, int at);
  bool eraseChild(int at);
  bool clearNextToken(Token* child, int offset);

  // ---- looking at siblings (called on the parent with one of its children) ----
  Token* getNextToken(Token* child, int offset, TokenList* list = nullptr);
  Token* getTokenFrome(int at, TokenList* list = nullptr);
  std::string getNextValue(Token* child, int offset);
  int getNextType(Token* child, int offset);
  bool checkNextType(Token* child, int offset, int type);

  // Sibling of this token in its parent's list (null without one).
  Token* nextSibling(int offset = 1);
  Token* prevSibling(int offset = 1) { return nextSibling(-offset); }

  // ---- searches ----
  int findThisType(int type, int from);
  int findThisTypePre(int type, int from);
  bool childsHasThisType(int type, bool self);
  int getPreLineInChilds(int at);
  static int getNextLineInChilds(TokenList& list, int from);
  static int getLineEnd(TokenList& list, int from);

  // ---- predicates and small queries ----
  bool typeIsText() const { return type == TokenTypeCode::Word; }
  bool isStatic() const { return (flags & TokenModifierFlags::Static) != 0; }
  bool isClassMember();
  bool isInSelFunction(std::string& name, TokenClass* cls);
  // With the library on: this word, read as a value, names a method of its
  // object; appends the bound form (__bind(object,method)) and returns true.
  bool bindMethodValue(std::string& out, const std::string& printed, TokenClass* cls, Parse* file);
  // The same for ".onFrame" read on what the argument holds in front of it
  // (units[i], (o as Unit)), printed as `object`; the argument's tokens
  // begin at `firstOfArgument` of the parent group.
  bool bindElementMethod(std::string& out, const std::string& object, const std::string& printed, Parse* file,
                         size_t firstOfArgument);
  // The same for a method called through call or apply (onHit.call(o, 1)):
  // `printed` is the word's output, ending in ".call" or ".apply"; the bound
  // method followed by that ending, so the method keeps its object whatever
  // object the call names, as a method closure does.
  bool bindCalledMethod(std::string& out, const std::string& printed, TokenClass* cls, Parse* file);
  // A built-in method of an object typed Array, Vector.<T> or String, read
  // as a value (list.push) or called through apply (list.concat.apply(null,
  // more) joins onto list); it needs no instance, so a static method binds
  // it too.
  bool bindBuiltInMethod(std::string& out, const std::string& printed, const std::string& name);
  static std::string GetFullClassName(Parse* file, std::string name);

  // ---- type annotations and brace insertion (pretreatment helpers) ----
  void setTypeDeclaration(Token* type);
  std::string toTypeDeclaration(Parse* file);
  void addTypeDeclarationClassUse();
  int checkAddBRACE();
  size_t addIf(Token* into, TokenList& list, size_t& at, int line);
  static bool CheckIsWhileDoFor(Token* token);

  // ---- source errors ----
  void scriptErr(std::string& out, Parse* file, const char* message, int showSource);
  void _scriptErr(Parse* file, const char* message, bool showSource);

  // ---- property access rewriting ----
  std::string getThisSelfValue(Token* member, const char* path);
  // "this" or "_$this" for the function this token stands in; counts the use
  // of "_$this" on the enclosing class method when `count` is set.
  std::string thisSpelling(bool count);
  // The instance that super.x reaches: the method's, also inside its closures.
  std::string superThisSpelling();
  // Whether this token is the prefix "++" or "--" of an accessor that the
  // class overrides, read on the base (++super.x): the word after it then
  // writes the whole update and the operator prints nothing.
  bool isPrefixUpdateOfSuperAccessor();

  // ---- lexer ----
  void parse(const char* text, int length, int& pos, int& line, Token* parent);
  static void _addWord_(const char* text, const char* word, int last, int line, Token* group, int& flags,
                        std::string& leading);

 private:
  // The two cases of bindMethodValue: a method of the instance, and a method
  // of an object whose declared type is a class.
  // `name` is the word as written (the token's text, or the part of it in
  // front of ".call" or ".apply").
  bool bindOwnMethod(std::string& out, const std::string& printed, TokenClass* cls, const std::string& name);
  bool bindObjectMethod(std::string& out, const std::string& printed, Parse* file, const std::string& name);
};

// Lexer state, process-wide: carries over from one file to the next.
extern std::string _Comment;
extern uint8_t DISBALEOUTCONST;
extern TokenClass* pCurAddClass;
extern const char* __unnowkey__;
extern const char* __sytemtype__;
extern const char* _SystemKeywords_;

// Lexer helpers.
void addInclude(Token* group, Token* parent, const char* quoted);
void AddXML(std::string& result, char* text, int& line, int& pos, Token* group);
void toXmlEnd(std::string& result, char* text, int& line, int& pos);
bool isXml(char* text);
bool _IsXMLNode(char* text, int& depth, int& state);
int matchingCha(const char* text, char open, char close, int* firstOpen, int& lines);
std::string stringToText(const char* text);

// The JavaScript name of a local variable or parameter. A name that
// JavaScript reserves (enum, export, debugger, await, and in strict code
// let, yield, static ...) gets a '$' appended; so does such a word already
// followed by '$' (enum$ becomes enum$$), so no two names meet. Every
// other name is returned unchanged.
std::string jsLocalName(const std::string& name);
// Whether jsLocalName changes `name` (appends a '$').
bool jsLocalNameChanges(const std::string& name);

// Super-member resolution (property access rewriting).
std::string __getSuperClassFunc__(std::string className, std::string name, std::string member, int depth,
                                  bool overridden, TokenPackage* privateScope = nullptr);

// The class that a declared type names: a class by its full name, an imported
// or same-package class by its short name, or a class after the package block
// of the file of `package`; null for anything else.
TokenClass* classOfTypeText(const std::string& type, TokenPackage* package);
// A declared type as a member's declaration writes it, and the package whose
// imports read it (the one of the file that declares the member).
struct DeclaredType {
  std::string text;
  TokenPackage* package = nullptr;
};
// How a walk along the members of a dotted name reads its steps.
enum class PathWalk {
  Members,  // any member, static or not; a method or accessor gives its declared type
  Fields,   // instance members only; a method or accessor ends the walk with no type
};
// The declared type that `steps` ("team.lead.hp") reach from the type
// `from`, or from the statics of `owner` when it is given: each step a
// member of the class the type before it names, or of a base class; no
// type (empty text) when a step is no such member.
DeclaredType typeAlongPath(DeclaredType from, TokenClass* owner, std::string_view steps, PathWalk walk);
// The class of the object that a dotted name names from `word`'s place
// (game.player, this.team.lead, World.current.hero), by the declared types
// of the local, member or class at its head and of each member after it;
// nullptr when a step has no class.
TokenClass* classOfDeclaredName(Token* word, const std::string& name, Parse* file);
// The declared type text of what that dotted name names ("Vector.<int>"),
// "" when a step has no declared type.
std::string declaredTypeOfDottedName(Token* word, const std::string& name, Parse* file);
// The class of an element of the Vector that `word` names, `depth` indices
// down (units[i] of a Vector.<Unit>, grid[y][x] of a Vector.<Vector.<Tile>>).
TokenClass* classOfDeclaredElement(Token* word, size_t depth, Parse* file);

// Resets the lexer state and the declaration gaps on record (tests compile
// several projects in one process).
void resetLexerState();

// A deep copy of a token and its descendants, each of its own class; the
// copy has no parent yet.
Token* cloneTokenTree(Token* source);
// Frees a tree built by the lexer, each token as its own class (tokens of a
// class unknown to the tree code are left alone). Trees normally live to the
// end of the run; tools that build many trees in one process free them here.
void deleteTokenTree(Token* root);

// The token `offset` places from `token` in its parent's list, or null when
// there is none there or `token` is not where its index says.
// Both bounds are one unsigned compare each: a negative index, or a step
// before the first child, wraps round to a value past any size.
// Appends a token's text. Most are one byte (operators, separators, a blank)
// or none, and a byte is written in place without the call that copies a run.
inline void appendText(std::string& out, const std::string& text) {
  if (text.size() == 1)
    out.push_back(text[0]);
  else if (!text.empty())
    out.append(text);
}

inline Token* siblingOf(Token* token, int offset) {
  Token* p = token ? token->parent : nullptr;
  if (!p) return nullptr;
  const size_t n = p->childs.size();
  const size_t i = static_cast<size_t>(static_cast<ptrdiff_t>(token->index));
  if (i >= n || p->childs[i] != token) return nullptr;
  const size_t at = i + static_cast<size_t>(static_cast<ptrdiff_t>(offset));
  if (at >= n) return nullptr;
  return p->childs[at];
}
// Whether `token` begins the statement after a value that a rewrite wraps in
// a call (super.x = v, x.@a = v) and so ends that value: a word that no
// expression holds (else, case, default), or a token on a new line when
// neither it nor the token before it carries the expression on. Among class
// members (`amongMembers`) a [ ] group on a new line is a metadata tag that
// begins the next member ([Inject], [Embed(...)]).
bool beginsNextStatement(const Token* token, bool amongMembers = false);
