// Awaited calls. ActionScript has no await; a call written "await::f(x)"
// suspends the enclosing function until the runtime resumes it. The function
// body becomes a continuation `__$(__line)` that is re-entered at a source
// line: every statement is guarded by a test of the resume line, so that on
// re-entry the statements that already ran are skipped.
//
//   function f() { a(); await::g(); b(); }
// becomes
//   function f() { var _$this=this,__$=function (__line){
//     if(__line<1){ a(); Ruvo.await(_$this,__$,2);return g(); }
//     if(__line<3){ b(); } }
//   __$.call(this,0); }
//
// The rewriting runs on the lexed body, before its statements are pretreated,
// so declarations, conditions and bodies are still siblings in their block.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "CompilerOptions.h"
#include "OutputMarkers.h"
#include "Token.h"
#include "TokenFunction.h"
#include "TokenOther.h"
#include "parse.h"
#include "platform.h"
#include "xstringmethod.h"

namespace {

Token* newLiteral(const std::string& text, int line) {
  return new Token(TokenTypeCode::Literal, text.c_str(), 0, line, nullptr);
}

Token* newGroup(int line) { return new TokenParent(TokenTypeCode::Paren, "", 0, line, nullptr); }

Token* newBlock(const char* text, int line) {
  Token* block = new Token(TokenTypeCode::Block, text, 0, line, nullptr);
  block->endLine = line;
  block->asyncVisited = 1;
  return block;
}

// Takes a token out of the list it was put in (its slot becomes empty).
void dropFromParent(Token* t) {
  if (!t || !t->parent) return;
  Token* p = t->parent;
  if (t->index >= 0 && t->index < static_cast<int>(p->childs.size()) && p->childs[t->index] == t)
    p->childs[t->index] = nullptr;
}

bool isBlock(const Token* t) { return t && t->type == TokenTypeCode::Block; }
bool isGroup(const Token* t) { return t && t->type == TokenTypeCode::Paren; }
bool isColon(const Token* t) { return t && (t->type == TokenTypeCode::Colon || t->text == ":"); }
bool isWordText(const Token* t, const char* word) { return t && t->type != TokenTypeCode::Literal && t->text == word; }
bool isStatementWord(const Token* t) {
  return t &&
         (t->type == TokenTypeCode::Word || t->type == TokenTypeCode::StatementWord ||
          t->type == TokenTypeCode::SystemType || t->type == TokenTypeCode::While || t->type == TokenTypeCode::For);
}

// Puts `t` in front of the children of `block`.
void insertFirst(Token* block, Token* t) {
  t->parent = block;
  t->file = block->file;
  block->childs.insert(block->childs.begin(), t);
  for (size_t k = 0; k < block->childs.size(); ++k)
    if (block->childs[k]) block->childs[k]->index = static_cast<int>(k);
}

Token* entryAt(const TokenList& list, size_t at) { return at < list.size() ? list[at] : nullptr; }

// The index of the { } block that is the body of the function token at
// `at` (function [name] (params) [: Type] { }), or -1.
long functionBodyIndex(const TokenList& list, size_t at) {
  Token* fn = entryAt(list, at);
  if (!fn || fn->type != TokenTypeCode::Function) return -1;
  size_t k = at + 1;
  if (entryAt(list, k) && entryAt(list, k)->type != TokenTypeCode::Paren && !isBlock(entryAt(list, k))) {
    Token* head = entryAt(list, k);
    if (head->type != TokenTypeCode::Word && head->type != TokenTypeCode::StatementWord &&
        head->type != TokenTypeCode::SystemType)
      return -1;
    ++k;
    // get name / set name
    Token* next = entryAt(list, k);
    if (next && !isGroup(next) && (head->text == "get" || head->text == "set")) ++k;
  }
  if (!isGroup(entryAt(list, k))) return -1;
  ++k;
  if (isColon(entryAt(list, k))) k += 2;
  return isBlock(entryAt(list, k)) ? static_cast<long>(k) : -1;
}

// Whether the block at `at` is the body of a function written before it.
bool isFunctionBodyAt(const TokenList& list, size_t at) {
  size_t lowest = at >= 7 ? at - 7 : 0;
  for (size_t k = at; k-- > lowest;) {
    Token* t = list[k];
    if (t && t->type == TokenTypeCode::Function) return functionBodyIndex(list, k) == static_cast<long>(at);
  }
  return false;
}

// Whether the ':' at `at` ends a case or default clause head or a label
// (case 1: { ... }, outer: { ... }), after which a block is a statement.
bool isClauseOrLabelColonAt(const TokenList& list, size_t at) {
  Token* before[2] = {nullptr, nullptr};
  size_t found = 0;
  for (size_t k = at; k-- > 0 && found < 2;)
    if (list[k]) before[found++] = list[k];
  if (before[0] && before[0]->type == TokenTypeCode::Default) return true;
  if (before[1] && before[1]->type == TokenTypeCode::Case) return true;
  return before[0] && before[0]->type == TokenTypeCode::Word &&
         (!before[1] || before[1]->type == TokenTypeCode::Semicolon || isBlock(before[1]));
}

// Whether the block at `at` is an object literal inside an expression
// (o = {a: 1}, f({...}), [{...}], return {...}), not a statement block.
bool isObjectLiteralAt(const TokenList& list, size_t at) {
  for (size_t k = at; k-- > 0;) {
    Token* t = list[k];
    if (!t) continue;
    if (t->type == TokenTypeCode::Literal) return false;
    const std::string_view x = t->text.str();
    if (x == ":") return !isClauseOrLabelColonAt(list, k);
    return x == "=" || x == "," || x == "?" || x == "(" || x == "[" || x == "return" || x == "||" || x == "&&" ||
           x == "+=" || x == "==" || x == "!=" || x == "===" || x == "!==";
  }
  return false;
}

// Whether the block at `at` is the body of a loop written before it
// (while (...) { }, for (...) { }, do { }).
bool isLoopBodyAt(const TokenList& list, size_t at) {
  Token* before = at >= 1 ? list[at - 1] : nullptr;
  if (isWordText(before, "do")) return true;
  Token* keyword = at >= 2 ? list[at - 2] : nullptr;
  return isGroup(before) && (isWordText(keyword, "while") || isWordText(keyword, "for"));
}

// A resumed loop body must start its next round from the top: every
// `continue` of the body that the rewriting left alone (in a block without
// awaited calls) resets the resume line first. Nested loops and functions
// keep their own continues.
void resetLineBeforeContinues(Token* block) {
  for (size_t k = 0; k < block->childs.size(); ++k) {
    Token* c = block->childs[k];
    if (!c) continue;
    if (c->type == TokenTypeCode::Continue) {
      Token* reset = newLiteral("\n__line=0;\n", c->line);
      reset->parent = block;
      reset->file = block->file;
      block->childs.insert(block->childs.begin() + static_cast<long>(k), reset);
      for (size_t r = k; r < block->childs.size(); ++r)
        if (block->childs[r]) block->childs[r]->index = static_cast<int>(r);
      ++k;
      continue;
    }
    if (isBlock(c) && !c->awaitedCall && !isLoopBodyAt(block->childs, k) && !isFunctionBodyAt(block->childs, k))
      resetLineBeforeContinues(c);
  }
}

// Rebuilds the children of one block that holds awaited calls.
class BlockRewrite {
 public:
  BlockRewrite(Token* block, Parse* file, TokenFunction* function, Token* body, TokenList& old, bool loopBody)
      : block_(block), file_(file), function_(function), body_(body), old_(old), loopBody_(loopBody) {}

