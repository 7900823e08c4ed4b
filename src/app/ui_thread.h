#pragma once
// Carrying out work on the window's thread: from a worker this is one SendMessage round trip,
// during which the worker waits; on the window's thread itself the work runs at once.

#include <functional>

#include <windows.h>

constexpr UINT kRunOnUiThreadMessage = WM_APP + 1;

void RunOnUiThread(const std::function<void()> &work);

// The handler of kRunOnUiThreadMessage in the main window.
LRESULT OnRunOnUiThread(LPARAM work);
