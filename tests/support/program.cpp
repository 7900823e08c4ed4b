#include "support/program.h"

#include "support/gui.h"
#include "support/scratch.h"

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

namespace {

struct MainWindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchMainWindow(HWND window, LPARAM data) {
  auto *search = reinterpret_cast<MainWindowSearch *>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char windowClass[64] = {};
  GetClassNameA(window, windowClass, sizeof windowClass);
  if (pid == search->pid && IsWindowVisible(window) &&
      std::string(windowClass) == "QuorvelMainWindow") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

} // namespace

HWND WaitForMainWindowOf(const StartedProgram &program, int timeoutMs) {
  MainWindowSearch search{program.process.dwProcessId, nullptr};
  PumpUntil(
      [&] {
        EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}