  void run();

 private:
  Token* at(size_t i) const { return entryAt(old_, i); }
  int line() const { return block_->line; }

  // if(__line<N){ ... }: the guard block becomes the current container.
  void openGuard(int n) {
    block_->push(newLiteral("\nif", line()));
    Token* condition = newGroup(line());
    condition->push(newLiteral("__line<" + std::to_string(n), line()));
    block_->push(condition);
    Token* guard = newBlock("", line());
    block_->push(guard);
    container_ = guard;
  }
  // The pending "target=_SyNrTn_.getValue()" as a group ("target+=..." for
  // a compound assignment).
  Token* takeTargetAssignment() {
    Token* group = newGroup(line());
    pending_->leadingText.clear();
    group->push(pending_);
    group->push(newLiteral(pendingOp_ + "_SyNrTn_.getValue()", line()));
    pending_ = nullptr;
    return group;
  }
  // Assigns the value of an awaited assignment before a statement whose
  // guard line is n, unless the resume point lies beyond that statement.
  void flush(int n) {
    if (!pending_) return;
    block_->push(newLiteral("\n__line<" + std::to_string(n) + " && ", line()));
    block_->push(takeTargetAssignment());
    block_->push(newLiteral(";", line()));
  }
  void moveIntoContainer(size_t from, size_t to) {
    for (size_t k = from; k <= to && k < old_.size(); ++k)
      if (old_[k]) container_->push(old_[k]);
  }
  bool inGuard() const { return container_ != block_; }

  // for (init; cond; step) { ... await ... }: resumed inside the body, the
  // loop must neither start again nor test its condition first. The init
  // becomes a statement of its own guard before the loop, and the condition
  // is passed over on resumption:
  //   if(__line<N){ init; }  for (; __line<N && (cond) || __line>=N && __line<M; step)
  void resumableFor(size_t i) {
    Token* keyword = at(i);
    Token* head = at(i + 1);
    Token* body = at(i + 2);
    const int n = keyword->endLine + 1;
    auto* loop = dynamic_cast<TokenFor*>(keyword);
    std::vector<size_t> semicolons;
    for (size_t k = 0; k < head->childs.size(); ++k) {
      Token* c = head->childs[k];
      if (!c) continue;
      if (c->type == TokenTypeCode::In) {
        resumableForIn(head, body, loop && loop->forEach, n);
        return;
      }
      if (c->type == TokenTypeCode::Semicolon) semicolons.push_back(k);
    }
    if (semicolons.size() != 2) return;
    TokenList old = std::move(head->childs);
    head->childs.clear();
    TokenList init(old.begin(), old.begin() + static_cast<std::ptrdiff_t>(semicolons[0]));
    TokenList cond(old.begin() + static_cast<std::ptrdiff_t>(semicolons[0]) + 1,
                             old.begin() + static_cast<std::ptrdiff_t>(semicolons[1]));
    bool hasInit = false, hasCond = false;
    for (Token* c : init) hasInit = hasInit || c;
    for (Token* c : cond) hasCond = hasCond || c;
    Token* loopGuard = container_;
    if (hasInit) {
      // The loop's own guard was opened already: the init's guard goes before it.
      Token* opened[3] = {nullptr, nullptr, nullptr};
      for (int k = 2; k >= 0; --k) {
        opened[k] = block_->childs.back();
        block_->childs.pop_back();
      }
      openGuard(n);
      for (Token* c : init) {
        if (!c) continue;
        if (auto* declaration = dynamic_cast<TokenVar*>(c)) declaration->asyncDecl = 1;
        container_->push(c);
      }
      container_->push(old[semicolons[0]]);
      for (Token* c : opened) block_->push(c);
      container_ = loopGuard;
    } else {
      head->push(old[semicolons[0]]);
    }
    if (hasInit) head->push(newLiteral(";", keyword->line));
    if (hasCond) {
      Token* test = newGroup(keyword->line);
      for (Token* c : cond)
        if (c) test->push(c);
      head->push(newLiteral("__line<" + std::to_string(n) + " && ", keyword->line));
      head->push(test);
      head->push(newLiteral(" || __line>=" + std::to_string(n) + " && __line<" + std::to_string(body->endLine + 1),
                            keyword->line));
    }
    for (size_t k = semicolons[1]; k < old.size(); ++k)
      if (old[k]) head->push(old[k]);
  }

