#pragma once
// Closing the main window, and the session ending.

#include <windows.h>

LRESULT OnCloseRequest(HWND window);
LRESULT OnQueryEndSession();
LRESULT OnEndSession(WPARAM ending);
