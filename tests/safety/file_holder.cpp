#include "file_holder.h"

#include "support/scratch.h"

#include <atomic>

namespace {

std::atomic<int> counter{0};

} // namespace

bool FileHolder::Hold(const std::vector<std::string> &paths, DWORD holdMs) {
  Release();
  std::string suffix = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
  std::string readyName = "QuorvelHoldReady-" + suffix,
              releaseName = "QuorvelHoldRelease-" + suffix;
  ready_ = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
  release_ = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
  std::string exe = TestProgramFolder() + "\\hold_file.exe";
  std::string commandLine =
      "\"" + exe + "\" " + readyName + " " + releaseName + " " + std::to_string(holdMs);
  for (const std::string &path : paths) commandLine += " \"" + path + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process_)) {
    process_ = {};
    return false;
  }
  HANDLE waits[] = {ready_, process_.hProcess};
  DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 20000);
  return woke == WAIT_OBJECT_0; // the other process ends without it when a path cannot be opened
}

void FileHolder::WaitUntilLetGo() {
  if (process_.hProcess) WaitForSingleObject(process_.hProcess, 60000);
}

void FileHolder::Release() {
  if (release_) SetEvent(release_);
  if (process_.hProcess) {
    WaitForSingleObject(process_.hProcess, 60000);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  if (ready_) CloseHandle(ready_);
  if (release_) CloseHandle(release_);
  process_ = {};
  ready_ = release_ = nullptr;
}
