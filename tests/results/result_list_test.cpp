#include "app/ui_thread.h"
#include "results/result_list.h"
#include "results/status_words.h"
#include "support/main_window_fixture.h"

#include <commctrl.h>

#include <atomic>

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
  });
  EXPECT_EQ(uiRequests.load(), 3);
  UnhookWindowsHookEx(hook);
}

TEST_F(ResultListTest, ListPaintsAgainWithin50MsOfTheLastRow) {
  HWND list = Control(kResultListControl);
  RunOnWorkerWhilePumping([] {
    for (int i = 0; i < 200; ++i) AddResultRow("f" + std::to_string(i), "UTF-8", kStatusWaiting);
  });
  ULONGLONG lastRow = GetTickCount64();
  // While painting is paused the list's visible bit is off; the pause must end by itself.
  PumpUntil([&] { return IsWindowVisible(list) != FALSE; }, 1000);
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_LE(GetTickCount64() - lastRow, 100u);
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 200);
}

TEST_F(ResultListTest, TenThousandthRowIsNumberedWithFiveDigits) {
  // On the window's thread itself each operation runs directly, which keeps this quick.
  for (int i = 0; i < 10000; ++i) AddResultRow("x", "ANSI", kStatusWaiting);
  EXPECT_EQ(ResultRowCount(), 10000);
  EXPECT_EQ(GetResultCell(9998, 0), "9999");
  EXPECT_EQ(GetResultCell(9999, 0), "10000");
}
