// Includes: "include 'file.as'" reads the named file's text into the group
// where it stands, once per including file, with cycles, depth and the
// total included size bounded.
#include <cstring>
#include <string>

#include "Token-lexer-internal.h"
#include "Token.h"
#include "parse.h"
#include "scriptfile.h"
#include "xfilemethod.h"

using namespace lexer;

void lexer::includeFile(Token* group, const std::string& quoted) {
  std::string name;
  for (char c : quoted)
    if (c != '"' && c != '\'') name += c;
  Parse* file = group->file;
  std::string path = xfilemethod::getFile_Path((file ? file->directory : std::string()) + "/" + name);
  ScriptFile* record = ScriptFile::LoadedFileMap.get(ScriptFile::FormatFileName(path), nullptr);
  // A file outside the source folders (a shared "../config.as") was not
  // collected: it is read now.
  if (!record && xfilemethod::getFileSize(path) > 0) {
    ScriptFile::LoadFile(path);
    record = ScriptFile::LoadedFileMap.get(ScriptFile::FormatFileName(path), nullptr);
  }
  if (!record) {
    Token* at = lastChild(group);
    queueError(at ? at : group, group, "Include file not found: " + path);
    return;
  }

  LexRun& run = *g_run;
  if (run.includeStack.empty() && file) run.includeStack.push_back(xfilemethod::getFile_Path(file->path));
  for (const std::string& open : run.includeStack) {
    if (open == path) {
      Token* at = lastChild(group);
      queueError(at ? at : group, group, "Cyclic include of " + path);
      return;
    }
  }
  if (run.depth >= kMaxLexDepth) {
    Token* at = lastChild(group);
    queueError(at ? at : group, group, "Includes nested too deeply: " + path);
    run.aborted = true;
    return;
  }
  if (run.includeBoundReported ||
      run.includedBytes + static_cast<long long>(record->text.size()) > kMaxIncludedBytes) {
    if (!run.includeBoundReported) {
      Token* at = lastChild(group);
      queueError(at ? at : group, group,
                 "Includes expand to more than " + std::to_string(kMaxIncludedBytes >> 20) +
                     " MB of text: " + path + " and the includes after it are left out");
    }
    run.includeBoundReported = true;
    return;
  }
  // A file that includes the same file twice gets its text once: each copy
  // could hold includes of its own, and the copies multiply.
  const std::string& includer = run.includeStack.back();
  if (!run.includesDone.insert(includer + "\n" + path).second) {
    Token* at = lastChild(group);
    queueError(at ? at : group, group, "Repeated include of " + path + " in " + includer + ": it is included once");
    return;
  }
  run.includedBytes += static_cast<long long>(record->text.size());

  std::string text = record->text;
  std::string normal;
  normal.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') continue;
      normal += '\n';
    } else {
      normal += text[i];
    }
  }
  normal.resize(std::strlen(normal.c_str()));
  // A file saved with a UTF-8 byte order mark: the mark is no word of the code.
  if (normal.compare(0, 3, "\xEF\xBB\xBF") == 0) normal.replace(0, 3, "   ");
  if (!Parse::_format_ifdef(normal.data())) return;
  record->text = normal;

  run.includeStack.push_back(path);
  ++run.depth;
  int p = 0;
  int l = 0;
  lexInto(group, normal.c_str(), static_cast<int>(normal.size()), p, l);
  --run.depth;
  run.includeStack.pop_back();
}

void addInclude(Token* group, Token*, const char* quoted) {
  if (!group || !quoted) return;
  RunScope scope(static_cast<long long>(std::strlen(quoted)));
  includeFile(group, quoted);
}
