#include "app/folder_picker.h"

#include <shlobj.h>

Text InitialFolder;

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM) {
  if (message == BFFM_INITIALIZED) {
    SendMessageA(dialog, BFFM_SETSELECTIONA, 1, reinterpret_cast<LPARAM>(InitialFolder.c_str()));
  }
  return 1;
}

Text ChooseFolder(const ChooseFolderOptions &options) {
  Text title = options.title.value_or("请选择一个文件夹");
  UINT flags = (options.showEditBox.value_or(false) ? BIF_EDITBOX : 0) |
               (options.newStyle.value_or(true) ? BIF_NEWDIALOGSTYLE : 0) |
               (options.includeFiles.value_or(false) ? BIF_BROWSEINCLUDEFILES : 0);
  BROWSEINFOA request = {};
  request.hwndOwner = options.owner;
  request.lpszTitle = title.c_str();
  request.ulFlags = flags;
  request.lpfn = BrowseCallback;
  Text buffer = BlankText(512);
  InitialFolder = options.initialFolder.value_or(Text());

  PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&request);
  if (item != nullptr) {
    SHGetPathFromIDListA(item, buffer.data());
    CoTaskMemFree(item);
  }
  return TrimSpaces(buffer.c_str()); // the path ends at its zero byte
}
