#include "results/result_list.h"

#include "app/control_table.h"
#include "app/controls.h"
#include "app/ui_thread.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace {

// Painting while rows arrive. A visible report list under Wine repaints its scroll bar at once
// on every inserted row (about 11 ms a row), and turning its redraw back on repaints the scroll
// bar as well (some 6 ms). So while a run adds rows the list's redraw is off, and every 50 ms
// it comes back on if anything on screen has changed meanwhile: a row in view, or a scroll
// thumb that would be drawn differently. Each row is in the list at once, a person sees every
// row that is in view within 50 ms, and rows below the view cost no painting at all. When rows
// stop arriving, painting comes back at once.
//
// The list stays visible and takes clicks while its painting is paused. Anything that reaches
// the list from outside our own operations (a click, a key, the wheel, a repaint of an
// uncovered window, a test) ends the pause first, so that the list handles it live.
struct PaintPause {
  HWND list = nullptr;    // the list whose painting is paused, or null
  ULONGLONG checked = 0;  // when the pause began or was last found to show nothing new
  ULONGLONG lastUse = 0;  // our latest operation on the list
  int rowsDrawn = 0;      // the row count that the scroll bar shows
  int firstRow = INT_MAX; // rows changed during the pause
  int lastRow = -1;
  bool pendingPaint = false; // something was waiting to be painted when the pause began
};

constexpr UINT_PTR kPaintTimer = 0x5150;
constexpr UINT kTimerTick = 25;          // rows have stopped arriving after a tick without any
constexpr ULONGLONG kPaintInterval = 50; // the longest a change on screen waits to be seen
constexpr int kRowsPerTrip = 64;

PaintPause pause;
bool insideOperation = false; // on the window's thread, while our own work touches the list

HWND List() { return ControlHandle(kResultListControl); }

void ResumePainting();

// While our own work touches the list (on the window's thread), its messages are not mistaken
// for someone else's.
class OwnWork {
public:
  OwnWork() : outer_(insideOperation) { insideOperation = true; }
  ~OwnWork() { insideOperation = outer_; }
  OwnWork(const OwnWork &) = delete;
  OwnWork &operator=(const OwnWork &) = delete;

private:
  bool outer_;
};

// Runs one of our list operations on the window's thread.
template <typename Work> void OnListThread(const Work &work) {
  RunOnUiThread([&] {
    {
      OwnWork own;
      work();
    }
    if (pause.list) pause.lastUse = GetTickCount64();
  });
}

// Messages that change nothing the list shows.
bool LeavesListAsItIs(UINT message, WPARAM w) {
  switch (message) {
  case WM_NCHITTEST:
  case WM_SETCURSOR:
  case WM_NCMOUSEMOVE:
  case WM_MOUSEHOVER:
  case WM_MOUSELEAVE:
  case WM_NCMOUSELEAVE:
  case WM_GETOBJECT:
    return true;
  case WM_MOUSEMOVE:
    return (w & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0;
  }
  return false;
}

// The list's own window procedure, kept per list while our watch sits in front of it. (A watch
// through SetWindowSubclass would cost a window-property lookup, a wineserver request under
// Wine, for every message the list gets.)
struct WatchedList {
  HWND list;
  WNDPROC original;
};
std::vector<WatchedList> watchedLists; // touched on the window's thread only

LRESULT CALLBACK WatchList(HWND list, UINT message, WPARAM w, LPARAM l) {
  auto watched = std::find_if(watchedLists.begin(), watchedLists.end(),
                              [&](const WatchedList &entry) { return entry.list == list; });
  if (watched == watchedLists.end()) return DefWindowProcW(list, message, w, l);
  WNDPROC original = watched->original;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    watchedLists.erase(watched);
    if (pause.list == list) pause = {};
  } else if (pause.list == list && !insideOperation && !LeavesListAsItIs(message, w)) {
    ResumePainting();
  }
  return CallWindowProcW(original, list, message, w, l);
}

void Watch(HWND list) {
  for (const WatchedList &entry : watchedLists) {
    if (entry.list == list) return;
  }
  auto original = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchList)));
  if (original) watchedLists.push_back({list, original});
}

int RowCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }
int TopRow(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0)); }
int RowsPerPage(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
}

bool HasPendingPaint(HWND window) { return GetUpdateRect(window, nullptr, FALSE) != FALSE; }

