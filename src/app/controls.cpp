#include "app/controls.h"

#include "app/ui_thread.h"

#include <atomic>

namespace {

std::atomic<HWND> mainWindow{nullptr};

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

void SetMainWindowHandle(HWND window) { mainWindow.store(window); }

HWND ControlHandle(ControlId id) { return GetDlgItem(MainWindowHandle(), id); }

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
