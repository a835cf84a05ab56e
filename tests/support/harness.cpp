#include "harness.h"

#ifdef _WIN32
#include <windows.h>
#include <process.h>

#include <random>
#include <thread>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace ruvotest {

namespace {

// The process environment as name -> value, with `changes` applied (a value
// of "\x01" removes the variable).
std::map<std::string, std::string> environment(const std::map<std::string, std::string>& changes) {
  std::map<std::string, std::string> vars;
#ifdef _WIN32
  char** env = _environ;
#else
  char** env = environ;
#endif
  for (char** e = env; e && *e; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (eq && eq != *e) vars[std::string(*e, eq - *e)] = eq + 1;
  }
  for (const auto& kv : changes) {
    if (kv.second == "\x01")
      vars.erase(kv.first);
    else
      vars[kv.first] = kv.second;
  }
  return vars;
}

}  // namespace

void setEnv(const std::string& name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value.c_str());
#else
  setenv(name.c_str(), value.c_str(), 1);
#endif
}

void unsetEnv(const std::string& name) {
#ifdef _WIN32
  _putenv_s(name.c_str(), "");
#else
  unsetenv(name.c_str());
#endif
}

EnvGuard::EnvGuard(const std::string& name, const char* value) : name_(name) {
  const char* old = std::getenv(name.c_str());
  had_ = old != nullptr;
  if (had_) old_ = old;
  if (value)
    setEnv(name, value);
  else
    unsetEnv(name);
}

EnvGuard::~EnvGuard() {
  if (had_)
    setEnv(name_, old_);
  else
    unsetEnv(name_);
}

int processId() {
#ifdef _WIN32
  return _getpid();
#else
  return static_cast<int>(getpid());
#endif
}

TempDir::TempDir() {
  // TMPDIR may end with a separator ("/tmp/", as on macOS): the folder's
  // own name is kept free of doubled separators, and written with "/" on
  // Windows too, so that expected texts built from it read as the program
  // writes paths.
  std::string tmp = fs::temp_directory_path().lexically_normal().generic_string();
  while (tmp.size() > 1 && tmp.back() == '/') tmp.pop_back();
#ifdef _WIN32
  std::random_device seed;
  std::mt19937 gen(seed() ^ static_cast<unsigned>(processId()));
  const char* digits = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = tmp + "/ruvotest-";
    for (int i = 0; i < 6; ++i) name += digits[gen() % 36];
    std::error_code ec;
    if (fs::create_directory(name, ec) && !ec) {
      path_ = name;
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
#else
  std::string base = tmp + "/ruvotest-XXXXXX";
  std::vector<char> buf(base.begin(), base.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
#endif
}

TempDir::~TempDir() {
  if (std::getenv("RUVO_KEEP_TMP")) return;
  std::error_code ec;
  fs::remove_all(path_, ec);
}

Install::Install(const std::string& program) {
#ifdef _WIN32
  // The Windows build's base folder is the program's own folder.
  bin_ = dir_.path() + "/ruvojs" + fs::path(program).extension().string();
#else
  bin_ = dir_.path() + "/bin/ruvojs";
#endif
  fs::create_directories(fs::path(bin_).parent_path());
  fs::copy_file(program, bin(), fs::copy_options::overwrite_existing);
  fs::permissions(bin(), fs::perms::owner_all, fs::perm_options::add);
  fs::create_directories(dir_.path() + "/libs/zafrit/src");
  fs::create_directories(dir_.path() + "/libs/kresp/src");
  fs::create_directories(dir_.path() + "/libs/ruvomini/src");
}

RunResult Install::run(const std::vector<std::string>& args, const std::string& cwd,
                       const std::map<std::string, std::string>& env) const {
  return runProgram(bin(), args, cwd.empty() ? root() : cwd, env);
}

std::string Install::debugTxt() const { return readFile(root() + "/debug.txt"); }

#ifdef _WIN32
namespace {

// One argument as the C runtime splits a command line again.
std::string quoteArgument(const std::string& a) {
  if (!a.empty() && a.find_first_of(" \t\"") == std::string::npos) return a;
  std::string out = "\"";
  size_t slashes = 0;
  for (char c : a) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, '\\');
  return out + "\"";
}

void readAll(HANDLE h, std::string* out) {
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) out->append(buf, n);
}

}  // namespace

