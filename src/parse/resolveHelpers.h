// Small tests on a name's neighbours, shared by the class and package name
// resolution.
#pragma once

#include "Token.h"

// The name is called: a parenthesised group follows it.
inline bool followedByGroup(Token* token) {
  Token* next = siblingOf(token, 1);
  return next && next->type == TokenTypeCode::Paren;
}

// The name follows `new`.
inline bool afterNew(Token* token) {
  Token* prev = siblingOf(token, -1);
  return prev && prev->type == TokenTypeCode::New;
}

// The name stands inside a `with` block, where it may be a property of the object.
inline bool insideWith(Token* token) {
  for (Token* t = token ? token->parent : nullptr; t; t = t->parent)
    if (t->type == TokenTypeCode::With) return true;
  return false;
}
