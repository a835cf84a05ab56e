// Text markers that one output step leaves in a text for another to find.
// They never reach the written script: each consumer takes its marker out.
#pragma once

// Between a constructor's parameter list and its body in the
// SplitConstructor text of a function (producer: TokenFunction::toJsScript;
// consumer: the class outputs, which put the instance variables between the
// two halves).
inline constexpr const char* kConstructorMarker = "--##END";

// Leads every static-variable item of a class body printed as ClassBody
// (producer: TokenVar::toJsScript; consumer: the class output, which turns
// the items into assignments on the class and sends the rest to the
// deferred initialiser).
inline constexpr char kStaticItemMark = '\x03';

// The text of a { } block that prints its children without braces
// (producer: the async rewriting; consumer: the block's own output).
inline constexpr const char* kBracelessBlock = "NO{";
