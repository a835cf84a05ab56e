// Directive comments: "/*async*", "/*await*" and the bracketed compiler
// directives ([FILEINDEX:n], [COMPILER OPTIONS:...], [DISBALEOUTCONST-...])
// act while the text is read; any other comment waits as the doc comment of
// the next declaration.
#include <cstdint>
#include <string>
#include <string_view>

#include "CompilerOptions.h"
#include "Token-lexer-internal.h"
#include "Token.h"
#include "parse.h"
#include "platform.h"
#include "scriptfile.h"
#include "xfilemethod.h"
#include "xstringmethod.h"

namespace {

// The number of a [FILEINDEX:n] directive, from the text after its colon:
// an optional '-' and digits, held within the int32 range. False without
// digits.
bool readFileIndex(std::string_view text, int32_t& weight) {
  size_t k = 0;
  bool negative = k < text.size() && text[k] == '-';
  if (negative) ++k;
  long long value = 0;
  bool digits = false;
  while (k < text.size() && text[k] >= '0' && text[k] <= '9') {
    if (value < 1000000000000LL) value = value * 10 + (text[k] - '0');
    digits = true;
    ++k;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  weight = static_cast<int32_t>(value);
  return digits;
}

}  // namespace

namespace lexer {

// A comment: directive comments act here, any other comment waits as the
// doc comment of the next declaration.
void GroupLexer::comment() {
  flushWord();
  const bool block = t_[pos_ + 1] == '*';
  int end = xstringmthod::getAnnotationText(t_, pos_, line_);
  if (end > len_) end = len_;
  const std::string_view body(t_ + pos_, static_cast<size_t>(end - pos_));
  if (body == "/*async*") {
    flags_ |= TokenModifierFlags::Async;
    _Comment.clear();
  } else if (body == "/*[PACKAGE-SAVEDISBALE]*" && ruvoPlatform().windows) {
    // The Windows program writes no JavaScript for such a file; the console
    // program takes it for an ordinary comment.
    if (group_->file) group_->file->outputEnabled = 0;
  } else if (body == "/*await*") {
    static const char kAwait[] = "await";
    addWord(kAwait, kAwait, 4, line_, group_, flags_, leading_, true, true);
    _Comment.clear();
  } else if (!body.empty()) {
    _Comment.assign("\n").append(body).append(block ? "/\n" : "\n");
  }

  if (body.find('[') != std::string_view::npos) bracketDirectives(body);

  pos_ = (end < len_ && t_[end] != 0) ? end + 1 : end;
  if (!block) leading_ += '\n';
}

// The bracketed directives a comment holds, several in one comment as well:
// [STATIC SAFE], [FILEINDEX:n], [COMPILER OPTIONS:ForcedCompile],
// [DISABLE-ADD-VARIABLE-DEFAULT-VALUE], [COMPILER OPTIONS:DISABLE2SYNC],
// [DISBALEOUTCONST-BEGIN] / -END and [COMPILER OPTIONS:EXCLUDE folder].
// Each one acts and the comment is no doc comment.
void GroupLexer::bracketDirectives(std::string_view body) {
  Parse* file = group_->file;
  if (body == "/*[STATIC SAFE]*") {
    _Comment.clear();
    if (group_->childs.size() >= 2 && group_->childs.back()) group_->childs.back()->safeMark = 1;
  }
  size_t at = body.find("[FILEINDEX:");
  if (at != std::string_view::npos) {
    _Comment.clear();
    int32_t weight = 0;
    if (readFileIndex(body.substr(at + 11), weight) && file && file->scriptFile)
      file->scriptFile->secondWeight = weight;
  }
  if (body.find("[COMPILER OPTIONS:ForcedCompile]") != std::string_view::npos) {
    _Comment.clear();
    if (file) {
      file->forcedCompile = 1;
      if (file->scriptFile) ScriptFile::firstFiles[file->scriptFile->path] = file->scriptFile;
    }
  }
  if (body.find("[DISABLE-ADD-VARIABLE-DEFAULT-VALUE]") != std::string_view::npos) {
    _Comment.clear();
    group_->noDefaultValues = 1;
  }
  if (body.find("[COMPILER OPTIONS:DISABLE2SYNC]") != std::string_view::npos) {
    _Comment.clear();
    if (file) file->sync = 0;
  }
  if (body.find("[DISBALEOUTCONST-BEGIN]") != std::string_view::npos) {
    _Comment.clear();
    DISBALEOUTCONST = 1;
  }
  if (body.find("[DISBALEOUTCONST-END]") != std::string_view::npos) {
    _Comment.clear();
    DISBALEOUTCONST = 0;
  }
  at = body.find("[COMPILER OPTIONS:EXCLUDE ");
  if (at != std::string_view::npos) {
    _Comment.clear();
    const size_t from = at + 26;
    const size_t close = body.find(']', from);
    if (file && close != std::string_view::npos) {
      std::string folder = file->directory + "/" + std::string(body.substr(from, close - from));
      _ompilerOptions_.excludePaths.push_back(xfilemethod::getFile_Path(folder));
    }
  }
}

}  // namespace lexer
