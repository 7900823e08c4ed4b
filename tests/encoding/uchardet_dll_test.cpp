#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using NewFn = void *(*)();
using HandleDataFn = int (*)(void *, const char *, size_t);
using DataEndFn = void (*)(void *);
using GetCharsetFn = const char *(*)(void *);
using DeleteFn = void (*)(void *);

template <typename Fn> Fn Bind(HMODULE dll, const char *name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(dll, name)));
}

std::string Detect(HMODULE dll, const std::string &data) {
  auto create = Bind<NewFn>(dll, "uchardet_new");
  auto feed = Bind<HandleDataFn>(dll, "uchardet_handle_data");
  auto end = Bind<DataEndFn>(dll, "uchardet_data_end");
  auto charset = Bind<GetCharsetFn>(dll, "uchardet_get_charset");
  auto destroy = Bind<DeleteFn>(dll, "uchardet_delete");
  void *handle = create();
  feed(handle, data.data(), data.size());
  end(handle);
  std::string name = charset(handle) ? charset(handle) : "";
  destroy(handle);
  return name;
}

// "配置文件的中文说明，服务器插件使用。" repeated, in GBK and in UTF-8.
const std::string kGbkLine = "\xC5\xE4\xD6\xC3\xCE\xC4\xBC\xFE\xB5\xC4\xD6\xD0\xCE\xC4\xCB\xB5"
                             "\xC3\xF7\xA3\xAC\xB7\xFE\xCE\xF1\xC6\xF7\xB2\xE5\xBC\xFE\xCA\xB9"
                             "\xD3\xC3\xA1\xA3\r\n";
const std::string kUtf8Line = "\xE9\x85\x8D\xE7\xBD\xAE\xE6\x96\x87\xE4\xBB\xB6\xE7\x9A\x84\xE4"
                              "\xB8\xAD\xE6\x96\x87\xE8\xAF\xB4\xE6\x98\x8E\xEF\xBC\x8C\xE6\x9C"
                              "\x8D\xE5\x8A\xA1\xE5\x99\xA8\xE6\x8F\x92\xE4\xBB\xB6\xE4\xBD\xBF"
                              "\xE7\x94\xA8\xE3\x80\x82\r\n";

std::string Repeat(const std::string &s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

} // namespace

TEST(UchardetDll, LoadsBesideTheProgramAndExportsItsFiveFunctions) {
  HMODULE dll = LoadLibraryA("uchardet.dll");
  ASSERT_NE(dll, nullptr);
  for (const char *name : {"uchardet_new", "uchardet_handle_data", "uchardet_data_end",
                           "uchardet_get_charset", "uchardet_delete"}) {
    EXPECT_NE(GetProcAddress(dll, name), nullptr) << name;
  }
}

TEST(UchardetDll, NamesGbkUtf8AndAsciiSamples) {
  HMODULE dll = LoadLibraryA("uchardet.dll");
  ASSERT_NE(dll, nullptr);
  EXPECT_EQ(Detect(dll, Repeat(kGbkLine, 8)).substr(0, 2), "GB");
  EXPECT_EQ(Detect(dll, Repeat(kUtf8Line, 8)), "UTF-8");
  EXPECT_EQ(Detect(dll, "name: plugin\nversion: 1.2\n"), "ASCII");
}
