#include "encoding/detect.h"

#include "support/gui.h"
#include "support/scratch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// Literals compile to code page 936, so this is GBK text as a file would hold it.
const std::string kGbkLines =
    "插件配置说明：这个文件保存服务器插件的全部设置，修改以后需要重新载入插件才能生效。\r\n"
    "数据库地址、端口和用户名都写在下面，请不要随便删除任何一行。\r\n"
    "如果启动时出现错误，请先检查日志文件，再联系管理员处理问题。\r\n";

// "插件配置说明：这个文件保存服务器插件的全部设置，修改以后需要重新载入插件才能生效。" in UTF-8.
const std::string kUtf8Line =
    "\xE6\x8F\x92\xE4\xBB\xB6\xE9\x85\x8D\xE7\xBD\xAE\xE8\xAF\xB4\xE6\x98\x8E\xEF\xBC\x9A\xE8\xBF"
    "\x99\xE4\xB8\xAA\xE6\x96\x87\xE4\xBB\xB6\xE4\xBF\x9D\xE5\xAD\x98\xE6\x9C\x8D\xE5\x8A\xA1\xE5"
    "\x99\xA8\xE6\x8F\x92\xE4\xBB\xB6\xE7\x9A\x84\xE5\x85\xA8\xE9\x83\xA8\xE8\xAE\xBE\xE7\xBD\xAE"
    "\xEF\xBC\x8C\xE4\xBF\xAE\xE6\x94\xB9\xE4\xBB\xA5\xE5\x90\x8E\xE9\x9C\x80\xE8\xA6\x81\xE9\x87"
    "\x8D\xE6\x96\xB0\xE8\xBD\xBD\xE5\x85\xA5\xE6\x8F\x92\xE4\xBB\xB6\xE6\x89\x8D\xE8\x83\xBD\xE7"
    "\x94\x9F\xE6\x95\x88\xE3\x80\x82\r\n";

const std::string kAscii = "name: plugin\nversion: 1.2\nmain: org.example.Plugin\n";

Bytes AsBytes(const std::string &s) { return Bytes(s.begin(), s.end()); }

std::string Repeat(const std::string &s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

struct Sample {
  const char *what;
  std::string content;
  std::string label;
};

// Ordered so that every sample follows one of another kind: a handle kept between calls
// would let the earlier data pull the later label its way.
std::vector<Sample> Samples() {
  std::string binary;
  for (int i = 0; i < 1024; ++i) binary += static_cast<char>((i * 37 + i / 7) & 0xFF);
  return {
      {"GBK text", kGbkLines, "GB18030"},
      {"ASCII", kAscii, "ANSI"},
      {"UTF-8 text", Repeat(kUtf8Line, 3), "UTF-8"},
      {"empty", "", "未知"},
      {"UTF-8 with byte-order mark", "\xEF\xBB\xBF" + Repeat(kUtf8Line, 3), "UTF-8"},
      {"binary", binary, "未知"},
  };
}

} // namespace

// First in this program on purpose: the threads race for the first call, which binds the
// library, and then keep detecting side by side.
TEST(DetectCharset, ThreadsThatStartTogetherAllGetTheRightLabels) {
  const std::vector<Sample> samples = Samples();
  std::atomic<bool> go{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      while (!go.load()) std::this_thread::yield();
      for (int i = 0; i < 50; ++i) {
        const Sample &sample = samples[(t + i) % samples.size()];
        if (DetectCharset(AsBytes(sample.content)) != sample.label) ++wrong;
      }
    });
  }
  go = true;
  for (std::thread &thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

TEST(DetectCharset, LabelsRealContentThroughUchardet) {
  for (const Sample &sample : Samples()) {
    EXPECT_EQ(DetectCharset(AsBytes(sample.content)), sample.label) << sample.what;
  }
}

TEST(CharsetLabel, MapsOnlyExactAsciiAndMissingNames) {
  struct Case {
    const char *name;
    std::string label;
  } cases[] = {
      {"ASCII", "ANSI"},    {"ascii", "ascii"},     {"Ascii", "Ascii"},
      {"GBK", "GBK"},       {"GB18030", "GB18030"}, {"UTF-8", "UTF-8"},
      {"", "未知"},         {nullptr, "未知"},      {"WINDOWS-1252", "WINDOWS-1252"},
      {"ASCII ", "ASCII "},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(CharsetLabel(c.name), c.label) << (c.name ? c.name : "(null)");
  }
}

namespace {

struct FatalRun {
  bool boxFound = false;
  std::string title;
  std::string text;
  DWORD exitCode = STILL_ACTIVE;
};

// Starts the program, waits up to 10 s for its message box, reads and dismisses it.
FatalRun RunUntilFatalBox(const std::string &program, const std::string &currentFolder) {
  FatalRun run;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string commandLine = "\"" + program + "\"";
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      currentFolder.c_str(), &startup, &process)) {
    ADD_FAILURE() << "cannot start " << program << ", error " << GetLastError();
    return run;
  }
  HWND box = nullptr;
  PumpUntil(
      [&] {
        box = FindWindowOf(process.dwProcessId, "#32770", "");
        return box != nullptr || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
      },
      10000);
  if (box) {
    run.boxFound = true;
    PumpUntil([&] { return !(run.text = MessageBoxText(box)).empty(); }, 2000);
    run.title = WindowText(box);
    DismissMessageBox(box);
  }
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 5000);
  } else {
    GetExitCodeProcess(process.hProcess, &run.exitCode);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return run;
}

} // namespace

TEST(DetectCharset, LibraryWithoutOneFunctionEndsTheProgramWithABoxNamingIt) {
  FatalRun run = RunUntilFatalBox(
      TestProgramFolder() + "\\uchardet-without-delete\\detect_once.exe", TestProgramFolder());
  ASSERT_TRUE(run.boxFound);
  EXPECT_EQ(run.title, "Quorvel");
  EXPECT_NE(run.text.find("uchardet.dll"), std::string::npos) << run.text;
  EXPECT_NE(run.text.find("uchardet_delete"), std::string::npos) << run.text;
  EXPECT_NE(run.exitCode, 0u);
  EXPECT_NE(run.exitCode, static_cast<DWORD>(STILL_ACTIVE));
}

// Started with the test folder, which holds the real library, as current directory: only a
// load by bare name would find that one.
TEST(DetectCharset, MissingLibraryBesideTheProgramEndsItWithABox) {
  FatalRun run = RunUntilFatalBox(TestProgramFolder() + "\\uchardet-missing\\detect_once.exe",
                                  TestProgramFolder());
  ASSERT_TRUE(run.boxFound);
  EXPECT_EQ(run.text, "无法载入 uchardet.dll，程序将退出。");
  EXPECT_NE(run.exitCode, 0u);
  EXPECT_NE(run.exitCode, static_cast<DWORD>(STILL_ACTIVE));
}
