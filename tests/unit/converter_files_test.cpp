// The Flash source converter on files: linking listed classes to the SWF
// tools, the link list, rewriting one source file in place and the starter
// classes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "flashtozafrit.h"
#include "globals.h"
#include "harness.h"
#include "xfilemethod.h"

using namespace ruvotest;
namespace fs = std::filesystem;

namespace {

class ConverterFiles : public ::testing::Test {
 protected:
  void SetUp() override { resetCompilerState(); }
  void TearDown() override { resetCompilerState(); }
  TempDir work;
};

std::string captured(const std::function<void()>& run) {
  testing::internal::CaptureStdout();
  run();
  return testing::internal::GetCapturedStdout();
}

std::string info(const std::string& file, const std::string& text) {
  return "1,0.00," + file + ",0," + text + "\r\nMSG,1,0.00," + file + ",0," + text + "\n";
}

const std::string kImport = "\r\n\timport zafrit.swf.utils.SWFTools;\r\n\r\n\t/*[COMPILER OPTIONS:ForcedCompile]*/\r\n";

std::string initCall(const std::string& k) { return "SWFTools.initClass(" + k + ", this);\r\n"; }

// A converter object for the single-file operations: a run over an empty
// folder, which touches nothing.
struct Converter {
  TempDir empty;
  FlashToZafrit conv;
  explicit Converter(int mode) : conv(empty.path().c_str(), nullptr, mode) {}
};

}  // namespace

// The link call goes after the constructor's super call, else at the end of
// its body; a class without a constructor gets one; a linked file stays.
TEST_F(ConverterFiles, LinkClassTable) {
  struct Row {
    const char* label;
    std::string k;
    std::string in;
    bool changed;
    std::string out;
  };
  const std::string head = "package a\n{";
  const Row rows[] = {
      {"constructor calling super(x)", "Foo",
       head + "\n\tpublic class Foo extends Bar\n\t{\n\t\tpublic function "
              "Foo(x:int)\n\t\t{\n\t\t\tsuper(x);\n\t\t\ttrace(x);\n\t\t}\n\t}\n}",
       true,
       head + kImport +
           "\n\tpublic class Foo extends Bar\n\t{\n\t\tpublic function Foo(x:int)\n\t\t{\n\t\t\tsuper(x);\r\n\t\t" +
           initCall("Foo") + ";\n\t\t\ttrace(x);\n\t\t}\n\t}\n}"},
      {"super call with nested parentheses", "Foo",
       head + "class Foo extends Bar{function Foo(){if(ok()){super(f(1),(2));}}}}", true,
       head + kImport + "class Foo extends Bar{function Foo(){if(ok()){super(f(1),(2));\r\n\t\t" + initCall("Foo") +
           ";}}}}"},
      {"constructor without super, nested braces", "Foo", head + "class Foo{function Foo(){if(a){b();}c(super.x);}}}",
       true, head + kImport + "class Foo{function Foo(){if(a){b();}c(super.x);\r\n\t\t" + initCall("Foo") + "}}}"},
      {"no constructor", "Foo", head + "\n\tpublic class Foo extends Bar\n\t{\n\t\tprivate var a:int;\n\t}\n}", true,
       head + kImport +
           "\n\tpublic class Foo extends Bar\n\t{\r\n\t\tpublic function Foo(){\r\n\t\t\tsuper();\r\n\t\t\t" +
           initCall("Foo") + "\t\t}\r\n\n\t\tprivate var a:int;\n\t}\n}"},
      {"a longer name is not the class", "Foo", head + "class FooBar{function FooBar(){}}}", true,
       head + kImport + "class FooBar{function FooBar(){}}}"},
      {"bytes of 0x80 and above belong to words", "Foo", head + "class Foo\xD6\xD0{function Foo\xD6\xD0(){}}}", true,
       head + kImport + "class Foo\xD6\xD0{function Foo\xD6\xD0(){}}}"},
      {"already linked", "Foo", head + "\n\timport zafrit.swf.utils.SWFTools;\n\tclass Foo{function Foo(){}}\n}", false,
       head + "\n\timport zafrit.swf.utils.SWFTools;\n\tclass Foo{function Foo(){}}\n}"},
      {"no package", "Foo", "function Foo(){}\n", false, "function Foo(){}\n"},
      {"UTF-8 byte-order mark before the package", "Foo", "\xEF\xBB\xBF" + head + "class Foo{function Foo(){}}}", true,
       "\xEF\xBB\xBF" + head + kImport + "class Foo{function Foo(){\r\n\t\t" + initCall("Foo") + "}}}"},
      // Comments and strings are copied as they are: "super(" in a comment
      // and braces or parentheses in a string or comment are not code.
      {"super in a comment", "Foo",
       head + "class Foo extends Bar{function Foo(){\n// call super() first\nsuper(1);\n}}}", true,
       head + kImport + "class Foo extends Bar{function Foo(){\n// call super() first\nsuper(1);\r\n\t\t" +
           initCall("Foo") + ";\n}}}"},
      {"braces in strings and comments", "Foo",
       head + "class Foo{function Foo(){trace(\"{\", '(');/* } */}\nfunction g(){}}}", true,
       head + kImport + "class Foo{function Foo(){trace(\"{\", '(');/* } */\r\n\t\t" + initCall("Foo") +
           "}\nfunction g(){}}}"},
      {"class in a comment before the class", "Foo", head + "/* class Foo { } */ class Foo{var a;}}", true,
       head + kImport + "/* class Foo { } */ class Foo{\r\n\t\tpublic function Foo(){\r\n\t\t\tsuper();\r\n\t\t\t" +
           initCall("Foo") + "\t\t}\r\nvar a;}}"},
  };
  Converter c(2);
  FlashToZafrit& conv = c.conv;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    std::string text = row.in;
    EXPECT_EQ(conv._adjustLinkClass_(text, row.k), row.changed);
    EXPECT_EQ(text, row.out);
    // Linking twice changes nothing more.
    std::string again = text;
    EXPECT_FALSE(conv._adjustLinkClass_(again, row.k));
    EXPECT_EQ(again, text);
  }
}

