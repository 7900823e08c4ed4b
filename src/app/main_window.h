#pragma once
// The program's one window, "Quorvel", with every control created from one table.

#include <windows.h>

constexpr int kMainWindowWidth = 678;
constexpr int kMainWindowHeight = 529;

// Registers the window class, creates and shows the window centred on the screen.
// Gives null when the window cannot be made.
HWND CreateMainWindow(HINSTANCE instance);
