// The token node: its default virtual operations, the two child loops and
// the small operations on a child list that every pass uses.
#include "Token.h"

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#define RUVO_POSIX_BLOCKS 1
#else
#define RUVO_POSIX_BLOCKS 0
#endif

#include <charconv>
#include <cstdlib>
#include <new>
#include <type_traits>
#include <string_view>
#include <typeinfo>
#include <unordered_set>
#include <unordered_map>

#include "CompilerOptions.h"
#include "TokenClass.h"
#include "TokenExtends.h"
#include "TokenFunction.h"
#include "TokenImport.h"
#include "TokenInterface.h"
#include "TokenOther.h"
#include "TokenPackage.h"
#include "parse.h"
#include "TokenPool.h"

// Every type code the tree knows, in code order.
const NamedCode kTokenTypeTable[] = {
    {TokenTypeCode::Word, "Word", "plain word or dotted path; also the bare word Vector"},
    {TokenTypeCode::While, "While", "while"},
    {TokenTypeCode::Return, "Return", "return"},
    {TokenTypeCode::New, "New", "new"},
    {TokenTypeCode::Block, "Block", "{ } block; NO{ prints without braces"},
    {TokenTypeCode::Paren, "Paren", "( ) group"},
    {TokenTypeCode::Comma, "Comma", ","},
    {TokenTypeCode::Semicolon, "Semicolon", ";"},
    {TokenTypeCode::Bracket, "Bracket", "[ ] group"},
    {TokenTypeCode::Colon, "Colon", ":"},
    {TokenTypeCode::Assign, "Assign", "="},
    {TokenTypeCode::Question, "Question", "?"},
    {TokenTypeCode::Var, "Var", "var"},
    {TokenTypeCode::Function, "Function", "function"},
    {TokenTypeCode::Class, "Class", "class"},
    {TokenTypeCode::Package, "Package", "package"},
    {TokenTypeCode::Import, "Import", "import"},
    {TokenTypeCode::As, "As", "as; also Embed metadata and the [ ] group holding it"},
    {TokenTypeCode::DeclaredName, "DeclaredName", "declared variable name"},
    {TokenTypeCode::Number, "Number", "number literal"},
    {TokenTypeCode::Literal, "Literal", "literal printed as it stands"},
    {TokenTypeCode::ObjectKey, "ObjectKey", "object-literal key"},
    {TokenTypeCode::Interface, "Interface", "interface"},
    {TokenTypeCode::Extends, "Extends", "extends"},
    {TokenTypeCode::Super, "Super", "super"},
    {TokenTypeCode::Case, "Case", "case"},
    {TokenTypeCode::Is, "Is", "is"},
    {TokenTypeCode::Catch, "Catch", "catch"},
    {TokenTypeCode::Untyped, "Untyped", "__JS__, __INCLUDESTR__"},
    {TokenTypeCode::StatementWord, "StatementWord", "if, else, do, delete"},
    {TokenTypeCode::Implements, "Implements", "implements"},
    {TokenTypeCode::Const, "Const", "const"},
    {TokenTypeCode::VectorType, "VectorType", "Vector.<T>"},
    {TokenTypeCode::For, "For", "for"},
    {TokenTypeCode::In, "In", "in"},
    {TokenTypeCode::SystemType, "SystemType", "built-in type name; _super"},
    {TokenTypeCode::With, "With", "with"},
    {TokenTypeCode::Default, "Default", "default"},
    {TokenTypeCode::Continue, "Continue", "continue"},
    {TokenTypeCode::Break, "Break", "break"},
    {TokenTypeCode::Include, "Include", "include"},
    {TokenTypeCode::Operator, "Operator", "operator"},
};
const int kTokenTypeTableSize = static_cast<int>(sizeof(kTokenTypeTable) / sizeof(kTokenTypeTable[0]));

std::string tokenTypeName(int code) {
  const char* name = nameOfCode(kTokenTypeTable, kTokenTypeTableSize, code);
  return name ? name : "#" + std::to_string(code);
}