// Link-list lines with CR LF ends give the keys of lines with LF ends; blank
// lines are no classes; a byte-order mark and blanks around a name are not
// part of it.
TEST_F(ConverterFiles, LinkListLineEnds) {
  struct Row {
    const char* label;
    std::string list;
  };
  const Row rows[] = {
      {"LF", "foo.baz.Bar\n\nTop\n.Dot"},
      {"CR LF", "foo.baz.Bar\r\n\r\nTop\r\n.Dot\r\n"},
      {"byte-order mark and blanks", "\xEF\xBB\xBF foo.baz.Bar\r\n \t\r\nTop \r\n\t.Dot\t"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    writeFile(work / "list.txt", row.list);
    Converter c(-2);
    std::string out = captured([&] { c.conv.readini((work / "list.txt").c_str()); });
    EXPECT_EQ(c.conv.linkKeys, (std::vector<std::string>{"/foo/baz/Bar.as", "/Top.as", "//Dot.as"}));
    EXPECT_EQ(c.conv.linkClasses.get("/foo/baz/Bar.as"), "Bar");
    EXPECT_EQ(c.conv.linkClasses.get("/Top.as"), "Top");
    EXPECT_EQ(c.conv.linkClasses.get("//Dot.as"), ".Dot");
    EXPECT_EQ(out, info("", "link class [foo.baz.Bar] [Bar] [/foo/baz/Bar.as]") +
                       info("", "link class [Top] [Top] [/Top.as]") + info("", "link class [.Dot] [.Dot] [//Dot.as]"));
  }
  // A missing list gives no keys.
  Converter c(-2);
  EXPECT_EQ(captured([&] { c.conv.readini((work / "none.txt").c_str()); }), "");
  EXPECT_TRUE(c.conv.linkKeys.empty());
}

// Only the file whose path holds a listed key is linked.
TEST_F(ConverterFiles, AddLinkClassUsesTheListedPath) {
  const std::string text = "package a{class Foo{}}";
  writeFile(work / "src/a/Foo.as", text);
  writeFile(work / "src/b/Foo.as", text);
  writeFile(work / "list.txt", "a.Foo\n");
  Converter c(2);
  captured([&] {
    c.conv.readini((work / "list.txt").c_str());
    c.conv.addLinkClass((work / "src/a/Foo.as").c_str());
    c.conv.addLinkClass((work / "src/b/Foo.as").c_str());
  });
  EXPECT_NE(readFile(work / "src/a/Foo.as").find("SWFTools.initClass(Foo, this);"), std::string::npos);
  EXPECT_EQ(readFile(work / "src/b/Foo.as"), text);
}

// One file rewritten in place: only when its text changes, without a leading
// byte-order mark and blank lines, never cut inside its first word, and
// with every byte after a zero byte kept.
TEST_F(ConverterFiles, ChangeOneFile) {
  struct Row {
    const char* label;
    std::string in;
    std::string out;  // empty: the file keeps its bytes and time stamp
  };
  const std::string nul(1, '\0');
  const Row rows[] = {
      {"byte-order mark and blank lines go", "\xEF\xBB\xBF\r\n\r\n  package{import flash.events.Event;}",
       "package{import zafrit.events.Event;}"},
      {"first word kept", "import a.B;\npackage{import flash.events.Event;}",
       "import a.B;\npackage{import zafrit.events.Event;}"},
      {"comment first", "/* c */package{import flash.events.Event;}", "/* c */package{import zafrit.events.Event;}"},
      {"zero byte", "package{import flash.events.Event;}" + nul + "\x01rest{",
       "package{import zafrit.events.Event;}" + nul + "\x01rest{"},
      {"nothing to change", "\xEF\xBB\xBF\r\npackage{import mx.core.UIComponent;}", ""},
      {"only blanks", "\r\n \t", ""},
  };
  Converter c(-1);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    std::string path = work / "src/A.as";
    writeFile(path, row.in);
    auto old = fs::file_time_type::clock::now() - std::chrono::hours(48);
    fs::last_write_time(path, old);
    std::string out = captured([&] { c.conv.changeOneFile(path.c_str()); });
    if (row.out.empty()) {
      EXPECT_EQ(readFile(path), row.in);
      // Not written again (file times keep less precision on some systems).
      EXPECT_LT(fs::last_write_time(path), fs::file_time_type::clock::now() - std::chrono::hours(24));
      EXPECT_EQ(out, "");
    } else {
      EXPECT_EQ(readFile(path), row.out);
      EXPECT_EQ(out, info("flash.events.Event", "change " + path) + info(path, "change:[" + path + "]"));
    }
  }
}

