#include "files/file_io.h"

#include <windows.h>
#include <winternl.h>

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
// Near the path length limit it is only "." and four hex digits of the two, so that a file
// whose own path is just within the limit still gets one; a clash there is met by a retry.
Text TemporaryPath(const Text &folder, const Text &name) {
  unsigned long process = GetCurrentProcessId(), count = ++temporaryCounter;
  char unique[32];
  std::snprintf(unique, sizeof unique, "%lx-%lx", process, count);
  Text longName = "." + name + "." + unique + ".tmp";
  if (longName.size() <= kLongestName && folder.size() + longName.size() < MAX_PATH) {
    return folder + longName;
  }
  std::snprintf(unique, sizeof unique, ".%04lx", (process * 40503ul + count) & 0xFFFF);
  return folder + unique;
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
    // Only a file of the same name (a leftover, or a short name another process has) is
    // worth a retry, with the next name.
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// CON, PRN, AUX, NUL, COM1..COM9, LPT1..LPT9, CONIN$ and CONOUT$, with any suffix after a dot:
// the platform opens the device, not a file of that name.
bool IsDeviceName(const Text &name) {
  Text base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char &c : base) c = AsciiUpper(c);
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
      base == "CONOUT$") {
    return true;
  }
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

// Whether the platform's path rules would take path to some other file than the one it names:
// they trim a dot from the end of every name and a space from the end of the last one (so
// "a.yml " opens a.yml, and "d.\f.yml" opens d\f.yml), and a device name opens the device. Such
// names come from other systems (a folder walk lists them as they are); reading or writing
// through them would read or replace a different file.
bool NamesAnotherFile(const Text &path) {
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    bool end = i == path.size();
    if (!end && static_cast<unsigned char>(path[i]) >= 0x80) {
      ++i; // a trail byte is never a separator
      continue;
    }
    if (!end && path[i] != '\\' && path[i] != '/') continue;
    Text name = path.substr(start, i - start);
    start = i + 1;
    if (name.empty() || name == "." || name == ".." || name == "?") continue;
    if (name.size() == 2 && name[1] == ':') continue; // a drive
    if (name.back() == '.') return true;
    if (end && (name.back() == ' ' || IsDeviceName(name))) return true;
  }
  return false;
}

bool IsDiskFile(HANDLE file) { return GetFileType(file) == FILE_TYPE_DISK; }

// The number of the file behind an open handle. It is asked of the file system directly: the
// kernel32 calls that give it also look up the volume, which costs a round trip to the
// mount manager under Wine for every file.
FileNumber NumberOfOpenFile(HANDLE file) {
  constexpr auto kFileInternalInformation = static_cast<FILE_INFORMATION_CLASS>(6);
  LARGE_INTEGER number{};
  IO_STATUS_BLOCK status{};
  if (!NT_SUCCESS(NtQueryInformationFile(file, &status, &number, sizeof number,
                                         kFileInternalInformation))) {
    return 0;
  }
  return static_cast<FileNumber>(number.QuadPart);
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
  bool diskFile = IsDiskFile(probe);
  CloseHandle(probe);
  if (!diskFile) return false;
  keptAttributes = attributes & kKeptAttributes;
  return true;
}

bool WriteAllAndClose(HANDLE file, const Bytes &data, FileNumber *number) {
  bool ok = true;
  if (!data.empty()) {
    DWORD written = 0;
    ok = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
         written == data.size();
  }
  ok = ok && FlushFileBuffers(file);
  if (ok && number) *number = NumberOfOpenFile(file); // a rename keeps the file's number
  return CloseHandle(file) && ok;
}

} // namespace

bool TryReadWholeFile(const Text &path, Bytes &content, FileNumber *number) {
  content.clear();
  if (path.empty() || NamesAnotherFile(path)) return false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = false;
  LARGE_INTEGER size;
  if (IsDiskFile(file) && GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
      size.QuadPart <= INT_MAX) {
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
  if (ok && number) *number = NumberOfOpenFile(file);
  CloseHandle(file);
  if (!ok) Bytes().swap(content);
  return ok;
}

Bytes ReadWholeFile(const Text &path) {
  Bytes content;
  TryReadWholeFile(path, content);
  return content;
}

bool WriteWholeFile(const Text &path, const Bytes &data, FileNumber *writtenNumber) {
  size_t folderLength = FolderPartLength(path);
  if (folderLength == path.size()) return false; // empty, or no file name after the folder
  if (data.size() > static_cast<size_t>(INT_MAX) || NamesAnotherFile(path)) return false;
  DWORD keptAttributes = 0;
  if (!MayReplace(path, keptAttributes)) return false;

  Text temporary;
  HANDLE file =
      CreateTemporaryFile(path.substr(0, folderLength), path.substr(folderLength),
                          keptAttributes ? keptAttributes : FILE_ATTRIBUTE_NORMAL, temporary);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (WriteAllAndClose(file, data, writtenNumber) &&
      MoveFileExA(temporary.c_str(), path.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DeleteFileA(temporary.c_str());
  return false;
}

Text FileIdentity(const Text &path) {
  HANDLE file = NamesAnotherFile(path)
                    ? INVALID_HANDLE_VALUE
                    : CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  BY_HANDLE_FILE_INFORMATION information;
  bool known = file != INVALID_HANDLE_VALUE && IsDiskFile(file) &&
               GetFileInformationByHandle(file, &information);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!known) return "?" + path; // no file number starts with "?"
  char identity[48];
  std::snprintf(identity, sizeof identity, "%lx:%lx:%lx", information.dwVolumeSerialNumber,
                information.nFileIndexHigh, information.nFileIndexLow);
  return identity;
}

void RemoveFile(const Text &path) {
  if (!NamesAnotherFile(path)) DeleteFileA(path.c_str());
}

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
