// Whole-compile benchmark: generates ActionScript projects of several sizes
// (classes with inheritance, interfaces and imports across packages), runs
// the real program on each, and reports MB/s, the time of each phase (read
// off the progress lines as they arrive), the peak memory and the processor
// time in the program and in the kernel (on virtual machines the kernel's
// zeroing of fresh memory can take as long as the compile itself).
//
//   compile_bench [path/to/ruvojs] [classes...]     default sizes: 100 400 1600
//
// With RUVO_BENCH_KEEP set, the generated projects are kept for profiling.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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
  writeText(dir / "bench.as3proj",
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<project version=\"2\">\n  <classpaths>\n"
            "    <class path=\"src\" />\n  </classpaths>\n  <compileTargets>\n"
            "    <compile path=\"src/Main.as\" />\n  </compileTargets>\n</project>\n");
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

}  // namespace

int main(int argc, char** argv) {
  std::string bin = argc > 1 ? argv[1] : (fs::path(argv[0]).parent_path().parent_path() / "bin/ruvojs").string();
  std::vector<int> sizes;
  for (int i = 2; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {100, 400, 1600};
  fs::path root = fs::temp_directory_path() / ("ruvo-bench-" + std::to_string(getpid()));

  printf("%8s %10s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s\n", "classes", "MB", "lines", "total s", "MB/s", "scan s",
         "parse s", "emit s", "save s", "peak MB", "user s", "sys s");
  for (int classes : sizes) {
    fs::path dir = root / std::to_string(classes);
    generateProject(dir, classes);
    size_t lines = 0;
    double mb = static_cast<double>(sourceBytes(dir, lines)) / 1e6;
    long peakKb = 0;
    Phases ph = runCompile(bin, (dir / "bench.as3proj").string(), peakKb);
    double total = ph.end;
    printf("%8d %10.2f %9zu %9.3f %9.2f %9.3f %9.3f %9.3f %9.3f %9.1f %9.3f %9.3f\n", classes, mb, lines, total,
           mb / total, ph.parse - ph.collect, ph.emit - ph.parse, ph.saved - ph.emit, ph.end - ph.saved,
           peakKb / 1024.0, ph.user, ph.sys);
    fflush(stdout);
  }
  if (std::getenv("RUVO_BENCH_KEEP"))
    printf("projects kept in %s\n", root.c_str());
  else
    fs::remove_all(root);
  return 0;
}
