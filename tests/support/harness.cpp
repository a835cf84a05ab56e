#include "harness.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace fs = std::filesystem;

namespace ruvotest {

TempDir::TempDir() {
  std::string base = fs::temp_directory_path().string() + "/ruvotest-XXXXXX";
  std::vector<char> buf(base.begin(), base.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
}

TempDir::~TempDir() {
  if (std::getenv("RUVO_KEEP_TMP")) return;
  std::error_code ec;
  fs::remove_all(path_, ec);
}

Install::Install() {
  fs::create_directories(dir_.path() + "/bin");
  fs::copy_file(RUVOJS_BIN, bin(), fs::copy_options::overwrite_existing);
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

RunResult runProgram(const std::string& program, const std::vector<std::string>& args, const std::string& cwd,
                     const std::map<std::string, std::string>& env, const std::string& input) {
  int outPipe[2], errPipe[2], inPipe[2];
  if (pipe(outPipe) || pipe(errPipe) || pipe(inPipe)) throw std::runtime_error("pipe failed");

  // Build the environment before forking.
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (eq) vars[std::string(*e, eq - *e)] = eq + 1;
  }
  for (const auto& kv : env) {
    if (kv.second == "\x01")
      vars.erase(kv.first);
    else
      vars[kv.first] = kv.second;
  }
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

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

void writeFile(const std::string& path, const std::string& content) {
  fs::path p(path);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
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
    fs::path target = fs::path(dest) / rel;
    if (it->is_directory())
      fs::create_directories(target);
    else {
      fs::create_directories(target.parent_path());
      fs::copy_file(it->path(), target, fs::copy_options::overwrite_existing);
    }
  }
}

std::vector<std::string> listFiles(const std::string& dir) {
  std::vector<std::string> out;
  std::error_code ec;
  if (!fs::exists(dir, ec)) return out;
  for (auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) out.push_back(fs::relative(e.path(), dir).string());
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

std::string checkGolden(const std::string& fixture, const std::string& rel, const std::string& actual) {
  std::string path = fixtureDir(fixture) + "/expected/" + rel;
  const char* update = std::getenv("UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    writeFile(path, actual);
    return "";
  }
  if (!fileExists(path)) return "missing expected file " + path + " (run with UPDATE_GOLDEN=1)";
  std::string expected = readFile(path);
  if (expected == actual) return "";
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

bool haveNode() { return system("node --version >/dev/null 2>&1") == 0; }

RunResult runScriptInNode(const std::string& script) {
  return runNode(sourceDir() + "/examples/run-in-node.js", {script});
}

SourcesRun compileSourcesAndRun(const std::map<std::string, std::string>& sources, const std::string& projectName,
                                const std::vector<std::string>& classPaths, const std::string& options) {
  TempDir work;
  Install inst;
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
  r.messages = inst.run({proj + "/" + projectName + ".as3proj;zafrit=false" + options}).out;
  const std::string tsRoot = proj + "/bin/ts/src";
  if (fileExists(tsRoot))
    for (const std::string& rel : listFiles(tsRoot)) r.tsFiles[rel] = readFile(tsRoot + "/" + rel);
  const std::string script = proj + "/bin/h5/" + projectName + ".max.js";
  if (!fileExists(script)) return r;
  r.js = readFile(script);
  r.node = runScriptInNode(script);
  return r;
}

RunResult runNode(const std::string& scriptPath, const std::vector<std::string>& args) {
  std::vector<std::string> a{scriptPath};
  a.insert(a.end(), args.begin(), args.end());
  return runProgram("/usr/bin/env", [&] {
    std::vector<std::string> v{"node"};
    v.insert(v.end(), a.begin(), a.end());
    return v;
  }(), "");
}

}  // namespace ruvotest
