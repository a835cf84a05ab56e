// What a compile cannot read, cannot write or cannot make work is reported
// with a type-7 message naming the file and the reason, instead of an
// empty or broken script reported as saved.
#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "harness.h"

using ruvotest::Install;
using ruvotest::readFile;
using ruvotest::RunResult;
using ruvotest::TempDir;

namespace fs = std::filesystem;

namespace {

// The hello fixture in a fresh folder; its main file may be replaced first.
struct Hello {
  TempDir work;
  Install inst;
  std::string proj = work / "proj";
  RunResult run;

  Hello() { ruvotest::copyFixture("compile-hello", proj); }
  std::string main() const { return proj + "/src/Main.as"; }
  void compile(const std::string& options = ";zafrit=false") { run = inst.run({proj + "/hello.as3proj" + options}); }
  // The "MSG,7," lines of the run.
  std::vector<std::string> messages() const {
    std::vector<std::string> lines;
    for (size_t at = run.out.find("MSG,7,"); at != std::string::npos; at = run.out.find("MSG,7,", at + 1)) {
      if (at > 0 && run.out[at - 1] != '\n') continue;
      lines.push_back(run.out.substr(at, run.out.find('\n', at) - at));
    }
    return lines;
  }
  std::string nodeOut() const {
    return ruvotest::runNode(ruvotest::sourceDir() + "/examples/run-in-node.js", {proj + "/bin/h5/hello.max.js"}).out;
  }
};

// The text in UTF-16 or UTF-32, each code unit in the given byte order.
std::string encode(const std::string& ascii, int unit, bool big, bool mark) {
  std::string out;
  auto put = [&](unsigned v) {
    for (int k = 0; k < unit; ++k) out += static_cast<char>((v >> (8 * (big ? unit - 1 - k : k))) & 0xFF);
  };
  if (mark) put(0xFEFF);
  for (unsigned char c : ascii) put(c);
  return out;
}

}  // namespace

TEST(SilentFailure, Utf16And32MainFilesAreConvertedAndSaid) {
  struct Row {
    const char* name;
    int unit;
    bool big;
    bool mark;
  };
  const Row rows[] = {{"UTF-16 little endian", 2, false, true},
                      {"UTF-16 big endian", 2, true, true},
                      {"UTF-16 little endian", 2, false, false},
                      {"UTF-32 little endian", 4, false, true},
                      {"UTF-32 big endian", 4, true, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + (row.mark ? " with its mark" : " without a mark"));
    Hello h;
    ruvotest::writeFile(h.main(), encode(readFile(h.main()), row.unit, row.big, row.mark));
    h.compile();
    ASSERT_EQ(h.messages().size(), 1u) << h.run.out;
    EXPECT_EQ(h.messages()[0],
              "MSG,7,0.00," + h.main() + ",0,The file is in " + row.name + ": it is converted to UTF-8");
    if (ruvotest::haveNode()) {
      EXPECT_EQ(h.nodeOut(), "hi\n");
    }
  }
}

TEST(SilentFailure, MainFileOfRandomBytesIsNotCompiledAndSaid) {
  Hello h;
  std::string junk;
  for (int i = 0; i < 3000; ++i) junk += static_cast<char>((i * 7919 + 13) % 251 + 1);
  ruvotest::writeFile(h.main(), junk);
  h.compile();
  ASSERT_EQ(h.messages().size(), 1u) << h.run.out;
  EXPECT_NE(h.messages()[0].find(h.main() +
                                 ",0,The main file is not compiled: it holds no package declaration (is it "
                                 "ActionScript text?)"),
            std::string::npos)
      << h.messages()[0];
}

// The text used to end at the NUL without a word, and the script did not parse.
TEST(SilentFailure, NulByteIsASourceErrorWithItsLine) {
  Hello h;
  std::string text = readFile(h.main());
  text.insert(text.find("trace"), 1, '\0');
  ruvotest::writeFile(h.main(), text);
  h.compile();
  std::vector<std::string> nul;
  for (const std::string& line : h.messages())
    if (line.find("NUL byte") != std::string::npos) nul.push_back(line);
  ASSERT_EQ(nul.size(), 1u) << h.run.out;
  EXPECT_NE(nul[0].find("," + h.main() + ",6,NUL byte in the source: the text after it is left out"), std::string::npos)
      << nul[0];
}

