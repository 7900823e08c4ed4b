#include "app/ui_thread.h"

#include "app/controls.h"

void RunOnUiThread(const std::function<void()> &work) {
  HWND window = MainWindowHandle();
  if (window == nullptr) return;
  SendMessageA(window, kRunOnUiThreadMessage, 0, reinterpret_cast<LPARAM>(&work));
}

LRESULT OnRunOnUiThread(LPARAM work) {
  (*reinterpret_cast<const std::function<void()> *>(work))();
  return 0;
}