const NamedCode kJsModeTable[] = {
    {JsMode::Plain, "Plain", "statement and expression text"},
    {JsMode::Member, "Member", "instance methods, bodies, parameter groups, second constructor pass"},
    {JsMode::ClassBody, "ClassBody", "class-body statements, static variables, static functions"},
    {JsMode::Accessor, "Accessor", "a getter or setter"},
    {JsMode::SplitConstructor, "SplitConstructor", "constructor split at the end of its parameters"},
    {JsMode::WholeConstructor, "WholeConstructor", "a whole constructor"},
    {JsMode::ConstructorVars, "ConstructorVars", "first constructor pass over instance variables"},
    {JsMode::TsConstructorVars, "TsConstructorVars", "ConstructorVars in TypeScript"},
    {JsMode::TsMember, "TsMember", "Member in TypeScript"},
    {JsMode::TsClassBody, "TsClassBody", "ClassBody in TypeScript"},
    {JsMode::OutsidePackage, "OutsidePackage", "a function after the package block"},
    {JsMode::PrivateClass, "PrivateClass", "a private class of a file"},
    {JsMode::TsInterfaceMember, "TsInterfaceMember", "an interface member in TypeScript"},
};
const int kJsModeTableSize = static_cast<int>(sizeof(kJsModeTable) / sizeof(kJsModeTable[0]));

const char* jsModeName(int mode) {
  const char* name = nameOfCode(kJsModeTable, kJsModeTableSize, mode);
  return name ? name : "?";
}

static_assert(sizeof(Token) <= 96, "a token is made for every few bytes of source: keep it small");

// ---- the token pool ----
//
// Blocks of 4 MB, aligned to their size, are cut into pages of 64 KB; each
// page serves one size class, and the block's first bytes record the class
// of every page. A token therefore needs no header: the pointer finds its
// block by masking, its page by a shift, and so its class, and a token may
// be freed through any pointer type of its hierarchy. A freed token goes
// back to its class's free list. The sanitizer build uses the plain heap, so
// that the address checker sees every token.

#if RUVO_TOKEN_POOL
namespace {

// Slots are 8-byte aligned: no token class asks for more.
template <class... Classes>
constexpr bool alignedWithinGrain() {
  return ((alignof(Classes) <= tokenpool::kSlotGrain) && ...);
}
template <class... Classes>
constexpr size_t largest() {
  size_t n = 0;
  ((n = sizeof(Classes) > n ? sizeof(Classes) : n), ...);
  return n;
}
#define RUVO_TOKEN_CLASSES                                                                                       \
  Token, Parse, TokenParent, TokenColon, TokenVar, TokenFunction, TokenFor, TokenNew, TokenIn, TokenCase,        \
      TokenBreak, TokenContinue, TokenIs, TokenAs, TokenSuper, TokenEmbed, TokenUntyped, TokenVector, TokenWith, \
      TokenCatch, TokenClass, TokenInterface, TokenPackage, TokenImport, TokenExtends
static_assert(alignedWithinGrain<RUVO_TOKEN_CLASSES>());
constexpr size_t kPoolBlock = size_t(4) << 20;  // 4 MB
constexpr size_t kPageShift = 16;               // 64 KB pages
constexpr size_t kPages = kPoolBlock >> kPageShift;
static_assert(largest<RUVO_TOKEN_CLASSES>() <= tokenpool::kPooledMax, "every token class fits a pool slot");
#undef RUVO_TOKEN_CLASSES
constexpr uint16_t kWholeBlock = 0xffff;  // the block holds one large object
using tokenpool::kSlotGrain;
using tokenpool::kPooledMax;
using tokenpool::PoolSlot;

// At the start of every block; the first page serves slots after it.
struct BlockHeader {
  uint16_t pageClass[kPages];
};
constexpr size_t kHeaderRoom = (sizeof(BlockHeader) + kSlotGrain - 1) / kSlotGrain * kSlotGrain;

BlockHeader* blockOf(const void* p) {
  return reinterpret_cast<BlockHeader*>(reinterpret_cast<uintptr_t>(p) & ~(uintptr_t(kPoolBlock) - 1));
}

void* newBlock() {
#if RUVO_POSIX_BLOCKS
  // Twice the size is mapped and the parts before and after the aligned
  // block are given back, so a block takes no more address space than its
  // own (an address-space limit counts every mapped byte).
  const size_t span = kPoolBlock * 2;
  void* mapped = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t start = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t aligned = (start + kPoolBlock - 1) & ~(uintptr_t(kPoolBlock) - 1);
  if (aligned > start) munmap(mapped, aligned - start);
  if (start + span > aligned + kPoolBlock)
    munmap(reinterpret_cast<void*>(aligned + kPoolBlock), start + span - (aligned + kPoolBlock));
  void* block = reinterpret_cast<void*>(aligned);
  // Left to the system's ordinary 4 KB pages, as the heap is: a 2 MB page
  // is zeroed whole at its first touch and the system may first have to
  // gather free memory to make one, which on the 1,600-class benchmark
  // project cost 0.4 to 0.5 s of system time where 4 KB pages take 0.2 s.
#else
  void* block = ::operator new(kPoolBlock, std::align_val_t(kPoolBlock), std::nothrow);
#endif
  if (!block) throw std::bad_alloc();
  return block;
}

}  // namespace

