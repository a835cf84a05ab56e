// Test support: a temporary install folder holding a copy of the program,
// running it as the IDE does, fixture projects and golden files.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace ruvotest {

struct RunResult {
  std::string out;   // standard output, byte for byte
  std::string err;   // standard error
  int exitCode = -1;
};

// A fresh temporary folder, removed again at the end unless RUVO_KEEP_TMP is set.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }  // no trailing '/'
  std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

 private:
  std::string path_;
};

// <tmp>/bin/ruvojs, a copy of the built program, so that its base folder
// (the parent of its own folder) is <tmp>/, which then holds debug.txt and libs/.
class Install {
 public:
  // `program` is the built program to copy (the console program by default).
  explicit Install(const std::string& program = RUVOJS_BIN);
  const std::string& root() const { return dir_.path(); }
  // The copy of the program: <tmp>/bin/ruvojs, or <tmp>/ruvojs.exe in the
  // Windows build, whose base folder is the program's own folder.
  std::string bin() const { return bin_; }
  // Runs the program with the arguments in the working folder `cwd` (the
  // install root when empty). `env` adds or replaces environment variables;
  // a value of "\x01" removes the variable.
  RunResult run(const std::vector<std::string>& args, const std::string& cwd = "",
                const std::map<std::string, std::string>& env = {}) const;
  std::string debugTxt() const;

 private:
  TempDir dir_;
  std::string bin_;
};

// Runs any program; the same rules as Install::run.
RunResult runProgram(const std::string& program, const std::vector<std::string>& args, const std::string& cwd,
                     const std::map<std::string, std::string>& env = {}, const std::string& input = "");

// The environment of this process, the same on every platform.
void setEnv(const std::string& name, const std::string& value);
void unsetEnv(const std::string& name);
int processId();
// The number of a process that has ended (its number is not given to
// another process while the tests run).
int endedProcessId();
// The number of another process that runs while the tests run.
int runningProcessId();

// Sets (or, for null, removes) one environment variable for the life of the
// object.
class EnvGuard {
 public:
  EnvGuard(const std::string& name, const char* value);
  ~EnvGuard();
  EnvGuard(const EnvGuard&) = delete;
  EnvGuard& operator=(const EnvGuard&) = delete;

 private:
  std::string name_, old_;
  bool had_ = false;
};

std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
void writeFile(const std::string& path, const std::string& content);  // creates folders
void makeFolders(const std::string& path);  // the folder and every missing parent
std::string sourceDir();  // the repository root
std::string fixtureDir(const std::string& name);
// Copies tests/fixtures/<name>/ (without its expected/ folder) into dest.
void copyFixture(const std::string& name, const std::string& dest);
// Lists every file under `dir`, relative paths, sorted.
std::vector<std::string> listFiles(const std::string& dir);

// Compares `actual` with tests/fixtures/<fixture>/expected/<rel>; with
// UPDATE_GOLDEN=1 in the environment the expected file is rewritten instead.
// Returns an empty string on a match, else a description of the difference.
std::string checkGolden(const std::string& fixture, const std::string& rel, const std::string& actual);

// The printed lines as the tests compare them: on Windows the size of each
// saved script is blanked, since it counts the paths in the script's
// comments and the Windows temporary folder's name varies in length.
std::string comparableOutput(const std::string& text);

// Replaces every occurrence of `from` with `to`.
std::string replaceAll(std::string text, const std::string& from, const std::string& to);

// Runs node on a script file with the given arguments.
RunResult runNode(const std::string& scriptPath, const std::vector<std::string>& args = {});
// Runs node with the arguments in the working folder `cwd`.
RunResult runNodeArgs(const std::vector<std::string>& args, const std::string& cwd);
bool haveNode();
// Why the node checks are skipped when haveNode() is false.
const char* noNodeReason();
// Runs a generated script in node as a page loads it (examples/run-in-node.js
// gives it a browser's window and document).
RunResult runScriptInNode(const std::string& script);

// A FlashDevelop project made of the given sources (path under src/ -> text,
// the main class in src/Main.as), compiled with the library off by the real
// program, and its joined script run in node.
// `classPaths` are the project's class paths (folders of the project);
// `options` follow ";zafrit=false" on the command (";ts=true;").
struct SourcesRun {
  std::string messages;  // the program's standard output
  std::string js;        // the joined script; empty when none was written
  RunResult node;        // the script run in node
  std::map<std::string, std::string> tsFiles;  // bin/ts/src/<path> -> text, with TypeScript output
};
// The text of src/Main.as: a public class Main in the unnamed package with
// the given imports, members and constructor body.
std::string mainClass(const std::string& imports, const std::string& members, const std::string& body);

SourcesRun compileSourcesAndRun(const std::map<std::string, std::string>& sources,
                                const std::string& projectName = "p",
                                const std::vector<std::string>& classPaths = {"src"},
                                const std::string& options = "");
// The same with the emulation library on: the install folder holds a
// one-class stand-in library, and the script runs with stand-ins for the
// library's start (tests/support/run-library-on.js), so that the main
// class's constructor runs the program. `options` are the project command's
// option literals (";chromerun=false"); with any option the compile keeps
// the doc comments of classes and members in the script.
SourcesRun compileLibraryOnAndRun(const std::map<std::string, std::string>& sources,
                                  const std::string& options = "");

}  // namespace ruvotest