TEST(SilentFailure, UnreadableClassFileAndFolderAreNamed) {
#ifdef _WIN32
  GTEST_SKIP() << "makes a dangling symbolic link and a folder without rights (POSIX)";
#else
  Hello h;
  // A link to a file that is gone (a class on a drive that is not there).
  ASSERT_EQ(symlink((h.work / "nowhere/Gone.as").c_str(), (h.proj + "/src/Gone.as").c_str()), 0);
  // A pipe and a device under a class name read as nothing: the class was
  // dropped with no word.
  ASSERT_EQ(mkfifo((h.proj + "/src/Pipe.as").c_str(), 0644), 0);
  ASSERT_EQ(symlink("/dev/null", (h.proj + "/src/Device.as").c_str()), 0);
  const bool root = geteuid() == 0;  // root reads every folder
  if (!root) {
    ruvotest::writeFile(h.proj + "/src/locked/Item.as", "package locked { public class Item {} }\n");
    chmod((h.proj + "/src/locked").c_str(), 0);
  }
  h.compile();
  if (!root) chmod((h.proj + "/src/locked").c_str(), 0755);
  const std::string out = h.run.out;
  EXPECT_NE(out.find("MSG,7,0.00," + h.proj + "/src/Gone.as,0,Can not read file:" + h.proj +
                     "/src/Gone.as (No such file or directory)\n"),
            std::string::npos)
      << out;
  for (const char* name : {"Pipe", "Device"}) {
    const std::string file = h.proj + "/src/" + name + ".as";
    EXPECT_NE(out.find("," + file + ",0,Can not read file:" + file + " (not a regular file)\n"), std::string::npos)
        << name << "\n"
        << out;
  }
  if (!root) {
    EXPECT_NE(out.find(",0,Can not read folder:" + h.proj + "/src/locked/ (Permission denied)\n"), std::string::npos)
        << out;
  }
#endif
}

// The README promises a MSG,7 line for every .ts file that cannot be written.
TEST(SilentFailure, TypeScriptFileThatCannotBeWrittenIsReported) {
  Hello h;
  ruvotest::writeFile(h.proj + "/bin/ts", "a file where the folder should be");
  h.compile(";zafrit=false;ts=true;");
#ifdef _WIN32
  // The reason is the system's own text, which differs on Windows.
  const std::string want = ",0,Can not write file:" + h.proj + "/bin/ts/src/Main.ts (";
#else
  const std::string want = ",0,Can not write file:" + h.proj + "/bin/ts/src/Main.ts (Not a directory)";
#endif
  bool found = false;
  for (const std::string& line : h.messages()) found = found || line.find(want) != std::string::npos;
  EXPECT_TRUE(found) << h.run.out;
}

TEST(SilentFailure, ScriptThatCannotBeWrittenSaysWhy) {
  Hello h;
  fs::create_directories(h.proj + "/bin/h5/hello.max.js");  // a folder where the script should go
  h.compile();
  const std::string script = h.proj + "/bin/h5/hello.max.js";
#ifdef _WIN32
  const std::string why = " (";  // the system's own text, which differs on Windows
#else
  const std::string why = " (Is a directory)\n";
#endif
  EXPECT_NE(h.run.out.find("MSG,7,50.00," + script + ",0,Can not write file:" + script + why),
            std::string::npos)
      << h.run.out;
}

// The folder the script goes in cannot be made: the reason used to be the
// "No such file or directory" of the script itself.
TEST(SilentFailure, OutputFolderThatCannotBeMadeSaysWhy) {
#ifdef _WIN32
  GTEST_SKIP() << "makes a dangling symbolic link and a folder without rights (POSIX)";
#else
  Hello h;
  const std::string script = h.proj + "/bin/h5/hello.max.js";
  const std::string head = ",0,Can not write file:" + script + " (the folder " + h.proj + "/bin/h5/ cannot be made: ";
  // The output folder links to a drive that is not there.
  fs::remove_all(h.proj + "/bin");
  ASSERT_EQ(symlink((h.work / "unmounted/bin").c_str(), (h.proj + "/bin").c_str()), 0);
  h.compile();
  EXPECT_NE(h.run.out.find(head + "File exists)\n"), std::string::npos) << h.run.out;
  if (geteuid() == 0) return;  // root makes folders anywhere
  fs::remove(h.proj + "/bin");
  chmod(h.proj.c_str(), 0555);
  h.compile();
  chmod(h.proj.c_str(), 0755);
  EXPECT_NE(h.run.out.find(head + "Permission denied)\n"), std::string::npos) << h.run.out;
#endif
}

// The library is on by default; without it the script stops at "Ruvo.Main
// is not a function" in the browser.
TEST(SilentFailure, LibraryOnWithoutLibraryFolderIsReported) {
  Hello h;
  fs::remove_all(h.inst.root() + "/libs/zafrit");
  h.compile("");
  const std::string folder = h.inst.root() + "/libs/zafrit/src/";
  ASSERT_EQ(h.messages().size(), 1u) << h.run.out;
  EXPECT_NE(h.messages()[0].find(folder + ",0,No library class in " + folder +
                                 ": the script needs the library to start (Ruvo.Main); compile with ;zafrit=false for "
                                 "a script without it"),
            std::string::npos)
      << h.messages()[0];
}
