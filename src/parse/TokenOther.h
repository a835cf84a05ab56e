// Statement and expression tokens with a translation of their own.
#pragma once

#include <span>
#include <string>

#include "Token.h"

// for / for each: a for-each loop becomes a for-in over the keys with the
// value assigned at the top of the body.
class TokenFor : public Token {
 public:
  uint8_t forEach = 0;
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;

 private:
  int forInToJs(std::string& out, Parse* file, int mode, int typeCommentOff);
};

// break / continue with an optional label word.
class TokenBreak : public Token {
 public:
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
};

class TokenContinue : public Token {
 public:
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
};

// ( ) group: call arguments, conditions and parameter lists.
class TokenParent : public Token {
 public:
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;

 private:
  void printParameters(std::string& g, Parse* file, int typeCommentOff);
  void printAttributeFilter(std::string& out, Parse* file, int typeCommentOff);
  void printArguments(std::string& g, Parse* file, int typeCommentOff, TokenClass* cls, Token* before);
};

// var and const declarations.
class TokenVar : public Token {
 public:
  Token* embedToken = nullptr;   // first child of an [Embed(...)] tag before the declaration
  uint8_t classMember = 0;       // stands directly in a class body
  uint8_t asyncDecl = 0;         // lies in a function marked by the async rewriting
  uint8_t outputDisabled = 0;    // const inside [DISBALEOUTCONST-BEGIN] ... [DISBALEOUTCONST-END]
  uint32_t gapBefore = 0;        // null slots left in front of it by its pretreatment (gapMark)
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;

  // One declarator: its name, its "=" and its end (defined in TokenVar.cpp).
  struct Declarator;
  using Declarators = std::span<const Declarator>;

 private:
  // The steps of the pretreatment.
  TokenVarMap* scopeOfNames(TokenFunction* fn);
  void takeEmbedTag();
  int gatherDeclaration(Parse* owner, TokenClass* cls, TokenFunction* fn);
  void takeGathered(int pending);
  bool endsBefore(Token* current, Token* after, int afterAt, TokenClass* cls, TokenFunction* fn);
  int leaveGapBefore(int pending);
  void nameAssignedFunctions();
  void enterClassLists(TokenClass* cls);
  void recordConstants(Parse* owner, TokenClass* cls);
  void registerNames(Parse* owner, TokenPackage* pkg, TokenClass* cls, TokenFunction* fn, TokenVarMap* locals);

  // The output forms and their parts.
  void printPackageLevel(Parse* owner, int typeCommentOff);
  std::string embedValue(Token* name, Parse* owner);
  void printInstanceMembers(std::string& out, Parse* owner, TokenClass* cls, const Declarators& list, int mode,
                            int typeCommentOff);
  void printInstanceDefault(std::string& out, Parse* owner, TokenClass* cls, Token* name, const std::string& type,
                            bool ts);
  bool hasConstantInitialiser(const Declarator& d);
  void printInstanceInitialiser(std::string& out, Parse* owner, const Declarator& d, bool ts, int typeCommentOff);
  void printStatics(std::string& out, Parse* owner, TokenClass* cls, const Declarators& list, int mode,
                    int typeCommentOff);
  void printStaticHead(std::string& text, Parse* owner, const Declarator& d, bool ts, int typeCommentOff);
  void defineTypeClassFirst(Parse* owner, TokenClass* cls, Token* name, const std::string& type,
                            int typeCommentOff);
  void printStaticInitialiser(std::string& text, Parse* owner, TokenClass* cls, const Declarator& d, bool ts,
                              int typeCommentOff);
  void printLocals(std::string& out, Parse* owner, TokenFunction* fn, const Declarators& list, int mode,
                   int typeCommentOff);
  void printAsyncLoopVariable(std::string& out, Parse* owner, int mode, int typeCommentOff);
  void printAsyncAssignments(std::string& out, Parse* owner, int mode, int typeCommentOff);
  void printVarStatement(std::string& out, Parse* owner, TokenFunction* fn, const Declarators& list,
                         bool forInHead, int mode, int typeCommentOff);
  void printDebugTypeChecks(std::string& out, Parse* owner, const Declarators& list);
  static bool isBracelessBody(Token* declaration);
};

// a is T
class TokenIs : public Token {
 public:
  Token* left = nullptr;
  Token* right = nullptr;
  uint8_t mark = 0;
  // The left operand starts a statement on a new line after a statement
  // without its ';': the test is written behind a ';' of its own.
  uint8_t startsStatement = 0;
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
  static bool toJs(std::string& out, std::string& operandText, std::string& typeName, Parse* file = nullptr);
};

// Whether the expression goes on from `last` to `next` across a line end
// (a statement without its ';' ends with its line otherwise).
bool continuesExpression(Token* last, Token* next);

// a as T
class TokenAs : public Token {
 public:
  Token* left = nullptr;
  Token* right = nullptr;
  // Debug output of `new cls as T`: the `new` taken in front of the left
  // operand, so that the check wraps the new object, not the class.
  Token* newKeyword = nullptr;
  uint8_t groupForm = 0;
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
};

// new, with array and vector creation in the runtime's forms.
class TokenNew : public Token {
 public:
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
  // RegExp(p, "gx"), with or without new: prints the RegExp made without
  // the flag x from the arguments `group`; false (nothing printed) when
  // the flags are not a quoted text holding x.
  static bool regExpWithoutExtendedFlag(Token* group, Parse* file, int typeCommentOff, std::string& out);
  // What a Vector's new slots hold for its element type: "0" for int, uint
  // and Number, "false" for Boolean, "null" for any other type.
  static const char* vectorSlotValue(const std::string& elementType);
};

// ':' outside "::": type annotation, object key, label, ?: or case.
class TokenColon final : public Token {
 public:
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
  // Frees the ':' of the type annotations that pretreatment took out of the
  // tree, so that the tokens of the next file take their room. Called when
  // a file's pretreatment is done, when no child loop still holds one.
  static void freeDropped();
  // Takes a ':' that left the tree for good; freeDropped frees it.
  static void drop(TokenColon* colon) { dropped().push_back(colon); }

 private:
  // The ':' tokens taken out since the last freeDropped (owner:
  // TokenColon::pretreatment; emptied by freeDropped).
  static std::vector<TokenColon*>& dropped();
};

// super
class TokenSuper : public Token {
 public:
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
};

// [Embed(...)] metadata before a variable.
class TokenEmbed : public Token {
 public:
  OrderedMap<std::string> attributes;
  std::string source;
  std::string kind;  // "image", "swf" or empty
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
  std::string getJsScript(std::string name, std::string& unused, Parse* file, int a, int b);
};

// __JS__ and __INCLUDESTR__
class TokenUntyped : public Token {
 public:
  std::string keyword;
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
};

// Vector and Vector.<T>
class TokenVector : public Token {
 public:
  std::string elementType;  // Vector.<T>: the text of T without blanks
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
};

class TokenWith : public Token {
 public:
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
};

// case and default; every label starts on a new line.
class TokenCase : public Token {
 public:
  uint8_t mark = 0;
  TokenCase(int type, const char* text, int pos, int line, Token* parent);
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
};

class TokenCatch : public Token {
 public:
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
};

class TokenIn : public Token {
 public:
  using Token::Token;
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
};
