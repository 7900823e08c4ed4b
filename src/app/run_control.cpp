#include "app/run_control.h"

#include "app/controls.h"
#include "app/ui_thread.h"

#include <atomic>

namespace {

std::atomic<bool> working{false};
std::atomic<bool> stopRequested{false};

void EnableRunButtons(bool enable) {
  for (ControlId id : {kTranscodeButton, kBackupButton, kRestoreButton}) {
    EnableWindow(ControlHandle(id), enable ? TRUE : FALSE);
  }
}

} // namespace

bool BeginRun() {
  if (working.exchange(true)) return false;
  stopRequested = false;
  EnableRunButtons(false);
  return true;
}

void FinishRunWork() {
  RunOnUiThread([] {
    working = false;
    EnableRunButtons(true);
    if (stopRequested) DestroyWindow(MainWindowHandle());
  });
  working = false; // also when the window is already gone
}

bool RunIsWorking() { return working.load(); }

void RequestRunStop() { stopRequested = true; }

bool RunStopRequested() { return stopRequested.load(); }

bool RunShouldGoOn() { return !stopRequested.load(); }
