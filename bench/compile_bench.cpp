// Whole-compile benchmark: generates ActionScript projects of several sizes
// and runs the real program on each. Two kinds of project:
//
// - N classes (with inheritance, interfaces and imports across packages);
// - wN: N copies of a small package-rich framework whose every file imports
//   the framework's packages with `import a.b.*`, which shows whether
//   wildcard imports cost time in proportion to the project.
//
// For each it reports the source size, wall time, MB/s of processor time
// (user plus kernel: on virtual machines the kernel's zeroing of fresh memory
// can take as long as the compile itself), the time per source byte, the
// peak memory and the peak memory per source byte, and the time of each
// phase (read off the progress lines as they arrive).
//
//   compile_bench [--bin path/to/ruvojs]... [sizes...]
//   compile_bench --generate DIR [sizes...]
//
// Sizes are class counts or wN copy counts; default 100 400 1600 w160 w640.
// Several --bin options run every binary on the same generated projects one
// after the other, so that two builds are compared in one run. --generate
// only writes the projects (DIR/<size>/bench.as3proj), for comparing outputs.
// With RUVO_BENCH_KEEP set, the generated projects are kept for profiling.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_files.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

using benchfiles::writeText;

// The FlashDevelop project file: source folder src, main class src/Main.as.
void writeProjectFile(const fs::path& dir) {
  writeText(dir / "bench.as3proj",
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<project version=\"2\">\n  <classpaths>\n"
            "    <class path=\"src\" />\n  </classpaths>\n  <compileTargets>\n"
            "    <compile path=\"src/Main.as\" />\n  </compileTargets>\n</project>\n");
}

// One class of about 9 KB / 220 lines: fields, statics, accessors, loops,
// an interface, a base class in another package and imports.
std::string classText(int i, int packages) {
  int pkg = i % packages;
  std::string name = "C" + std::to_string(i);
  std::string out = "package pkg" + std::to_string(pkg) + "\n{\n";
  // Inheritance chains of at most five classes, as in real projects.
  bool hasBase = i >= packages && (i / packages) % 5 != 0;
  int base = i - packages;
  int basePkg = base % packages;
  if (hasBase) out += "\timport pkg" + std::to_string(basePkg) + ".C" + std::to_string(base) + ";\n";
  out += "\timport iface.IShape;\n\n";
  out += "\t/** Generated class number " + std::to_string(i) + ". */\n";
  out += "\tpublic class " + name + (hasBase ? " extends C" + std::to_string(base) : "") + " implements IShape\n\t{\n";
  out += "\t\tpublic static const ID:int = " + std::to_string(i) + ";\n";
  out += "\t\tprivate static var counter:int = 0;\n";
  for (int f = 0; f < 8; ++f) out += "\t\tprivate var field" + std::to_string(f) + ":Number = " + std::to_string(f) + ";\n";
  out += "\t\tprotected var items:Array = [];\n\n";
  out += "\t\tpublic function " + name + "(seed:int = 1)\n\t\t{\n";
  if (hasBase) out += "\t\t\tsuper(seed + 1);\n";
  out += "\t\t\tcounter++;\n\t\t\tfor (var k:int = 0; k < seed % 7; k++) {\n\t\t\t\titems.push(k * ID);\n\t\t\t}\n\t\t}\n\n";
  out += "\t\tpublic function get area():Number\n\t\t{\n\t\t\treturn field0 * field1 + ID;\n\t\t}\n\n";
  out += "\t\tpublic function set area(v:Number):void\n\t\t{\n\t\t\tfield0 = v / 2;\n\t\t\tfield1 = 2;\n\t\t}\n\n";
  for (int m = 0; m < 10; ++m) {
    std::string ms = std::to_string(m);
    out += "\t\t/** Method " + ms + ": sums and filters the items. */\n";
    out += "\t\tpublic function method" + ms + "(a:int, b:Number = 0.5, ...rest):Number\n\t\t{\n";
    out += "\t\t\tvar total:Number = 0;\n";
    out += "\t\t\tfor each (var v:* in items) {\n\t\t\t\tif (v is int && v > a) {\n\t\t\t\t\ttotal += v * b;\n";
    out += "\t\t\t\t} else {\n\t\t\t\t\ttotal -= 1;\n\t\t\t\t}\n\t\t\t}\n";
    out += "\t\t\tswitch (a % 3) {\n\t\t\t\tcase 0: total += field" + std::to_string(m % 8) + "; break;\n";
    out += "\t\t\t\tcase 1: total *= 2; break;\n\t\t\t\tdefault: total = Math.max(total, " + ms + ");\n\t\t\t}\n";
    out += "\t\t\tvar label:String = \"m" + ms + ":\" + total + ' ' + rest.length;\n";
    out += "\t\t\treturn label.length > 3 ? total : -total;\n\t\t}\n\n";
  }
  out += "\t\tpublic static function make():" + name + "\n\t\t{\n\t\t\treturn new " + name + "(ID);\n\t\t}\n";
  out += "\t}\n}\n";
  return out;
}