  // for (k in o) { ... await ... } and for each: the iteration cannot be
  // resumed where it stopped, so it starts again and passes over the keys
  // before the one it stopped at, which the continuation function keeps:
  //   if(__line>=N && __line<M && k!==__$['k'])continue;__$['k']=k;
  void resumableForIn(Token* head, Token* body, bool forEach, int n) {
    Token* name = nullptr;
    for (Token* c : head->childs) {
      if (!c || c->type == TokenTypeCode::Var || c->type == TokenTypeCode::Const) continue;
      name = c;
      break;
    }
    if (!name || name->type == TokenTypeCode::In || !isBlock(body)) return;
    const std::string key = (forEach ? "$each_" : "") + name->text;
    const std::string kept = "__$['" + key + "']";
    Token* skip = newLiteral("\nif(__line>=" + std::to_string(n) + " && __line<" + std::to_string(body->endLine + 1) +
                                 " && " + key + "!==" + kept + ")continue;\n" + kept + "=" + key + ";",
                             body->line);
    skip->parent = body;
    skip->file = body->file;
    body->childs.insert(body->childs.begin(), skip);
    for (size_t k = 0; k < body->childs.size(); ++k)
      if (body->childs[k]) body->childs[k]->index = static_cast<int>(k);
  }

  // Each statement step takes the statement at `i` when it has its shape,
  // moves it into the new list and sets `i` past it; false otherwise.
  bool continueStatement(size_t& i);
  bool tryStatement(size_t& i);
  bool ifStatement(size_t& i);
  bool doStatement(size_t& i);
  bool loopOrSwitch(size_t& i);
  void resumableWhile(size_t i);
  bool statementBlock(size_t& i);
  bool caseClause(size_t& i);
  void openGuardAfterAwait(Token* t);
  bool declaration(size_t& i);
  bool nestedFunction(size_t& i);
  bool otherToken(size_t& i);
  void awaitedCall(size_t& i);
  Token* declarationOf(size_t at) const;
  void reenterCatch(Token* tryBody, Token* head, Token* catchBody);
  void takeLabel(Token* label[2]);
  void putLabel(Token* label[2]);
  std::string compoundOperatorBefore(size_t w) const;
  void reachResumeLine(int resume);
  bool awaitOnLineAfter(size_t from, int line) const;
  void closeBlock();
  Token* branchBody(size_t p, size_t& next);

