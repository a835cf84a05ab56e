// Placeholder: the token node is being built.
#include "Token.h"

#include "parse.h"

const TokenTypeInfo kTokenTypeTable[] = {{0, "Word", "plain word"}};
const int kTokenTypeTableSize = 1;

Token::Token(int type, const char* text, int, int line, Token* parent)
    : type(static_cast<int8_t>(type)), text(text ? text : ""), line(line), endLine(line), parent(parent) {}

std::string Token::getValue() { return text; }
std::string Token::getSelfValue() { return getValue(); }
TokenClass* Token::getTokenClass() { return parent ? parent->getTokenClass() : nullptr; }
TokenFunction* Token::getTokenFunction() { return parent ? parent->getTokenFunction() : nullptr; }
TokenFunction* Token::getClassTokenFunction() { return parent ? parent->getClassTokenFunction() : nullptr; }
bool Token::isInlineFunction() { return parent ? parent->isInlineFunction() : false; }
bool Token::isInStatic() { return isStatic() || (parent ? parent->isInStatic() : false); }
TokenVarMap* Token::getVarMap() { return parent ? parent->getVarMap() : nullptr; }
Token* Token::getTokenInVarMap(const char*) { return nullptr; }
void Token::push(Token* child) {
  child->index = static_cast<int>(childs.size());
  child->parent = this;
  child->file = file;
  childs.push_back(child);
}
