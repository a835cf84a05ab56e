/* A stand-in for the programs RuvoJS.exe starts (Chrome, a post-build
   command): it appends its command line, its arguments one per line and
   its working folder to "<its own path>.args.txt" and ends. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

int main(int argc, char** argv) {
  char path[MAX_PATH + 16] = {0};
  GetModuleFileNameA(NULL, path, MAX_PATH);
  strcat(path, ".args.txt");
  char folder[MAX_PATH + 1] = {0};
  GetCurrentDirectoryA(MAX_PATH, folder);
  FILE* record = fopen(path, "ab");
  if (!record) return 1;
  fprintf(record, "cmdline=%s\n", GetCommandLineA());
  for (int i = 1; i < argc; ++i) fprintf(record, "arg%d=%s\n", i, argv[i]);
  fprintf(record, "cwd=%s\nend\n", folder);
  fclose(record);
  return 0;
}