  Token* block_;
  Parse* file_;
  TokenFunction* function_;
  Token* body_;
  TokenList& old_;
  bool loopBody_;
  Token* container_ = nullptr;
  Token* pending_ = nullptr;
  std::string pendingOp_ = "=";  // the assignment operator of the pending target
  bool newGuard_ = true;
};

// try { } catch (e) { } finally { }: the whole statement goes into one guard.
bool BlockRewrite::tryStatement(size_t& i) {
  Token* t = at(i);
  if (!isWordText(t, "try") || !isBlock(at(i + 1))) return false;
  size_t end = i + 1;
  size_t k = i + 2;
  if (at(k) && (at(k)->type == TokenTypeCode::Catch || isWordText(at(k), "catch")) && isGroup(at(k + 1)) &&
      isBlock(at(k + 2))) {
    if (at(k + 2)->awaitedCall) reenterCatch(at(i + 1), at(k + 1), at(k + 2));
    end = k + 2;
    k += 3;
  }
  if (isWordText(at(k), "finally") && isBlock(at(k + 1))) end = k + 1;
  if (end == i + 1) return false;
  flush(t->line + 1);
  openGuard(at(end)->endLine + 1);
  container_->setTrailingText("\n");
  moveIntoContainer(i, end);
  container_ = block_;
  newGuard_ = false;
  i = end + 1;
  return true;
}

// try { a(); } catch (e) { ... await ... }: resumed inside the catch block,
// the try block must not run again; it throws the caught error once more,
// which the catch block kept, so that the catch block is entered again:
//   try { if(__line>=T && __line<C)throw __$['$catch_e']; a(); }
//   catch (e) { __$['$catch_e']=e; ... }
void BlockRewrite::reenterCatch(Token* tryBody, Token* head, Token* catchBody) {
  Token* name = nullptr;
  for (Token* c : head->childs)
    if (c) {
      name = c;
      break;
    }
  if (!name || name->type != TokenTypeCode::Word || name->text.empty()) return;
  const std::string kept = "__$['$catch_" + name->text.str() + "']";
  insertFirst(tryBody, newLiteral("\nif(__line>=" + std::to_string(tryBody->endLine + 1) + " && __line<" +
                                      std::to_string(catchBody->endLine + 1) + ")throw " + kept + ";\n",
                                  tryBody->line));
  insertFirst(catchBody, newLiteral("\n" + kept + "=" + name->text.str() + ";", catchBody->line));
}

// The body of a branch at `p`: a { } block, or the statement up to its ';'
// wrapped into a new block. Null when the branch has no such shape.
Token* BlockRewrite::branchBody(size_t p, size_t& next) {
  Token* t = at(p);
  if (!t) return nullptr;
  if (isBlock(t)) {
    next = p + 1;
    return t;
  }
  size_t q = p;
  for (; q < old_.size(); ++q) {
    Token* s = old_[q];
    if (!s) continue;
    if (isBlock(s) || s->type == TokenTypeCode::Function) return nullptr;
    if (s->type != TokenTypeCode::Literal &&
        (s->text == "if" || s->text == "else" || s->text == "while" || s->text == "for" || s->text == "do" ||
         s->text == "switch" || s->text == "try"))
      return nullptr;
    if (s->type == TokenTypeCode::Semicolon) break;
  }
  if (q >= old_.size()) return nullptr;
  Token* wrap = newBlock("", t->line);
  for (size_t k = p; k <= q; ++k)
    if (old_[k]) wrap->push(old_[k]);
  wrap->endLine = old_[q]->endLine;
  next = q + 1;
  return wrap;
}

// if (c) { } [else if (d) { }] [else { }]
bool BlockRewrite::ifStatement(size_t& i) {
  Token* t = at(i);
  if (!isWordText(t, "if") || !isGroup(at(i + 1))) return false;
  size_t next = 0;
  Token* thenBody = branchBody(i + 2, next);
  if (!thenBody) return false;

  // The chain: the tokens in order, and each if with its condition's index.
  struct Branch {
    Token* keyword;
    size_t conditionAt;  // index into `chain`
    Token* body;
  };
  TokenList chain{t, at(i + 1), thenBody};
  std::vector<Branch> branches{{t, 1, thenBody}};
  bool awaited = thenBody->awaitedCall != 0;
  bool hasElse = false;
  Token* last = thenBody;
  while (isWordText(at(next), "else")) {
    Token* elseWord = at(next);
    Token* afterElse = at(next + 1);
    size_t after = 0;
    if (isWordText(afterElse, "if") && isGroup(at(next + 2))) {
      Token* branch = branchBody(next + 3, after);
      if (!branch) break;
      hasElse = true;
      chain.push_back(elseWord);
      chain.push_back(afterElse);
      chain.push_back(at(next + 2));
      chain.push_back(branch);
      branches.push_back({afterElse, chain.size() - 2, branch});
      awaited = awaited || branch->awaitedCall;
      last = branch;
      next = after;
      continue;
    }
    Token* branch = branchBody(next + 1, after);
    if (!branch) break;
    hasElse = true;
    chain.push_back(elseWord);
    chain.push_back(branch);
    awaited = awaited || branch->awaitedCall;
    last = branch;
    next = after;
    break;
  }

  // A resume point inside a branch must lead back into that branch without
  // testing the condition again: (__line<N && (c) || __line>=N && __line<M),
  // N the if's line, M the end of its branch. The Windows program starts the
  // condition of an if without else on a new line.
  auto gateCondition = [&](const Branch& b, bool always) {
    if (!always && !awaited) return;
    int n = b.keyword->endLine + 1;
    Token* old = chain[b.conditionAt];
    Token* gate = newGroup(b.keyword->line);
    gate->leadingText = old->leadingText;
    old->leadingText.clear();
    const char* lead = always && ruvoPlatform().windows ? "\n__line<" : "__line<";
    gate->push(newLiteral(lead + std::to_string(n) + " && ", b.keyword->line));
    gate->push(old);
    if (awaited)
      gate->push(newLiteral(" || __line>=" + std::to_string(n) + " && __line<" + std::to_string(b.body->endLine + 1),
                            b.keyword->line));
    chain[b.conditionAt] = gate;
  };

  if (hasElse) {
    flush(t->line + 1);
    for (const Branch& b : branches) gateCondition(b, false);
    openGuard(last->endLine + 1);
    container_->setTrailingText("\n");
    for (Token* c : chain) container_->push(c);
  } else {
    int n = t->endLine + 1;
    if (pending_) {
      block_->push(newLiteral("\n__line<" + std::to_string(n) + " && ", line()));
      block_->push(takeTargetAssignment());
      block_->push(newLiteral(";", line()));
    }
    gateCondition(branches[0], true);
    for (Token* c : chain) block_->push(c);
  }
  container_ = block_;
  newGuard_ = false;
  i = next;
  return true;
}

// case v: ... break; and default: ... break;: the statements of the clause go
// into a block without braces that is rewritten on its own.
bool BlockRewrite::caseClause(size_t& i) {
  Token* t = at(i);
  size_t k;
  if (t->type == TokenTypeCode::Default && isColon(at(i + 1))) {
    block_->push(t);
    block_->push(at(i + 1));
    k = i + 2;
  } else if (t->type == TokenTypeCode::Case && isColon(at(i + 2))) {
    block_->push(t);
    if (at(i + 1)) block_->push(at(i + 1));
    block_->push(at(i + 2));
    k = i + 3;
    if (at(k) && at(k)->type == TokenTypeCode::Case) {
      i = k;
      container_ = block_;
      newGuard_ = false;
      return true;
    }
  } else {
    return false;
  }
  Token* clause = newBlock(kBracelessBlock, t->line);
  clause->asyncVisited = 0;
  block_->push(clause);
  for (; k < old_.size(); ++k) {
    Token* s = old_[k];
    if (!s) continue;
    if (s->type == TokenTypeCode::Case || s->type == TokenTypeCode::Default) break;
    if (s->type == TokenTypeCode::Break) {
      block_->push(s);
      ++k;
      break;
    }
    clause->push(s);
    clause->endLine = s->endLine;
  }
  clause->pretreatmentAnsy(file_, function_, body_);
  container_ = block_;
  newGuard_ = false;
  i = k;
  return true;
}

// await::f(x) as a statement, or target = await::f(x).
void BlockRewrite::awaitedCall(size_t& i) {
  Token* word = at(i);
  Token* args = at(i + 1);
  int v = word->line;
  if (!inGuard()) openGuard(v + 1);
  std::string resume = std::to_string(v + 1);
  reachResumeLine(v + 1);

  Token* target = nullptr;
  size_t targetAt = 0;
  Token* op = at(i - 1);
  std::string compound = compoundOperatorBefore(i);
  if (!compound.empty()) {
    targetAt = op->type == TokenTypeCode::Assign ? i - 3 : i - 2;
    target = at(targetAt);
  } else if (i >= 2 && op && op->text == "=") {
    // name : Type = await::f() assigns the name.
    if (i >= 4 && isColon(at(i - 3)) && at(i - 4))
      targetAt = i - 4;
    else
      targetAt = i - 2;
    target = at(targetAt);
  }
  Token* holder = target ? target->parent : nullptr;
  bool replaceable = holder && target->index >= 0 && target->index < static_cast<int>(holder->childs.size()) &&
                     holder->childs[target->index] == target;
  // return await::f(): the function ends when the call has resumed it.
  const bool returned = !replaceable && op && op->type == TokenTypeCode::Return && !container_->childs.empty() &&
                        container_->childs.back() == op;
  if (returned) container_->childs.pop_back();
  if (!replaceable) {
    container_->push(newLiteral("\nRuvo.await(_$this,__$," + resume + ");return", v));
    word->leadingText = " ";
    container_->push(word);
    container_->push(args);
    container_->push(newLiteral(";\n", v));
    if (returned) {
      openGuard(v + 2);
      container_->push(newLiteral("return;\n", v));
    }
  } else {
    Token* call = newLiteral("Ruvo.await(_$this,__$," + resume + "),_SyNrTn_", target->line);
    call->leadingText = "\n";
    call->parent = holder;
    call->index = target->index;
    call->file = target->file;
    holder->childs[target->index] = call;
    if (pending_) {
      // A value still waiting for its assignment is assigned first.
      container_->push(takeTargetAssignment());
      container_->push(newLiteral(";\n", v));
    }
    pending_ = target;
    pendingOp_ = "=";
    if (!compound.empty()) {
      // total += await::f(): the call's value is added once it has come;
      // the call itself only fills the value holder.
      pendingOp_ = compound;
      for (size_t k = targetAt + 1; k + 1 < i; ++k) dropFromParent(at(k));
      op->text = "=";
    }
    if (function_) function_->valueHolderMark = 1;
    // var x = await::f(), var x:T = await::f() and var a = 1, x = await::f():
    // x is declared with the function's hoisted locals; a declaration whose
    // first name is x leaves only the call.
    Token* declaration = function_ && target->type == TokenTypeCode::Word ? declarationOf(targetAt) : nullptr;
    if (declaration) {
      target->hoistMark = 1;
      function_->locals[target->text] = target;
      if (declaration == at(targetAt - 1)) dropFromParent(declaration);
      if (targetAt + 4 == i) {
        Token* type = at(targetAt + 2);
        if (type) target->setTypeDeclaration(type);
        dropFromParent(at(targetAt + 1));
        dropFromParent(type);
      }
    }
    container_->push(word);
    container_->push(args);
    container_->push(newLiteral(";\nreturn;\n", v));
    // var x = await::f(), y = 2: the names after x are declared by a
    // declaration of their own, which runs after x is assigned on
    // resumption, though it stands on the awaited line. Another awaited
    // call on that line would resume at the same line, so there the rest
    // waits, as any statement on an awaited line does.
    if (declaration && at(i + 2) && at(i + 2)->type == TokenTypeCode::Comma) {
      auto* rest = new TokenVar(declaration->type, nullptr, 0, at(i + 2)->line, nullptr);
      old_[i + 2] = rest;
      openGuard(awaitOnLineAfter(i + 3, v) ? v + 1 : v + 2);
      container_->push(pending_);
      container_->push(newLiteral(pendingOp_ + "_SyNrTn_.getValue();\n", v));
      pending_ = nullptr;
      i += 2;
      newGuard_ = false;
      return;
    }
  }
  i += 2;
  if (at(i) && at(i)->type == TokenTypeCode::Semicolon) ++i;
  newGuard_ = true;
}

// The guards and loop tests of the blocks round an awaited call admit the
// lines up to their blocks' ends. A block that ends on the awaited line (a
// brace-less body, "if (c) { await::f(); }" on one line) must still admit
// its resume line, or the resumed function would pass over the rest of it
// and over what follows it in the same guard.
void BlockRewrite::reachResumeLine(int resume) {
  for (Token* b = block_; b && b != body_; b = b->parent)
    if (isBlock(b) && b->endLine < resume) b->endLine = resume;
}

// Whether a token from `from` on, up to the end of the statement, is an
// awaited call that stands on the line `line`.
bool BlockRewrite::awaitOnLineAfter(size_t from, int line) const {
  for (size_t k = from; k < old_.size(); ++k) {
    Token* t = old_[k];
    if (!t) continue;
    if (t->line > line || t->type == TokenTypeCode::Semicolon) return false;
    if (t->awaitedCall) return true;
  }
  return false;
}

// The operator of a compound assignment of a name ("+=", "%=", ">>>=" ...)
// that ends right before the awaited call at `w`, or empty. The lexer makes
// one token of some ("+=") and two of others ("%", "=").
std::string BlockRewrite::compoundOperatorBefore(size_t w) const {
  Token* op = w >= 1 ? at(w - 1) : nullptr;
  if (!op) return "";
  const std::string& x = op->text.str();
  if (op->type == TokenTypeCode::Operator && (x == "+=" || x == "-=" || x == "*=" || x == "/=" || x == "|=")) {
    Token* name = w >= 2 ? at(w - 2) : nullptr;
    return name && name->type == TokenTypeCode::Word ? x : "";
  }
  if (op->type != TokenTypeCode::Assign || !op->leadingText.empty() || w < 3) return "";
  Token* first = at(w - 2);
  Token* name = at(w - 3);
  if (!first || first->type != TokenTypeCode::Operator || !name || name->type != TokenTypeCode::Word) return "";
  const std::string& y = first->text.str();
  static const char* const kAssigning[] = {"+", "-", "*", "/", "%", "&", "|", "^", "<<", ">>", ">>>"};
  for (const char* a : kAssigning)
    if (y == a) return y + "=";
  return "";
}

// The var or const whose declaration the name at `at` belongs to: the
// keyword itself before it, or one before the names declared in front of it
// (var a = 1, b = ...). Null when the name is assigned by a statement that
// is not a declaration.
Token* BlockRewrite::declarationOf(size_t at) const {
  if (at == 0) return nullptr;
  Token* before = old_[at - 1];
  if (!before) return nullptr;
  if (before->type == TokenTypeCode::Var || before->type == TokenTypeCode::Const) return before;
  if (before->type != TokenTypeCode::Comma) return nullptr;
  for (size_t k = at - 1; k-- > 0;) {
    Token* t = old_[k];
    if (!t) continue;
    if (t->type == TokenTypeCode::Var || t->type == TokenTypeCode::Const) return t;
    if (t->type == TokenTypeCode::Semicolon || t->type == TokenTypeCode::Literal || t->type == TokenTypeCode::Function ||
        (isBlock(t) && !isObjectLiteralAt(old_, k)))
      return nullptr;
  }
  return nullptr;
}

// continue in a loop body: the next round starts from the top of the body.
bool BlockRewrite::continueStatement(size_t& i) {
  Token* t = at(i);
  if (t->type != TokenTypeCode::Continue || !loopBody_) return false;
  flush(t->line + 1);
  block_->push(newLiteral("\n__line=0;\n", t->line));
  block_->push(t);
  // What follows the continue must not go back into a guard before it.
  container_ = block_;
  ++i;
  return true;
}

// do { } while (c): the whole loop goes into one guard.
bool BlockRewrite::doStatement(size_t& i) {
  Token* t = at(i);
  Token* body = at(i + 1);
  if (!isWordText(t, "do") || !isBlock(body)) return false;
  Token* label[2] = {nullptr, nullptr};
  takeLabel(label);
  flush(t->line + 1);
  openGuard(body->endLine + 1);
  container_->setTrailingText("\n");
  putLabel(label);
  size_t end = i + 1;
  if (isWordText(at(i + 2), "while")) {
    end = i + 2;
    if (isGroup(at(i + 3))) end = i + 3;
  }
  moveIntoContainer(i, end);
  newGuard_ = false;
  i = end + 1;
  return true;
}

// outer: for (...) { ... continue outer; }: a label must stand right before
// its loop, so it leaves the guard it was put in for the loop's own guard.
void BlockRewrite::takeLabel(Token* label[2]) {
  TokenList& list = container_->childs;
  size_t n = list.size();
  while (n > 0 && !list[n - 1]) --n;
  if (n < 2) return;
  Token* word = list[n - 2];
  Token* colon = list[n - 1];
  if (!word || word->type != TokenTypeCode::Word || !colon || colon->type != TokenTypeCode::Colon) return;
  for (size_t k = n - 2; k-- > 0;) {
    if (!list[k]) continue;
    if (list[k]->type == TokenTypeCode::Case || list[k]->type == TokenTypeCode::Question) return;
    break;
  }
  label[0] = word;
  label[1] = colon;
  list.resize(n - 2);
}

void BlockRewrite::putLabel(Token* label[2]) {
  if (!label[0]) return;
  container_->push(label[0]);
  container_->push(label[1]);
}

// while (c) { }, for (...) { } and switch (v) { }: the statement goes into
// one guard; a loop whose body holds an awaited call is made resumable.
bool BlockRewrite::loopOrSwitch(size_t& i) {
  Token* t = at(i);
  Token* head = at(i + 1);
  Token* body = at(i + 2);
  if (!(isWordText(t, "while") || isWordText(t, "for") || isWordText(t, "switch")) || !isGroup(head) ||
      !isBlock(body))
    return false;
  Token* label[2] = {nullptr, nullptr};
  takeLabel(label);
  flush(body->line + 1);
  openGuard(body->endLine + 1);
  container_->setTrailingText("\n");
  putLabel(label);
  if (isWordText(t, "while") && body->awaitedCall) resumableWhile(i);
  if (isWordText(t, "for") && body->awaitedCall) resumableFor(i);
  moveIntoContainer(i, i + 2);
  newGuard_ = false;
  i += 3;
  return true;
}

// while (c) { ... await ... }: resumed inside the body, the loop goes on
// without testing its condition first:
//   while(__line<N && (c) || __line>=N && __line<M)
void BlockRewrite::resumableWhile(size_t i) {
  Token* t = at(i);
  Token* condition = at(i + 1);
  Token* body = at(i + 2);
  int n = t->endLine + 1;
  Token* gate = newGroup(t->line);
  gate->leadingText = condition->leadingText;
  condition->leadingText.clear();
  gate->push(newLiteral("__line<" + std::to_string(n) + " && ", t->line));
  gate->push(condition);
  gate->push(newLiteral(" || __line>=" + std::to_string(n) + " && __line<" + std::to_string(body->endLine + 1),
                        t->line));
  old_[i + 1] = gate;
}

// A { } block that stands as a statement (not a function body nor an object
// literal) gets a guard of its own.
bool BlockRewrite::statementBlock(size_t& i) {
  Token* t = at(i);
  if (!isBlock(t) || isFunctionBodyAt(old_, i) || isObjectLiteralAt(old_, i)) return false;
  flush(t->line + 1);
  openGuard(t->endLine + 1);
  container_->push(t);
  newGuard_ = false;
  ++i;
  return true;
}

// The first statement after an awaited call opens a new guard, which starts
// with the assignment of the awaited value when one is waiting.
void BlockRewrite::openGuardAfterAwait(Token* t) {
  openGuard(t->line + 1);
  if (pending_) {
    container_->push(pending_);
    container_->push(newLiteral(pendingOp_ + "_SyNrTn_.getValue();\n", t->line));
    pending_ = nullptr;
  }
  newGuard_ = false;
}

// var and const: declared with the function's hoisted locals, so that the
// resumed code still sees them.
bool BlockRewrite::declaration(size_t& i) {
  Token* t = at(i);
  if (t->type != TokenTypeCode::Var && t->type != TokenTypeCode::Const) return false;
  if (TokenVar* declaration = dynamic_cast<TokenVar*>(t)) declaration->asyncDecl = 1;
  if (!inGuard()) openGuard(t->line + 1);
  container_->push(t);
  ++i;
  return true;
}

// A nested function keeps its head and body together. A named one declared
// as a statement stays outside the guards: the continuation runs in a new
// scope at every resumption and must declare it each time.
bool BlockRewrite::nestedFunction(size_t& i) {
  Token* t = at(i);
  if (t->type != TokenTypeCode::Function) return false;
  long bodyAt = functionBodyIndex(old_, i);
  size_t end = bodyAt < 0 ? i : static_cast<size_t>(bodyAt);
  Token* before = nullptr;
  for (size_t k = i; k-- > 0;)
    if (old_[k]) {
      before = old_[k];
      break;
    }
  bool declaration = bodyAt >= 0 && at(i + 1) && at(i + 1)->type == TokenTypeCode::Word &&
                     (!before || before->type == TokenTypeCode::Semicolon || isBlock(before) ||
                      before->type == TokenTypeCode::Literal);
  if (declaration) {
    for (size_t k = i; k <= end; ++k)
      if (old_[k]) block_->push(old_[k]);
  } else {
    if (!inGuard()) openGuard(t->line + 1);
    moveIntoContainer(i, end);
  }
  i = end + 1;
  return true;
}

// A statement that starts with a keyword token or a group is guarded like
// one that starts with a word; separators join what is open.
bool BlockRewrite::otherToken(size_t& i) {
  Token* t = at(i);
  if (t->type == TokenTypeCode::Word || isStatementWord(t)) return false;
  if (!inGuard() && t->type != TokenTypeCode::Comma && t->type != TokenTypeCode::Semicolon &&
      t->type != TokenTypeCode::Literal)
    openGuard(t->line + 1);
  container_->push(t);
  ++i;
  return true;
}

// The end of the block: a loop body resets the resume line for its next
// round, and a value still waiting for its assignment is assigned.
void BlockRewrite::closeBlock() {
  container_->push(newLiteral("\n", block_->endLine));
  if (loopBody_) {
    for (Token* c : block_->childs)
      if (isBlock(c) && !c->awaitedCall) resetLineBeforeContinues(c);
    block_->push(newLiteral("\n__line=0;\n", block_->endLine));
  }
  if (pending_) {
    block_->push(newLiteral("\n__line<" + std::to_string(block_->endLine + 1) + " && ", block_->endLine));
    block_->push(takeTargetAssignment());
    block_->push(newLiteral(";", block_->endLine));
  }
}

// The statements of the old list, one at a time: compound statements go
// into guards of their own, the others into the guard that is open.
void BlockRewrite::run() {
  container_ = block_;
  size_t i = 0;
  while (i < old_.size()) {
    Token* t = old_[i];
    if (!t) {
      ++i;
      continue;
    }
    if (continueStatement(i) || tryStatement(i) || ifStatement(i) || doStatement(i) || loopOrSwitch(i) ||
        statementBlock(i) || caseClause(i))
      continue;
    if (newGuard_) openGuardAfterAwait(t);
    if (declaration(i) || nestedFunction(i) || otherToken(i)) continue;
    if (t->type == TokenTypeCode::Word && t->awaitedCall && isGroup(at(i + 1))) {
      awaitedCall(i);
      continue;
    }
    if (!inGuard()) openGuard(t->line + 1);
    container_->push(t);
    ++i;
  }
  closeBlock();
}

// Renames the reads of `arguments` (arguments.length, arguments[0]) among
// the statements, nested functions left out, to `_$arguments`; true when
// there was one.
bool keepArguments(Token* from) {
  bool found = false;
  for (size_t k = 0; k < from->childs.size(); ++k) {
    Token* t = from->childs[k];
    if (!t || t->type == TokenTypeCode::Function) continue;
    if (isBlock(t) && isFunctionBodyAt(from->childs, k)) continue;
    if (t->type == TokenTypeCode::Word && (t->text == "arguments" || startsWith(t->text.str(), "arguments."))) {
      t->text = "_$" + t->text.str();
      found = true;
    }
    if (keepArguments(t)) found = true;
  }
  return found;
}

// Whether the tokens under `t` hold an include directive and an awaited
// call.
void findIncludeAndAwait(const Token* t, bool& include, bool& awaited) {
  for (const Token* c : t->childs) {
    if (!c) continue;
    if (c->type == TokenTypeCode::Include) include = true;
    if (c->awaitedCall) awaited = true;
    findIncludeAndAwait(c, include, awaited);
    if (include && awaited) return;
  }
}

// The last line of the awaited call statement that starts at list[i] (the
// word, its ( ) group and a ";" after it), or -1 when list[i] starts none;
// `end` is set to the index of its last token.
int awaitedStatementEnd(const TokenList& list, size_t i, size_t& end) {
  const Token* w = list[i];
  if (!w || w->type != TokenTypeCode::Word || !w->awaitedCall || i + 1 >= list.size() || !isGroup(list[i + 1]))
    return -1;
  end = i + 1;
  int last = std::max({w->line, list[end]->line, list[end]->endLine});
  if (end + 1 < list.size() && list[end + 1] && list[end + 1]->type == TokenTypeCode::Semicolon) {
    ++end;
    last = std::max(last, list[end]->line);
  }
  return last;
}

// Whether, in reading order through `list`, a token stands on the last line of
// an awaited call statement before it. Such a token would be guarded by
// the line the wait resumes at, and skipped.
struct SharedWaitLine {
  int waitLine = -1;  // last line of the awaited statement just read
  bool found = false;

