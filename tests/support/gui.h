#pragma once
// Driving the real main window in-process: pumping its messages while work goes on elsewhere,
// and finding and answering message boxes.

#include <windows.h>

#include <functional>
#include <string>

// Handles this thread's messages until done() is true or the time is up; gives done().
bool PumpUntil(const std::function<bool()> &done, int timeoutMs = 20000);

// Runs work on a new thread while this (the window's) thread pumps messages; waits for it.
void RunOnWorkerWhilePumping(const std::function<void()> &work, int timeoutMs = 60000);

// A visible top-level window of process pid with this class and title (any title when
// empty), or null.
HWND FindWindowOf(DWORD pid, const char *windowClass, const std::string &title);
HWND FindOwnWindow(const char *windowClass, const std::string &title);

// The same, waiting (pumping) until it appears or the time is up.
HWND WaitForWindowOf(DWORD pid, const char *windowClass, const std::string &title,
                     int timeoutMs = 20000);

// Waits (pumping) for a message box titled title belonging to process pid (0: this process).
HWND WaitForMessageBox(const std::string &title, int timeoutMs = 20000, DWORD pid = 0);

// The message text of a message box, and its dismissal with OK.
std::string MessageBoxText(HWND box);
void DismissMessageBox(HWND box);

// The texts of a window and of a control.
std::string WindowText(HWND window);
