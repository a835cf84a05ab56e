// The tokens whose output is being written, innermost last, one list for each
// kind of writer. A damaged source can leave a token inside its own output (a
// public class written in the body of a private class that the public class
// prints, a package-level function that prints the file's outside functions
// while one of them holds it, a type test that became its own operand's
// operand in `a is is b`, a cast that took an object key's ':' as its operand
// in `{k : as T}`): writing it again would never end. A token met again while
// its output is being written gives nothing the second time.
//
// Damaged braces among includes can also leave a class or function in the
// output of several others, each of which is written several times: the
// copies multiply with every level (a 178-byte file gave 51 MB). A class or
// function is written at most kMaxWrites times; after that it gives nothing,
// with one source error.
//
//   WritingGuard guard(this);                               // a class or function
//   WritingGuard guard(this, WritingGuard::Scope::TypeTests);
//   if (guard.again()) return 0;
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Token.h"

class WritingGuard {
 public:
  // The writer whose list the token joins. Each keeps its own list, so that
  // the depth of one kind of nesting does not count the others.
  enum class Scope : uint8_t {
    ClassesAndFunctions,  // also limits how often each token is written
    TypeTests,            // a is T, a as T
    ObjectValues,         // the value after the ':' of an object key
    Count,
  };

  static constexpr int kMaxWrites = 8;

  explicit WritingGuard(Token* token) : WritingGuard(token, Scope::ClassesAndFunctions) {}

  WritingGuard(Token* token, Scope scope) : scope_(scope) {
    std::vector<const Token*>& list = writing(scope);
    again_ = std::find(list.begin(), list.end(), token) != list.end();
    if (!again_ && scope == Scope::ClassesAndFunctions) again_ = writtenTooOften(token);
    if (!again_) list.push_back(token);
  }
  ~WritingGuard() {
    if (!again_) writing(scope_).pop_back();
  }
  WritingGuard(const WritingGuard&) = delete;
  WritingGuard& operator=(const WritingGuard&) = delete;

  // True when the token's output was being written already, or was written
  // too often.
  bool again() const { return again_; }
  // How many tokens of this guard's scope are being written, its own token
  // included when it was not met again.
  size_t depth() const { return writing(scope_).size(); }
  // The classes and functions being written, outermost first.
  static const std::vector<const Token*>& current() { return writing(Scope::ClassesAndFunctions); }

 private:
  // Counts one more write of `token`; true (after one source error) once it
  // was written kMaxWrites times.
  static bool writtenTooOften(Token* token) {
    if (!token) return false;
    if (token->writeCount < kMaxWrites) {
      ++token->writeCount;
      return false;
    }
    if (token->writeCount == kMaxWrites) {
      std::string unused;
      token->scriptErr(unused, token->file,
                       ("This code is written more than " + std::to_string(kMaxWrites) +
                        " times in the output (braces or includes out of place?): further copies are left out")
                           .c_str(),
                       1);
      ++token->writeCount;
    }
    return true;
  }

  static std::vector<const Token*>& writing(Scope scope) {
    static std::array<std::vector<const Token*>, static_cast<size_t>(Scope::Count)> lists;
    return lists[static_cast<size_t>(scope)];
  }

  Scope scope_;
  bool again_ = false;
};
