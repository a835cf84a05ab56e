// Placeholder: the lexer is being built.
#include "Token.h"

std::string _Comment;
uint8_t DISBALEOUTCONST = 0;
TokenClass* pCurAddClass = nullptr;
const char* __unnowkey__ = "|if|else|for|do|while|case|delete|await|";
const char* __sytemtype__ =
    "|Boolean|Object|Number|Array|RegExp|FileSystem|Date|Worker|undefine|String|int|Function|uint|undefined|throw|"
    "Class|Error|Dictionary|";
const char* _SystemKeywords_ =
    "|Date|typeof|RegExp|FileSystem|implements|do|catch|default|while|String|Worker|Number|break|continue|is|as|"
    "class|as|new|delete|Math|Object|Array|true|false|undefine|null|return|in|if|else|for|switch|case|var|void|"
    "try|catch|finally|function|throw|Class|";

void Token::parse(const char*, int, int&, int&, Token*) {}
void resetLexerState() {
  _Comment.clear();
  DISBALEOUTCONST = 0;
  pCurAddClass = nullptr;
}
