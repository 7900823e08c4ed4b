#include "support/gui.h"

#include <atomic>
#include <thread>

bool PumpUntil(const std::function<bool()> &done, int timeoutMs) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() > end) return done();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

void RunOnWorkerWhilePumping(const std::function<void()> &work, int timeoutMs) {
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    work();
    finished = true;
  });
  PumpUntil([&] { return finished.load(); }, timeoutMs);
  // A worker stuck past the time would outlive the test: wait for it all the same, pumping.
  PumpUntil([&] { return finished.load(); }, 24 * 3600 * 1000);
  worker.join();
}

namespace {

struct Search {
  const char *windowClass;
  std::string title;
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
  auto *search = reinterpret_cast<Search *>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
  char windowClass[64] = {};
  GetClassNameA(window, windowClass, sizeof windowClass);
  if (std::string(windowClass) != search->windowClass) return TRUE;
  if (!search->title.empty() && WindowText(window) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

} // namespace

HWND FindWindowOf(DWORD pid, const char *windowClass, const std::string &title) {
  Search search{windowClass, title, pid, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindOwnWindow(const char *windowClass, const std::string &title) {
  return FindWindowOf(GetCurrentProcessId(), windowClass, title);
}

HWND WaitForWindowOf(DWORD pid, const char *windowClass, const std::string &title, int timeoutMs) {
  HWND found = nullptr;
  PumpUntil([&] { return (found = FindWindowOf(pid, windowClass, title)) != nullptr; }, timeoutMs);
  return found;
}

HWND WaitForMessageBox(const std::string &title, int timeoutMs, DWORD pid) {
  return WaitForWindowOf(pid == 0 ? GetCurrentProcessId() : pid, "#32770", title, timeoutMs);
}

std::string MessageBoxText(HWND box) {
  return WindowText(GetDlgItem(box, 0xFFFF)); // the static control that holds the message
}

void DismissMessageBox(HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); }

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(length + 1, '\0');
  int got = GetWindowTextA(window, text.data(), length + 1);
  text.resize(got > 0 ? got : 0);
  return text;
}
