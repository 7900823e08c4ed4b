#include "tree_snapshot.h"

#include <functional>

namespace {

// The form that reaches any path: no length limit, no device names, no trimming of dots.
std::wstring Verbatim(const std::wstring &path) {
  if (path.rfind(L"\\\\", 0) == 0) return path;
  return L"\\\\?\\" + path;
}

void Visit(const std::wstring &folder,
           const std::function<void(const std::wstring &, const WIN32_FIND_DATAW &)> &file) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(Verbatim(folder + L"\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring path = folder + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) Visit(path, file);
    } else {
      file(path, data);
    }
  } while (FindNextFileW(search, &data));
  FindClose(search);
}

} // namespace

std::wstring Wide(const std::string &gbk) {
  if (gbk.empty()) return {};
  int units = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(), units);
  return wide;
}

std::string Narrow(const std::wstring &wide) {
  if (wide.empty()) return {};
  int count = static_cast<int>(wide.size());
  int size = WideCharToMultiByte(936, 0, wide.data(), count, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(936, 0, wide.data(), count, text.data(), size, nullptr, nullptr);
  return text;
}

std::string Readable(const std::string &gbk) {
  std::wstring wide = Wide(gbk);
  if (wide.empty()) return {};
  int count = static_cast<int>(wide.size());
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::wstring NameOf(const std::wstring &path) {
  size_t cut = path.find_last_of(L'\\');
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

bool NameStartsWithDot(const std::wstring &path) {
  size_t cut = path.find_last_of(L'\\');
  size_t start = cut == std::wstring::npos ? 0 : cut + 1;
  return start < path.size() && path[start] == L'.';
}

std::optional<std::string> ReadExactly(const std::wstring &path, std::string *identity) {
  HANDLE file = CreateFileW(Verbatim(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  if (GetFileType(file) != FILE_TYPE_DISK) { // a pipe (a Unix FIFO) would never end
    CloseHandle(file);
    return std::nullopt;
  }
  BY_HANDLE_FILE_INFORMATION information;
  if (identity && GetFileInformationByHandle(file, &information)) {
    *identity = std::to_string(information.dwVolumeSerialNumber) + ":" +
                std::to_string(information.nFileIndexHigh) + ":" +
                std::to_string(information.nFileIndexLow);
  }
  std::string content;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size)) content.reserve(static_cast<size_t>(size.QuadPart));
  char buffer[1 << 16];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) {
    content.append(buffer, got);
  }
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return content;
}

bool WriteExactly(const std::wstring &path, const std::string &bytes) {
  SetFileAttributesW(Verbatim(path).c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE file = CreateFileW(Verbatim(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = bytes.empty() ||
            (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
             written == bytes.size());
  return CloseHandle(file) && ok;
}

bool RemoveExactly(const std::wstring &path) {
  SetFileAttributesW(Verbatim(path).c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(Verbatim(path).c_str()) != 0;
}

Snapshot TakeSnapshot(const std::wstring &root) {
  Snapshot snapshot;
  Visit(root, [&](const std::wstring &path, const WIN32_FIND_DATAW &data) {
    FileState state;
    state.attributes = data.dwFileAttributes;
    std::optional<std::string> bytes = ReadExactly(path, &state.identity);
    state.readable = bytes.has_value();
    if (bytes) state.bytes = std::move(*bytes);
    snapshot[path] = std::move(state);
  });
  return snapshot;
}

std::map<std::wstring, ULONGLONG> ListSizes(const std::wstring &root) {
  std::map<std::wstring, ULONGLONG> sizes;
  Visit(root, [&](const std::wstring &path, const WIN32_FIND_DATAW &data) {
    sizes[path] = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  });
  return sizes;
}
