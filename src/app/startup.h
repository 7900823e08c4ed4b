#pragma once
// From the program's start to its end: current directory, object services, the library check,
// the window, the event loop and the exit clean-up.

// The whole program; gives the process exit code.
int RunProgram();

// Opens the main window when uchardet.dll is in the program folder; otherwise says so.
void StartUp();
