#include "app/window_close.h"

#include "app/run_control.h"

namespace {

constexpr ULONGLONG kEndSessionWait = 15000;

// Handles messages (the run's requests among them) until the run's work is done.
void WaitForRunWork() {
  ULONGLONG end = GetTickCount64() + kEndSessionWait;
  while (RunIsWorking() && GetTickCount64() < end) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

} // namespace

// During a run the window stays until the run has finished the file it is on; the run then
// closes it and shows no closing message.
LRESULT OnCloseRequest(HWND window) {
  if (RunIsWorking()) {
    RequestRunStop();
  } else {
    DestroyWindow(window);
  }
  return 0;
}

LRESULT OnQueryEndSession() { return TRUE; }

LRESULT OnEndSession(WPARAM ending) {
  if (ending && RunIsWorking()) {
    RequestRunStop();
    WaitForRunWork();
  }
  return 0;
}
