#include "app/window_close.h"

LRESULT OnCloseRequest(HWND window) {
  DestroyWindow(window);
  return 0;
}

LRESULT OnQueryEndSession() { return TRUE; }

LRESULT OnEndSession(WPARAM) { return 0; }
