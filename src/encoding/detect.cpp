#include "encoding/detect.h"

#include "files/program_folder.h"

#include <windows.h>

#include <cstddef>

namespace {

using UchardetNew = void *(*)();
using UchardetHandleData = int (*)(void *, const char *, size_t);
using UchardetDataEnd = void (*)(void *);
using UchardetGetCharset = const char *(*)(void *);
using UchardetDelete = void (*)(void *);

struct Uchardet {
  UchardetNew create;
  UchardetHandleData handleData;
  UchardetDataEnd dataEnd;
  UchardetGetCharset getCharset;
  UchardetDelete destroy;
};

[[noreturn]] void FatalBindError(const Text &message) {
  MessageBoxA(nullptr, message.c_str(), "Quorvel", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  ExitProcess(3);
}

template <typename Fn> Fn BindFunction(HMODULE library, const char *name) {
  FARPROC address = GetProcAddress(library, name);
  if (!address) {
    FatalBindError(Text("无法从 uchardet.dll 取得函数 ") + name + "，程序将退出。");
  }
  return reinterpret_cast<Fn>(reinterpret_cast<void *>(address));
}

// Loaded from the program's own folder only: a bare name would also search the current
// directory and PATH, where any file called uchardet.dll could be picked up instead.
Uchardet LoadUchardet() {
  Text path = ProgramFolder() + "\\uchardet.dll";
  HMODULE library = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!library) FatalBindError("无法载入 uchardet.dll，程序将退出。");
  Uchardet api;
  api.create = BindFunction<UchardetNew>(library, "uchardet_new");
  api.handleData = BindFunction<UchardetHandleData>(library, "uchardet_handle_data");
  api.dataEnd = BindFunction<UchardetDataEnd>(library, "uchardet_data_end");
  api.getCharset = BindFunction<UchardetGetCharset>(library, "uchardet_get_charset");
  api.destroy = BindFunction<UchardetDelete>(library, "uchardet_delete");
  return api;
}

// Bound at the first call; the library then stays loaded until the program ends.
const Uchardet &BoundUchardet() {
  static const Uchardet api = LoadUchardet();
  return api;
}

} // namespace

Text CharsetLabel(const char *name) {
  Text label = name ? name : "";
  if (label == "ASCII") return "ANSI";
  if (label.empty()) return "未知";
  return label;
}

Text DetectCharset(const Bytes &content) {
  const Uchardet &uchardet = BoundUchardet();
  void *handle = uchardet.create();
  if (!handle) return CharsetLabel(nullptr);
  if (content.empty()) {
    uchardet.handleData(handle, nullptr, 0);
  } else {
    uchardet.handleData(handle, content.data(), content.size());
  }
  uchardet.dataEnd(handle);
  const char *charset = uchardet.getCharset(handle);
  Text name = charset ? charset : ""; // the name belongs to the handle
  uchardet.destroy(handle);
  return CharsetLabel(name.c_str());
}
