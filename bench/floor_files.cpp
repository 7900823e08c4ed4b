// The file work that no transcode run to UTF-8 can do without, timed under the same Wine: walk
// the plugin tree with one listing per folder, read every file with a listed extension once,
// and write back, through the program's own safe write, exactly the files that such a run
// rewrites (the code page 936 files the corpus generator listed). The bytes written are the
// bytes read: the conversion itself is the program's work, not the floor's.
//
//   floor_files FOLDER FILES_TXT     (FILES_TXT: "kind<TAB>relative path" lines, code page 936)
//
// Prints elapsed_ms, files (read) and written as key=value lines.

#include "files/file_io.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unordered_set>

namespace {

const char *const kExtensions[] = {"yml", "txt", "json", "lang"};

bool HasListedExtension(const std::string &name) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string extension = name.substr(dot + 1);
  for (const char *listed : kExtensions) {
    if (lstrcmpiA(extension.c_str(), listed) == 0) return true;
  }
  return false;
}

std::unordered_set<std::string> FilesToRewrite(const std::string &folder, const char *listPath) {
  std::unordered_set<std::string> paths;
  std::ifstream list(listPath, std::ios::binary);
  std::string line;
  while (std::getline(list, line)) {
    size_t tab = line.find('\t');
    if (tab != std::string::npos && line.compare(0, tab, "gbk") == 0) {
      paths.insert(folder + "\\" + line.substr(tab + 1));
    }
  }
  return paths;
}

struct Totals {
  int files = 0;
  int written = 0;
};

void Walk(const std::string &folder, const std::unordered_set<std::string> &rewrite,
          Totals &totals) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  std::string name;
  do {
    name = entry.cFileName;
    if (name[0] == '.') continue;
    std::string path = folder + "\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) Walk(path, rewrite, totals);
      continue;
    }
    if (!HasListedExtension(name)) continue;
    Bytes content;
    TryReadWholeFile(path, content);
    ++totals.files;
    if (rewrite.count(path) && WriteWholeFile(path, content)) ++totals.written;
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}

double Milliseconds(const LARGE_INTEGER &from, const LARGE_INTEGER &to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: floor_files FOLDER FILES_TXT\n");
    return 2;
  }
  std::string folder = argv[1];
  std::unordered_set<std::string> rewrite = FilesToRewrite(folder, argv[2]);
  Totals totals;
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  Walk(folder, rewrite, totals);
  QueryPerformanceCounter(&end);
  std::printf("elapsed_ms=%.1f\nfiles=%d\nwritten=%d\n", Milliseconds(start, end), totals.files,
              totals.written);
  return totals.written == static_cast<int>(rewrite.size()) ? 0 : 1;
}
