#include "support/run_fixture.h"

#include <commctrl.h>

#include <atomic>
#include <thread>

void RunTest::SetInputs(const std::string &folder, const std::string &extensions, int target) {
  SetWindowTextA(Control(kFolderEdit), folder.c_str());
  SetWindowTextA(Control(kExtensionEdit), extensions.c_str());
  SendMessageA(Control(kTargetCombo), CB_SETCURSEL, static_cast<WPARAM>(target), 0);
}

std::string RunTest::RunAndAnswer(const std::function<void()> &run) {
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    run();
    finished = true;
  });
  std::string message;
  HWND box = nullptr;
  PumpUntil(
      [&] {
        box = FindOwnWindow("#32770", "信息：");
        return box != nullptr || finished.load();
      },
      120000);
  if (box != nullptr) {
    message = MessageBoxText(box);
    DismissMessageBox(box);
  }
  PumpUntil([&] { return finished.load(); }, 120000);
  worker.join();
  return message;
}

std::vector<ListedRow> RunTest::Rows() {
  HWND list = Control(kResultListControl);
  std::vector<ListedRow> rows;
  int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  auto cell = [&](int row, int column) {
    std::string text(4096, '\0');
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    int got = static_cast<int>(
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
    text.resize(got);
    return text;
  };
  for (int i = 0; i < count; ++i) {
    rows.push_back(
        {cell(i, 0), cell(i, 1), cell(i, 2), cell(i, 3), ListView_GetCheckState(list, i) != 0});
  }
  return rows;
}

ListedRow RunTest::RowOf(const std::string &path) {
  ListedRow found{};
  int matches = 0;
  for (const ListedRow &row : Rows()) {
    if (row.path == path) {
      found = row;
      ++matches;
    }
  }
  EXPECT_EQ(matches, 1) << path;
  return found;
}