namespace tokenpool {

constinit TokenPool g_pool{};
static_assert(std::is_trivially_destructible_v<TokenPool>);

// A large object, or a class whose page is used up: a new page (from a
// new block when the current one has none left).
void* TokenPool::allocateSlow(size_t size) {
  const size_t total = (size + kSlotGrain - 1) / kSlotGrain * kSlotGrain;
  if (total > kPooledMax) {
    void* whole = newBlock();  // kept to the end of the process
    static_cast<BlockHeader*>(whole)->pageClass[0] = kWholeBlock;
    return static_cast<char*>(whole) + kHeaderRoom;
  }
  const size_t cls = total / kSlotGrain;
  auto* current = static_cast<BlockHeader*>(block);
  if (nextPage == kPages || !current) {
    current = static_cast<BlockHeader*>(newBlock());  // kept to the end of the process
    *current = BlockHeader{};
    block = current;
    nextPage = 0;
  }
  char* page = reinterpret_cast<char*>(current) + (nextPage << kPageShift);
  current->pageClass[nextPage] = static_cast<uint16_t>(cls);
  cursor[cls] = (nextPage == 0 ? page + kHeaderRoom : page) + total;
  limit[cls] = page + (size_t(1) << kPageShift);
  ++nextPage;
  return cursor[cls] - total;
}

void TokenPool::release(void* p) {
  BlockHeader* owner = blockOf(p);
  const size_t page = (static_cast<char*>(p) - reinterpret_cast<char*>(owner)) >> kPageShift;
  const uint16_t cls = owner->pageClass[page];
  if (cls == kWholeBlock) return;  // kept with the other blocks; it never happens for a known class
  auto* node = static_cast<PoolSlot*>(p);
  node->next = free[cls];
  free[cls] = node;
}

}  // namespace tokenpool
#endif

void* Token::operator new(size_t size) {
#if RUVO_TOKEN_POOL
  return tokenpool::allocate(size);
#else
  return ::operator new(size);
#endif
}

void Token::operator delete(void* p) noexcept {
  if (!p) return;
#if RUVO_TOKEN_POOL
  tokenpool::g_pool.release(p);
#else
  ::operator delete(p);
#endif
}

// ---- the default virtual operations ----

std::string Token::getValue() { return text; }

// A private member keeps its name unless a base class has a member of the
// same name; then it becomes "_$" + inheritance level + "_" + name, so the
// two never meet on one JavaScript object.
std::string Token::getSelfValue() {
  if (flags & TokenModifierFlags::Private) {
    TokenClass* cls = getTokenClass();
    if (cls) {
      std::string value = getValue();
      if (!privateNameDone && !cls->superHasThisVar(value.c_str())) return value;
      privateNameDone = 1;
      // Written in place, in one allocation: every use of the member asks again.
      char level[16];
      char* levelEnd = std::to_chars(level, level + sizeof level, cls->level).ptr;
      std::string renamed;
      renamed.reserve(3 + static_cast<size_t>(levelEnd - level) + value.size());
      renamed.append("_$").append(level, levelEnd).append(1, '_').append(value);
      return renamed;
    }
  }
  return getValue();
}

TokenClass* Token::getTokenClass() { return parent ? parent->getTokenClass() : nullptr; }
TokenFunction* Token::getTokenFunction() { return parent ? parent->getTokenFunction() : nullptr; }
TokenFunction* Token::getClassTokenFunction() { return parent ? parent->getClassTokenFunction() : nullptr; }
bool Token::isInlineFunction() { return parent ? parent->isInlineFunction() : false; }
bool Token::isInStatic() { return isStatic() || (parent ? parent->isInStatic() : false); }
TokenVarMap* Token::getVarMap() { return parent ? parent->getVarMap() : nullptr; }

Token* Token::getTokenInVarMap(const char* name) {
  if (!name) return nullptr;
  TokenVarMap* map = getVarMap();
  return map ? map->get(name, nullptr) : nullptr;
}

// ---- child loops ----

// Prints the children of `list` from `start` on, as many as it holds now (a
// child that adds entries while it prints does not print them here); `sep`
// follows every child that printed.
void Token::_childsToJs_(std::string& out, Parse* file, TokenList& list, int mode, const char* sep,
                         int typeCommentOff, int start) {
  const ChildRange range{.from = start < 0 ? 0 : static_cast<size_t>(start), .to = list.size(), .separator = sep};
  _childRangeToJs_(out, file, list, range, mode, typeCommentOff);
}