void generateProject(const fs::path& dir, int classes) {
  fs::remove_all(dir);
  int packages = 10;
  writeText(dir / "src/iface/IShape.as",
            "package iface\n{\n\tpublic interface IShape\n\t{\n\t\tfunction get area():Number;\n\t}\n}\n");
  for (int i = 0; i < classes; ++i)
    writeText(dir / ("src/pkg" + std::to_string(i % packages)) / ("C" + std::to_string(i) + ".as"),
              classText(i, packages));
  // The main class uses every class, so that all of them are joined into the script.
  std::string main = "package\n{\n";
  for (int i = 0; i < classes; ++i)
    main += "\timport pkg" + std::to_string(i % packages) + ".C" + std::to_string(i) + ";\n";
  main += "\tpublic class Main\n\t{\n\t\tpublic function Main()\n\t\t{\n\t\t\tvar all:Array = [";
  for (int i = 0; i < classes; ++i) main += (i ? ", C" : "C") + std::to_string(i);
  main += "];\n\t\t\ttrace(all.length, C0.make().area);\n\t\t}\n\t}\n}\n";
  writeText(dir / "src/Main.as", main);
  writeProjectFile(dir);
}

// The framework copied for the wildcard project: packages and their classes.
struct FrameworkPackage {
  const char* name;
  std::vector<const char*> classes;
};

const std::vector<FrameworkPackage>& frameworkPackages() {
  static const std::vector<FrameworkPackage> packages = {
      {"core", {"Vec", "Mat", "Pool", "IUpdatable"}},
      {"core.util", {"Log", "Timer", "Dict"}},
      {"gfx", {"Sprite", "Layer", "Color"}},
      {"gfx.shapes", {"Circle", "Rect", "Poly"}},
      {"game", {"Entity", "Player", "Enemy", "Game"}},
      {"game.ai", {"Brain", "Path", "Goal"}},
  };
  return packages;
}

// One class (or the interface) of copy k of the framework: it imports every
// package of its copy by wildcard and uses the class after it.
std::string frameworkClass(int k, const FrameworkPackage& pkg, size_t c, const std::string& nextClass) {
  const std::string ks = std::to_string(k);
  const std::string root = "lib" + ks;
  const std::string name = std::string(pkg.classes[c]) + ks;
  std::string out = "package " + root + "." + pkg.name + "\n{\n";
  for (const FrameworkPackage& p : frameworkPackages()) out += "\timport " + root + "." + p.name + ".*;\n";
  out += "\n";
  if (name[0] == 'I' && name[1] == 'U') {
    out += "\tpublic interface " + name + "\n\t{\n\t\tfunction update(dt:Number):void;\n\t}\n}\n";
    return out;
  }
  out += "\t/** Part of framework copy " + ks + ". */\n";
  out += "\tpublic class " + name + " implements IUpdatable" + ks + "\n\t{\n";
  out += "\t\tpublic static var made:int = 0;\n";
  out += "\t\tprivate var x:Number = 0;\n\t\tprivate var y:Number = 0;\n";
  out += "\t\tprotected var parts:Array = [];\n\n";
  out += "\t\tpublic function " + name + "(x0:Number = 0, y0:Number = 0)\n\t\t{\n";
  out += "\t\t\tx = x0;\n\t\t\ty = y0;\n\t\t\tmade++;\n\t\t}\n\n";
  out += "\t\tpublic function update(dt:Number):void\n\t\t{\n";
  out += "\t\t\tfor (var i:int = 0; i < parts.length; i++) {\n";
  out += "\t\t\t\tvar p:IUpdatable" + ks + " = parts[i] as IUpdatable" + ks + ";\n";
  out += "\t\t\t\tif (p != null) p.update(dt * 0.5);\n\t\t\t}\n";
  out += "\t\t\tx += dt;\n\t\t\ty = Math.max(y - dt, 0);\n\t\t}\n\n";
  out += "\t\tpublic function link():Array\n\t\t{\n";
  out += "\t\t\tif (parts.length == 0 && made < 100) parts.push(new " + nextClass + "(x + 1, y));\n";
  out += "\t\t\treturn parts;\n\t\t}\n\n";
  out += "\t\tpublic function toString():String\n\t\t{\n";
  out += "\t\t\treturn \"" + name + "(\" + x + \", \" + y + \")\";\n\t\t}\n";
  out += "\t}\n}\n";
  return out;
}

