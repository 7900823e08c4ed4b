#include "files/file_io.h"

#include <windows.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <new>

namespace {

// Attributes of a replaced file that its new content keeps.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr size_t kLongestName = 255; // one path component

std::atomic<unsigned long> temporaryCounter{0};

// The length of the folder part of path, separator included: everything up to the last "\"
// or "/" that is a character of its own (a trail byte of 0x5C belongs to its character), or
// the drive of a drive-relative path ("C:name").
size_t FolderPartLength(const Text &path) {
  size_t cut = path.size() >= 2 && path[1] == ':' ? 2 : 0;
  for (size_t i = 0; i < path.size(); ++i) {
    char c = path[i];
    if (static_cast<unsigned char>(c) >= 0x80) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/') cut = i + 1;
  }
  return cut;
}

// A name for a new temporary file beside the target: hidden from every folder walk by its
// leading ".", unique in this process by the counter and across processes by the process id.
// Near the path length limit it drops the target's name and the ".tmp".
Text TemporaryPath(const Text &folder, const Text &name) {
  char unique[32];
  std::snprintf(unique, sizeof unique, "%lx-%lx", GetCurrentProcessId(), ++temporaryCounter);
  Text longName = "." + name + "." + unique + ".tmp";
  if (longName.size() <= kLongestName && folder.size() + longName.size() < MAX_PATH) {
    return folder + longName;
  }
  return folder + "." + unique;
}

// Creates a new temporary file beside the target, shared with nobody. Gives
// INVALID_HANDLE_VALUE when none can be made (the folder is missing, access is denied, ...).
HANDLE CreateTemporaryFile(const Text &folder, const Text &name, DWORD attributes, Text &path) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    path = TemporaryPath(folder, name);
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    DWORD error = GetLastError();
    // Only a leftover of the same name (from an ended process with our id) is worth a retry.
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

// Whether the target may be replaced, and the attributes its new content keeps. A missing
// file may be created; an existing one must be a file that is not read-only and that nobody
// else holds open (the probe opens it for writing, shared with nobody, and closes it at once).
bool MayReplace(const Text &path, DWORD &keptAttributes) {
  keptAttributes = 0;
  // The attributes come from the path: asking the probe's handle costs far more under Wine.
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
  // Wine lets root open and replace a read-only file; the attribute decides here.
  if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
  HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  CloseHandle(probe);
  keptAttributes = attributes & kKeptAttributes;
  return true;
}

bool WriteAllAndClose(HANDLE file, const Bytes &data) {
  bool ok = true;
  if (!data.empty()) {
    DWORD written = 0;
    ok = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
         written == data.size();
  }
  ok = ok && FlushFileBuffers(file);
  return CloseHandle(file) && ok;
}

} // namespace

bool TryReadWholeFile(const Text &path, Bytes &content) {
  content.clear();
  if (path.empty()) return false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = false;
  LARGE_INTEGER size;
  if (GetFileSizeEx(file, &size) && size.QuadPart >= 0 && size.QuadPart <= INT_MAX) {
    if (size.QuadPart == 0) {
      ok = true;
    } else {
      try {
        content.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &got, nullptr) &&
             got == content.size();
      } catch (const std::bad_alloc &) {
        ok = false;
      }
    }
  }
  CloseHandle(file);
  if (!ok) Bytes().swap(content);
  return ok;
}

Bytes ReadWholeFile(const Text &path) {
  Bytes content;
  TryReadWholeFile(path, content);
  return content;
}

bool WriteWholeFile(const Text &path, const Bytes &data) {
  size_t folderLength = FolderPartLength(path);
  if (folderLength == path.size()) return false; // empty, or no file name after the folder
  if (data.size() > static_cast<size_t>(INT_MAX)) return false;
  DWORD keptAttributes = 0;
  if (!MayReplace(path, keptAttributes)) return false;

  Text temporary;
  HANDLE file =
      CreateTemporaryFile(path.substr(0, folderLength), path.substr(folderLength),
                          keptAttributes ? keptAttributes : FILE_ATTRIBUTE_NORMAL, temporary);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (WriteAllAndClose(file, data) &&
      MoveFileExA(temporary.c_str(), path.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DeleteFileA(temporary.c_str());
  return false;
}

void RemoveFile(const Text &path) { DeleteFileA(path.c_str()); }

bool FileExists(const Text &path) {
  if (path.empty()) return false;
  // Exactly this path: a wildcard would let the search find some other entry.
  for (size_t i = 0; i < path.size(); ++i) {
    char c = path[i];
    if (static_cast<unsigned char>(c) >= 0x80) {
      ++i;
      continue;
    }
    if (c == '*' || c == '?' || c == '<' || c == '>' || c == '"') return false;
  }
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}
