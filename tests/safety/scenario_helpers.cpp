#include "scenario_helpers.h"

#include "support/samples.h"
#include "support/scratch.h"

#include <windows.h>

#include <cstdlib>

std::string GbkText(const std::string &tag) { return GbkSample() + "# " + tag + "\r\n"; }

std::string Utf8Text(const std::string &tag) { return Utf8Sample() + "# " + tag + "\r\n"; }

std::string NativeScratch(const std::string &relative) {
  const char *build = std::getenv("QUORVEL_BUILD_DIR");
  return WinePath(build ? build : "") + "\\test-scratch\\" + relative;
}

std::string NativeStatus(const std::string &relative) {
  std::string text = GetFile(NativeScratch(relative));
  if (text == "<missing>") return {};
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

long long FillVolume(const std::string &filler, long long slack) {
  HANDLE file = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  SetFilePointer(file, 0, nullptr, FILE_END);
  static const std::string block(4096, 'f');
  DWORD written = 0;
  while (WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) &&
         written == block.size()) {
  }
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  LARGE_INTEGER cut{};
  cut.QuadPart = size.QuadPart > slack ? size.QuadPart - slack : 0;
  SetFilePointerEx(file, cut, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  CloseHandle(file);
  return cut.QuadPart;
}

long long FreeBytes(const std::string &folder) {
  ULARGE_INTEGER free{}, total{}, totalFree{};
  if (!GetDiskFreeSpaceExA((folder + "\\").c_str(), &free, &total, &totalFree)) return -1;
  return static_cast<long long>(free.QuadPart);
}
