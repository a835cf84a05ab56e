// Scaling benchmark for the project shapes that once took quadratic time or
// more: a chain of classes each extending the one before, one function of
// very many local declarations, a class of very many member declarations,
// a function of very many local closures, and a chain of include files that
// each include all the later ones. Every shape is compiled at doubling
// sizes; the "x" column is the time over the time of the size before, about
// 2 for linear growth.
//
//   scaling_bench [path/to/ruvojs] [shape] [largest size]
//
// shape is chain, locals, members, closures or includes (all of them
// without one). The largest sizes by default: 48,000 classes, 400,000
// locals or members, 80,000 closures, 24 include files of 256 KB.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench_files.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

using benchfiles::writeText;

void writeProject(const fs::path& dir) {
  writeText(dir / "p.as3proj",
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<project version=\"2\">\n  <classpaths>\n"
            "    <class path=\"src\" />\n  </classpaths>\n  <compileTargets>\n"
            "    <compile path=\"src/Main.as\" />\n  </compileTargets>\n</project>\n");
}

std::string mainWithBody(const std::string& body) {
  return "package\n{\n\tpublic class Main\n\t{\n\t\tpublic function Main()\n\t\t{\n" + body + "\t\t}\n\t}\n}\n";
}

void chain(const fs::path& dir, int n) {
  for (int i = 0; i < n; ++i)
    writeText(dir / "src/c" / ("C" + std::to_string(i) + ".as"),
              "package c\n{\n\tpublic class C" + std::to_string(i) + (i ? " extends C" + std::to_string(i - 1) : "") +
                  "\n\t{\n\t}\n}\n");
  const std::string last = "c.C" + std::to_string(n - 1);
  writeText(dir / "src/Main.as", "package\n{\n\timport " + last + ";\n\tpublic class Main extends " + last +
                                     "\n\t{\n\t}\n}\n");
}

void locals(const fs::path& dir, int n) {
  std::string body;
  for (int i = 0; i < n; ++i) body += "\t\t\tvar v" + std::to_string(i) + ":int = " + std::to_string(i % 7) + ";\n";
  writeText(dir / "src/Main.as", mainWithBody(body));
}

void members(const fs::path& dir, int n) {
  std::string body;
  for (int i = 0; i < n; ++i) body += "\t\tpublic var m" + std::to_string(i) + ":int = 1;\n";
  writeText(dir / "src/Main.as", "package\n{\n\tpublic class Main\n\t{\n" + body + "\t}\n}\n");
}

void closures(const fs::path& dir, int n) {
  std::string body;
  for (int i = 0; i < n; ++i)
    body += "\t\t\tvar f" + std::to_string(i) + ":Function = function(x:int):int { return x + 1; };\n";
  writeText(dir / "src/Main.as", mainWithBody(body));
}

void includes(const fs::path& dir, int n) {
  const std::string filler = "// " + std::string(256 << 10, 'x') + "\n";
  for (int i = 0; i < n; ++i) {
    std::string text = filler;
    for (int next = i + 1; next < n; ++next) text += "include \"f" + std::to_string(next) + ".as\"\n";
    writeText(dir / "src" / ("f" + std::to_string(i) + ".as"), text);
  }
  writeText(dir / "src/Main.as", "package\n{\n\tpublic class Main\n\t{\n\t\tinclude \"f0.as\"\n\t}\n}\n");
}

struct Shape {
  const char* name;
  std::function<void(const fs::path&, int)> generate;
  int smallest;
  int largest;
};

// Runs the program on the project; wall time in seconds and peak memory.
double run(const std::string& bin, const fs::path& dir, long& peakKb) {
  fflush(stdout);  // the child must not write the parent's buffered lines again
  auto start = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(126);
    execl(bin.c_str(), bin.c_str(), ((dir / "p.as3proj").string() + ";zafrit=false").c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage ru{};
  wait4(pid, &status, 0, &ru);
  peakKb = ru.ru_maxrss;
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  std::string bin = argc > 1 ? argv[1] : (fs::path(argv[0]).parent_path().parent_path() / "bin/ruvojs").string();
  const std::string only = argc > 2 ? argv[2] : "";
  const int largest = argc > 3 ? std::atoi(argv[3]) : 0;
  std::vector<Shape> shapes = {{"chain", chain, 3000, 48000},
                               {"locals", locals, 25000, 400000},
                               {"members", members, 25000, 400000},
                               {"closures", closures, 5000, 80000},
                               {"includes", includes, 3, 24}};
  fs::path root = fs::temp_directory_path() / ("ruvo-scaling-" + std::to_string(getpid()));
  printf("%-9s %8s %9s %6s %9s\n", "shape", "size", "total s", "x", "peak MB");
  for (const Shape& shape : shapes) {
    if (!only.empty() && only != shape.name) continue;
    double before = 0;
    for (int size = shape.smallest; size <= (largest > 0 ? largest : shape.largest); size *= 2) {
      fs::path dir = root / (std::string(shape.name) + std::to_string(size));
      fs::remove_all(dir);
      writeProject(dir);
      shape.generate(dir, size);
      long peakKb = 0;
      double seconds = run(bin, dir, peakKb);
      printf("%-9s %8d %9.3f %6.2f %9.1f\n", shape.name, size, seconds, before > 0 ? seconds / before : 0.0,
             peakKb / 1024.0);
      fflush(stdout);
      before = seconds;
      fs::remove_all(dir);
    }
  }
  fs::remove_all(root);
  return 0;
}
