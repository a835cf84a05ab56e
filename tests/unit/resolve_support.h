// Small hand-built token trees for the package, import and name-resolution
// tests: a file root holding a package, classes registered as their
// registration step would, and words placed where the resolver meets them.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "CompilerOptions.h"
#include "TokenClass.h"
#include "TokenFunction.h"
#include "TokenPackage.h"
#include "globals.h"
#include "message.h"
#include "parse.h"
#include "scriptfile.h"

namespace names_test {

// Resets everything these tests touch, including the maps whose owners
// may not clear them in resetCompilerState().
inline void resetAll() {
  resetCompilerState();
  fpprintf = std::tmpfile();  // keep the shared debug.txt of the build folder out of it
  resetPackageRegistries();
  TokenClass::_classMap_().clear();
  TokenClass::_MiniClassMap_().clear();
  TokenClass::NameSpaceMap.clear();
  ScriptFile::LoadedFileMap.clear();
  ScriptFile::GlobalClassWidthFileMap.clear();
  ScriptFile::GlobalFunctionWidthFileMap.clear();
  ScriptErr::__ERRS.clear();
  _ompilerOptions_ = CompilerOptions();
  __ISRELEASE__ = false;
  __ISTOTS = false;
  __SHOWDEBUG__ = false;
}

class NamesTest : public ::testing::Test {
 protected:
  void SetUp() override { resetAll(); }
  void TearDown() override { resetAll(); }
};

template <class T = Token>
T* add(Token* parent, int type, const char* text = "") {
  T* token = new T(type, text, 0, 1, parent);
  parent->push(token);
  return token;
}

// One source file: its record, its root and its (already pretreated) package.
struct File {
  ScriptFile* record;
  Parse* root;
  TokenPackage* package;
};

inline File makeFile(const std::string& path, const std::string& packageName) {
  File f;
  f.record = new ScriptFile(path.c_str(), "");
  ScriptFile::LoadedFileMap[path] = f.record;
  f.root = new Parse(nullptr, "", path.c_str(), 0);
  f.root->path = path;
  f.root->directory = path.substr(0, path.rfind('/'));
  f.root->scriptFile = f.record;
  f.package = add<TokenPackage>(f.root, TokenTypeCode::Package, "package");
  f.package->text = packageName;
  f.package->qualifyingName = packageName;
  f.package->ownerFile = f.root;
  f.root->package = f.package;
  f.record->package = f.package;
  if (!TokenPackage::GetPakageMap().has(packageName)) TokenPackage::GetPakageMap()[packageName] = f.package;
  return f;
}

// A public class as registration leaves it: in the class map, the file map
// and the conversion table, with its body block.
inline TokenClass* addClass(File& f, const std::string& shortName, const std::string& miniName = "") {
  TokenClass* cls = add<TokenClass>(f.package, TokenTypeCode::Class, "class");
  cls->shortName = shortName;
  cls->fullName = packToFullName(f.package->qualifyingName, shortName);
  cls->miniName = miniName.empty() ? shortName : miniName;
  cls->flags |= TokenModifierFlags::Public;
  cls->currentClass = cls;
  TokenClass::_classMap_()[cls->fullName] = cls;
  ScriptFile::GlobalClassWidthFileMap[cls->fullName] = f.record;
  TokenPackage::GetConversionTable()[cls->fullName] = cls->miniName;
  if (!f.package->firstClass) f.package->firstClass = cls;
  add(cls, TokenTypeCode::Block, "{");
  return cls;
}

inline Token* body(TokenClass* cls) { return cls->childs.back(); }

// A member token of the given kind entered under `name`.
inline Token* addMember(TokenClass* cls, const std::string& name, bool isStatic, int flags = 0,
                        const std::string& type = "") {
  Token* member = new Token(TokenTypeCode::DeclaredName, name.c_str(), 0, 1, cls);
  member->flags = flags | (isStatic ? TokenModifierFlags::Static : 0);
  member->setTypeText(type);
  (isStatic ? cls->staticMembers : cls->members)[name] = member;
  return member;
}

// A method of the class with a body block; words go into the body.
inline TokenFunction* addMethod(TokenClass* cls, const std::string& name) {
  TokenFunction* fn = add<TokenFunction>(body(cls), TokenTypeCode::Function, "function");
  fn->name = name;
  fn->classMember = 1;
  fn->body = add(fn, TokenTypeCode::Block, "{");
  return fn;
}

// An anonymous function inside `where` (a closure).
inline TokenFunction* addClosure(Token* where) {
  TokenFunction* fn = add<TokenFunction>(where, TokenTypeCode::Function, "function");
  fn->body = add(fn, TokenTypeCode::Block, "{");
  return fn;
}

// The head of a dotted name: its first segment.
inline std::string headOf(const std::string& name) { return name.substr(0, name.find('.')); }

struct Resolved {
  std::string text;
  TokenHeadMsg head;
};

// Resolves `name` as written by `word` through `resolver` (a class or a package).
inline Resolved resolve(Token* resolver, Token* word, const std::string& name, int typeCommentOff = 0) {
  Resolved r;
  std::string n = name;
  std::string h = headOf(name);
  int skip = 0;
  r.text = resolver->jsFormatProperty(n, h, word, typeCommentOff, skip, r.head);
  EXPECT_EQ(skip, 0) << name;
  return r;
}

}  // namespace names_test
