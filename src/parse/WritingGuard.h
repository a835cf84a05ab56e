// The tokens whose output is being written, innermost last. A damaged
// source can leave a token inside its own output (a public class written in
// the body of a private class that the public class prints, a package-level
// function that prints the file's outside functions while one of them holds
// it): writing it again would never end. A token met again while its output
// is being written gives nothing the second time.
//
// Damaged braces among includes can also leave a class or function in the
// output of several others, each of which is written several times: the
// copies multiply with every level (a 178-byte file gave 51 MB). A class or
// function is written at most kMaxWrites times; after that it gives nothing,
// with one source error.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "Token.h"

class WritingGuard {
 public:
  static constexpr int kMaxWrites = 8;

  explicit WritingGuard(Token* token) {
    std::vector<const Token*>& list = writing();
    again_ = std::find(list.begin(), list.end(), token) != list.end();
    if (!again_ && token && token->writeCount >= kMaxWrites) {
      if (token->writeCount == kMaxWrites) {
        std::string unused;
        token->scriptErr(unused, token->file,
                         ("This code is written more than " + std::to_string(kMaxWrites) +
                          " times in the output (braces or includes out of place?): further copies are left out")
                             .c_str(),
                         1);
        ++token->writeCount;
      }
      again_ = true;
    }
    if (!again_) {
      if (token && token->writeCount < kMaxWrites) ++token->writeCount;
      list.push_back(token);
    }
  }
  ~WritingGuard() {
    if (!again_) writing().pop_back();
  }
  WritingGuard(const WritingGuard&) = delete;
  WritingGuard& operator=(const WritingGuard&) = delete;

  // True when the token's output was being written already, or was written
  // too often.
  bool again() const { return again_; }
  // The tokens being written, outermost first.
  static const std::vector<const Token*>& current() { return writing(); }

 private:
  static std::vector<const Token*>& writing() {
    static std::vector<const Token*> list;
    return list;
  }
  bool again_ = false;
};