namespace {

// A child that Token::toJsScript would print as its bare text: a plain token
// (no class of its own) of a separator, operator, number or literal type,
// printed, with no children, no type word and no pending error, and no
// "++"/"--" (which may belong to the word after it) or "=" with a safe mark.
// Returns false, writing nothing, for any other child. Most children of a
// statement are such tokens: they print here, without the virtual call and
// the checks every other token needs. The type's information is compared by
// address: an equal address is the plain token for sure, and a class whose
// information sits elsewhere takes the full path.
bool printedAsBareText(Token* child, std::string& out) {
  const std::string& text = child->text.str();
  bool apart = true;
  switch (child->type) {
    case TokenTypeCode::While:
    case TokenTypeCode::Return:
    case TokenTypeCode::Comma:
    case TokenTypeCode::Semicolon:
    case TokenTypeCode::Colon:
    case TokenTypeCode::Reserved:
    case TokenTypeCode::DeclaredName:
    case TokenTypeCode::Number:
    case TokenTypeCode::Literal:
    case TokenTypeCode::ObjectKey:
      break;
    case TokenTypeCode::Operator:
      if (text.size() == 2 && text[0] == text[1] && (text[0] == '+' || text[0] == '-')) return false;
      break;
    case TokenTypeCode::Assign:
    case TokenTypeCode::Question:
      if (child->safeMark) return false;
      apart = false;
      break;
    default:
      return false;
  }
  if (&typeid(*child) != &typeid(Token) || !child->outputEnabled || !child->childs.empty() || child->typeToken() ||
      !child->pendingError().empty())
    return false;
  const size_t joint = out.size();
  appendText(out, text);
  if (apart) Token::keepTokensApart(out, joint);
  return true;
}

}  // namespace

// The one loop that prints a run of children. A negative skip count never
// moves the output back (every child is printed at most once); a child may
// shorten the list while it prints.
size_t Token::_childRangeToJs_(std::string& out, Parse* file, TokenList& list, const ChildRange& range, int mode,
                               int typeCommentOff) {
  size_t leadingTextsToDrop = range.dropLeadingTexts;
  size_t i = range.from;
  for (; i < range.to && i < list.size(); ++i) {
    Token* child = list[i];
    if (range.stopAt && range.stopAt(child)) break;
    if (!child) continue;
    if (leadingTextsToDrop > 0)
      --leadingTextsToDrop;
    else if (!child->leadingText.empty())  // many tokens follow the one before without a blank
      appendText(out, child->leadingText.str());
    if (range.skipsDisabled) {
      // Only a declaration with a type word has a use to note, once.
      if (range.notesTypeUses && __ISRELEASE__ && !child->typeUseRegistered && child->typeToken())
        child->addTypeDeclarationClassUse();
      if (!child->outputEnabled) continue;
    }
    const size_t joint = out.size();
    const int skip = printedAsBareText(child, out) ? 0 : child->toJsScript(out, file, mode, typeCommentOff);
    if (range.keepsTokensApart) keepTokensApart(out, joint);
    if (skip > 0) i += static_cast<size_t>(skip);
    if (range.separator) {
      if (range.separator[0] != '\0' && range.separator[1] == '\0')
        out.push_back(range.separator[0]);
      else
        out += range.separator;
    }
  }
  return i;
}

// Two pieces of output that meet without a blank must not run together into
// one JavaScript token the source did not have: a division followed by a
// comment or a regular expression ("/" + "/*no*/this.x" would start a line
// comment), or "+" or "-" followed by the same sign ("a-" + "-1" from an
// inlined constant would read as a decrement). A blank keeps them apart.
void Token::separateTokens(std::string& out, size_t joint) {
  const char before = out[joint - 1];
  const char after = out[joint];
  const bool apart = (before == '/' && (after == '/' || after == '*')) ||
                     ((before == '+' || before == '-') && after == before);
  if (apart) out.insert(joint, 1, ' ');
}

void Token::_childsToJs_(std::string& out, Parse* file, int mode, int typeCommentOff, int start) {
  _childsToJs_(out, file, childs, mode, nullptr, typeCommentOff, start);
}