// An ASCII text in code units of `unit` bytes, in the byte order asked for.
std::string widened(const std::string& ascii, int unit, bool big) {
  std::string out;
  for (char c : ascii) {
    std::string units(static_cast<size_t>(unit), '\0');
    units[big ? unit - 1 : 0] = c;
    out += units;
  }
  return out;
}

// A source saved in UTF-16 or UTF-32 is converted and linked in its own
// encoding, its byte-order mark and its other characters (a Chinese one, one
// outside the basic plane) kept; one whose units are not all characters is
// named on standard error and left as it is.
TEST_F(ConverterFiles, WideSourcesKeepTheirEncoding) {
  struct Row {
    const char* label;
    int unit;
    bool big;
    std::string mark, chinese, smile;  // U+4E2D and U+1F600 in the row's encoding
  };
  const Row rows[] = {
      {"UTF-16 little endian", 2, false, "\xFF\xFE", "\x2D\x4E", std::string("\x3D\xD8\x00\xDE", 4)},
      {"UTF-16 big endian", 2, true, "\xFE\xFF", "\x4E\x2D", std::string("\xD8\x3D\xDE\x00", 4)},
      {"UTF-16 little endian without a mark", 2, false, "", "\x2D\x4E", std::string("\x3D\xD8\x00\xDE", 4)},
      {"UTF-32 little endian", 4, false, std::string("\xFF\xFE\x00\x00", 4), std::string("\x2D\x4E\x00\x00", 4),
       std::string("\x00\xF6\x01\x00", 4)},
      {"UTF-32 big endian", 4, true, std::string("\x00\x00\xFE\xFF", 4), std::string("\x00\x00\x4E\x2D", 4),
       std::string("\x00\x01\xF6\x00", 4)},
  };
  const std::string path = work / "src/game/Hero.as";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    auto text = [&](const std::string& imported, const std::string& body) {
      return row.mark + widened("package game\r\n{\r\n\t// ", row.unit, row.big) + row.chinese + row.smile +
             widened("\r\n\timport " + imported + ";\r\n\tpublic class Hero\r\n\t{" + body + "}\r\n}\r\n", row.unit,
                     row.big);
    };
    writeFile(path, text("flash.display.Sprite", ""));
    Converter toLibrary(-1);
    captured([&] { toLibrary.conv.changeOneFile(path.c_str()); });
    EXPECT_EQ(readFile(path), text("zafrit.display.Sprite", ""));

    writeFile(work / "list.txt", "game.Hero\n");
    Converter link(2);
    captured([&] {
      link.conv.readini((work / "list.txt").c_str());
      link.conv.addLinkClass(path.c_str());
    });
    const std::string linked = row.mark +
                               widened("package game\r\n{" + kImport + "\r\n\t// ", row.unit, row.big) + row.chinese +
                               row.smile +
                               widened("\r\n\timport zafrit.display.Sprite;\r\n\tpublic class Hero\r\n\t{\r\n\t\t"
                                       "public function Hero(){\r\n\t\t\tsuper();\r\n\t\t\t" +
                                           initCall("Hero") + "\t\t}\r\n}\r\n}\r\n",
                                       row.unit, row.big);
    EXPECT_EQ(readFile(path), linked);
  }

  // A half unit at the end, or an unpaired surrogate, would not come back.
  for (const std::string& tail : {std::string("\x0A", 1), std::string("\x00\xD8\x41\x00", 4)}) {
    const std::string in = "\xFF\xFE" + widened("package{import flash.events.Event;}", 2, false) + tail;
    writeFile(path, in);
    Converter c(-1);
    testing::internal::CaptureStderr();
    captured([&] { c.conv.changeOneFile(path.c_str()); });
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ruvojs: " + path + " is in UTF-16 little endian but holds units that are no characters; it is not "
                                  "converted\n");
    EXPECT_EQ(readFile(path), in);
  }
}

