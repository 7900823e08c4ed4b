#pragma once
// The shell's browse-for-folder dialog.

#include "files/text.h"

#include <windows.h>

#include <optional>

// The folder the dialog is asked to select when it opens.
extern Text InitialFolder;

struct ChooseFolderOptions {
  std::optional<Text> title;
  std::optional<bool> includeFiles;
  std::optional<Text> initialFolder;
  std::optional<bool> showEditBox;
  std::optional<bool> newStyle;
  HWND owner = nullptr;
};

// The chosen folder's path, or the empty Text when nothing usable was chosen.
Text ChooseFolder(const ChooseFolderOptions &options = {});

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM parameter, LPARAM data);