  void scan(const TokenList& list) {
    for (size_t i = 0; i < list.size() && !found; ++i) {
      const Token* t = list[i];
      if (!t) continue;
      // The ';' the lexer puts in front of a declaration has line 0.
      if (t->type == TokenTypeCode::Semicolon && t->line == 0) continue;
      if (waitLine >= 0) {
        if (t->line <= waitLine) {
          found = true;
          return;
        }
        waitLine = -1;
      }
      size_t end = i;
      const int last = awaitedStatementEnd(list, i, end);
      if (last >= 0) {
        waitLine = last;
        i = end;
        continue;
      }
      scan(t->childs);
    }
  }
};

// Included text is read from its own line 0, so in a body that includes a
// file the lines go back at the include and again after it, and resume
// points taken from them would re-enter earlier guards. The lines are
// renumbered in reading order so that they never go back: a token that
// would stand before the last line given, or that comes right after an
// include or after the included text, moves to the next line, and the
// tokens after it keep their distances. Lines before the first include
// keep their numbers. A token on the last line of an awaited call
// statement moves to the next line in the same way, so that each wait ends
// its line and the statements after it run when it resumes.
struct IncludedLines {
  int shift = 0;
  int last = -1;
  bool afterInclude = false;  // the token before starts or ends included text
  bool afterWait = false;     // the tokens before end an awaited call statement