// `copies` copies of the framework and a main class that uses every copy's Game.
void generateWildcardProject(const fs::path& dir, int copies) {
  fs::remove_all(dir);
  const auto& packages = frameworkPackages();
  for (int k = 0; k < copies; ++k) {
    const std::string ks = std::to_string(k);
    // Every class creates the next one of its copy, so all of them are used.
    std::vector<std::string> order;
    for (const FrameworkPackage& p : packages)
      for (const char* c : p.classes)
        if (std::string(c) != "IUpdatable") order.push_back(std::string(c) + ks);
    size_t at = 0;
    for (const FrameworkPackage& p : packages) {
      std::string folder = "lib" + ks + "/" + p.name;
      for (char& ch : folder)
        if (ch == '.') ch = '/';
      for (size_t c = 0; c < p.classes.size(); ++c) {
        std::string next = order[std::string(p.classes[c]) == "IUpdatable" ? 0 : (++at) % order.size()];
        writeText(dir / "src" / folder / (std::string(p.classes[c]) + ks + ".as"), frameworkClass(k, p, c, next));
      }
    }
  }
  std::string main = "package\n{\n";
  for (int k = 0; k < copies; ++k) main += "\timport lib" + std::to_string(k) + ".core.*;\n";
  main += "\tpublic class Main\n\t{\n\t\tpublic function Main()\n\t\t{\n\t\t\tvar all:Array = [";
  for (int k = 0; k < copies; ++k) main += (k ? ", new Vec" : "new Vec") + std::to_string(k) + "()";
  main += "];\n\t\t\tfor each (var v:* in all) v.link();\n\t\t\ttrace(all.length);\n\t\t}\n\t}\n}\n";
  writeText(dir / "src/Main.as", main);
  writeProjectFile(dir);
}

uintmax_t sourceBytes(const fs::path& dir, size_t& lines) {
  uintmax_t total = 0;
  lines = 0;
  for (auto& e : fs::recursive_directory_iterator(dir / "src")) {
    if (!e.is_regular_file()) continue;
    total += e.file_size();
    std::ifstream in(e.path(), std::ios::binary);
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (char c : s) lines += c == '\n';
  }
  return total;
}

struct Phases {
  double collect = -1, parse = -1, emit = -1, saved = -1, end = -1;
  double user = 0, sys = 0;  // processor time of the program, in its own code and in the kernel
};

