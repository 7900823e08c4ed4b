#include "app/ui_thread.h"
#include "results/result_list.h"
#include "results/status_words.h"
#include "support/main_window_fixture.h"

#include <commctrl.h>

#include <atomic>
#include <functional>
#include <vector>

namespace {

using ResultListTest = MainWindowTest;

struct Row {
  Text number, path, encoding, status;
  bool checked;
};

Row ReadRow(int index) {
  return {GetResultCell(index, 0), GetResultCell(index, 1), GetResultCell(index, 2),
          GetResultCell(index, 3), IsResultRowChecked(index)};
}

// Counts the requests that reach the window's thread, to show each operation is one trip.
std::atomic<int> uiRequests{0};
LRESULT CALLBACK CountRequests(int code, WPARAM w, LPARAM l) {
  auto *message = reinterpret_cast<CWPSTRUCT *>(l);
  if (code == HC_ACTION && message->message == kRunOnUiThreadMessage) ++uiRequests;
  return CallNextHookEx(nullptr, code, w, l);
}

// Counts the times the list's painting is switched back on.
std::atomic<int> redrawsOn{0};
LRESULT CALLBACK CountRedrawsOn(int code, WPARAM w, LPARAM l) {
  auto *message = reinterpret_cast<CWPSTRUCT *>(l);
  if (code == HC_ACTION && message->message == WM_SETREDRAW && message->wParam) ++redrawsOn;
  return CallNextHookEx(nullptr, code, w, l);
}

} // namespace

TEST(ZeroPad, PadsToWidthAndNeverCuts) {
  const std::pair<Text, Text> cases[] = {
      {"7", "0007"}, {"12", "0012"}, {"1234", "1234"}, {"12345", "12345"}, {"", "0000"}};
  for (const auto &[in, out] : cases) EXPECT_EQ(ZeroPad(in, 4), out) << in;
  EXPECT_EQ(ZeroPad("5", 0), "5");
  EXPECT_EQ(ZeroPad("5", -3), "5");
}

TEST_F(ResultListTest, RowsFromAWorkerAreNumberedTickedAndReadBack) {
  const Text gbkPath = "D:\\插件\\\x95\x5C\\配置.yml"; // a trail byte of 0x5C inside the path
  std::vector<Row> rows;
  int count = 0;
  RunOnWorkerWhilePumping([&] {
    ClearResultList();
    AddResultRow("D:\\mods\\a.yml", "UTF-8", kStatusWaiting);
    AddResultRow(gbkPath, "GB18030", kStatusWaiting);
    AddResultRow("D:\\mods\\b.txt", kNoEncoding, kStatusBackupDone);
    SetResultStatus(1, kStatusTranscoded);
    count = ResultRowCount();
    for (int i = 0; i < count; ++i) rows.push_back(ReadRow(i));
  });
  ASSERT_EQ(count, 3);
  EXPECT_EQ(rows[0].number, "0001");
  EXPECT_EQ(rows[0].path, "D:\\mods\\a.yml");
  EXPECT_EQ(rows[0].encoding, "UTF-8");
  EXPECT_EQ(rows[0].status, "等待转码");
  EXPECT_EQ(rows[1].number, "0002");
  EXPECT_EQ(rows[1].path, gbkPath);
  EXPECT_EQ(rows[1].status, "已转码");
  EXPECT_EQ(rows[2].number, "0003");
  EXPECT_EQ(rows[2].encoding, "\xA1\xAA");
  for (const Row &row : rows) EXPECT_TRUE(row.checked);
}

TEST_F(ResultListTest, ClearStartsAgainAtOneAndNewRowsAreTickedAfterUserUnticks) {
  RunOnWorkerWhilePumping([] {
    for (int i = 0; i < 3; ++i) AddResultRow("p" + std::to_string(i), "ANSI", kStatusWaiting);
  });
  HWND list = Control(kResultListControl);
  for (int i = 0; i < 3; ++i) ListView_SetCheckState(list, i, FALSE); // the user unticks all
  Row added, afterClear;
  bool firstChecked = true;
  int countAfterClear = -1;
  RunOnWorkerWhilePumping([&] {
    firstChecked = IsResultRowChecked(0);
    AddResultRow("q", "ANSI", kStatusWaiting);
    added = ReadRow(3);
    ClearResultList();
    AddResultRow("r", "ANSI", kStatusWaiting);
    afterClear = ReadRow(0);
    countAfterClear = ResultRowCount();
  });
  EXPECT_FALSE(firstChecked);
  EXPECT_EQ(added.number, "0004");
  EXPECT_TRUE(added.checked);
  EXPECT_EQ(countAfterClear, 1);
  EXPECT_EQ(afterClear.number, "0001");
  EXPECT_EQ(afterClear.path, "r");
  EXPECT_TRUE(afterClear.checked);
}

