// Logical assignments: "a ||= b" and "a &&= b" read as "a = a || b" and
// "a = a && b", the target copied and the value put into brackets where an
// operator in it binds more loosely.
#include <string>

#include "Token-lexer-internal.h"
#include "Token.h"
#include "TokenOther.h"

namespace lexer {


// "a ||= b" reads as "a = a || b" (and "&&=" likewise). The target is the
// name with its property, element and call suffixes that stands before the
// operator; it is copied, never shared. Without an assignable target the
// operator stays as written and a source error is queued.
void GroupLexer::logicalAssign(const std::string& op) {
  auto& ch = group_->childs;
  const int end = static_cast<int>(ch.size());
  int start = -1;
  for (int j = end - 1; j >= 0; --j) {
    Token* t = ch[j];
    if (!t) break;
    if (t->type == TokenTypeCode::Bracket || t->type == TokenTypeCode::Paren) continue;
    if (t->type == TokenTypeCode::Word && !t->text.empty() && t->text[0] == '.') continue;
    if ((t->type == TokenTypeCode::Word && !t->text.empty()) || t->type == TokenTypeCode::Super) start = j;
    break;
  }
  const bool assignable = start >= 0 && ch[end - 1] && ch[end - 1]->type != TokenTypeCode::Paren;
  long long size = 0;
  if (assignable)
    for (int k = start; k < end; ++k) size += countTokens(ch[k]);
  LexRun& run = *g_run;
  if (!assignable || run.tokensCopied + size > run.tokensMade + 10000) {
    Token* t = pushToken(new Token(TokenTypeCode::Operator, op.c_str(), pos_, line_, group_));
    queueError(t, group_,
               assignable ? "The target before " + op + " is too large to copy"
                          : "No variable, property or element before " + op);
    return;
  }
  run.tokensCopied += size;
  pushToken(new Token(TokenTypeCode::Assign, "=", pos_, line_, group_));
  for (int k = start; k < end; ++k) {
    Token* copy = cloneTokenTree(group_->childs[k]);
    if (k == start) copy->leadingText = " ";
    group_->push(copy);
  }
  countMade(size);
  Token* logical = new Token(TokenTypeCode::Operator, op.substr(0, 2).c_str(), pos_, line_, group_);
  group_->push(logical);
  countMade();
  run.logicalAssigns.push_back(logical);
}

// Whether a token ends a value, so that a line end after it may end the
// statement.
bool endsValue(const Token* t) {
  switch (t->type) {
    case TokenTypeCode::Word:
    case TokenTypeCode::Number:
    case TokenTypeCode::Literal:
    case TokenTypeCode::SystemType:
    case TokenTypeCode::Paren:
    case TokenTypeCode::Bracket:
    case TokenTypeCode::Block:
      return true;
    default:
      return false;
  }
}

// Whether a token may go on an expression from a new line.
bool continuesValue(const Token* t) {
  return t->type == TokenTypeCode::Operator || t->type == TokenTypeCode::Assign ||
         t->type == TokenTypeCode::Question || t->type == TokenTypeCode::Colon || t->type == TokenTypeCode::Paren ||
         t->type == TokenTypeCode::Bracket || (t->type == TokenTypeCode::Word && !t->text.empty() && t->text[0] == '.');
}

// "a ||= b" reads as "a = a || b". A value that holds an operator binding
// more loosely than the "||" (a ternary, an assignment, or "||" after an
// "&&") goes into brackets, so that "a ||= c ? x : y" keeps a when a is set:
// "a = a || (c ? x : y)". The value runs up to the next "," or ";" of its
// group, or to a line end where a new statement starts.
//
// The operators are taken from the last to the first: in a chain
// "a ||= b ||= c ..." the later values are then already single bracket
// tokens, so each scan stays short and the chain takes linear time.
void bracketLogicalAssignValues(const TokenList& operators) {
  for (auto it = operators.rbegin(); it != operators.rend(); ++it) {
    Token* logical = *it;
    Token* group = logical->parent;
    if (!group) continue;
    auto& ch = group->childs;
    int at = -1;
    const int size = static_cast<int>(ch.size());
    if (logical->index >= 0 && logical->index < size && ch[logical->index] == logical) {
      at = logical->index;
    } else {
      for (int i = 0; i < size; ++i)
        if (ch[i] == logical) {
          at = i;
          break;
        }
    }
    if (at < 0) continue;
    int end = at + 1;
    bool loose = false;
    Token* previous = nullptr;
    for (; end < static_cast<int>(ch.size()); ++end) {
      Token* t = ch[end];
      if (!t) continue;
      if (t->type == TokenTypeCode::Comma || t->type == TokenTypeCode::Semicolon) break;
      if (previous && endsValue(previous) && !continuesValue(t) && t->leadingText.find('\n') != std::string::npos)
        break;
      const std::string& op = t->text;
      if (t->type == TokenTypeCode::Question || t->type == TokenTypeCode::Assign ||
          (t->type == TokenTypeCode::Operator &&
           (op == "?" || (logical->text == "&&" && op == "||") ||
            (op.size() >= 2 && op.back() == '=' && op != "==" && op != "!=" && op != "===" && op != "!==" &&
             op != "<=" && op != ">="))))
        loose = true;
      previous = t;
    }
    if (!loose) continue;
    auto* value = new TokenParent(TokenTypeCode::Paren, nullptr, 0, logical->line, group);
    value->leadingText = " ";
    for (int i = at + 1; i < end; ++i)
      if (ch[i]) value->push(ch[i]);
    ch.erase(ch.begin() + at + 1, ch.begin() + end);
    ch.insert(ch.begin() + at + 1, value);
    for (int i = at + 1; i < static_cast<int>(ch.size()); ++i)
      if (ch[i]) {
        ch[i]->index = i;
        ch[i]->parent = group;
      }
    value->file = group->file;
  }
}

}  // namespace lexer
