#include "reliability_table.h"

#include "tree_snapshot.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

// A table cell: no line breaks, and "|" escaped.
std::string Cell(const std::string &text) {
  std::string cell;
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      cell += ' ';
    } else if (c == '|') {
      cell += "\\|";
    } else {
      cell += c;
    }
  }
  return cell;
}

std::string Folder() {
  const char *build = std::getenv("QUORVEL_BUILD_DIR");
  std::string folder = "Z:";
  for (const char *c = build ? build : ""; *c; ++c) folder += *c == '/' ? '\\' : *c;
  return folder + "\\reliability";
}

void Write(const std::string &path, const std::string &text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// Every row written so far, by file name (which sorts in the table's order).
std::map<std::string, std::string> ReadRows(const std::string &rows) {
  std::map<std::string, std::string> found;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((rows + "\\*.md").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return found;
  do {
    std::optional<std::string> text = ReadExactly(Wide(rows + "\\" + data.cFileName));
    if (text) found[data.cFileName] = *text;
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return found;
}

} // namespace

void WriteReliabilityRow(int order, const std::string &scenario, const std::string &files,
                         const std::string &outcome, long long bytesLost) {
  std::string folder = Folder();
  std::string rows = folder + "\\rows";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA(rows.c_str(), nullptr);
  char name[32];
  std::snprintf(name, sizeof name, "%02d.md", order);
  Write(rows + "\\" + name, "| " + Readable(Cell(scenario)) + " | " + Readable(Cell(files)) +
                                " | " + Readable(Cell(outcome)) +
                                " | bytes lost: " + std::to_string(bytesLost) + " |\n");
  std::string table = "| Scenario | Files | Outcome | Bytes lost |\n|---|---|---|---|\n";
  for (const auto &[file, row] : ReadRows(rows)) table += row;
  Write(folder + "\\table.md", table);
}
