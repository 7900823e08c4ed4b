#include "reference_conversion.h"

#include <windows.h>

namespace {

std::optional<std::wstring> Decode(UINT codePage, const std::string &bytes) {
  int count = static_cast<int>(bytes.size());
  int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), count, nullptr, 0);
  if (units <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), count, wide.data(), units);
  return wide;
}

std::optional<std::string> Encode(UINT codePage, const std::wstring &wide) {
  int count = static_cast<int>(wide.size());
  BOOL defaulted = FALSE;
  BOOL *usedDefault = codePage == CP_UTF8 ? nullptr : &defaulted;
  DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  int size =
      WideCharToMultiByte(codePage, flags, wide.data(), count, nullptr, 0, nullptr, usedDefault);
  if (size <= 0 || defaulted) return std::nullopt;
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), count, bytes.data(), size, nullptr,
                      usedDefault);
  if (defaulted) return std::nullopt;
  return bytes;
}

} // namespace

std::optional<std::string> ReferenceGbkToUtf8(const std::string &gbk) {
  if (gbk.find('\0') != std::string::npos) return std::nullopt;
  if (gbk.empty()) return std::string();
  std::optional<std::wstring> wide = Decode(936, gbk);
  if (!wide) return std::nullopt;
  std::optional<std::string> back = Encode(936, *wide);
  if (!back || *back != gbk) return std::nullopt;
  return Encode(CP_UTF8, *wide);
}

std::optional<std::string> ReferenceUtf8ToGbk(const std::string &utf8) {
  if (utf8.find('\0') != std::string::npos) return std::nullopt;
  std::string body = utf8.rfind("\xEF\xBB\xBF", 0) == 0 ? utf8.substr(3) : utf8;
  if (body.empty()) return std::string();
  std::optional<std::wstring> wide = Decode(CP_UTF8, body);
  if (!wide) return std::nullopt;
  std::optional<std::string> gbk = Encode(936, *wide);
  if (!gbk) return std::nullopt;
  std::optional<std::wstring> again = Decode(936, *gbk);
  if (!again || *again != *wide) return std::nullopt;
  return gbk;
}
