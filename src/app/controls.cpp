#include "app/controls.h"

#include "app/ui_thread.h"

#include <array>
#include <atomic>
#include <mutex>

namespace {

std::atomic<HWND> mainWindow{nullptr};

// The controls' handles, looked up once per main window: under Wine every GetDlgItem asks the
// wineserver for the window's list of children, and a run reaches its list thousands of times.
struct KnownControls {
  std::mutex mutex;
  HWND window = nullptr;
  std::array<HWND, kResultListControl - kLabel1 + 1> handles{};
} known;

Text ReadControlText(ControlId id) {
  Text text;
  RunOnUiThread([&] {
    HWND control = ControlHandle(id);
    int length = GetWindowTextLengthA(control);
    if (length <= 0) return;
    text.resize(length + 1);
    int got = GetWindowTextA(control, text.data(), length + 1);
    text.resize(got > 0 ? got : 0);
  });
  return text;
}

} // namespace

HWND MainWindowHandle() { return mainWindow.load(); }

void SetMainWindowHandle(HWND window) {
  std::lock_guard lock(known.mutex);
  mainWindow.store(window);
  known.window = nullptr;
}

HWND ControlHandle(ControlId id) {
  std::lock_guard lock(known.mutex);
  HWND window = mainWindow.load();
  if (id < kLabel1 || id > kResultListControl || window == nullptr) return nullptr;
  if (known.window != window) {
    known.handles.fill(nullptr);
    known.window = window;
  }
  HWND &handle = known.handles[id - kLabel1];
  if (handle == nullptr) handle = GetDlgItem(window, id); // a control not made yet stays unknown
  return handle;
}

Text ReadFolderText() { return ReadControlText(kFolderEdit); }

Text ReadExtensionText() { return ReadControlText(kExtensionEdit); }

void SetFolderText(const Text &text) {
  RunOnUiThread([&] { SetWindowTextA(ControlHandle(kFolderEdit), text.c_str()); });
}

int SelectedTargetIndex() {
  int index = -1;
  RunOnUiThread([&] {
    index = static_cast<int>(SendMessageA(ControlHandle(kTargetCombo), CB_GETCURSEL, 0, 0));
  });
  return index;
}