// Pretreats the children of `list`. A child that replaces itself returns -1
// (or less) and the loop goes back to visit the new entries; the index never
// goes below the first child, and a child that goes back without changing
// the list is stepped over, so the loop always ends.
void Token::childsPretreatment(Parse* file, TokenList& list) {
  long long backSteps = 0;
  const long long maxBackSteps = 16 * static_cast<long long>(list.size()) + 4096;
  for (long long i = 0; i < static_cast<long long>(list.size()); ++i) {
    i = static_cast<long long>(pretreatPlainLeaves(file, list, static_cast<size_t>(i)));
    if (i >= static_cast<long long>(list.size())) break;
    Token* child = list[static_cast<size_t>(i)];
    if (child->noDefaultValues) {
      for (Token* t = child; t; t = t->parent) t->noDefaultValues = 1;
    }
    const size_t sizeBefore = list.size();
    int skip = child->pretreatment(file);
    if (skip < 0) {
      bool unchanged =
          list.size() == sizeBefore && i < static_cast<long long>(list.size()) && list[static_cast<size_t>(i)] == child;
      if (unchanged || backSteps >= maxBackSteps) continue;
      ++backSteps;
    }
    i += skip;
    if (i < -1) i = -1;
  }
  if (&list == &childs) closeVarGaps();
}

std::unordered_map<Token*, std::vector<TokenVar*>>& Token::_varGapOwners_() {
  static std::unordered_map<Token*, std::vector<TokenVar*>> owners;
  return owners;
}

void Token::closeMarkedVarGaps() {
  varGaps = 0;
  auto found = _varGapOwners_().find(this);
  if (found == _varGapOwners_().end()) return;
  const std::vector<TokenVar*>& owners = found->second;

  // A declaration's gap is the nulls in front of its slot, which holds it
  // still or is null when it left the list (an instance member). A gap that
  // something was put into since is left as it is. The gaps to take out are
  // kept in one buffer for all lists (the walk closes one list at a time).
  static std::vector<std::pair<size_t, size_t>> gaps;
  gaps.clear();
  bool inOrder = true;
  for (TokenVar* declaration : owners) {
    const size_t end = static_cast<size_t>(declaration->index);
    const size_t gap = declaration->gapBefore;
    declaration->gapBefore = 0;
    declaration->gapMark = 0;
    if (declaration->index < 0 || end > childs.size() || gap > end) continue;
    if (end < childs.size() && childs[end] && childs[end] != declaration) continue;
    bool empty = true;
    for (size_t k = end - gap; k < end && empty; ++k) empty = !childs[k];
    if (!empty || gap == 0) continue;
    if (!gaps.empty() && end - gap < gaps.back().second) inOrder = false;
    gaps.emplace_back(end - gap, end);
  }
  _varGapOwners_().erase(found);
  if (!inOrder) closeGapsOutOfOrder(gaps);

  // The gaps follow one another (the declarations gathered in list order):
  // the children between them move down past the gaps before, each learning
  // its new index.
  const size_t n = childs.size();
  size_t w = 0;
  size_t r = 0;
  auto keepUpTo = [&](size_t to) {
    for (; r < to; ++r, ++w) {
      Token* child = childs[r];
      childs[w] = child;
      if (child) child->index = static_cast<int32_t>(w);
    }
  };
  if (inOrder)
    for (const auto& [from, to] : gaps) {
      keepUpTo(from);
      r = to;
    }
  keepUpTo(n);
  childs.resize(w);
}

// Gaps that overlap or come out of list order (a list changed by a malformed
// source) are merged first: every slot in any of them goes, and the list
// keeps the rest in order.
void Token::closeGapsOutOfOrder(std::vector<std::pair<size_t, size_t>>& gaps) {
  static std::vector<uint8_t> drop;
  drop.assign(childs.size(), 0);
  for (const auto& [from, to] : gaps)
    for (size_t k = from; k < to; ++k) drop[k] = 1;
  size_t w = 0;
  for (size_t r = 0; r < childs.size(); ++r) {
    if (drop[r]) continue;
    childs[w++] = childs[r];
  }
  childs.resize(w);
  gaps.clear();
}

void Token::closeAllVarGaps() {
  std::vector<Token*> stack{this};
  while (!stack.empty()) {
    Token* t = stack.back();
    stack.pop_back();
    t->closeVarGaps();
    for (Token* child : t->childs)
      if (child) stack.push_back(child);
  }
  // What is left belongs to tokens no longer in the tree.
  _varGapOwners_().clear();
}

// ---- placing children ----

void Token::insertIt(Token* child, int at) {
  if (!child) return;
  const int count = static_cast<int>(childs.size());
  if (at < 0) at = 0;
  if (at > count) at = count;
  childs.push_back(nullptr);
  for (int i = count; i > at; --i) {
    Token* moved = childs[i - 1];
    childs[i] = moved;
    if (moved) {
      moved->index = i;
      moved->parent = this;
      moved->file = file;
    }
  }
  childs[at] = child;
  child->index = at;
  child->parent = this;
  child->file = file;
}

