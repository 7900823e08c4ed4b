#pragma once
// Starting the runs on worker threads.

#include "files/text.h"

#include <windows.h>

// True only when the platform's folder test gives exactly the directory attribute.
bool IsExistingFolder(const Text &path);

// A new thread that runs routine with argument as its start argument, its handle closed at
// once. False when no thread could be made.
bool StartWorker(LPTHREAD_START_ROUTINE routine, int argument = 0);

DWORD WINAPI TranscodeWorker(LPVOID unused);
DWORD WINAPI BackupRestoreWorker(LPVOID mode);