TEST_F(ResultListTest, LongCellsComeBackWholeAndColumnsStayLogicalAfterHeaderDrag) {
  Text path600 = "C:\\" + std::string(597, 'a');
  Text path5000 = "C:\\" + std::string(4991, 'b') + "配置文件.yml" + "";
  path5000.resize(5000, 'c');
  HWND list = Control(kResultListControl);
  int order[] = {0, 2, 3, 1}; // "路径" dragged to the far right
  SendMessageA(list, LVM_SETCOLUMNORDERARRAY, 4, reinterpret_cast<LPARAM>(order));
  Text got600, got5000, encoding;
  RunOnWorkerWhilePumping([&] {
    AddResultRow(path600, "UTF-8", kStatusWaiting);
    AddResultRow(path5000, "UTF-8", kStatusWaiting);
    got600 = GetResultCell(0, 1);
    got5000 = GetResultCell(1, 1);
    encoding = GetResultCell(1, 2);
  });
  EXPECT_EQ(got600.size(), 600u);
  EXPECT_EQ(got600, path600);
  EXPECT_EQ(got5000.size(), 5000u);
  EXPECT_EQ(got5000, path5000);
  EXPECT_EQ(encoding, "UTF-8");
}

TEST_F(ResultListTest, EachOperationIsOneRoundTripToTheWindowThread) {
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, CountRequests, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  uiRequests = 0;
  RunOnWorkerWhilePumping([] {
    for (int i = 0; i < 10; ++i) AddResultRow("f" + std::to_string(i), "UTF-8", kStatusWaiting);
  });
  EXPECT_EQ(uiRequests.load(), 10);
  uiRequests = 0;
  RunOnWorkerWhilePumping([] {
    SetResultStatus(3, kStatusSkipped);
    (void)GetResultCell(3, 1);
    (void)IsResultRowChecked(3);
    // One trip however many rows it settles on the way.
    (void)FinishRowAndReachNext(0, kStatusTranscoded, 1, 10, [](const Text &, bool, Text &status) {
      status = kStatusSkipped;
      return true;
    });
  });
  EXPECT_EQ(uiRequests.load(), 4);
  UnhookWindowsHookEx(hook);
}

TEST_F(ResultListTest, PassSettlesRowsUntilOneNeedsWorkReadingEachMarkAsItGoes) {
  const Text labels[] = {"UTF-8", "UTF-8", "GB18030", "UTF-8", "ANSI"};
  // Settles UTF-8 rows as "跳过" and unticked rows as "取消"; the rest needs the worker.
  RowSettler settle = [](const Text &label, bool checked, Text &status) {
    if (!checked) {
      status = kStatusCancelled;
      return true;
    }
    if (label != "UTF-8") return false;
    status = kStatusSkipped;
    return true;
  };
  RunOnWorkerWhilePumping([&] {
    for (const Text &label : labels) AddResultRow("D:\\p\\" + label, label, kStatusWaiting);
  });
  ListView_SetCheckState(Control(kResultListControl), 1, FALSE); // the user unticks row 2
  ReachedRow first, second, end;
  RunOnWorkerWhilePumping([&] {
    first = FinishRowAndReachNext(-1, "", 0, 5, settle);
    second = FinishRowAndReachNext(first.index, kStatusTranscoded, first.index + 1, 5, settle);
    end = FinishRowAndReachNext(second.index, kStatusTranscodeFailed, second.index + 1, 5, settle);
  });
  EXPECT_TRUE(first.needsWork);
  EXPECT_EQ(first.index, 2);
  EXPECT_EQ(first.row.path, "D:\\p\\GB18030");
  EXPECT_EQ(first.row.encoding, "GB18030");
  EXPECT_TRUE(first.row.checked);
  EXPECT_TRUE(second.needsWork);
  EXPECT_EQ(second.index, 4);
  EXPECT_FALSE(end.needsWork);
  EXPECT_EQ(end.index, 5);
  const Text statuses[] = {"跳过", "取消", "已转码", "跳过", "转码失败"};
  for (int row = 0; row < 5; ++row) EXPECT_EQ(GetResultCell(row, 3), statuses[row]) << row;

  // A long run of settled rows gives the window's thread back after 64 of them.
  ReachedRow capped;
  RunOnWorkerWhilePumping([&] {
    ClearResultList();
    for (int i = 0; i < 100; ++i) AddResultRow("u" + std::to_string(i), "UTF-8", kStatusWaiting);
    capped = FinishRowAndReachNext(-1, "", 0, 100, settle);
  });
  EXPECT_FALSE(capped.needsWork);
  EXPECT_EQ(capped.index, 64);
  EXPECT_EQ(GetResultCell(63, 3), "跳过");
  EXPECT_EQ(GetResultCell(64, 3), "等待转码");
}

