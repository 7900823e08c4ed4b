#include "app/startup.h"

#include "app/controls.h"
#include "app/folder_picker.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "files/file_io.h"
#include "files/program_folder.h"
#include "files/walk.h"

#include <windows.h>
#include <ole2.h>

#include <cstdlib>

namespace {

void ExitCleanUp() {
  InitialFolder.clear();
  ReplaceExtensionList(TextList());
}

// Keyboard moves between the tab stops, and the window's messages.
int EventLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    HWND window = MainWindowHandle();
    if (window != nullptr && IsDialogMessageA(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

} // namespace

void StartUp() {
  if (FileExists(Concat(ProgramFolder(), "\\uchardet.dll"))) {
    CreateMainWindow(GetModuleHandleA(nullptr));
  } else {
    ShowMessage("文件 uchardet.dll 需要放在软件目录下才可以正常运行！", kErrorIcon);
  }
}

int RunProgram() {
  SetCurrentDirectoryA(ProgramFolder().c_str());
  OleInitialize(nullptr);
  ReplaceExtensionList(TextList());
  std::atexit(ExitCleanUp);
  StartUp();
  int code = MainWindowHandle() != nullptr ? EventLoop() : 0;
  OleUninitialize();
  return code;
}
