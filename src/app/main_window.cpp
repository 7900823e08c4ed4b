#include "app/main_window.h"

#include "app/click_handlers.h"
#include "app/control_table.h"
#include "app/controls.h"
#include "app/ui_thread.h"
#include "app/resources/resource_ids.h"
#include "app/window_close.h"
#include "results/result_list.h"

#include <commctrl.h>

namespace {

constexpr char kWindowClass[] = "QuorvelMainWindow";
constexpr COLORREF kGreyText = RGB(128, 128, 128);

void SetUpTargetCombo(HWND combo) {
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("全部转码为UTF-8"));
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("全部转码为ANSI"));
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

void CreateControls(HWND window, HINSTANCE instance) {
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (const ControlSpec &spec : MainWindowControls()) {
    HWND control =
        CreateWindowExA(spec.exStyle, spec.windowClass, spec.text, spec.style, spec.x, spec.y,
                        spec.width, spec.height, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  SendMessageA(ControlHandle(kFolderEdit), EM_SETLIMITTEXT, 0, 0);
  SendMessageA(ControlHandle(kExtensionEdit), EM_SETLIMITTEXT, 0, 0);
  SetUpTargetCombo(ControlHandle(kTargetCombo));
  SetUpResultList(ControlHandle(kResultListControl));
}

LRESULT OnCreate(HWND window, LPARAM create) {
  SetMainWindowHandle(window);
  CreateControls(window, reinterpret_cast<CREATESTRUCTA *>(create)->hInstance);
  return 0;
}

LRESULT OnCommand(WPARAM w) {
  if (HIWORD(w) != BN_CLICKED) return 0;
  switch (LOWORD(w)) {
  case kChooseButton:
    ChooseButtonClick();
    break;
  case kBackupButton:
    BackupButtonClick();
    break;
  case kRestoreButton:
    RestoreButtonClick();
    break;
  case kTranscodeButton:
    TranscodeButtonClick();
    break;
  }
  return 0;
}

// Labels and group boxes on the button face; 标签3 in grey.
LRESULT OnControlColorStatic(WPARAM dc, LPARAM control) {
  HDC hdc = reinterpret_cast<HDC>(dc);
  bool grey = GetDlgCtrlID(reinterpret_cast<HWND>(control)) == kLabel3;
  SetTextColor(hdc, grey ? kGreyText : GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(hdc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT OnDestroy() {
  SetMainWindowHandle(nullptr);
  PostQuitMessage(0);
  return 0;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
  case WM_CREATE:
    return OnCreate(window, l);
  case WM_COMMAND:
    return OnCommand(w);
  case WM_CTLCOLORSTATIC:
    return OnControlColorStatic(w, l);
  case WM_TIMER:
    return OnResultListTimer(w);
  case WM_CLOSE:
    return OnCloseRequest(window);
  case WM_QUERYENDSESSION:
    return OnQueryEndSession();
  case WM_ENDSESSION:
    return OnEndSession(w);
  case WM_DESTROY:
    return OnDestroy();
  case kRunOnUiThreadMessage:
    return OnRunOnUiThread(l);
  }
  return DefWindowProcA(window, message, w, l);
}

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  windowClass.hIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_QUORVEL),
                                                    IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                    GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDI_QUORVEL), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

HWND CreateMainWindow(HINSTANCE instance) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (!RegisterMainWindowClass(instance)) return nullptr;
  int left = (GetSystemMetrics(SM_CXSCREEN) - kMainWindowWidth) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - kMainWindowHeight) / 2;
  HWND window =
      CreateWindowExA(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kWindowClass, "Quorvel",
                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, left, top,
                      kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return nullptr;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  return window;
}