void Token::setIn(Token* child, int at) {
  if (at < 0 || at >= static_cast<int>(childs.size())) return;
  childs[at] = child;
  if (child) {
    child->index = at;
    child->parent = this;
    child->file = file;
  }
}

bool Token::eraseChild(int at) {
  const int count = static_cast<int>(childs.size());
  if (at < 0 || at >= count) return false;
  for (int i = at; i + 1 < count; ++i) {
    Token* moved = childs[i + 1];
    childs[i] = moved;
    if (moved) moved->index = i;
  }
  childs.pop_back();
  return true;
}

bool Token::clearNextToken(Token* child, int offset) {
  if (!child) return false;
  long long at = static_cast<long long>(child->index) + offset;
  const long long count = static_cast<long long>(childs.size());
  if (at < 0 || at >= count || !childs[static_cast<size_t>(at)]) return false;
  if (at == count - 1) {
    childs.pop_back();
  } else {
    childs[static_cast<size_t>(at)] = nullptr;
  }
  return true;
}

// ---- looking at siblings ----

Token* Token::getNextToken(Token* child, int offset, TokenList* list) {
  if (!child) return nullptr;
  TokenList& l = list ? *list : childs;
  long long at = static_cast<long long>(child->index) + offset;
  if (at < 0 || at >= static_cast<long long>(l.size())) return nullptr;
  return l[static_cast<size_t>(at)];
}

Token* Token::getTokenFrome(int at, TokenList* list) {
  TokenList& l = list ? *list : childs;
  if (at < 0 || at >= static_cast<int>(l.size())) return nullptr;
  return l[at];
}

std::string Token::getNextValue(Token* child, int offset) {
  Token* t = getNextToken(child, offset);
  return t ? t->text.str() : std::string();
}

int Token::getNextType(Token* child, int offset) {
  Token* t = getNextToken(child, offset);
  return t ? t->type : -10000;
}

bool Token::checkNextType(Token* child, int offset, int type) {
  Token* t = getNextToken(child, offset);
  return t && t->type == type;
}

Token* Token::nextSibling(int offset) { return parent ? parent->getNextToken(this, offset) : nullptr; }

namespace {

// A token after which an expression goes on over a line break: a binary or
// prefix operator (not ++ or --, which at a line end belong to the operand
// before them), "=", "?", ":", "new" and the type and membership words.
bool expressionGoesOnAfter(const Token* t) {
  switch (t->type) {
    case TokenTypeCode::Operator:
      return t->text != "++" && t->text != "--";
    case TokenTypeCode::Assign:
    case TokenTypeCode::Question:
    case TokenTypeCode::Colon:
    case TokenTypeCode::Comma:
    case TokenTypeCode::New:
    case TokenTypeCode::As:
    case TokenTypeCode::Is:
    case TokenTypeCode::In:
      return true;
    default:
      return false;
  }
}

// A token that goes on with the expression before it from the start of a
// line: a binary operator, "?", ":", ",", a call or index group, a member
// access (.name) and the type and membership words.
bool continuesExpression(const Token* t) {
  switch (t->type) {
    case TokenTypeCode::Operator:
      return t->text != "++" && t->text != "--" && t->text != "!" && t->text != "~";
    case TokenTypeCode::Assign:
    case TokenTypeCode::Question:
    case TokenTypeCode::Colon:
    case TokenTypeCode::Comma:
    case TokenTypeCode::Paren:
    case TokenTypeCode::Bracket:
    case TokenTypeCode::As:
    case TokenTypeCode::Is:
    case TokenTypeCode::In:
      return true;
    case TokenTypeCode::Word:
      return !t->text.empty() && t->text[0] == '.';
    default:
      return false;
  }
}

}  // namespace

bool beginsNextStatement(const Token* t, bool amongMembers) {
  if (!t) return false;
  if (t->type == TokenTypeCode::Case || t->type == TokenTypeCode::Default ||
      (t->type == TokenTypeCode::StatementWord && t->text == "else"))
    return true;
  if (t->leadingText.find('\n') == std::string::npos) return false;
  // Among members a { } block on a new line is the body of a function value
  // written with its brace on the next line (var f:Function = function()).
  if (amongMembers && t->type == TokenTypeCode::Block) return false;
  const bool metadataTag = amongMembers && (t->type == TokenTypeCode::Bracket || t->type == TokenTypeCode::As);
  if (!metadataTag && continuesExpression(t)) return false;
  const Token* holder = t->parent;
  if (!holder || t->index < 0 || static_cast<size_t>(t->index) >= holder->childs.size()) return false;
  for (int i = t->index - 1; i >= 0; --i) {
    const Token* before = holder->childs[static_cast<size_t>(i)];
    if (before) return !expressionGoesOnAfter(before);
  }
  return false;
}