void PausePainting(HWND list) {
  if (pause.list == list) return;
  Watch(list);
  // Switching redraw off drops what was waiting to be painted; that must be painted later.
  HWND header = ListView_GetHeader(list);
  bool pending = HasPendingPaint(list) || (header && HasPendingPaint(header));
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  // Redraw off also hides the list from the mouse: a click meant for a check box would go to
  // the window behind it. The list keeps showing and taking clicks.
  LONG_PTR style = GetWindowLongPtrA(list, GWL_STYLE);
  if (!(style & WS_VISIBLE)) SetWindowLongPtrA(list, GWL_STYLE, style | WS_VISIBLE);
  ULONGLONG now = GetTickCount64();
  pause = PaintPause{list, now, now, RowCount(list), INT_MAX, -1, pending};
  SetTimer(MainWindowHandle(), kPaintTimer, kTimerTick, nullptr);
}

// Whether the vertical scroll thumb of a list of that many rows, scrolled to the top, is so
// short that every platform draws it at its least length (4 pixels is below any of them).
bool ThumbAtShortest(HWND list, int rows) {
  RECT client;
  GetClientRect(list, &client);
  // The client height is longer than the thumb's track, which errs on the safe side.
  long long track = client.bottom - client.top;
  return rows > 0 && track * RowsPerPage(list) < 4LL * rows;
}

// Whether resuming would change anything on screen: a row in view, or the scroll thumb.
bool PauseHidesChanges(HWND list) {
  int top = TopRow(list);
  if (pause.lastRow >= top && pause.firstRow <= top + RowsPerPage(list)) return true;
  int rows = RowCount(list);
  if (rows == pause.rowsDrawn) return false;
  return top != 0 || !ThumbAtShortest(list, pause.rowsDrawn) || !ThumbAtShortest(list, rows);
}

// Invalidates the rows first..last that are on screen, across the whole width of the list.
void InvalidateRows(HWND list, int first, int last) {
  int top = TopRow(list);
  first = std::max(first, top);
  last = std::min(last, top + RowsPerPage(list)); // the row cut off at the bottom counts too
  if (first > last) return;
  RECT firstBounds = {LVIR_BOUNDS, 0, 0, 0}, lastBounds = {LVIR_BOUNDS, 0, 0, 0}, client;
  if (!SendMessageA(list, LVM_GETITEMRECT, first, reinterpret_cast<LPARAM>(&firstBounds)) ||
      !SendMessageA(list, LVM_GETITEMRECT, last, reinterpret_cast<LPARAM>(&lastBounds))) {
    InvalidateRect(list, nullptr, TRUE);
    return;
  }
  GetClientRect(list, &client);
  RECT rows = {client.left, firstBounds.top, client.right, lastBounds.bottom};
  InvalidateRect(list, &rows, TRUE);
}

DWORD ScrollBarStyles(HWND list) {
  return static_cast<DWORD>(GetWindowLongPtrA(list, GWL_STYLE)) & (WS_VSCROLL | WS_HSCROLL);
}