  void renumberList(TokenList& list) {
    for (size_t i = 0; i < list.size(); ++i) {
      if (!list[i]) continue;
      size_t end = i;
      const bool wait = awaitedStatementEnd(list, i, end) >= 0;
      for (; i <= end; ++i)
        if (list[i]) renumber(list[i]);
      --i;
      if (wait) afterWait = true;
    }
  }

  void renumber(Token* t) {
    const int raw = t->line;
    const int rawEnd = t->endLine > raw ? t->endLine : raw;
    // The ';' the lexer puts in front of a declaration has line 0.
    if (t->type == TokenTypeCode::Semicolon && raw == 0 && !t->includeEnd) {
      t->line = t->endLine = last;
      return;
    }
    if (raw + shift < last || ((afterInclude || afterWait) && raw + shift <= last)) shift = last + 1 - raw;
    t->line = raw + shift;
    t->endLine = rawEnd + shift;
    last = t->endLine;
    afterInclude = t->type == TokenTypeCode::Include || t->includeEnd;
    afterWait = false;
    if (t->childs.empty()) return;
    renumberList(t->childs);
    if (rawEnd + shift > last) last = rawEnd + shift;
    t->endLine = last;
    afterInclude = t->includeEnd;
  }
};

}  // namespace

// Walks the { } blocks of a function body. A block that holds an awaited call
// (directly or in a nested block) is rebuilt into guarded statements; every
// other token only reports whether it is an awaited call.
bool Token::pretreatmentAnsy(Parse* fileArg, TokenFunction* function, Token* body) {
  if (awaitedCall && function) function->awaitMark = 1;
  if (asyncVisited) return awaitedCall != 0;
  asyncVisited = 1;
  if (type != TokenTypeCode::Block) return awaitedCall != 0;

  // CONFIG::name { ... } and CONFIG::name before a declaration are settled
  // before the statements move into guards, where the name would no longer
  // stand in front of its block.
  for (size_t i = 0; i < childs.size(); ++i) {
    Token* child = childs[i];
    if (!child || child->type != TokenTypeCode::Word || child->text.empty() ||
        !_ompilerOptions_.defines.has(child->text))
      continue;
    int skip = child->Token::pretreatment(fileArg);
    if (skip < 0) {
      --i;  // the block's statements now stand here
    } else {
      i += static_cast<size_t>(skip);
    }
  }

  checkAddBRACE();
  for (size_t i = 0; i < childs.size(); ++i) {
    Token* child = childs[i];
    if (!child) continue;
    // The body of a nested function is rewritten with that function; an
    // object literal ({a: await::f()}) is an expression, whose calls are
    // not waited for.
    if (isBlock(child) && (isFunctionBodyAt(childs, i) || isObjectLiteralAt(childs, i))) continue;
    if (child->pretreatmentAnsy(fileArg, function, body)) awaitedCall = 1;
  }
  if (!awaitedCall) return false;

  if (parent && parent->type == TokenTypeCode::Block) {
    int others = 0;
    for (Token* c : parent->childs)
      if (c && c != this) ++others;
    if (others == 0) text = kBracelessBlock;
  }
  bool loopBody = CheckIsWhileDoFor(this);
  TokenList old;
  old.swap(childs);
  BlockRewrite(this, fileArg, function, body, old, loopBody).run();
  return true;
}

