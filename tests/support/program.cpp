#include "support/program.h"

#include "support/gui.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>

std::string BuiltProgramPath() {
  const char *build = std::getenv("QUORVEL_BUILD_DIR");
  return WinePath(build ? build : "") + "\\out\\Quorvel.exe";
}

StartedProgram StartProgramIn(const std::string &folder, bool withLibrary,
                              const std::string &currentDirectory) {
  StartedProgram program;
  std::string exe = folder + "\\Quorvel.exe";
  if (!CopyFileA(BuiltProgramPath().c_str(), exe.c_str(), FALSE)) return program;
  if (withLibrary) {
    std::string dll = TestProgramFolder() + "\\uchardet.dll";
    if (!CopyFileA(dll.c_str(), (folder + "\\uchardet.dll").c_str(), FALSE)) return program;
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  std::string commandLine = "\"" + exe + "\"";
  program.started =
      CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup,
                     &program.process) != 0;
  return program;
}

DWORD WaitForExit(StartedProgram &program, int timeoutMs) {
  if (!program.started) return STILL_ACTIVE;
  PumpUntil([&] { return WaitForSingleObject(program.process.hProcess, 0) == WAIT_OBJECT_0; },
            timeoutMs);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(program.process.hProcess, &code);
  return code;
}

HWND WaitForMainWindowOf(const StartedProgram &program, int timeoutMs) {
  return WaitForWindowOf(program.process.dwProcessId, "QuorvelMainWindow", "", timeoutMs);
}

void ExpectRefusalWithoutLibrary(StartedProgram &program) {
  ASSERT_TRUE(program.started);
  HWND box = WaitForMessageBox("信息：", 20000, program.process.dwProcessId);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "文件 uchardet.dll 需要放在软件目录下才可以正常运行！");
  EXPECT_EQ(WaitForMainWindowOf(program, 300), nullptr);
  DismissMessageBox(box);
  EXPECT_EQ(WaitForExit(program), 0u);
}

void ExpectWindowOpensAndCloses(StartedProgram &program) {
  ASSERT_TRUE(program.started);
  HWND window = WaitForMainWindowOf(program);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WindowText(window), "Quorvel");
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExit(program), 0u);
}