std::string jsLocalName(const std::string& name) { return jsLocalNameChanges(name) ? name + "$" : name; }

bool jsLocalNameChanges(const std::string& name) {
  // Reserved in every script, in async functions (await), or in strict code
  // such as the TypeScript modules. JavaScript's other reserved words are
  // ActionScript keywords and never name a local. Every reserved word is 3 to
  // 10 bytes long and starts with one of "adeilpsy": most names are told
  // apart by their first byte, without looking for the '$' at their end.
  const char first = name.empty() ? '\0' : name[0];
  if (!(first == 'a' || first == 'd' || first == 'e' || first == 'i' || first == 'l' || first == 'p' ||
        first == 's' || first == 'y'))
    return false;
  const size_t bare = name.find_last_not_of('$');
  if (bare == std::string::npos || bare < 2 || bare > 9) return false;
  const std::string_view word(name.data(), bare + 1);
  switch (first) {
    case 'a': return word == "await";
    case 'd': return word == "debugger";
    case 'e': return word == "enum" || word == "export";
    case 'i': return word == "implements" || word == "interface";
    case 'l': return word == "let";
    case 'p': return word == "package" || word == "private" || word == "protected" || word == "public";
    case 's': return word == "static";
    default: return word == "yield";
  }
}

// ---- searches ----

int Token::findThisType(int type, int from) {
  const int count = static_cast<int>(childs.size());
  if (from < 0 || from >= count) return -1;
  for (int i = from; i < count; ++i)
    if (childs[i] && childs[i]->type == type) return i;
  return -1;
}

int Token::findThisTypePre(int type, int from) {
  if (from < 0 || from >= static_cast<int>(childs.size())) return -1;
  for (int i = from; i >= 0; --i)
    if (childs[i] && childs[i]->type == type) return i;
  return -1;
}

// Depth first over the descendants, without recursion: trees built by the
// later passes may be deeper than the lexer's own nesting limit.
bool Token::childsHasThisType(int type, bool self) {
  if (self && this->type == type) return true;
  TokenList stack(childs.rbegin(), childs.rend());
  while (!stack.empty()) {
    Token* t = stack.back();
    stack.pop_back();
    if (!t) continue;
    if (t->type == type) return true;
    stack.insert(stack.end(), t->childs.rbegin(), t->childs.rend());
  }
  return false;
}

namespace {
bool endsStatement(int type) { return type == 18 || type == 26 || type == 27 || type == 41 || type == 100; }

bool isStatementKeyword(const std::string& text) {
  static const char* const kWords[] = {"if",    "else", "while",    "for", "var",   "function", "switch",
                                       "break", "case", "continue", "try", "catch", "finally",  "throw"};
  for (const char* w : kWords)
    if (text == w) return true;
  return false;
}
}  // namespace

int Token::getPreLineInChilds(int at) {
  if (at <= 0 || at >= static_cast<int>(childs.size())) return 0;
  for (int i = at; i >= 0; --i)
    if (childs[i] && endsStatement(childs[i]->type)) return i + 1;
  return 0;
}

int Token::getNextLineInChilds(TokenList& list, int from) {
  const int count = static_cast<int>(list.size());
  if (from <= 0 || from >= count) return 0;
  for (int i = from; i < count; ++i) {
    Token* t = list[i];
    if (t && (endsStatement(t->type) || t->type == 42)) return i;
  }
  return count;
}

int Token::getLineEnd(TokenList& list, int from) {
  const int count = static_cast<int>(list.size());
  if (from <= 0 || from >= count) return 0;
  for (int i = from; i < count; ++i) {
    Token* t = list[i];
    if (!t) continue;
    if (t->type == 18 || t->type == 21 || t->type == 26 || t->type == 27) return i;
    if (t->type == 58) return i + 1;
    if (isStatementKeyword(t->text)) return i - 1;
  }
  return count;
}

// ---- predicates and small queries ----

bool Token::isClassMember() { return parent && parent->type == 21 && parent->parent && parent->parent->type == 52; }

