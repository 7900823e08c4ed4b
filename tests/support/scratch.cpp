#include "support/scratch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

std::string WinePath(const std::string &unixPath) {
  std::string out = "Z:";
  for (char c : unixPath) out += (c == '/') ? '\\' : c;
  return out;
}

std::string TestProgramFolder() {
  char buffer[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  std::string path = buffer;
  return path.substr(0, path.find_last_of('\\'));
}

namespace {

void RemoveTree(const std::string &folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTree(path);
      } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryA(path.c_str());
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

void MakeFolders(const std::string &path) {
  for (size_t i = 3; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (c >= 0x80) {
      ++i; // a trail byte of 0x5C is no separator
      continue;
    }
    if (c == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
  CreateDirectoryA(path.c_str(), nullptr);
}

std::string ParentOf(const std::string &path) {
  size_t cut = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (c >= 0x80) {
      ++i;
      continue;
    }
    if (c == '\\') cut = i;
  }
  return path.substr(0, cut);
}

} // namespace

std::string FreshScratchFolder(const std::string &name) {
  const char *build = std::getenv("QUORVEL_BUILD_DIR");
  std::string root = build ? WinePath(build) + "\\test-scratch" : TestProgramFolder() + "\\scratch";
  std::string folder = root + "\\" + name;
  RemoveTree(folder);
  MakeFolders(folder);
  return folder;
}

void PutFile(const std::string &path, const std::string &bytes) {
  MakeFolders(ParentOf(path));
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size()) << path;
}

std::string GetFile(const std::string &path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string out;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  CloseHandle(file);
  return out;
}

bool PathExists(const std::string &path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
