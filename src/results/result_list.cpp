#include "results/result_list.h"

#include "app/controls.h"
#include "app/ui_thread.h"

#include <commctrl.h>

namespace {

// While rows arrive the list paints at most every 50 ms: each row is in the list at once, and
// a person sees it within 50 ms. (A visible list that repaints on every insert costs about
// 11 ms a row under Wine.)
constexpr UINT_PTR kPaintTimer = 0x5150;
constexpr ULONGLONG kPaintInterval = 50;
bool paintingPaused = false;
ULONGLONG pausedSince = 0;

HWND List() { return ControlHandle(kResultListControl); }

void ResumePainting() {
  if (!paintingPaused) return;
  paintingPaused = false;
  KillTimer(MainWindowHandle(), kPaintTimer);
  SendMessageA(List(), WM_SETREDRAW, TRUE, 0);
  RedrawWindow(List(), nullptr, nullptr,
               RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void PausePainting() {
  ULONGLONG now = GetTickCount64();
  if (paintingPaused) {
    if (now - pausedSince >= kPaintInterval)
      ResumePainting();
    else
      return;
  }
  paintingPaused = true;
  pausedSince = now;
  SendMessageA(List(), WM_SETREDRAW, FALSE, 0);
  SetTimer(MainWindowHandle(), kPaintTimer, static_cast<UINT>(kPaintInterval), nullptr);
}

void SetCell(HWND list, int row, int column, const Text &text) {
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = const_cast<char *>(text.c_str());
  SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

int RowCountNow() { return static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }

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

} // namespace

Text ZeroPad(const Text &text, int width) {
  return RepeatText(width - TextLength(text), "0") + text;
}

void ClearResultList() {
  RunOnUiThread([] {
    SendMessageA(List(), LVM_DELETEALLITEMS, 0, 0);
    ResumePainting();
  });
}

int ResultRowCount() {
  int count = 0;
  RunOnUiThread([&] { count = RowCountNow(); });
  return count;
}

void AddResultRow(const Text &path, const Text &encoding, const Text &status) {
  RunOnUiThread([&] {
    PausePainting();
    HWND list = List();
    int row = RowCountNow();
    Text number = ZeroPad(NumberToText(row + 1), 4);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = number.data();
    row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;
    ListView_SetCheckState(list, row, TRUE);
    SetCell(list, row, 1, path);
    SetCell(list, row, 2, encoding);
    SetCell(list, row, 3, status);
  });
}

Text GetResultCell(int row, int column) {
  Text cell;
  RunOnUiThread([&] { cell = CellNow(row, column); });
  return cell;
}

bool IsResultRowChecked(int row) {
  bool checked = false;
  RunOnUiThread([&] { checked = ListView_GetCheckState(List(), row) != 0; });
  return checked;
}

ResultRow ReadResultRow(int row) {
  ResultRow result;
  RunOnUiThread([&] {
    result.path = CellNow(row, 1);
    result.encoding = CellNow(row, 2);
    result.checked = ListView_GetCheckState(List(), row) != 0;
  });
  return result;
}

void SetResultStatus(int row, const Text &status) {
  RunOnUiThread([&] {
    PausePainting();
    SetCell(List(), row, 3, status);
  });
}

LRESULT OnResultListTimer(WPARAM timer) {
  if (timer == kPaintTimer) ResumePainting();
  return 0;
}
