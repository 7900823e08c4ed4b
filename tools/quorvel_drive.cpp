// Drives a running Quorvel from outside, the way a person would: types into its boxes, presses
// a run button, waits for the closing message and answers it. Used by the screenshot and
// benchmark scripts. Prints its findings as key=value lines.
//
//   quorvel_drive (--exe PATH | --attach) [--desktop NAME] [--folder F] [--extensions E]
//                 [--target N] [--action transcode|backup|restore] [--kill-after-ms N]
//                 [--leave-message] [--dismiss] [--close]
//
// --desktop NAME works in the named desktop, such as Wine's virtual desktop started with
// "explorer /desktop=NAME,WxH": a program only sees the windows of its own desktop.
// --dismiss answers a closing message that is already up (one left by --leave-message).

#include <windows.h>
#include <psapi.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kFolderEdit = 102, kExtensionEdit = 105, kBackupButton = 108, kRestoreButton = 109,
              kTargetCombo = 111, kTranscodeButton = 112, kResultList = 113;

struct Options {
  std::string exe, desktop, folder, extensions, action;
  bool attach = false, setFolder = false, setExtensions = false, leaveMessage = false,
       dismiss = false, close = false;
  int target = -2, killAfterMs = -1;
};

struct Search {
  DWORD pid;
  const char *windowClass;
  const char *title;
  HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM data) {
  auto *search = reinterpret_cast<Search *>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (search->pid != 0 && pid != search->pid) return TRUE;
  if (!IsWindowVisible(window)) return TRUE;
  char windowClass[64] = {}, title[64] = {};
  GetClassNameA(window, windowClass, sizeof windowClass);
  if (std::string(windowClass) != search->windowClass) return TRUE;
  // Only now the title: reading it sends a message that the program's window thread must
  // answer, and the main window is looked at on every poll of a run.
  GetWindowTextA(window, title, sizeof title);
  if (search->title != nullptr && std::string(title) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

// Polls every pollMs. Each poll asks the wineserver about every top-level window, which the
// program under measurement shares: a run's closing message is looked for every 10 ms, which
// times a run to within 10 ms without slowing it.
HWND WaitForWindow(DWORD pid, const char *windowClass, const char *title, int timeoutMs,
                   DWORD pollMs = 2) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    Search search{pid, windowClass, title, nullptr};
    EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr || GetTickCount64() > end) return search.found;
    Sleep(pollMs);
  }
}

bool ParseOptions(int argc, char **argv, Options &options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (arg == "--exe")
      options.exe = next();
    else if (arg == "--attach")
      options.attach = true;
    else if (arg == "--desktop")
      options.desktop = next();
    else if (arg == "--folder")
      options.folder = next(), options.setFolder = true;
    else if (arg == "--extensions")
      options.extensions = next(), options.setExtensions = true;
    else if (arg == "--target")
      options.target = std::atoi(next().c_str());
    else if (arg == "--action")
      options.action = next();
    else if (arg == "--kill-after-ms")
      options.killAfterMs = std::atoi(next().c_str());
    else if (arg == "--leave-message")
      options.leaveMessage = true;
    else if (arg == "--dismiss")
      options.dismiss = true;
    else if (arg == "--close")
      options.close = true;
    else {
      std::fprintf(stderr, "quorvel_drive: unknown option %s\n", arg.c_str());
      return false;
    }
  }
  return options.attach || !options.exe.empty();
}

int ButtonFor(const std::string &action) {
  if (action == "transcode") return kTranscodeButton;
  if (action == "backup") return kBackupButton;
  if (action == "restore") return kRestoreButton;
  return 0;
}

std::string MessageText(HWND box) {
  char text[512] = {};
  GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
  return text;
}

void Dismiss(HWND box) {
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 1000 && IsWindow(box); ++i) Sleep(2);
}

// Moves this thread into the named desktop, waiting for it to be made; it must run before the
// thread touches any window.
bool EnterDesktop(const std::string &name, int timeoutMs) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (HDESK desktop = OpenDesktopA(name.c_str(), 0, FALSE, GENERIC_ALL)) {
      return SetThreadDesktop(desktop) != FALSE;
    }
    if (GetTickCount64() > end) return false;
    Sleep(10);
  }
}

void PrintMemory(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(process, &counters, sizeof counters)) {
    std::printf("peak_working_set=%llu\n",
                static_cast<unsigned long long>(counters.PeakWorkingSetSize));
    std::printf("peak_pagefile=%llu\n",
                static_cast<unsigned long long>(counters.PeakPagefileUsage));
  }
}

} // namespace

int main(int argc, char **argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: quorvel_drive (--exe PATH | --attach) [options]\n");
    return 2;
  }
  if (!options.desktop.empty() && !EnterDesktop(options.desktop, 30000)) {
    std::printf("error=no desktop %s\n", options.desktop.c_str());
    return 1;
  }
  HANDLE process = nullptr;
  DWORD pid = 0;
  if (!options.attach) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + options.exe + "\"";
    if (!CreateProcessA(options.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &info)) {
      std::printf("error=cannot start %s\n", options.exe.c_str());
      return 1;
    }
    CloseHandle(info.hThread);
    process = info.hProcess;
    pid = info.dwProcessId;
  }
  HWND window = WaitForWindow(pid, "QuorvelMainWindow", nullptr, 30000);
  if (window == nullptr) {
    std::printf("error=no main window\n");
    return 1;
  }
  if (options.attach) {
    GetWindowThreadProcessId(window, &pid);
    process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  }
  if (options.setFolder) {
    SendMessageA(GetDlgItem(window, kFolderEdit), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(options.folder.c_str()));
  }
  if (options.setExtensions) {
    SendMessageA(GetDlgItem(window, kExtensionEdit), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(options.extensions.c_str()));
  }
  if (options.target >= -1) {
    SendMessageA(GetDlgItem(window, kTargetCombo), CB_SETCURSEL,
                 static_cast<WPARAM>(options.target), 0);
  }

  int exitCode = 0;
  if (int button = ButtonFor(options.action); button != 0) {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
    if (options.killAfterMs >= 0) {
      Sleep(options.killAfterMs);
      TerminateProcess(process, 9);
      WaitForSingleObject(process, 30000);
      std::printf("killed_after_ms=%d\n", options.killAfterMs);
      return 0;
    }
    HWND box = WaitForWindow(pid, "#32770", "信息：", 24 * 3600 * 1000, 10);
    QueryPerformanceCounter(&now);
    double elapsed = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
                     static_cast<double>(frequency.QuadPart);
    std::printf("elapsed_ms=%.1f\n", elapsed);
    std::printf("rows=%d\n", static_cast<int>(SendMessageA(GetDlgItem(window, kResultList),
                                                           LVM_GETITEMCOUNT, 0, 0)));
    std::printf("message=%s\n", box != nullptr ? MessageText(box).c_str() : "");
    PrintMemory(process);
    if (box != nullptr && !options.leaveMessage) Dismiss(box);
  }
  if (options.dismiss) {
    HWND box = WaitForWindow(pid, "#32770", "信息：", 10000);
    std::printf("dismissed=%s\n", box != nullptr ? MessageText(box).c_str() : "");
    if (box != nullptr) Dismiss(box);
  }
  if (options.close) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, 60000) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(process, &code);
      std::printf("exit_code=%lu\n", code);
    } else {
      exitCode = 1;
      std::printf("error=still running after close\n");
    }
  }
  std::fflush(stdout);
  return exitCode;
}