// Rewrites the body of this function when it holds awaited calls: the
// statements move into the continuation `__$`, which the body declares and
// calls once with the resume line 0.
bool TokenFunction::pretreatmentAnsy(Parse* fileArg, TokenFunction* function, Token* bodyArg) {
  // Met as a token of another function's body: that rewriting leaves this
  // function alone; its own pretreatment rewrites its body.
  if (function != this) return awaitedCall != 0;
  // The continuation made below is never rewritten again.
  if (asyncStateMark) return false;
  Parse* root = fileArg ? fileArg : file.get();
  if (!parent || !bodyArg || bodyArg->childs.size() < 2 || !root || root->sync == 0) return false;

  bool include = false, awaited = false;
  findIncludeAndAwait(bodyArg, include, awaited);
  bool sharedLine = false;
  if (awaited && !include) {
    SharedWaitLine shared;
    shared.scan(bodyArg->childs);
    sharedLine = shared.found;
  }
  if ((include && awaited) || sharedLine) {
    IncludedLines lines;
    lines.last = bodyArg->line;
    lines.renumberList(bodyArg->childs);
  }
  bodyArg->Token::pretreatmentAnsy(root, this, bodyArg);
  if (!awaitMark) return false;

  Token* statements = newBlock("", bodyArg->line);
  statements->endLine = bodyArg->endLine;
  statements->awaitedCall = 1;
  for (Token* c : bodyArg->childs)
    if (c) statements->push(c);
  bodyArg->childs.clear();

  // The continuation has arguments of its own (the resume line): the
  // function's are kept before it and read from there.
  if (keepArguments(statements)) {
    bodyArg->push(newLiteral("var _$arguments=arguments;\n", bodyArg->line));
    locals["_$arguments"] = new Token(TokenTypeCode::Literal, "_$arguments", 0, line, this);
  }
  if (valueHolderMark) {
    bodyArg->push(newLiteral("var _SyNrTn_,_$this=this,__$=", bodyArg->line));
    Token* holder = new Token(TokenTypeCode::Literal, "_SyNrTn_", 0, line, this);
    locals["_SyNrTn_"] = holder;
  } else {
    bodyArg->push(newLiteral("var _$this=this,__$=", bodyArg->line));
  }
  TokenFunction* continuation = new TokenFunction(TokenTypeCode::Function, "", 0, bodyArg->line, nullptr);
  continuation->asyncStateMark = 1;
  bodyArg->push(continuation);
  Token* params = newGroup(bodyArg->line);
  params->push(new Token(TokenTypeCode::Word, "__line", 0, bodyArg->line, nullptr));
  bodyArg->push(params);
  bodyArg->push(statements);
  bodyArg->push(newLiteral("\n__$.call(this,0);\n", bodyArg->endLine));
  return true;
}
