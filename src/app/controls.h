#pragma once
// The main window's controls and the access to them that the runs and handlers use. Every
// access works from the window's thread and from a worker; a worker's access is carried out
// by the window's thread while the worker waits.

#include "files/text.h"

#include <windows.h>

enum ControlId : int {
  kLabel1 = 101,      // 标签1
  kFolderEdit,        // 编辑框1
  kChooseButton,      // 按钮_选择
  kLabel2,            // 标签2
  kExtensionEdit,     // 编辑框2
  kLabel3,            // 标签3
  kBackupGroup,       // 分组框1
  kBackupButton,      // 按钮_开始备份
  kRestoreButton,     // 按钮_备份还原
  kTranscodeGroup,    // 分组框2
  kTargetCombo,       // 组合框1
  kTranscodeButton,   // 按钮_开始转码
  kResultListControl, // 超级列表框1
};

HWND MainWindowHandle();
void SetMainWindowHandle(HWND window);
HWND ControlHandle(ControlId id);

Text ReadFolderText();
void SetFolderText(const Text &text);
Text ReadExtensionText();
// 0 for "全部转码为UTF-8", 1 for "全部转码为ANSI", -1 when nothing is selected.
int SelectedTargetIndex();
