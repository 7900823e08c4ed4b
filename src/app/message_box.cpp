#include "app/message_box.h"

#include <windows.h>

void ShowMessage(const Text &text, int icon) {
  MessageBoxA(nullptr, text.c_str(), "信息：", MB_OK | static_cast<UINT>(icon) | MB_TASKMODAL);
}