// What the list shows on screen, frame and scroll bars included, read back from its window.
std::vector<COLORREF> ListPixels(HWND list) {
  RECT bounds;
  GetWindowRect(list, &bounds);
  int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
  HDC screen = GetWindowDC(list);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<COLORREF> pixels(static_cast<size_t>(width) * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(list, screen);
  return pixels;
}

TEST_F(ResultListTest, ListStaysClickableWhileRowsArriveAndShowsThemWithin50Ms) {
  HWND list = Control(kResultListControl);
  bool pausedAfterRows = false, visibleWhilePaused = false;
  RunOnWorkerWhilePumping([&] {
    for (int i = 0; i < 200; ++i) AddResultRow("f" + std::to_string(i), "UTF-8", kStatusWaiting);
    pausedAfterRows = ResultListPaintingPaused();
    visibleWhilePaused = IsWindowVisible(list) != FALSE;
  });
  ULONGLONG lastRow = GetTickCount64();
  EXPECT_TRUE(pausedAfterRows);
  // While painting is paused the list still takes clicks: a hidden window would not.
  EXPECT_TRUE(visibleWhilePaused);
  PumpUntil([] { return !ResultListPaintingPaused(); }, 1000);
  EXPECT_FALSE(ResultListPaintingPaused());
  EXPECT_LE(GetTickCount64() - lastRow, 100u);
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 200);
}

TEST_F(ResultListTest, AfterAPauseTheListShowsWhatAWholeRepaintShows) {
  HWND list = Control(kResultListControl);
  struct Case {
    const char *name;
    int rowsBefore;                    // rows in the list, all painted, before the pause
    std::function<void()> duringPause; // on the window's thread, while painting is paused
  };
  const Case cases[] = {
      {"rows in view", 8, [] {}},
      {"rows below the view", 3000, [] {}},
      {"rows below the view, list scrolled down", 3000,
       [&] { SendMessageA(list, LVM_ENSUREVISIBLE, 1500, FALSE); }},
      {"a row unticked meanwhile", 8, [&] { ListView_SetCheckState(list, 2, FALSE); }},
      {"a row selected meanwhile", 8,
       [&] { ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED); }},
      {"the list uncovered meanwhile", 8,
       [&] { RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }},
  };
  for (const Case &test : cases) {
    SCOPED_TRACE(test.name);
    ClearResultList(); // on the window's thread itself: quick
    for (int i = 0; i < test.rowsBefore; ++i) {
      AddResultRow("D:\\插件\\f" + std::to_string(i), "UTF-8", kStatusWaiting);
    }
    PumpUntil([] { return !ResultListPaintingPaused(); }, 1000);
    RunOnWorkerWhilePumping([] {
      AddResultRow("D:\\插件\\新文件.yml", "GB18030", kStatusWaiting);
      SetResultStatus(0, kStatusTranscoded);
      ResultRowCount();
    });
    ASSERT_TRUE(ResultListPaintingPaused());
    test.duringPause();
    // Rows keep arriving for a while: what is on screen must keep up all the same.
    RunOnWorkerWhilePumping([] {
      for (int i = 0; i < 40; ++i) {
        AddResultRow("D:\\插件\\更多" + std::to_string(i), "UTF-8", kStatusWaiting);
        Sleep(5);
      }
    });
    PumpUntil([] { return !ResultListPaintingPaused(); }, 1000);
    PumpUntil([] { return false; }, 20);
    std::vector<COLORREF> shown = ListPixels(list);
    RedrawWindow(list, nullptr, nullptr,
                 RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_TRUE(shown == ListPixels(list));
  }
}

TEST_F(ResultListTest, WhileRowsArrivePaintingComesBackOnlyForChangesOnScreen) {
  HWND list = Control(kResultListControl);
  struct Case {
    const char *name;
    int rowsBefore;
    int topRow; // the row scrolled to the top of the view
    bool paints;
  };
  const Case cases[] = {
      {"new rows in view", 8, 0, true},
      {"scroll thumb still long", 100, 0, true},
      {"rows below the view, thumb at its shortest", 3000, 0, false},
      {"rows below the view, list scrolled down", 3000, 1500, true},
  };
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, CountRedrawsOn, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  for (const Case &test : cases) {
    SCOPED_TRACE(test.name);
    ClearResultList(); // on the window's thread itself: quick
    for (int i = 0; i < test.rowsBefore; ++i) AddResultRow("f", "UTF-8", kStatusWaiting);
    PumpUntil([] { return !ResultListPaintingPaused(); }, 1000);
    SendMessageA(list, LVM_ENSUREVISIBLE, test.rowsBefore - 1, FALSE);
    SendMessageA(list, LVM_ENSUREVISIBLE, test.topRow, FALSE);
    int whileArriving = 0;
    RunOnWorkerWhilePumping([&] {
      redrawsOn = 0;
      for (int i = 0; i < 30; ++i) { // rows for some 300 ms
        AddResultRow("g", "UTF-8", kStatusWaiting);
        Sleep(10);
      }
      whileArriving = redrawsOn.load();
    });
    if (test.paints) {
      EXPECT_GE(whileArriving, 3);
    } else {
      EXPECT_EQ(whileArriving, 0);
    }
  }
  UnhookWindowsHookEx(hook);
}

TEST_F(ResultListTest, TenThousandthRowIsNumberedWithFiveDigits) {
  // On the window's thread itself each operation runs directly, which keeps this quick.
  for (int i = 0; i < 10000; ++i) AddResultRow("x", "ANSI", kStatusWaiting);
  EXPECT_EQ(ResultRowCount(), 10000);
  EXPECT_EQ(GetResultCell(9998, 0), "9999");
  EXPECT_EQ(GetResultCell(9999, 0), "10000");
}
