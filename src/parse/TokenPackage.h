// The package token of one source file, its registries and the pre-scan of
// class names that runs before any file is parsed.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Token.h"

class ScriptFile;
class TokenClass;

// A class that a source file uses, with the file that defines it.
class UseCLass {
 public:
  std::string fullName;
  ScriptFile* file;
  UseCLass(std::string fullName, ScriptFile* file) : fullName(std::move(fullName)), file(file) {}
};

class TokenPackage : public Token {
 public:
  std::string qualifyingName;
  uint8_t hasError = 0;
  Parse* ownerFile = nullptr;
  TokenList imports;
  // Short name to full name of every class the file may name bare. A
  // wildcard import enters every class of the package in every file that
  // imports it, so the full names are shared texts: each is kept once for
  // the whole project, and an entry holds its 4-byte number.
  OrderedMap<SharedString> importMap;
  OrderedMap<std::string> wildcardMap;
  OrderedMap<Token*> packageMembers;
  OrderedMap<TokenClass*> privateClasses;
  std::vector<TokenClass*> privateClassList;
  uint8_t importsExpanded = 0;
  TokenClass* firstClass = nullptr;
  TokenClass* workingClass = nullptr;
  std::string firstClassFullName;
  // Names that useClassNamed found to be no class (int, String, Array ...),
  // by the numbers of their shared texts in ascending order, kept while the
  // number of classes and of imports is what it was then.
  std::vector<uint32_t> namesOfNoClass;
  std::pair<size_t, size_t> namesOfNoClassFor{0, 0};

  using Token::Token;

  TokenClass* getTokenClass() override { return nullptr; }
  void jsFormatPropertyInto(std::string& out, std::string& name, std::string& head, Token* token, int typeCommentOff,
                            int& skip, TokenHeadMsg& headMsg) override {
    out += jsFormatPropertyText(name, head, token, typeCommentOff, skip, headMsg);
  }
  // A name the package resolves, as a text of its own (see TokenPackage-resolve.cpp).
  std::string jsFormatPropertyText(std::string& name, std::string& head, Token* token, int typeCommentOff, int& skip,
                                   TokenHeadMsg& headMsg);
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;

  std::string importToAs3Script();
  void hasUseThisClass(std::string fullName);
  void useClassNamed(const std::string& name);

  static OrderedMap<TokenPackage*>& GetPakageMap();
  static OrderedMap<std::string>& GetConstMap();
  static OrderedMap<std::string>& GetConversionTable();
  static std::string ToConversionTable(std::string name, bool add);
  static std::string ConvertWithMinClassName(std::string name);
  static bool InClassMap(std::string name, std::string& out);

  static void ParseOnlyClassEx(const char* folder, bool run);
  static void ParsePackageAllFileForClass(std::string root, std::string packageName);
  static void ParseOnlyClass(const char* path, const std::string& text);

 private:
  // The steps of jsFormatProperty, in the order they are tried; each gives
  // the JavaScript spelling of the name when its rule knows it.
  struct NameQuery;
  std::optional<std::string> nameSettledByPlace(const NameQuery& q);
  std::optional<std::string> packageFunctionByFullName(const NameQuery& q);
  void expandWildcardImports();
  std::optional<std::string> importedName(const NameQuery& q);
  ScriptFile* importDefiningFile(const std::string& full);
  std::optional<std::string> packageVariable(const NameQuery& q);
  std::optional<std::string> staticOfImportedClass(const NameQuery& q);
  std::optional<std::string> staticOfPackageClass(const NameQuery& q);
  std::optional<std::string> privateClassName(const NameQuery& q);
  std::optional<std::string> staticOfTopLevelClass(const NameQuery& q);
  std::optional<std::string> packageClassName(const NameQuery& q);
  std::optional<std::string> xmlClassName(const NameQuery& q);
  std::optional<std::string> integerLimit(const NameQuery& q);
  std::optional<std::string> globalName(const NameQuery& q);
  std::optional<std::string> qualifiedPackageVariable(const NameQuery& q);
  std::string classByLongestPrefix(const NameQuery& q);
};

// Cuts a text into the words the pre-scan reads.
void scriptClipToWords(const char* text, std::vector<std::string>& words);
std::string findThisNameInFile(std::string name);
std::string packToFullName(std::string packageName, std::string name);

// Clears the package registries and the pre-scan's scanned-sets.
void resetPackageRegistries();
// Forgets the interfaces kept per wildcard import path (with the registries).
void forgetWildcardInterfaces();
