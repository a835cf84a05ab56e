// Path and file helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "harness.h"
#include "platform.h"
#include "xfilemethod.h"

using ruvotest::TempDir;
using ruvotest::writeFile;

TEST(Files, AdjustFileName) {
  struct Row {
    const char* in;
    const char* out;
  } rows[] = {
      {"C:\\a\\\\b\\.\\c", "C:/a/b/c"},
      {"a/b/..", "a/b/../"},
      {"./a/./b", "a/b"},
      {"/a///b", "/a/b"},
      // "./" and "../" only as whole segments: names holding dots stay intact.
      {"/x/v1./y", "/x/v1./y"},
      {"/x/a..b/y", "/x/a..b/y"},
      {"/x/.hidden/y", "/x/.hidden/y"},
      {"/x/.../y", "/x/.../y"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.in);
    EXPECT_EQ(xfilemethod::adjustfilename(std::string(r.in)), r.out);
    // The in-place form never grows the caller's text.
    std::string buf = r.in;
    if (std::string(r.out).size() <= buf.size()) {
      EXPECT_STREQ(xfilemethod::adjustfilename(buf.data()), r.out);
    }
  }
  EXPECT_EQ(xfilemethod::adjustfilename(static_cast<char*>(nullptr)), nullptr);
}

TEST(Files, GetFilePathNormalises) {
  struct Row {
    const char* in;
    bool folderOnly;
    const char* out;
  } rows[] = {
      {"file:///Users/a/b.as", false, "/Users/a/b.as"},
      {"file:///C:/a/b.as", false, "C:/a/b.as"},
      {"/x/y/file.as", true, "/x/y/"},
      {"/x/y/z", true, "/x/y/z"},
      {"/a/b/../../c", false, "/c"},
      {"/a/b/../c", false, "/a/c"},
      {"/a/v1../b", false, "/a/v1../b"},
      {"/../x", false, "/../x"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.in);
    EXPECT_EQ(xfilemethod::getFile_Path(r.in, r.folderOnly), r.out);
  }
  EXPECT_EQ(xfilemethod::getFile_Path(static_cast<const char*>(nullptr)), "");

  // A relative path is put after the working folder, with a "cwd:" line.
  testing::internal::CaptureStdout();
  std::string cwd = std::filesystem::current_path().string();
  EXPECT_EQ(xfilemethod::getFile_Path("rel/x.as"), xfilemethod::adjustfilename(cwd + "/rel/x.as"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "cwd:" + cwd + "\n");

  EXPECT_EQ(xfilemethod::getFilePath("/abc"), "/abc");
  EXPECT_EQ(xfilemethod::getFilePath("/x/y.txt"), "/x/");
  EXPECT_EQ(xfilemethod::getFilePath("a\\b\\c"), "a\\b\\");
  EXPECT_EQ(xfilemethod::getFilePath("plain"), "plain");
}

// The console program's base folder is the parent of its own folder; the
// Windows build's is the program's own folder, written with a "\\".
TEST(Files, BinPathIsTheParentOfTheProgramFolder) {
  std::string exeDir = GetExeDir();
  ASSERT_FALSE(exeDir.empty());
  std::string bin = xfilemethod::getBinPath();
#ifdef _WIN32
  EXPECT_EQ(bin, exeDir + "\\");
  EXPECT_EQ(exeDir.find('/'), std::string::npos) << exeDir;
#else
  EXPECT_EQ(bin.back(), '/');
  EXPECT_EQ(exeDir.compare(0, bin.size(), bin), 0);
#endif
}

TEST(Files, QueriesAndReads) {
  TempDir tmp;
  writeFile(tmp / "a.txt", std::string("hi\0there", 8));
  writeFile(tmp / "empty.txt", "");
  EXPECT_TRUE(xfilemethod::pathExist(tmp.path()));
  EXPECT_FALSE(xfilemethod::pathExist(tmp / "a.txt"));
  EXPECT_FALSE(xfilemethod::pathExist(tmp / "missing"));
  EXPECT_EQ(xfilemethod::getFileSize(tmp / "a.txt"), 8);
  EXPECT_EQ(xfilemethod::getFileSize(tmp.path()), 0);
  EXPECT_EQ(xfilemethod::getFileSize(tmp / "missing"), 0);

  std::string text = "unchanged";
  EXPECT_TRUE(xfilemethod::readtxtfile(tmp / "a.txt", text));
  EXPECT_EQ(text, "hi");  // up to the first zero byte
  text = "unchanged";
  EXPECT_FALSE(xfilemethod::readtxtfile(tmp / "empty.txt", text));
  EXPECT_FALSE(xfilemethod::readtxtfile(tmp / "missing", text));
  EXPECT_EQ(text, "unchanged");

  // Every byte as it is on disk, whatever mode is named: a 0x1A byte (the
  // end of a file to a text-mode read on Windows) and CR LF stay.
  const std::string source = "class A {}\r\n\x1A\r\nclass B {}\r\n";
  writeFile(tmp / "b.as", source);
  int size = 0;
  char* buf = xfilemethod::readfile((tmp / "b.as").c_str(), size, "r");
  ASSERT_NE(buf, nullptr);
  EXPECT_EQ(std::string(buf, size), source);
  delete[] buf;
  EXPECT_TRUE(xfilemethod::readtxtfile(tmp / "b.as", text));
  EXPECT_EQ(text, source);

  xfilemethod::createDirectoryS((tmp / "p/q/file.js").c_str());
  EXPECT_TRUE(xfilemethod::pathExist(tmp / "p/q"));
  EXPECT_FALSE(ruvotest::fileExists(tmp / "p/q/file.js"));

  EXPECT_TRUE(xfilemethod::dirMatching("/a/", "/a/b.as", ".as"));
  EXPECT_FALSE(xfilemethod::dirMatching("/a/", "/a/b.AS", ".as"));
  EXPECT_FALSE(xfilemethod::dirMatching("/b/", "/a/b.as", ".as"));
}

TEST(Files, DirListsSortedAndHonoursDepth) {
  TempDir tmp;
  for (const char* f : {"src/z.as", "src/a.as", "src/m.jas", "src/sub/b.as", "src/sub/deep/c.as", "src/B.as"})
    writeFile(tmp / f, "x");
#ifndef _WIN32
  // A link to a folder is not followed (Windows makes such links only with
  // extra rights, so the Windows build lists without one).
  std::filesystem::create_directory_symlink(tmp / "src/sub", tmp / "src/link");
#endif

  std::vector<std::string> out;
  int n = xfilemethod::dir((tmp / "src").c_str(), ".as", out, 10000);
  std::string p = tmp / "src/";
  EXPECT_EQ(n, 5);
  // Bytewise order, subfolders in place, the link to a folder not followed.
  EXPECT_EQ(out, (std::vector<std::string>{p + "B.as", p + "a.as", p + "sub/b.as", p + "sub/deep/c.as", p + "z.as"}));

  std::vector<std::string> shallow{"before"};
  EXPECT_EQ(xfilemethod::dir((tmp / "src").c_str(), ".as", shallow, 0), 4);
  EXPECT_EQ(shallow, (std::vector<std::string>{"before", p + "B.as", p + "a.as", p + "z.as"}));

  std::vector<std::string> one;
  xfilemethod::dir((tmp / "src/").c_str(), ".as", one, 1);  // a trailing separator lists the same files
  EXPECT_EQ(one, (std::vector<std::string>{p + "B.as", p + "a.as", p + "sub/b.as", p + "z.as"}));

  std::vector<std::string> none;
  EXPECT_EQ(xfilemethod::dir((tmp / "missing").c_str(), ".as", none, 1), 0);
  EXPECT_EQ(xfilemethod::dir(nullptr, ".as", none, 1), 0);
}

TEST(Files, WritesWhole) {
  TempDir tmp;
  std::string target = tmp / "out/deep/file.js";
  ASSERT_TRUE(xfilemethod::writeFileAtomic(target, "abc", 3));
  EXPECT_EQ(ruvotest::readFile(target), "abc");
  EXPECT_EQ(ruvotest::listFiles(tmp / "out"), (std::vector<std::string>{"deep/file.js"}));
  // A target that cannot be written leaves nothing behind.
  std::filesystem::create_directory(tmp / "dir.js");
  EXPECT_FALSE(xfilemethod::writeFileAtomic(tmp / "dir.js", "x", 1));
  EXPECT_EQ(ruvotest::listFiles(tmp.path()), (std::vector<std::string>{"out/deep/file.js"}));
}

// The first write of a run into a folder removes the temporary files that
// stopped runs of this program left there; files of running processes,
// other names and folders stay. A finished copy that was being written over
// a file in place is written over it again.
TEST(Files, StaleTemporaryFilesGo) {
  TempDir tmp;
  const std::string dead = std::to_string(ruvotest::endedProcessId());
  const std::string running = std::to_string(ruvotest::runningProcessId());
  const std::string out = tmp / "out";
  writeFile(out + "/a.js.ruvotmp-" + dead, "half");
  writeFile(out + "/c.js.ruvotmp-" + running, "a running process");
  writeFile(out + "/d.js.ruvotmp-12x", "not ours");
  writeFile(out + "/sub/f.js.ruvotmp-" + dead, "below");
  std::filesystem::create_directories(out + "/e.js.ruvotmp-" + dead);
  ASSERT_TRUE(xfilemethod::writeFileAtomic(out + "/b.js", "b", 1));
  EXPECT_EQ(ruvotest::listFiles(out), (std::vector<std::string>{"b.js", "c.js.ruvotmp-" + running, "d.js.ruvotmp-12x",
                                                                "sub/f.js.ruvotmp-" + dead}));
  EXPECT_TRUE(std::filesystem::is_directory(out + "/e.js.ruvotmp-" + dead));
#ifdef _WIN32
  // A path written with backslashes names its folder as well.
  const std::string win = tmp / "win";
  writeFile(win + "/a.js.ruvotmp-" + dead, "half");
  std::string back = win + "/b.js";
  std::replace(back.begin(), back.end(), '/', '\\');
  ASSERT_TRUE(xfilemethod::writeFileAtomic(back, "b", 1));
  EXPECT_EQ(ruvotest::listFiles(win), std::vector<std::string>{"b.js"});
#endif

  const std::string src = tmp / "src";
  writeFile(src + "/deep/G.as", "package{imp");
  std::filesystem::create_hard_link(src + "/deep/G.as", tmp / "G-too.as");
  writeFile(src + "/deep/G.as.ruvodone-" + dead, "package{import zafrit.events.Event;}");
  writeFile(src + "/H.as.ruvodone-" + dead, "its file is gone");
  writeFile(src + "/deep/I.as.ruvotmp-" + dead, "half");
  xfilemethod::removeStaleTemps(src, true);
  EXPECT_EQ(ruvotest::listFiles(src), std::vector<std::string>{"deep/G.as"});
  EXPECT_EQ(ruvotest::readFile(tmp / "G-too.as"), "package{import zafrit.events.Event;}");
}

// Why a file gives no text: the reason the bad-usage lines name.
TEST(Files, WhyNoText) {
  TempDir tmp;
  std::filesystem::create_directory(tmp / "folder");
  struct Row {
    const char* name;
    std::string content;
    const char* why;
  } rows[] = {
      {"text", "<project>\n", ""},
      {"empty", "", "is empty"},
      {"blanks", " \r\n\t", "holds only blanks"},
      {"utf16le", std::string("\xFF\xFE<\0p\0", 6), "is UTF-16 text (save it as UTF-8)"},
      {"utf16be", std::string("\0<\0p\0r", 6), "is UTF-16 text (save it as UTF-8)"},
      {"utf32", std::string("\xFF\xFE\0\0<\0\0\0", 8), "is UTF-32 text (save it as UTF-8)"},
      {"binary", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\0\0", 12), "holds zero bytes: it is no text file (or UTF-32 text)"},
  };
  for (const Row& row : rows) {
    writeFile(tmp / row.name, row.content);
    EXPECT_EQ(xfilemethod::whyNoText(tmp / row.name), row.why) << row.name;
  }
  EXPECT_EQ(xfilemethod::whyNoText(tmp / "missing"), "does not exist");
  EXPECT_EQ(xfilemethod::whyNoText(tmp / "folder"), "is a folder, not a file");
  EXPECT_EQ(xfilemethod::whyNoText(tmp / "text/below"), "does not exist");
}

#ifdef _WIN32
// An output script that another program holds open (Windows): one that lets
// others write gets the whole new text in place, as the temporary copy
// cannot take its name; one locked for writing keeps its text, the write
// fails with the reason, and no temporary copy is left.
TEST(Files, WritesOverAFileHeldOpenByAnotherProgram) {
  TempDir tmp;
  const std::string path = tmp / "bin/h5/game.max.js";
  writeFile(path, "old text of the script");
  for (DWORD share : {DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}, DWORD{FILE_SHARE_READ}}) {
    SCOPED_TRACE(share);
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string text = share & FILE_SHARE_WRITE ? "new" : "newer";
    const bool written = xfilemethod::writeFileAtomic(path, text.data(), text.size());
    CloseHandle(held);
    if (share & FILE_SHARE_WRITE) {
      EXPECT_TRUE(written) << xfilemethod::lastWriteError();
      EXPECT_EQ(ruvotest::readFile(path), "new");
    } else {
      EXPECT_FALSE(written);
      EXPECT_NE(xfilemethod::lastWriteError().find("read-only or open in another program"), std::string::npos)
          << xfilemethod::lastWriteError();
      EXPECT_EQ(ruvotest::readFile(path), "new");
    }
    EXPECT_EQ(ruvotest::listFiles(tmp / "bin/h5"), std::vector<std::string>{"game.max.js"});
  }
}
#endif

// Where names compare without case, a path takes the spelling of the file
// system for every part that exists; the rest stays as given. Where they do
// not, a path is never changed.
TEST(Files, DiskCaseSpellsPathsAsTheFileSystem) {
  TempDir tmp;
  writeFile(tmp / "src/Game/Main.as", "x");
  const RuvoPlatform saved = ruvoPlatform();
  RuvoPlatform p = saved;
  p.foldCase = true;
  setRuvoPlatform(p);
  EXPECT_EQ(xfilemethod::diskCase(tmp / "SRC/game/main.AS"), tmp / "src/Game/Main.as");
  EXPECT_EQ(xfilemethod::diskCase(tmp / "src/GAME/"), tmp / "src/Game/");
  EXPECT_EQ(xfilemethod::diskCase(tmp / "SRC/none/Main.as"), tmp / "src/none/Main.as");
  EXPECT_EQ(xfilemethod::diskCase(tmp / "src/Game/../game/Main.as"), tmp / "src/Game/../Game/Main.as");
  EXPECT_EQ(xfilemethod::diskCase(""), "");
  p.foldCase = false;
  setRuvoPlatform(p);
  EXPECT_EQ(xfilemethod::diskCase(tmp / "SRC/game/main.AS"), tmp / "SRC/game/main.AS");
  setRuvoPlatform(saved);
}
