#pragma once
// Starting the built Quorvel.exe as a process of its own, from a folder of the test's choice.

#include <windows.h>

#include <string>

// The built program, as a Windows path.
std::string BuiltProgramPath();

struct StartedProgram {
  PROCESS_INFORMATION process = {};
  bool started = false;
};

// Copies Quorvel.exe into folder (and uchardet.dll too when withLibrary) and starts it there,
// with currentDirectory as its current directory (empty: the test's own).
StartedProgram StartProgramIn(const std::string &folder, bool withLibrary,
                              const std::string &currentDirectory = "");

// Waits for the process to end; gives its exit code, or STILL_ACTIVE on time-out.
DWORD WaitForExit(StartedProgram &program, int timeoutMs = 20000);

// The visible main window of that process, waiting for it to appear, or null.
HWND WaitForMainWindowOf(const StartedProgram &program, int timeoutMs = 20000);

// Checks that a program started without uchardet.dll beside it shows only its refusal box,
// opens no window, and ends with exit code 0 once the box is answered.
void ExpectRefusalWithoutLibrary(StartedProgram &program);

// Checks that the program's main window opens with its title, and that closing it ends the
// program with exit code 0.
void ExpectWindowOpensAndCloses(StartedProgram &program);
