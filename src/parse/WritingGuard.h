// The tokens whose output is being written, innermost last. A damaged
// source can leave a token inside its own output (a public class written in
// the body of a private class that the public class prints, a package-level
// function that prints the file's outside functions while one of them holds
// it): writing it again would never end. A token met again while its output
// is being written gives nothing the second time.
#pragma once

#include <algorithm>
#include <vector>

class Token;

class WritingGuard {
 public:
  explicit WritingGuard(const Token* token) {
    std::vector<const Token*>& list = writing();
    again_ = std::find(list.begin(), list.end(), token) != list.end();
    if (!again_) list.push_back(token);
  }
  ~WritingGuard() {
    if (!again_) writing().pop_back();
  }
  WritingGuard(const WritingGuard&) = delete;
  WritingGuard& operator=(const WritingGuard&) = delete;

  // True when the token's output was being written already.
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