// Turning redraw on makes the list bring its scroll bars up to date and invalidate all of
// itself; a whole repaint costs some 30 ms under Wine, so only the rows that changed during the
// pause and are in view are painted again.
void ResumePainting() {
  PaintPause ended = pause;
  pause = {};
  if (!ended.list) return;
  KillTimer(MainWindowHandle(), kPaintTimer);
  if (!IsWindow(ended.list)) return;
  HWND list = ended.list;
  DWORD scrollBars = ScrollBarStyles(list);
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  if (ended.pendingPaint || ScrollBarStyles(list) != scrollBars) {
    RedrawWindow(list, nullptr, nullptr,
                 RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return;
  }
  ValidateRect(list, nullptr);
  if (ended.lastRow >= 0) InvalidateRows(list, ended.firstRow, ended.lastRow);
  UpdateWindow(list);
}

// Every 50 ms of a pause: painting comes back when the pause hides a change on screen.
void ResumePaintingIfDue() {
  if (!pause.list) return;
  ULONGLONG now = GetTickCount64();
  if (now - pause.checked < kPaintInterval) return;
  if (PauseHidesChanges(pause.list)) {
    ResumePainting();
  } else {
    pause.checked = now;
  }
}

void NoteChangedRow(int row) {
  if (!pause.list) return; // a list that paints invalidates the row itself
  pause.firstRow = std::min(pause.firstRow, row);
  pause.lastRow = std::max(pause.lastRow, row);
}

void SetCell(HWND list, int row, int column, const Text &text) {
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = const_cast<char *>(text.c_str());
  SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

Text CellNow(int row, int column) {
  Text buffer(256, '\0');
  for (;;) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    int got = static_cast<int>(
        SendMessageA(List(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
    if (got < static_cast<int>(buffer.size()) - 1) {
      buffer.resize(got > 0 ? got : 0);
      return buffer;
    }
    buffer.assign(buffer.size() * 2, '\0');
  }
}

ResultRow RowNow(int row) {
  ResultRow result;
  result.path = CellNow(row, 1);
  result.encoding = CellNow(row, 2);
  result.checked = ListView_GetCheckState(List(), row) != 0;
  return result;
}

// A status changes no row count and so no scroll bar: a list that paints does it itself, and
// only when the row is in view.
void SetStatusNow(int row, const Text &status) {
  SetCell(List(), row, 3, status);
  NoteChangedRow(row);
  ResumePaintingIfDue();
}

} // namespace

void SetUpResultList(HWND list) {
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
  int index = 0;
  for (const ColumnSpec &spec : ResultListColumns()) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = spec.width;
    column.pszText = const_cast<char *>(spec.title);
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, index++, reinterpret_cast<LPARAM>(&column));
  }
}

Text ZeroPad(const Text &text, int width) {
  return RepeatText(width - TextLength(text), "0") + text;
}

void ClearResultList() {
  OnListThread([] {
    SendMessageA(List(), LVM_DELETEALLITEMS, 0, 0);
    pause.pendingPaint = true; // a whole repaint when painting was paused
    ResumePainting();
  });
}

int ResultRowCount() {
  int count = 0;
  OnListThread([&] { count = RowCount(List()); });
  return count;
}

void AddResultRow(const Text &path, const Text &encoding, const Text &status) {
  OnListThread([&] {
    HWND list = List();
    ResumePaintingIfDue();
    PausePainting(list);
    int row = RowCount(List());
    Text number = ZeroPad(NumberToText(row + 1), 4);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = number.data();
    row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;
    NoteChangedRow(row);
    ListView_SetCheckState(list, row, TRUE);
    SetCell(list, row, 1, path);
    SetCell(list, row, 2, encoding);
    SetCell(list, row, 3, status);
  });
}

Text GetResultCell(int row, int column) {
  Text cell;
  OnListThread([&] { cell = CellNow(row, column); });
  return cell;
}

bool IsResultRowChecked(int row) {
  bool checked = false;
  OnListThread([&] { checked = ListView_GetCheckState(List(), row) != 0; });
  return checked;
}

ResultRow ReadResultRow(int row) {
  ResultRow result;
  OnListThread([&] { result = RowNow(row); });
  return result;
}

void SetResultStatus(int row, const Text &status) {
  OnListThread([&] { SetStatusNow(row, status); });
}

ReachedRow FinishRowAndReachNext(int finishedRow, const Text &status, int firstRow, int endRow,
                                 const RowSettler &settle) {
  ReachedRow reached;
  OnListThread([&] {
    if (finishedRow >= 0) SetStatusNow(finishedRow, status);
    HWND list = List();
    int last = std::min(endRow, firstRow + kRowsPerTrip);
    for (int row = firstRow; row < last; ++row) {
      Text label = CellNow(row, 2);
      bool checked = ListView_GetCheckState(list, row) != 0;
      Text settled;
      if (!settle(label, checked, settled)) {
        reached = {row, true, {CellNow(row, 1), label, checked}};
        return;
      }
      if (!settled.empty()) SetStatusNow(row, settled);
    }
    reached.index = last;
  });
  return reached;
}

bool ResultListPaintingPaused() {
  bool paused = false;
  RunOnUiThread([&] { paused = pause.list != nullptr; });
  return paused;
}

LRESULT OnResultListTimer(WPARAM timer) {
  if (timer != kPaintTimer || !pause.list) return 0;
  OwnWork own;
  if (GetTickCount64() - pause.lastUse >= kTimerTick) {
    ResumePainting(); // rows have stopped arriving
  } else {
    ResumePaintingIfDue();
  }
  return 0;
}
