// The fields of a token that few tokens set: the blanks before a group's
// closing bracket, an error the output reports at the token, the comment in
// front of a declaration and the type texts and type word of a declaration.
//
// They live together in one record of a process-wide table, taken the first
// time a token stores something in one of them; the token keeps the
// record's 4-byte number (0 while it has none). The millions of tokens that
// set none of them so pay 4 bytes instead of 24. Only the compile's own
// thread stores.
#pragma once

#include <cstdint>

#include "RareString.h"
#include "SharedString.h"

class Token;

struct TokenRareFields {
  SharedString trailingText;      // blanks and comments before a closing bracket
  SharedString pendingError;      // an error the output reports at this token
  RareString docComment;          // the comment in front of a declaration
  SharedString typeText;          // the declared type, as its declaration names it
  SharedString resolvedTypeText;  // the type an expression was found to have
  Token* typeToken = nullptr;     // the type word of a declaration
};

// The layout of a line end and `tabs` (1 to 3) tabs, kept once.
const SharedString& lineAndTabsLayout(unsigned tabs);
// The number of tabs of a layout lineAndTabsLayout gives; 0 for any other.
unsigned tabsOfLineLayout(const SharedString& layout);

// The token's number of its record. Copying a token copies its record.
class TokenRareSlot {
 public:
  TokenRareSlot() = default;
  TokenRareSlot(const TokenRareSlot& other) { *this = other; }
  TokenRareSlot& operator=(const TokenRareSlot& other) {
    if (this != &other) {
      if (other.id_)
        edit() = other.get();
      else
        release();
    }
    return *this;
  }
  ~TokenRareSlot() { release(); }

  explicit operator bool() const { return id_ != 0; }
  // The record, or an empty one shared by all tokens without a record.
  const TokenRareFields& get() const { return id_ ? at(id_) : kNone_; }
  // The record to write, taken on first use.
  TokenRareFields& edit() {
    if (!id_) id_ = take();
    return at(id_);
  }
  // Empties the resolved type; the record goes back when that was all it held.
  void forgetResolvedType() {
    if (id_) forgetResolvedTypeOfRecord();
  }

 private:
  static constexpr uint32_t kChunkShift = 10;  // records per chunk: 1,024
  static TokenRareFields& at(uint32_t id) {
    return chunks_[id >> kChunkShift][id & ((uint32_t(1) << kChunkShift) - 1)];
  }
  static uint32_t take();
  void release();
  void forgetResolvedTypeOfRecord();

  static TokenRareFields** chunks_;  // record 0 is never handed out
  static const TokenRareFields kNone_;
  uint32_t id_ = 0;
};
