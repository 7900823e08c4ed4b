#pragma once
// Another process (hold_file.exe) that holds files open, shared with nobody.

#include <windows.h>

#include <string>
#include <vector>

class FileHolder {
public:
  FileHolder() = default;
  FileHolder(const FileHolder &) = delete;
  FileHolder &operator=(const FileHolder &) = delete;
  ~FileHolder() { Release(); }

  // Starts the other process on paths; returns once it holds them (true) or has failed. It
  // lets go by itself after holdMs, or when Release is called.
  bool Hold(const std::vector<std::string> &paths, DWORD holdMs);
  // Lets go at once and waits for the other process to end.
  void Release();
  // Waits until the other process has let go by itself.
  void WaitUntilLetGo();

private:
  PROCESS_INFORMATION process_ = {};
  HANDLE ready_ = nullptr, release_ = nullptr;
};
