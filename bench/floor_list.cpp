// The list work that no transcode run can do without, timed under the same Wine: a visible
// window with a report list of the program's kind (same size, styles, columns and manifest), and
// a worker that adds one ticked row per file, one round trip a row (number, check mark, path,
// label, status), and then sets one status per row, one round trip each. Painting follows the
// program's rule: while rows arrive the list's redraw is off, and every 50 ms it comes back if
// anything on screen changed (a row in view, a scroll thumb that would be drawn differently),
// repainting only the rows in view that changed; when rows stop arriving it comes back at once.
//
//   floor_list FOLDER FILES_TXT      (FILES_TXT: "kind<TAB>relative path" lines, code page 936)
//
// Prints elapsed_ms (the worker's rows and statuses) and rows as key=value lines.

#include "app/control_table.h"
#include "app/main_window.h"
#include "results/result_list.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr UINT kRunHere = WM_APP + 1;
constexpr UINT_PTR kPaintTimer = 1;
constexpr ULONGLONG kPaintInterval = 50;

HWND window = nullptr, list = nullptr;

struct Pause {
  bool on = false;
  ULONGLONG checked = 0, lastUse = 0;
  int rowsDrawn = 0, firstRow = INT_MAX, lastRow = -1;
} pause;

int Count() { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }
int Top() { return static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0)); }
int PerPage() { return static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0)); }

bool ThumbAtShortest(int rows) {
  RECT client;
  GetClientRect(list, &client);
  return rows > 0 && 1LL * (client.bottom - client.top) * PerPage() < 4LL * rows;
}

bool ChangedOnScreen() {
  int top = Top();
  if (pause.lastRow >= top && pause.firstRow <= top + PerPage()) return true;
  int rows = Count();
  return rows != pause.rowsDrawn &&
         (top != 0 || !ThumbAtShortest(pause.rowsDrawn) || !ThumbAtShortest(rows));
}

void ResumePainting() {
  if (!pause.on) return;
  Pause ended = pause;
  pause = {};
  KillTimer(window, kPaintTimer);
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  ValidateRect(list, nullptr);
  int top = Top();
  int first = std::max(ended.firstRow, top);
  int last = std::min(ended.lastRow, top + PerPage());
  if (first <= last) {
    RECT from = {LVIR_BOUNDS, 0, 0, 0}, to = {LVIR_BOUNDS, 0, 0, 0}, client;
    SendMessageA(list, LVM_GETITEMRECT, first, reinterpret_cast<LPARAM>(&from));
    SendMessageA(list, LVM_GETITEMRECT, last, reinterpret_cast<LPARAM>(&to));
    GetClientRect(list, &client);
    RECT rows = {client.left, from.top, client.right, to.bottom};
    InvalidateRect(list, &rows, TRUE);
  }
  UpdateWindow(list);
}

void ResumeIfDue() {
  if (!pause.on || GetTickCount64() - pause.checked < kPaintInterval) return;
  if (ChangedOnScreen()) {
    ResumePainting();
  } else {
    pause.checked = GetTickCount64();
  }
}

void PausePainting() {
  ResumeIfDue();
  if (pause.on) return;
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  LONG_PTR style = GetWindowLongPtrA(list, GWL_STYLE);
  if (!(style & WS_VISIBLE)) SetWindowLongPtrA(list, GWL_STYLE, style | WS_VISIBLE);
  ULONGLONG now = GetTickCount64();
  pause = {true, now, now, Count(), INT_MAX, -1};
  SetTimer(window, kPaintTimer, 25, nullptr);
}

void NoteChanged(int row) {
  if (!pause.on) return;
  pause.firstRow = std::min(pause.firstRow, row);
  pause.lastRow = std::max(pause.lastRow, row);
  pause.lastUse = GetTickCount64();
}

void SetCell(int row, int column, const std::string &text) {
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = const_cast<char *>(text.c_str());
  SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void AddRow(const std::string &path) {
  PausePainting();
  int row = Count();
  char number[16];
  std::snprintf(number, sizeof number, "%04d", row + 1);
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = number;
  row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  NoteChanged(row);
  ListView_SetCheckState(list, row, TRUE);
  SetCell(row, 1, path);
  SetCell(row, 2, "GB18030");
  SetCell(row, 3, "等待转码");
}

void SetStatus(int row) {
  SetCell(row, 3, "已转码");
  NoteChanged(row);
  ResumeIfDue();
}

void RunHere(const std::function<void()> &work) {
  SendMessageA(window, kRunHere, 0, reinterpret_cast<LPARAM>(&work));
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
  case kRunHere:
    (*reinterpret_cast<const std::function<void()> *>(l))();
    return 0;
  case WM_TIMER: // rows have stopped arriving, or a look is due
    if (GetTickCount64() - pause.lastUse >= 25) {
      ResumePainting();
    } else {
      ResumeIfDue();
    }
    return 0;
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, message, w, l);
}

void CreateListWindow() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = "QuorvelFloorList";
  RegisterClassA(&windowClass);
  window = CreateWindowExA(WS_EX_APPWINDOW, windowClass.lpszClassName, "floor_list",
                           WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, 0, kMainWindowWidth,
                           kMainWindowHeight, nullptr, nullptr, windowClass.hInstance, nullptr);
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ControlSpec &spec : MainWindowControls()) {
    if (spec.id != kResultListControl) continue;
    list = CreateWindowExA(spec.exStyle, spec.windowClass, spec.text, spec.style, spec.x, spec.y,
                           spec.width, spec.height, window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)),
                           windowClass.hInstance, nullptr);
  }
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetUpResultList(list);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
}

std::vector<std::string> Paths(const std::string &folder, const char *listPath) {
  std::vector<std::string> paths;
  std::ifstream input(listPath, std::ios::binary);
  std::string line;
  while (std::getline(input, line)) {
    size_t tab = line.find('\t');
    if (tab != std::string::npos) paths.push_back(folder + "\\" + line.substr(tab + 1));
  }
  return paths;
}

struct Job {
  std::vector<std::string> paths;
  double elapsedMs = 0;
};

DWORD WINAPI Worker(void *data) {
  Job &job = *static_cast<Job *>(data);
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (const std::string &path : job.paths) RunHere([&] { AddRow(path); });
  for (int row = 0; row < static_cast<int>(job.paths.size()); ++row) {
    RunHere([&] { SetStatus(row); });
  }
  QueryPerformanceCounter(&end);
  job.elapsedMs = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                  static_cast<double>(frequency.QuadPart);
  PostMessageA(window, WM_CLOSE, 0, 0);
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: floor_list FOLDER FILES_TXT\n");
    return 2;
  }
  Job job{Paths(argv[1], argv[2])};
  CreateListWindow();
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  CloseHandle(CreateThread(nullptr, 0, Worker, &job, 0, nullptr));
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  std::printf("elapsed_ms=%.1f\nrows=%d\n", job.elapsedMs, static_cast<int>(job.paths.size()));
  return 0;
}
