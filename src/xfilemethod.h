// Path, folder and whole-file helpers.
//
// Paths inside the compiler use "/" as separator. Every file-system error is
// caught here and turned into the function's neutral result (0, false, an
// empty string or nothing done); no exception leaves these functions.
#pragma once

#include <cstdint>
#include <string>
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
  static bool dirMatching(const char* prefix, const char* path, const char* suffix);
  // Appends the files under `folder` whose path ends with `pattern`, each
  // folder's entries sorted bytewise, subfolders listed while depth > 0.
  static int dir(const char* folder, const char* pattern, std::vector<std::string>& out, int depth);

  // Writes `size` bytes to `path` whole: a temporary file beside it, then a
  // rename. Missing folders are created. False when the file cannot be written.
  static bool writeFileAtomic(const std::string& path, const char* data, size_t size);
};

// The full path of the running executable cut before its last "/".
std::string GetExeDir();