// A file that cannot be written stays as it was, and no change is reported.
TEST_F(ConverterFiles, UnwritableFileIsLeftAlone) {
  std::string path = work / "A.as";
  const std::string text = "package{import flash.events.Event;}";
  writeFile(path, text);
  // The rewrite goes through a temporary file beside the source; a folder in
  // its place makes the write fail.
  fs::create_directories(path + ".ruvotmp-" + std::to_string(ruvotest::processId()));
  Converter c(-1);
  std::string out = captured([&] { c.conv.changeOneFile(path.c_str()); });
  EXPECT_EQ(readFile(path), text);
  EXPECT_EQ(out.find("change:["), std::string::npos) << out;
}

// The starter classes: written where missing, CR LF on every line and no
// line end after the last brace; an existing one is kept; a later run over
// the folder leaves them Flash classes.
TEST_F(ConverterFiles, StarterClasses) {
  std::string src = work / "src";
  writeFile(src + "/RuvoGame.as", "mine");
  writeFile(src + "/Main.as", "package{import flash.display.Sprite;}");
  std::string out = captured([&] { FlashToZafrit(src.c_str(), nullptr, 1); });
  EXPECT_EQ(readFile(src + "/RuvoGame.as"), "mine");
  std::string main = readFile(src + "/RuvoMain.as");
  ASSERT_FALSE(main.empty());
  EXPECT_EQ(main.back(), '}');
  for (size_t i = main.find('\n'); i != std::string::npos; i = main.find('\n', i + 1)) {
    ASSERT_GT(i, 0u);
    EXPECT_EQ(main[i - 1], '\r') << "bare LF at " << i;
  }
  for (const char* line : {"import flash.display.Sprite;\r\n", "import flash.events.Event;\r\n",
                           "//[SWF(width='800',height='480',frameRate='60',backgroundColor='#83e8ff')]\r\n",
                           "public class RuvoMain extends Sprite\r\n", "new RuvoGame(this);\r\n"}) {
    EXPECT_NE(main.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(readFile(src + "/Main.as"), "package{import zafrit.display.Sprite;}");

  // An empty starter counts as missing; the written ones are not converted.
  writeFile(src + "/RuvoGame.as", "");
  out = captured([&] { FlashToZafrit(src.c_str(), nullptr, 1); });
  EXPECT_EQ(out, "");
  EXPECT_EQ(readFile(src + "/RuvoMain.as"), main);
  std::string game = readFile(src + "/RuvoGame.as");
  for (const char* line :
       {"public class RuvoGame extends Zafrit\r\n", "public function RuvoGame(sprite:*)\r\n", "super(sprite);\r\n",
        "super.onInit();\r\n", "stage.bgcolor = '#FFFFFF';", "stage.isEaqual = true;", "stage.setSize(800,480);",
        "stage.setOrientationEx(1);", "stage.showInfo = true;", "super.onStart();\r\n", "//stage.addChild(new "}) {
    EXPECT_NE(game.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(game.back(), '}');
}

// A mistyped folder is not created to hold starter classes.
TEST_F(ConverterFiles, MissingFolderGetsNoStarters) {
  std::string src = work / "nothere";
  std::string out = captured([&] { FlashToZafrit(src.c_str(), nullptr, 1); });
  EXPECT_EQ(out, "");
  EXPECT_FALSE(fs::exists(src));
}

namespace {

std::string capturedErr(const std::function<void()>& run) {
  testing::internal::CaptureStderr();
  run();
  return testing::internal::GetCapturedStderr();
}

// Every entry of `dir` whose name holds the temporary-file marks.
std::vector<std::string> tempFiles(const std::string& dir) {
  std::vector<std::string> out;
  for (const std::string& rel : listFiles(dir))
    if (rel.find(".ruvotmp-") != std::string::npos || rel.find(".ruvodone-") != std::string::npos)
      out.push_back(rel);
  return out;
}

// The file a path names, as the system identifies it.
std::pair<uint64_t, uint64_t> identity(const std::string& path) {
  std::pair<uint64_t, uint64_t> id{0, 0};
  EXPECT_TRUE(xfilemethod::fileIdentity(path, id.first, id.second)) << path;
  return id;
}

// The number of names of the file (std::filesystem counts one on Windows).
uint64_t linkCount(const std::string& path) {
  xfilemethod::SourceFile file;
  EXPECT_TRUE(xfilemethod::readSource(path, file)) << path;
  return file.links;
}

// Read-only for everybody: the mode 0444, on Windows the read-only attribute.
void makeReadOnly(const std::string& path) {
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

bool isReadOnly(const std::string& path) {
  return (fs::status(path).permissions() & (fs::perms::owner_write | fs::perms::group_write |
                                            fs::perms::others_write)) == fs::perms::none;
}

const std::string kFlashText = "package{import flash.events.Event;}";
const std::string kLibraryText = "package{import zafrit.events.Event;}";

}  // namespace

// A converted file keeps its other names: hard links stay one file, inside
// the folder and out of it, and each file is converted once; a read-only
// file is left alone with a line on standard error.
TEST_F(ConverterFiles, RewriteKeepsHardLinksAndLeavesReadOnlyFilesAlone) {
  std::string src = work / "src";
  std::string outside = work / "outside";
  writeFile(src + "/Shared.as", kFlashText);
  writeFile(src + "/Locked.as", kFlashText);
  writeFile(outside + "/Twin.as", kFlashText);
  fs::create_hard_link(outside + "/Twin.as", src + "/Twin.as");
  fs::create_hard_link(src + "/Shared.as", src + "/SharedToo.as");
  fs::last_write_time(src + "/Locked.as", fs::file_time_type::clock::now() - std::chrono::hours(48));
  makeReadOnly(src + "/Locked.as");
  // As the file system keeps it (some keep whole seconds only).
  const auto old = fs::last_write_time(src + "/Locked.as");
  const auto twin = identity(src + "/Twin.as"), shared = identity(src + "/Shared.as");

  std::string out;
  std::string err = capturedErr([&] { out = captured([&] { FlashToZafrit(src.c_str(), nullptr, -1); }); });

  for (const char* name : {"Shared.as", "SharedToo.as", "Twin.as"})
    EXPECT_EQ(readFile(src + "/" + name), kLibraryText) << name;
  EXPECT_EQ(readFile(outside + "/Twin.as"), kLibraryText);
  EXPECT_EQ(identity(src + "/Twin.as"), twin);
  EXPECT_EQ(linkCount(src + "/Twin.as"), 2u);
  EXPECT_EQ(linkCount(src + "/Shared.as"), 2u);
  EXPECT_EQ(identity(src + "/SharedToo.as"), shared);
  EXPECT_EQ(identity(src + "/Shared.as"), shared);
  // Each file is converted once, under its first name.
  EXPECT_EQ(out.find("change:[" + src + "/SharedToo.as]"), std::string::npos) << out;
  EXPECT_NE(out.find("change:[" + src + "/Shared.as]"), std::string::npos) << out;

  EXPECT_EQ(readFile(src + "/Locked.as"), kFlashText);
  EXPECT_EQ(fs::last_write_time(src + "/Locked.as"), old);
  EXPECT_TRUE(isReadOnly(src + "/Locked.as"));
  EXPECT_EQ(out.find("Locked.as]"), std::string::npos) << out;
  EXPECT_NE(err.find(src + "/Locked.as is read-only; it is left unchanged"), std::string::npos) << err;
  EXPECT_EQ(tempFiles(work.path()), std::vector<std::string>{});
  // The folder can be removed again.
  fs::permissions(src + "/Locked.as", fs::perms::owner_write, fs::perm_options::add);
}

#ifndef _WIN32
namespace {

struct FileInfo {
  bool exists = false;
  bool link = false;
  mode_t mode = 0;
  uid_t owner = 0;
  gid_t group = 0;
};

FileInfo infoOf(const std::string& path) {
  FileInfo info;
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return info;
  info.exists = true;
  info.link = S_ISLNK(st.st_mode);
  if (info.link && stat(path.c_str(), &st) != 0) return info;
  info.mode = st.st_mode & 07777;
  info.owner = st.st_uid;
  info.group = st.st_gid;
  return info;
}

}  // namespace
#endif

// A converted file keeps its mode and owner, a symbolic link stays a link
// and its target is converted; names that lead to no file to convert are
// each named on standard error.
TEST_F(ConverterFiles, RewriteKeepsModeOwnerAndSymbolicLinks) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows files have no POSIX mode, numeric owner or FIFO, and symbolic links need a right "
                  "ordinary users lack; the rewrite keeps owner and access rights through ReplaceFileA";
#else
  std::string src = work / "src";
  std::string outside = work / "outside";
  writeFile(src + "/Shared.as", kFlashText);
  writeFile(src + "/Private.as", kFlashText);
  writeFile(src + "/Owned.as", kFlashText);
  writeFile(outside + "/Target.as", kFlashText);
  ASSERT_EQ(chmod((src + "/Shared.as").c_str(), 0664), 0);
  ASSERT_EQ(chmod((src + "/Private.as").c_str(), 0600), 0);
  ASSERT_EQ(symlink((outside + "/Target.as").c_str(), (src + "/Link.as").c_str()), 0);
  ASSERT_EQ(symlink((outside + "/Gone.as").c_str(), (src + "/Broken.as").c_str()), 0);
  ASSERT_EQ(symlink((src + "/Loop.as").c_str(), (src + "/Loop.as").c_str()), 0);
  ASSERT_EQ(mkfifo((src + "/Pipe.as").c_str(), 0644), 0);
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown((src + "/Owned.as").c_str(), 65534, 65534), 0);
  }

  std::string out;
  std::string err = capturedErr([&] { out = captured([&] { FlashToZafrit(src.c_str(), nullptr, -1); }); });

  for (const char* name : {"Shared.as", "Private.as", "Owned.as", "Link.as"})
    EXPECT_EQ(readFile(src + "/" + name), kLibraryText) << name;
  EXPECT_EQ(infoOf(src + "/Shared.as").mode, 0664u);
  EXPECT_EQ(infoOf(src + "/Private.as").mode, 0600u);
  if (root) {
    EXPECT_EQ(infoOf(src + "/Owned.as").owner, 65534u);
    EXPECT_EQ(infoOf(src + "/Owned.as").group, 65534u);
  }
  EXPECT_TRUE(infoOf(src + "/Link.as").link);
  EXPECT_EQ(readFile(outside + "/Target.as"), kLibraryText);
  EXPECT_NE(err.find(src + "/Broken.as does not exist; it is not converted"), std::string::npos) << err;
  EXPECT_NE(err.find(src + "/Loop.as cannot be read ("), std::string::npos) << err;
  EXPECT_NE(err.find(src + "/Pipe.as is not a regular file; it is not converted"), std::string::npos) << err;
  for (const char* name : {"Broken.as", "Loop.as", "Pipe.as"}) unlink((src + "/" + name).c_str());
  EXPECT_EQ(tempFiles(work.path()), std::vector<std::string>{});
#endif
}

// On Windows the converted copy takes the file's place through ReplaceFileA,
// which gives it the old file's attributes (and owner and access rights).
TEST_F(ConverterFiles, RewriteKeepsWindowsFileAttributes) {
#ifndef _WIN32
  GTEST_SKIP() << "file attributes are Windows's own; the mode and owner test shows what a rewrite keeps here";
#else
  const std::string src = work / "src";
  const std::string path = src + "/Hidden.as";
  writeFile(path, kFlashText);
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  std::string out = captured([&] { FlashToZafrit(src.c_str(), nullptr, -1); });
  EXPECT_EQ(readFile(path), kLibraryText);
  const DWORD attributes = GetFileAttributesA(path.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN) << attributes;
  EXPECT_EQ(tempFiles(work.path()), std::vector<std::string>{});
#endif
}

// A file deleted or replaced between its read and its rewrite is not brought
// back or overwritten, with or without other names; no temporary file stays.
TEST_F(ConverterFiles, RewriteOfAFileDeletedMeanwhile) {
  using R = xfilemethod::Rewrite;
  for (bool hardLinked : {false, true}) {
    SCOPED_TRACE(hardLinked ? "hard-linked" : "single name");
    TempDir dir;
    std::string path = dir / "A.as";
    writeFile(path, kFlashText);
    if (hardLinked) fs::create_hard_link(path, dir / "B.as");
    xfilemethod::SourceFile file;
    ASSERT_TRUE(xfilemethod::readSource(path, file));
    EXPECT_EQ(file.text, kFlashText);
    ASSERT_TRUE(fs::remove(path));
    EXPECT_EQ(xfilemethod::rewriteSource(file, kLibraryText), R::Gone);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(tempFiles(dir.path()), std::vector<std::string>{});

    writeFile(path, kFlashText);
    ASSERT_TRUE(xfilemethod::readSource(path, file));
    // An editor saves by writing a new file and renaming it over the old one.
    writeFile(dir / "new", "mine");
    fs::rename(dir / "new", path);
    EXPECT_EQ(xfilemethod::rewriteSource(file, kLibraryText), R::Replaced);
    EXPECT_EQ(readFile(path), "mine");
    EXPECT_EQ(tempFiles(dir.path()), std::vector<std::string>{});
  }
}

// A conversion stopped by a kill leaves its temporary file beside a source;
// the next conversion of the folder removes it and converts the file.
TEST_F(ConverterFiles, NextConversionRemovesWhatAStoppedOneLeft) {
  const int pid = endedProcessId();
  std::string src = work / "src";
  writeFile(src + "/deep/A.as", kFlashText);
  writeFile(src + "/deep/A.as.ruvotmp-" + std::to_string(pid), "package{import zaf");
  std::string err = capturedErr([&] { captured([&] { FlashToZafrit(src.c_str(), nullptr, -1); }); });
  EXPECT_EQ(listFiles(src), std::vector<std::string>{"deep/A.as"});
  EXPECT_EQ(readFile(src + "/deep/A.as"), kLibraryText);
  EXPECT_NE(err.find("removed " + src + "/deep/A.as.ruvotmp-"), std::string::npos) << err;
}
