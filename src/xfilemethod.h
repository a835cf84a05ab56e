// Path, folder and whole-file helpers.
//
// Paths inside the compiler use "/" as separator. Every file-system error is
// caught here and turned into the function's neutral result (0, false, an
// empty string or nothing done); no exception leaves these functions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class xfilemethod {
 public:
  // Backslashes to "/", doubled separators folded, "./" segments dropped,
  // ".." segments written as "../"; in place. Returns the path (null for null).
  static char* adjustfilename(char* path);
  static std::string adjustfilename(const std::string& path);
  // Absolute, normalised path; with `folderOnly` a last component holding a
  // "." is cut off (the folder with a trailing "/" is returned).
  static std::string getFile_Path(const char* path, bool folderOnly = false);
  static std::string getFile_Path(const std::string& path, bool folderOnly = false) {
    return getFile_Path(path.c_str(), folderOnly);
  }
  // The path up to and including its last separator found at index 1 or later.
  static std::string getFilePath(const char* path);
  // The program's base folder with a trailing separator (the parent of the
  // executable's folder).
  static std::string getBinPath();
  // Where file names compare without case (the Windows file system; see
  // RuvoPlatform::foldCase), the path with each existing part spelled as the
  // file system spells it, so that two spellings of one file give one path;
  // parts from the first missing one on stay as given. Elsewhere unchanged.
  static std::string diskCase(const std::string& path);
  static bool pathExist(const char* path);
  static bool pathExist(const std::string& path) { return pathExist(path.c_str()); }
  static int64_t getFileSize(const char* path);
  static int64_t getFileSize(const std::string& path) { return getFileSize(path.c_str()); }
  // Creates every missing folder of the path's parent.
  static void createDirectoryS(const char* path);
  // Whole file in a new buffer of size + 1 bytes (terminated); null on failure
  // or for an empty file. The caller frees the buffer with delete[].
  static char* readfile(const char* path, int& size, const char* mode);
  static bool readtxtfile(const char* path, std::string& out);
  static bool readtxtfile(const std::string& path, std::string& out) {
    return readtxtfile(path.c_str(), out);
  }
  // Why `path` gives no text to read: "does not exist", "is a folder",
  // "cannot be read (<reason>)", "is empty", "is UTF-16 text" and the like;
  // empty when it is a readable file of 8-bit text.
  static std::string whyNoText(const std::string& path);
  static bool dirMatching(const char* prefix, const char* path, const char* suffix);
  // Appends the files under `folder` whose path ends with `pattern`, each
  // folder's entries sorted bytewise, subfolders listed while depth > 0.
  // A folder of the tree that cannot be opened is left out; when `unreadable`
  // is given, its path and the reason are appended to it.
  static int dir(const char* folder, const char* pattern, std::vector<std::string>& out, int depth,
                 std::vector<std::pair<std::string, std::string>>* unreadable = nullptr);

  // Writes `size` bytes to `path` whole: a temporary file beside it, then a
  // rename. Missing folders are created. False when the file cannot be written.
  static bool writeFileAtomic(const std::string& path, const char* data, size_t size);
  // The same for a file made of `count` pieces written one after another, so
  // a text of megabytes kept in parts is not joined first.
  static bool writeFileAtomic(const std::string& path, const std::string_view* pieces, size_t count);

  // The device (volume) and file number of the file or folder `path` names,
  // links followed: two names give the same pair when they name one file.
  // False when there is none.
  static bool fileIdentity(const std::string& path, uint64_t& device, uint64_t& index);

  // A source file read for a rewrite in place, with what the rewrite keeps.
  struct SourceFile {
    std::string path;  // the file itself: a symbolic link is followed to its target (not on Windows)
    std::string text;  // every byte, zero bytes included
    uint64_t device = 0, inode = 0, links = 1;
    uint32_t mode = 0, owner = 0, group = 0;  // on Windows the mode is 0444 (read-only) or 0666, no owner
  };
  enum class Rewrite { Written, ReadOnly, Gone, Replaced, Failed };
  // Reads a regular file (through its links) whole; false when there is none
  // or it cannot be read.
  static bool readSource(const std::string& path, SourceFile& out);
  // Replaces the file's text and keeps its mode, owner and links: a file
  // without other names gets a temporary copy that takes its place, a file
  // with hard links (or whose owner cannot be given to a new file) is
  // overwritten in place from a finished copy. On Windows the copy takes
  // the file's place through ReplaceFile, which keeps its attributes, owner
  // and access rights. A read-only file is left alone; a file deleted or
  // replaced since it was read is not written.
  static Rewrite rewriteSource(const SourceFile& file, const std::string& text);

  // The temporary files of this program that a stopped run left in `folder`
  // (and, with `tree`, below it; links to folders are not followed):
  // "<name>.ruvotmp-<pid>" goes; "<name>.ruvodone-<pid>", a finished text
  // that was being written over <name> in place, is written over it again
  // and then goes. Files of a process that still runs are left alone.
  static void removeStaleTemps(const std::string& folder, bool tree);

  // Why the last writeFileAtomic that failed could not write its file.
  static const std::string& lastWriteError();

#ifdef _WIN32
  // A path in the ANSI code page as the system's wide calls take it. The
  // ANSI calls stop at MAX_PATH (260) characters, and a file's temporary
  // copy is longer than the file's own path; a long path is made absolute
  // and given the "\\?\" prefix, which lifts the limit.
  static std::wstring widePath(const std::string& path);
  // A name the system gives in UTF-16, in the ANSI code page.
  static std::string ansiName(const wchar_t* name);
#endif
};

// The full path of the running executable cut before its last "/".
std::string GetExeDir();
