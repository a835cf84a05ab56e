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
#include "xstringmethod.h"

using namespace lexer;

namespace {

// The record of the included file, read now when it lies outside the
// source folders (a shared "../config.as") and was not collected.
ScriptFile* includedRecord(const std::string& path) {
  ScriptFile* record = ScriptFile::LoadedFileMap.get(ScriptFile::FormatFileName(path), nullptr);
  if (!record && xfilemethod::getFileSize(path) > 0) {
    ScriptFile::LoadFile(path);
    record = ScriptFile::LoadedFileMap.get(ScriptFile::FormatFileName(path), nullptr);
  } else if (record && record->textReleased) {
    ScriptFile::LoadFile(record->path);  // its tree is built: read it again
  }
  return record;
}

// Queues an include error at the token before the file name.
void includeError(Token* group, const std::string& message) {
  Token* at = lastChild(group);
  queueError(at ? at : group, group, message);
}

// Whether the include may be expanded: no cycle, not nested too deeply,
// within the bound of included text, and not a repeat in the same file.
// Each refusal is a source error; too deep a nesting ends the file.
bool admitInclude(LexRun& run, Token* group, const std::string& path, long long size) {
  Parse* file = group->file;
  if (run.includeStack.empty() && file) run.includeStack.push_back(xfilemethod::getFile_Path(file->path));
  for (const std::string& open : run.includeStack) {
    if (open == path) {
      includeError(group, "Cyclic include of " + path);
      return false;
    }
  }
  if (run.depth >= kMaxLexDepth) {
    includeError(group, "Includes nested too deeply: " + path);
    run.aborted = true;
    return false;
  }
  if (run.includeBoundReported || run.includedBytes + size > kMaxIncludedBytes) {
    if (!run.includeBoundReported) {
      includeError(group, "Includes expand to more than " + std::to_string(kMaxIncludedBytes >> 20) +
                              " MB of text: " + path + " and the includes after it are left out");
    }
    run.includeBoundReported = true;
    return false;
  }
  // A file that includes the same file twice gets its text once: each copy
  // could hold includes of its own, and the copies multiply.
  const std::string& includer = run.includeStack.back();
  if (!run.includesDone.insert(includer + "\n" + path).second) {
    includeError(group, "Repeated include of " + path + " in " + includer + ": it is included once");
    return false;
  }
  return true;
}

// The included text as the lexer reads it: line ends unified to LF, cut at
// its first NUL, a UTF-8 byte order mark blanked (it is no word of the code).
std::string normalIncludeText(const std::string& text) {
  std::string normal = text;
  xstringmthod::unifyLineEnds(normal);
  normal.resize(std::strlen(normal.c_str()));
  if (startsWith(normal, kUtf8Mark)) normal.replace(0, kUtf8Mark.size(), kUtf8Mark.size(), ' ');
  return normal;
}

// The path an include names: a relative name is looked for beside the file
// that holds the include (for an include inside an included file, that
// file's folder), then beside the source file being read.
std::string includePath(const LexRun& run, Parse* file, const std::string& name) {
  const std::string fileFolder = file ? file->directory : std::string();
  const std::string path = xfilemethod::getFile_Path(fileFolder + "/" + name);
  if (run.includeStack.size() < 2) return path;
  const std::string includer = run.includeStack.back();
  const std::string besideIncluder =
      xfilemethod::getFile_Path(includer.substr(0, includer.find_last_of('/')) + "/" + name);
  if (besideIncluder == path || !includedRecord(besideIncluder)) return path;
  return besideIncluder;
}

}  // namespace

void lexer::includeFile(Token* group, const std::string& quoted) {
  std::string name;
  for (char c : quoted)
    if (c != '"' && c != '\'') name += c;
  Parse* file = group->file;
  LexRun& run = *g_run;
  std::string path = includePath(run, file, name);
  ScriptFile* record = includedRecord(path);
  if (!record) {
    includeError(group, "Include file not found: " + path);
    return;
  }
  if (!admitInclude(run, group, path, static_cast<long long>(record->text.size()))) return;
  run.includedBytes += static_cast<long long>(record->text.size());

  std::string normal = normalIncludeText(record->text);
  if (!Parse::_format_ifdef(normal.data())) return;
  record->text = normal;

  run.includeStack.push_back(path);
  ++run.depth;
  int p = 0;
  int l = 0;
  const size_t before = group->childs.size();
  lexInto(group, normal.c_str(), static_cast<int>(normal.size()), p, l);
  // The included tokens carry the included file's lines; where they end,
  // the lines of the including file go on (see the async rewriting).
  if (group->childs.size() > before && group->childs.back()) group->childs.back()->includeEnd = 1;
  --run.depth;
  run.includeStack.pop_back();
}

void addInclude(Token* group, Token*, const char* quoted) {
  if (!group || !quoted) return;
  RunScope scope(static_cast<long long>(std::strlen(quoted)));
  includeFile(group, quoted);
}
