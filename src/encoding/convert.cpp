#include "encoding/convert.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace {

constexpr UINT kGbk = 936;
constexpr UINT kUtf8 = 65001;

// A zero-filled buffer of n bytes.
Bytes ZeroBytes(int n) { return Bytes(n > 0 ? static_cast<size_t>(n) : 0, '\0'); }

const wchar_t *Units(const Bytes &buffer) {
  return reinterpret_cast<const wchar_t *>(buffer.data());
}

wchar_t *Units(Bytes &buffer) { return reinterpret_cast<wchar_t *>(buffer.data()); }

bool HoldsZeroByte(const Bytes &content) {
  return std::find(content.begin(), content.end(), '\0') != content.end();
}

// UTF-16 of bytes in a code page, or empty when the platform refuses them.
std::wstring Widen(UINT codePage, DWORD flags, const char *bytes, int count) {
  int units = MultiByteToWideChar(codePage, flags, bytes, count, nullptr, 0);
  if (units <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(units), L'\0');
  if (MultiByteToWideChar(codePage, flags, bytes, count, wide.data(), units) != units) {
    return std::wstring();
  }
  return wide;
}

// Bytes in a code page of UTF-16; usedDefault (when given) tells whether a character had no
// form there. Empty when the platform refuses the units.
Bytes Narrow(UINT codePage, DWORD flags, const std::wstring &wide, BOOL *usedDefault) {
  int count = static_cast<int>(wide.size());
  int size =
      WideCharToMultiByte(codePage, flags, wide.data(), count, nullptr, 0, nullptr, usedDefault);
  if (size <= 0) return Bytes();
  Bytes bytes = ZeroBytes(size);
  BOOL defaulted = FALSE;
  if (WideCharToMultiByte(codePage, flags, wide.data(), count, bytes.data(), size, nullptr,
                          usedDefault ? &defaulted : nullptr) != size) {
    return Bytes();
  }
  if (usedDefault) *usedDefault = *usedDefault || defaulted;
  return bytes;
}

} // namespace

Bytes TextToUtf16(const Text &text) {
  int units = MultiByteToWideChar(kGbk, 0, text.c_str(), -1, nullptr, 0);
  if (units <= 0) return Bytes();
  Bytes buffer = ZeroBytes(2 * units);
  MultiByteToWideChar(kGbk, 0, text.c_str(), -1, Units(buffer), units);
  return buffer;
}

void *WideToMultiByte(const wchar_t *units, int count, unsigned codePage, int &size) {
  size = 0;
  size = WideCharToMultiByte(codePage, 0, units, count, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return nullptr;
  void *block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, static_cast<SIZE_T>(size));
  if (!block) return nullptr;
  WideCharToMultiByte(codePage, 0, units, count, static_cast<char *>(block), size, nullptr,
                      nullptr);
  return block;
}

Bytes Utf16ToUtf8(const Bytes &units) {
  // The units before the first zero unit, never past the buffer's end.
  const wchar_t *wide = Units(units);
  int limit = static_cast<int>(units.size() / 2);
  int count = 0;
  while (count < limit && wide[count] != L'\0') ++count;
  if (count == 0) return Bytes();
  int size = 0;
  void *block = WideToMultiByte(wide, count, kUtf8, size);
  // Without the intermediate block there is nothing to copy: the result is empty, the one
  // answer a caller that cannot see failures still handles as "no content".
  if (!block) return Bytes();
  Bytes utf8 = ZeroBytes(size);
  RtlMoveMemory(utf8.data(), block, static_cast<SIZE_T>(size));
  HeapFree(GetProcessHeap(), 0, block);
  return utf8;
}

Bytes GbkToUtf8(const Text &text) {
  if (text.empty()) return Bytes();
  return Utf16ToUtf8(TextToUtf16(text));
}

Text Utf8ToGbk(const Bytes &data) {
  if (data.empty()) return Text();
  int byteCount = static_cast<int>(data.size());
  int units = MultiByteToWideChar(kUtf8, 0, data.data(), byteCount, nullptr, 0);
  if (units <= 0) return Text();
  Bytes buffer = ZeroBytes(2 * units + 2);
  MultiByteToWideChar(kUtf8, 0, data.data(), byteCount, Units(buffer), units);
  // The characters and the final zero unit, which becomes the text's final zero byte.
  int withZero = static_cast<int>(buffer.size() / 2);
  int size = WideCharToMultiByte(kGbk, 0, Units(buffer), withZero, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return Text();
  Text gbk(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(kGbk, 0, Units(buffer), withZero, gbk.data(), size, nullptr, nullptr);
  return Text(gbk.c_str()); // up to the first zero byte
}

bool StrictGbkToUtf8(const Bytes &content, Bytes &utf8) {
  utf8.clear();
  if (HoldsZeroByte(content)) return false;
  if (content.empty()) return true;
  int byteCount = static_cast<int>(content.size());
  std::wstring wide = Widen(kGbk, MB_ERR_INVALID_CHARS, content.data(), byteCount);
  if (wide.empty()) return false;
  // A code that decodes but does not come back as the same bytes is not plain code page 936.
  if (Narrow(kGbk, 0, wide, nullptr) != content) return false;
  Bytes converted = Narrow(kUtf8, WC_ERR_INVALID_CHARS, wide, nullptr);
  if (converted.empty()) return false;
  utf8 = std::move(converted);
  return true;
}

bool StrictUtf8ToGbk(const Bytes &content, Bytes &gbk) {
  gbk.clear();
  if (HoldsZeroByte(content)) return false;
  size_t start = 0;
  if (content.size() >= 3 && std::memcmp(content.data(), "\xEF\xBB\xBF", 3) == 0) start = 3;
  const char *bytes = content.data() + start;
  size_t size = content.size() - start;
  if (size == 0) return true;
  // The platform's decoder refuses truncated and overlong sequences, encoded surrogates and
  // bytes that never occur in UTF-8 under this flag.
  std::wstring wide = Widen(kUtf8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(size));
  if (wide.empty()) return false;
  BOOL usedDefault = FALSE;
  Bytes converted = Narrow(kGbk, WC_NO_BEST_FIT_CHARS, wide, &usedDefault);
  if (converted.empty() || usedDefault) return false;
  int convertedCount = static_cast<int>(converted.size());
  if (Widen(kGbk, MB_ERR_INVALID_CHARS, converted.data(), convertedCount) != wide) return false;
  gbk = std::move(converted);
  return true;
}