RunResult runProgram(const std::string& program, const std::vector<std::string>& args, const std::string& cwd,
                     const std::map<std::string, std::string>& env, const std::string& input) {
  SECURITY_ATTRIBUTES sa{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE outR, outW, errR, errW, inR, inW;
  if (!CreatePipe(&outR, &outW, &sa, 0) || !CreatePipe(&errR, &errW, &sa, 0) || !CreatePipe(&inR, &inW, &sa, 0))
    throw std::runtime_error("CreatePipe failed");
  SetHandleInformation(outR, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errR, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(inW, HANDLE_FLAG_INHERIT, 0);

  std::map<std::string, std::string> vars = environment(env);
  std::string block;
  for (const auto& kv : vars) block += kv.first + "=" + kv.second + '\0';
  block += '\0';
  std::string command = quoteArgument(program);
  for (const auto& a : args) command += " " + quoteArgument(a);
  std::string native = program;
  std::replace(native.begin(), native.end(), '/', '\\');

  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = inR;
  si.hStdOutput = outW;
  si.hStdError = errW;
  PROCESS_INFORMATION pi{};
  // Wine, busy with several suites at once, now and then refuses a start
  // that succeeds a moment later: a few tries before the run counts as one
  // that could not start.
  BOOL started = FALSE;
  DWORD startError = 0;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    if (attempt > 0) Sleep(200 * attempt);
    started = CreateProcessA(native.c_str(), command.data(), nullptr, nullptr, TRUE, 0, block.data(),
                             cwd.empty() ? nullptr : cwd.c_str(), &si, &pi);
    if (!started) startError = GetLastError();
  }
  CloseHandle(outW);
  CloseHandle(errW);
  CloseHandle(inR);
  RunResult r;
  if (!started) {
    CloseHandle(outR);
    CloseHandle(errR);
    CloseHandle(inW);
    r.err = "cannot start " + program + " (error " + std::to_string(startError) + ")";
    r.exitCode = 127;
    return r;
  }
  std::thread errReader(readAll, errR, &r.err);
  if (!input.empty()) {
    DWORD w = 0;
    WriteFile(inW, input.data(), static_cast<DWORD>(input.size()), &w, nullptr);
  }
  CloseHandle(inW);
  readAll(outR, &r.out);
  errReader.join();
  CloseHandle(outR);
  CloseHandle(errR);
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  r.exitCode = static_cast<int>(code);
  return r;
}
#else
RunResult runProgram(const std::string& program, const std::vector<std::string>& args, const std::string& cwd,
                     const std::map<std::string, std::string>& env, const std::string& input) {
  int outPipe[2], errPipe[2], inPipe[2];
  if (pipe(outPipe) || pipe(errPipe) || pipe(inPipe)) throw std::runtime_error("pipe failed");

  // Build the environment before forking.
  std::map<std::string, std::string> vars = environment(env);
  std::vector<std::string> envStrings;
  for (const auto& kv : vars) envStrings.push_back(kv.first + "=" + kv.second);
  std::vector<char*> envp;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argStrings;
  argStrings.push_back(program);
  for (const auto& a : args) argStrings.push_back(a);
  std::vector<char*> argv;
  for (auto& s : argStrings) argv.push_back(s.data());
  argv.push_back(nullptr);

  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(inPipe[0], 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    close(outPipe[0]);
    close(errPipe[0]);
    close(inPipe[1]);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  close(inPipe[0]);
  if (!input.empty()) {
    ssize_t w = write(inPipe[1], input.data(), input.size());
    (void)w;
  }
  close(inPipe[1]);

  RunResult r;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  int open = 2;
  char buf[65536];
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      } else {
        (i == 0 ? r.out : r.err).append(buf, n);
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return r;
}

#endif

// The file helpers take paths as bytes (narrow calls, the ANSI code page on
// Windows), so a folder named in the user's code page works as it does for
// the program; std::filesystem would convert such a name on Windows.
std::string readFile(const std::string& path) {
  std::string out;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

bool fileExists(const std::string& path) {
#ifdef _WIN32
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
  struct stat st;
  return stat(path.c_str(), &st) == 0;
#endif
}

void makeFolders(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/' && path[i] != '\\') continue;
    std::string prefix = path.substr(0, i);
    if (prefix.empty() || prefix.back() == ':' || fileExists(prefix)) continue;
#ifdef _WIN32
    CreateDirectoryA(prefix.c_str(), nullptr);
#else
    mkdir(prefix.c_str(), 0777);
#endif
  }
}

void writeFile(const std::string& path, const std::string& content) {
  size_t slash = path.find_last_of("/\\");
  if (slash != std::string::npos && slash > 0) makeFolders(path.substr(0, slash));
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + path);
  std::fwrite(content.data(), 1, content.size(), f);
  std::fclose(f);
}

std::string sourceDir() { return RUVO_SOURCE_DIR; }

std::string fixtureDir(const std::string& name) { return sourceDir() + "/tests/fixtures/" + name; }

void copyFixture(const std::string& name, const std::string& dest) {
  fs::path src(fixtureDir(name));
  for (auto it = fs::recursive_directory_iterator(src); it != fs::recursive_directory_iterator(); ++it) {
    fs::path rel = fs::relative(it->path(), src);
    if (*rel.begin() == "expected") {
      if (it->is_directory()) it.disable_recursion_pending();
      continue;
    }
    std::string target = dest + "/" + rel.generic_string();
    if (it->is_directory())
      makeFolders(target);
    else
      writeFile(target, readFile(it->path().string()));
  }
}

std::vector<std::string> listFiles(const std::string& dir) {
  std::vector<std::string> out;
  std::error_code ec;
  if (!fs::exists(dir, ec)) return out;
  for (auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) out.push_back(fs::relative(e.path(), dir).generic_string());
  std::sort(out.begin(), out.end());
  return out;
}

static std::string firstDifference(const std::string& a, const std::string& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  size_t from = i > 40 ? i - 40 : 0;
  std::ostringstream ss;
  ss << "first difference at byte " << i << "\n  expected: [" << b.substr(from, 120) << "]\n  actual:   ["
     << a.substr(from, 120) << "]";
  return ss.str();
}

// The size field of the "12," and "MSG,12," lines (a script saved) blanked
// on Windows.
std::string comparableOutput(const std::string& in) {
  std::string text = in;
#ifdef _WIN32
  for (const char* head : {"\n12,", "\nMSG,12,"}) {
    for (size_t at = text.find(head); at != std::string::npos; at = text.find(head, at + 1)) {
      size_t fileEnd = text.find(',', text.find(',', at + std::strlen(head)) + 1);
      size_t sizeEnd = fileEnd == std::string::npos ? std::string::npos : text.find(',', fileEnd + 1);
      if (sizeEnd != std::string::npos) text.replace(fileEnd + 1, sizeEnd - fileEnd - 1, "<SIZE>");
    }
  }
#endif
  return text;
}

std::string checkGolden(const std::string& fixture, const std::string& rel, const std::string& actual) {
  std::string path = fixtureDir(fixture) + "/expected/" + rel;
  const char* update = std::getenv("UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    writeFile(path, actual);
    return "";
  }
  if (!fileExists(path)) return "missing expected file " + path + " (run with UPDATE_GOLDEN=1)";
  std::string expected = readFile(path);
  if (comparableOutput(expected) == comparableOutput(actual)) return "";
  return path + ": " + firstDifference(actual, expected);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
  return text;
}

#ifdef _WIN32
// node is a program of the build machine; the Windows test programs (run
// under Wine) cannot start it, so its checks are left to the native build.
bool haveNode() { return false; }
const char* noNodeReason() { return "node runs the generated scripts in the native build only"; }
#else
bool haveNode() { return system("node --version >/dev/null 2>&1") == 0; }
const char* noNodeReason() { return "node is not installed"; }
#endif

RunResult runScriptInNode(const std::string& script) {
  return runNode(sourceDir() + "/examples/run-in-node.js", {script});
}

namespace {

// Compiles the sources as compileSourcesAndRun says, with the library off or
// on, and runs the script with the runner that fits it.
SourcesRun compileAndRunWith(const std::map<std::string, std::string>& sources, const std::string& projectName,
                             const std::vector<std::string>& classPaths, const std::string& options,
                             bool libraryOn) {
  TempDir work;
  Install inst;
  if (libraryOn)
    writeFile(inst.root() + "/libs/zafrit/src/zafrit/Stand.as", "package zafrit {\n\tpublic class Stand {\n\t}\n}\n");
  const std::string proj = work / "proj";
  std::string paths;
  for (const std::string& path : classPaths) paths += "    <class path=\"" + path + "\" />\n";
  writeFile(proj + "/" + projectName + ".as3proj",
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<project version=\"2\">\n"
            "  <classpaths>\n" + paths + "  </classpaths>\n"
            "  <compileTargets>\n    <compile path=\"src/Main.as\" />\n  </compileTargets>\n"
            "</project>\n");
  for (const auto& [path, text] : sources) writeFile(proj + "/src/" + path, text);
  SourcesRun r;
  r.messages = inst.run({proj + "/" + projectName + ".as3proj" + (libraryOn ? "" : ";zafrit=false") + options}).out;
  const std::string tsRoot = proj + "/bin/ts/src";
  if (fileExists(tsRoot))
    for (const std::string& rel : listFiles(tsRoot)) r.tsFiles[rel] = readFile(tsRoot + "/" + rel);
  const std::string script = proj + "/bin/h5/" + projectName + ".max.js";
  if (!fileExists(script)) return r;
  r.js = readFile(script);
  r.node = libraryOn ? runNode(sourceDir() + "/tests/support/run-library-on.js", {script}) : runScriptInNode(script);
  return r;
}

}  // namespace

SourcesRun compileSourcesAndRun(const std::map<std::string, std::string>& sources, const std::string& projectName,
                                const std::vector<std::string>& classPaths, const std::string& options) {
  return compileAndRunWith(sources, projectName, classPaths, options, false);
}

SourcesRun compileLibraryOnAndRun(const std::map<std::string, std::string>& sources, const std::string& options) {
  return compileAndRunWith(sources, "p", {"src"}, options, true);
}

RunResult runNode(const std::string& scriptPath, const std::vector<std::string>& args) {
  std::vector<std::string> a{scriptPath};
  a.insert(a.end(), args.begin(), args.end());
  return runNodeArgs(a, "");
}

RunResult runNodeArgs(const std::vector<std::string>& args, const std::string& cwd) {
  std::vector<std::string> v{"node"};
  v.insert(v.end(), args.begin(), args.end());
  return runProgram("/usr/bin/env", v, cwd);
}

int endedProcessId() {
#ifdef _WIN32
  // This test program itself, listing its tests. Its handle stays open, so
  // that Windows gives its number to no other process.
  char self[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
  if (n == 0 || n >= sizeof self) throw std::runtime_error("no path of the test program");
  std::string command = quoteArgument(self) + " --gtest_list_tests";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE none = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = si.hStdOutput = si.hStdError = none;
  PROCESS_INFORMATION pi{};
  const bool started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                      nullptr, &si, &pi);
  CloseHandle(none);
  if (!started) throw std::runtime_error("cannot start the test program again");
  WaitForSingleObject(pi.hProcess, INFINITE);
  CloseHandle(pi.hThread);
  return static_cast<int>(pi.dwProcessId);
#else
  const pid_t pid = fork();
  if (pid == 0) _exit(0);
  waitpid(pid, nullptr, 0);
  return static_cast<int>(pid);
#endif
}

int runningProcessId() {
#ifdef _WIN32
  // Windows has no process of a fixed number; the test program runs.
  return processId();
#else
  return 1;
#endif
}

std::string mainClass(const std::string& imports, const std::string& members, const std::string& body) {
  return "package\n{\n" + imports + "\tpublic class Main\n\t{\n" + members +
         "\n\t\tpublic function Main()\n\t\t{\n" + body + "\n\t\t}\n\t}\n}\n";
}

}  // namespace ruvotest
