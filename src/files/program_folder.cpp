#include "files/program_folder.h"

#include <windows.h>

Text ProgramFolder() {
  Text path(MAX_PATH, '\0');
  for (;;) {
    DWORD got = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (got == 0) return Text();
    if (got < path.size()) {
      path.resize(got);
      break;
    }
    path.resize(path.size() * 2);
  }
  // Everything before the last backslash; a trail byte of 0x5C is part of its character.
  size_t cut = Text::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (static_cast<unsigned char>(path[i]) >= 0x80) {
      ++i;
      continue;
    }
    if (path[i] == '\\') cut = i;
  }
  return cut == Text::npos ? Text() : path.substr(0, cut);
}
