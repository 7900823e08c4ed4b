#include "app/launch.h"

#include "encoding/transcode_run.h"
#include "results/backup_restore_run.h"

#include <shlwapi.h>

bool IsExistingFolder(const Text &path) {
  if (path.empty()) return false;
  return PathIsDirectoryA(path.c_str()) == FILE_ATTRIBUTE_DIRECTORY;
}

bool StartWorker(LPTHREAD_START_ROUTINE routine, int argument) {
  HANDLE thread = CreateThread(nullptr, 0, routine,
                               reinterpret_cast<LPVOID>(static_cast<INT_PTR>(argument)), 0,
                               nullptr);
  if (thread == nullptr) return false;
  CloseHandle(thread);
  return true;
}

DWORD WINAPI TranscodeWorker(LPVOID) {
  RunTranscode();
  return 0;
}

DWORD WINAPI BackupRestoreWorker(LPVOID mode) {
  RunBackupRestore(static_cast<int>(reinterpret_cast<INT_PTR>(mode)));
  return 0;
}