// Runs the program, timestamping the first line of each phase.
Phases runCompile(const std::string& bin, const std::string& project, long& peakKb) {
  int pipefd[2];
  if (pipe(pipefd) != 0) std::exit(1);
  auto start = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    dup2(pipefd[1], 1);
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 2);
    close(pipefd[0]);
    execl(bin.c_str(), bin.c_str(), (project + ";zafrit=false").c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipefd[1]);
  Phases ph;
  std::string line;
  char buf[65536];
  auto mark = [&](double& slot) {
    if (slot < 0) slot = std::chrono::duration<double>(Clock::now() - start).count();
  };
  ssize_t n;
  while ((n = read(pipefd[0], buf, sizeof buf)) > 0) {
    for (ssize_t i = 0; i < n; ++i) {
      if (buf[i] != '\n') {
        line += buf[i];
        continue;
      }
      if (line.find("read class message") != std::string::npos) mark(ph.collect);
      if (line.rfind("MSG,3,", 0) == 0) mark(ph.parse);
      if (line.rfind("MSG,5,", 0) == 0) mark(ph.emit);
      if (line.rfind("MSG,12,", 0) == 0) mark(ph.saved);
      if (line.rfind("MSG,14,", 0) == 0) mark(ph.end);
      line.clear();
    }
  }
  close(pipefd[0]);
  int status = 0;
  rusage ru{};
  wait4(pid, &status, 0, &ru);
  peakKb = ru.ru_maxrss;
  ph.user = static_cast<double>(ru.ru_utime.tv_sec) + ru.ru_utime.tv_usec / 1e6;
  ph.sys = static_cast<double>(ru.ru_stime.tv_sec) + ru.ru_stime.tv_usec / 1e6;
  mark(ph.end);
  return ph;
}


// A size argument: "400" is a project of 400 classes, "w160" 160 copies of the framework.
void generate(const fs::path& dir, const std::string& size) {
  if (size[0] == 'w')
    generateWildcardProject(dir, std::atoi(size.c_str() + 1));
  else
    generateProject(dir, std::atoi(size.c_str()));
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> bins, sizes;
  std::string generateOnly;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--bin" && i + 1 < argc)
      bins.push_back(argv[++i]);
    else if (a == "--generate" && i + 1 < argc)
      generateOnly = argv[++i];
    else if (!a.empty() && (std::isdigit(static_cast<unsigned char>(a[0])) || a[0] == 'w'))
      sizes.push_back(a);
    else
      bins.push_back(a);  // the older form: compile_bench path/to/ruvojs sizes...
  }
  if (sizes.empty()) sizes = {"100", "400", "1600", "w160", "w640"};
  if (!generateOnly.empty()) {
    for (const std::string& size : sizes) generate(fs::path(generateOnly) / size, size);
    return 0;
  }
  if (bins.empty()) bins.push_back((fs::path(argv[0]).parent_path().parent_path() / "bin/ruvojs").string());
  fs::path root = fs::temp_directory_path() / ("ruvo-bench-" + std::to_string(getpid()));

  printf("%-4s %6s %7s %8s %8s %8s %7s %7s %8s %8s %7s %7s %7s %7s %7s\n", "bin", "size", "MB", "lines", "wall s",
         "cpu MB/s", "user s", "sys s", "ns/B", "peak MB", "RSS/B", "scan s", "parse s", "emit s", "save s");
  for (const std::string& size : sizes) {
    fs::path dir = root / size;
    generate(dir, size);
    size_t lines = 0;
    const uintmax_t bytes = sourceBytes(dir, lines);
    const double mb = static_cast<double>(bytes) / 1e6;
    for (size_t b = 0; b < bins.size(); ++b) {
      long peakKb = 0;
      Phases ph = runCompile(bins[b], (dir / "bench.as3proj").string(), peakKb);
      const double cpu = ph.user + ph.sys;
      printf("%-4zu %6s %7.2f %8zu %8.3f %8.2f %7.3f %7.3f %8.1f %8.1f %7.1f %7.3f %7.3f %7.3f %7.3f\n", b, size.c_str(),
             mb, lines, ph.end, mb / cpu, ph.user, ph.sys, cpu * 1e9 / static_cast<double>(bytes), peakKb / 1024.0,
             peakKb * 1024.0 / static_cast<double>(bytes), ph.parse - ph.collect, ph.emit - ph.parse,
             ph.saved - ph.emit, ph.end - ph.saved);
      fflush(stdout);
    }
  }
  for (size_t b = 0; b < bins.size(); ++b) printf("bin %zu: %s\n", b, bins[b].c_str());
  if (std::getenv("RUVO_BENCH_KEEP"))
    printf("projects kept in %s\n", root.c_str());
  else
    fs::remove_all(root);
  return 0;
}