// Whether `name` is a plain method (no getter, no setter) of `cls` or of one
// of its base classes. The walk is bounded by the number of classes, so a
// cycle in the inheritance chain of broken sources ends it.
bool Token::isInSelFunction(std::string& name, TokenClass* cls) {
  size_t steps = 0;
  for (TokenClass* c = cls; c && steps <= TokenClass::_classCount_(); ++steps) {
    auto it = c->members.find(name);
    if (it != c->members.end() && it->second && it->second->type == TokenTypeCode::Function) {
      auto* fn = dynamic_cast<TokenFunction*>(it->second);
      if (fn) return fn->accessorKind == AccessorKind::None;
    }
    if (!c->superClass && !c->superName.empty()) c->setSuperClass(TokenClass::GetTokenClass(c->superName));
    c = c->superClass;
  }
  return false;
}

std::string Token::GetFullClassName(Parse* file, std::string name) {
  if (name.find('.', 1) != std::string::npos) return name;
  if (file && file->package) {
    TokenPackage* pkg = file->package;
    if (!pkg->text.empty()) {
      std::string full = pkg->text + "." + name;
      if (TokenClass::GetTokenClass(full)) return full;
    }
    auto it = pkg->importMap.find(name);
    if (it != pkg->importMap.end()) return it->second;
  }
  return name;
}

// ---- copying and freeing trees ----

namespace {

// Calls fn with the token cast to its dynamic class; false for a class this
// file does not know.
template <class Fn>
bool withDynamicType(Token* t, Fn&& fn) {
  const std::type_info& ti = typeid(*t);
#define RUVO_TOKEN_CLASS(C) \
  if (ti == typeid(C)) {    \
    fn(static_cast<C*>(t)); \
    return true;            \
  }
  RUVO_TOKEN_CLASS(Token)
  RUVO_TOKEN_CLASS(TokenParent)
  RUVO_TOKEN_CLASS(TokenColon)
  RUVO_TOKEN_CLASS(TokenVar)
  RUVO_TOKEN_CLASS(TokenFunction)
  RUVO_TOKEN_CLASS(TokenFor)
  RUVO_TOKEN_CLASS(TokenNew)
  RUVO_TOKEN_CLASS(TokenIn)
  RUVO_TOKEN_CLASS(TokenCase)
  RUVO_TOKEN_CLASS(TokenBreak)
  RUVO_TOKEN_CLASS(TokenContinue)
  RUVO_TOKEN_CLASS(TokenIs)
  RUVO_TOKEN_CLASS(TokenAs)
  RUVO_TOKEN_CLASS(TokenSuper)
  RUVO_TOKEN_CLASS(TokenEmbed)
  RUVO_TOKEN_CLASS(TokenUntyped)
  RUVO_TOKEN_CLASS(TokenVector)
  RUVO_TOKEN_CLASS(TokenWith)
  RUVO_TOKEN_CLASS(TokenCatch)
  RUVO_TOKEN_CLASS(TokenClass)
  RUVO_TOKEN_CLASS(TokenInterface)
  RUVO_TOKEN_CLASS(TokenPackage)
  RUVO_TOKEN_CLASS(TokenImport)
  RUVO_TOKEN_CLASS(TokenExtends)
  RUVO_TOKEN_CLASS(Parse)
#undef RUVO_TOKEN_CLASS
  return false;
}

}  // namespace

Token* cloneTokenTree(Token* source) {
  if (!source) return nullptr;
  Token* copy = nullptr;
  withDynamicType(source, [&](auto* t) { copy = new std::remove_pointer_t<decltype(t)>(*t); });
  if (!copy) copy = new Token(*source);  // a class unknown here: its Token part
  copy->parent = nullptr;
  copy->index = -1;
  for (Token*& child : copy->childs) {
    Token* childCopy = cloneTokenTree(child);
    if (childCopy) {
      childCopy->parent = copy;
      childCopy->index = child->index;
    }
    child = childCopy;
  }
  return copy;
}

void deleteTokenTree(Token* root) {
  // A token may stand in two lists (a pass may keep a block in two places):
  // each is freed once. A collected token is marked through its index.
  constexpr int32_t kCollected = INT32_MIN;
  TokenList collected;
  TokenList stack;
  if (root) stack.push_back(root);
  while (!stack.empty()) {
    Token* t = stack.back();
    stack.pop_back();
    if (t->index == kCollected) continue;
    t->index = kCollected;
    collected.push_back(t);
    for (Token* child : t->childs)
      if (child && child->index != kCollected) stack.push_back(child);
  }
  for (Token* t : collected) {
    if (t == static_cast<Token*>(pCurAddClass)) pCurAddClass = nullptr;
      // The token is deleted as exactly its own class, so the missing
      // virtual destructor does no harm here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdelete-non-virtual-dtor"
    withDynamicType(t, [](auto* p) { delete p; });
#pragma GCC diagnostic pop
  }
}
