// Functions: methods, accessors, constructors, package-level functions and
// inline functions.
#pragma once

#include <string>
#include <vector>

#include "Token.h"

// One parameter default value.
class TokenFunctionDefaultValue {
 public:
  std::string name;
  TokenList valueTokens;
  std::string valueText;
  void makeValue(Parse* file, int mode, int typeCommentOff);
};

// What a function is to its property: `TokenFunction::accessorKind`. The
// values are fixed (a getter is 255).
namespace AccessorKind {
constexpr uint8_t None = 0;     // a plain function, method or constructor
constexpr uint8_t Setter = 1;   // "function set name(v)"
constexpr uint8_t Getter = 255; // "function get name()"
}  // namespace AccessorKind

class TokenFunction : public Token {
 public:
  // The texts are shared texts: a project has thousands of functions, most
  // of them named like others and without a rest parameter.
  SharedString name;
  SharedString secondName;
  SharedString restParam;
  SharedString restType;
  // The name of the variable an anonymous function is assigned to in its declaration.
  SharedString assignedVarName;
  int32_t fixedParamCount = 0;
  Token* paramGroup = nullptr;
  Token* body = nullptr;
  std::vector<TokenFunctionDefaultValue*> defaultValues;
  TokenVarMap locals;
  uint8_t accessorKind = AccessorKind::None;
  uint8_t classMember = 0;
  uint8_t closureThisCount = 0;
  uint8_t awaitMark = 0;
  uint8_t asyncStateMark = 0;
  uint8_t valueHolderMark = 0;

  using Token::Token;

  std::string getValue() override { return name; }
  TokenFunction* getTokenFunction() override { return this; }
  TokenFunction* getClassTokenFunction() override;
  bool isInlineFunction() override { return !classMember; }
  bool pretreatmentAnsy(Parse* file, TokenFunction* function, Token* body) override;
  void jsFormatPropertyInto(std::string& out, std::string& name, std::string& head, Token* token, int typeCommentOff,
                            int& skip, TokenHeadMsg& headMsg) override;
  // name with its member renamed when head is a local typed as this class (see .cpp).
  std::string withOwnPrivateMember(const std::string& name, const std::string& head, const std::string& type);
  int pretreatment(Parse* file) override;
  int toJsScript(std::string& out, Parse* file, int mode, int typeCommentOff) override;
  TokenVarMap* getVarMap() override { return &locals; }

  void adjustScriptBody(std::string& body);
  std::string toFunMiniString(const std::string& text);

 private:
  // The steps of the pretreatment.
  int liftHead();
  void pretreatInterfaceMember(Parse* root);
  void liftReturnType(int returnTypeAt);
  void registerName(TokenClass* cls);
  bool liftBody(Parse* root);
  void pretreatParamsAndBody(Parse* root);
  void registerWithPackage(Parse* root, TokenPackage* pkg);

  // The parts of the output.
  int printInterfaceMember(std::string& out, Parse* root, int mode, int typeCommentOff);
  void bodyWithPrologue(std::string& bodyText, Parse* root, int mode, int typeCommentOff);
  void addDebugTypeChecks(std::string& bodyText, Parse* root);
  void addParamDefaults(std::string& bodyText, Parse* root, int mode, int typeCommentOff);
  void addRestParam(std::string& bodyText);
  void addHoistedLocals(std::string& bodyText, Parse* root);
  void printAccessor(std::string& out, Parse* root, int mode, const std::string& params, std::string& bodyText);
  void printMethod(std::string& out, const std::string& params, const std::string& bodyText);
  void printInlineHead(std::string& out, Parse* root, int mode);
  void printBodyWithOutsideFunctions(std::string& out, Parse* root, const std::string& bodyText,
                                     int typeCommentOff);
};
