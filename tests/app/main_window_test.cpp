#include "app/control_table.h"
#include "app/message_box.h"
#include "support/main_window_fixture.h"

#include <commctrl.h>

#include <thread>
#include <vector>

namespace {

RECT ClientRectOf(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT *>(&rect), 2);
  return rect;
}

LONG_PTR StyleOf(HWND window) { return GetWindowLongPtrA(window, GWL_STYLE); }

struct ExpectedControl {
  ControlId id;
  const char *windowClass;
  int x, y, width, height;
  const char *text;
  bool tabStop;
};

// Positions in the client area; the four inner controls at their group box plus own offset.
const ExpectedControl kExpected[] = {
    {kLabel1, "Static", 8, 8, 64, 24, "插件目录：", false},
    {kFolderEdit, "Edit", 71, 8, 537, 24, "", true},
    {kChooseButton, "Button", 608, 8, 56, 24, "选择..", true},
    {kLabel2, "Static", 8, 40, 64, 24, "文件类型：", false},
    {kExtensionEdit, "Edit", 71, 40, 329, 24, "yml,txt,json,lang", true},
    {kLabel3, "Static", 408, 40, 216, 24, "* 如果不知道这个是什么，请保持默认。", false},
    {kBackupGroup, "Button", 2, 72, 224, 48, "备份操作", false},
    {kBackupButton, "Button", 2 + 8, 72 + 16, 96, 24, "开 始 备 份", true},
    {kRestoreButton, "Button", 2 + 112, 72 + 16, 96, 24, "备 份 还 原", true},
    {kTranscodeGroup, "Button", 224, 72, 446, 48, "转码操作", false},
    {kTargetCombo, "ComboBox", 224 + 8, 72 + 19, 152, -1, "全部转码为UTF-8", true},
    {kTranscodeButton, "Button", 224 + 168, 72 + 16, 96, 24, "开 始 转 码", true},
    {kResultListControl, "SysListView32", -1, 122, 672, 376, "", true},
};

} // namespace

TEST_F(MainWindowTest, FrameTitleSizeAndPlace) {
  EXPECT_EQ(WindowText(window), "Quorvel");
  RECT rect;
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.right - rect.left, 678);
  EXPECT_EQ(rect.bottom - rect.top, 529);
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 678) / 2);
  EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 529) / 2);

  LONG_PTR style = StyleOf(window);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  EXPECT_EQ(GetMenu(window), nullptr);
  EXPECT_NE(GetClassLongPtrA(window, GCLP_HICON), 0);
  EXPECT_NE(GetClassLongPtrA(window, GCLP_HICONSM), 0);
  EXPECT_EQ(GetClassLongPtrA(window, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
}

TEST_F(MainWindowTest, EveryControlAtItsPlaceWithItsTextFontAndTabStop) {
  HGDIOBJ guiFont = GetStockObject(DEFAULT_GUI_FONT);
  for (const ExpectedControl &expected : kExpected) {
    SCOPED_TRACE(expected.id);
    HWND control = Control(expected.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetParent(control), window);
    char windowClass[64] = {};
    GetClassNameA(control, windowClass, sizeof windowClass);
    EXPECT_STRCASEEQ(windowClass, expected.windowClass);
    RECT rect = ClientRectOf(control);
    EXPECT_EQ(rect.left, expected.x);
    EXPECT_EQ(rect.top, expected.y);
    EXPECT_EQ(rect.right - rect.left, expected.width);
    if (expected.height > 0) {
      EXPECT_EQ(rect.bottom - rect.top, expected.height);
    }
    EXPECT_EQ(WindowText(control), expected.text);
    EXPECT_EQ((StyleOf(control) & WS_TABSTOP) != 0, expected.tabStop);
    EXPECT_TRUE(IsWindowVisible(control));
    EXPECT_TRUE(IsWindowEnabled(control));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)), guiFont);
  }
  // The button texts hold a half-width space between their characters, as code page 936 bytes.
  EXPECT_EQ(WindowText(Control(kTranscodeButton)), "\xBF\xAA\x20\xCA\xBC\x20\xD7\xAA\x20\xC2\xEB");
}

TEST_F(MainWindowTest, ControlKindsAndStyles) {
  for (ControlId id : {kChooseButton, kBackupButton, kRestoreButton, kTranscodeButton}) {
    EXPECT_EQ(StyleOf(Control(id)) & BS_TYPEMASK, BS_PUSHBUTTON) << id;
    EXPECT_EQ(SendMessageA(Control(id), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, 0) << id;
  }
  for (ControlId id : {kBackupGroup, kTranscodeGroup}) {
    EXPECT_EQ(StyleOf(Control(id)) & BS_TYPEMASK, BS_GROUPBOX) << id;
  }
  for (ControlId id : {kFolderEdit, kExtensionEdit}) {
    LONG_PTR style = StyleOf(Control(id));
    EXPECT_TRUE(style & ES_AUTOHSCROLL);
    EXPECT_FALSE(style & (ES_PASSWORD | ES_READONLY | ES_MULTILINE | ES_UPPERCASE | ES_LOWERCASE));
    EXPECT_GE(static_cast<unsigned>(SendMessageA(Control(id), EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEu);
  }
  EXPECT_TRUE(StyleOf(Control(kLabel1)) & WS_BORDER);
  EXPECT_TRUE(StyleOf(Control(kLabel2)) & WS_BORDER);
  EXPECT_FALSE(StyleOf(Control(kLabel3)) & WS_BORDER);

  // Grey text for 标签3, black for the other labels, all on the button face.
  HDC dc = GetDC(window);
  for (auto [id, colour] : {std::pair{kLabel3, RGB(128, 128, 128)},
                            std::pair{kLabel1, GetSysColor(COLOR_WINDOWTEXT)}}) {
    LRESULT brush = SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(Control(id)));
    EXPECT_EQ(GetTextColor(dc), colour) << id;
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), GetSysColorBrush(COLOR_BTNFACE));
  }
  ReleaseDC(window, dc);
}

TEST_F(MainWindowTest, DropDownListHasItsTwoItemsAndTheFirstSelected) {
  HWND combo = Control(kTargetCombo);
  EXPECT_EQ(StyleOf(combo) & 3, CBS_DROPDOWNLIST);
  EXPECT_FALSE(StyleOf(combo) & CBS_SORT);
  ASSERT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
  const char *items[] = {"全部转码为UTF-8", "全部转码为ANSI"};
  for (int i = 0; i < 2; ++i) {
    char text[64] = {};
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, items[i]);
  }
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
}

TEST_F(MainWindowTest, ResultListColumnsAndStyles) {
  HWND list = Control(kResultListControl);
  LONG_PTR style = StyleOf(list);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_FALSE(style & LVS_NOCOLUMNHEADER);
  EXPECT_TRUE(GetWindowLongPtrA(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  DWORD extended = static_cast<DWORD>(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  EXPECT_TRUE(extended & LVS_EX_CHECKBOXES);
  EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
  EXPECT_TRUE(extended & LVS_EX_HEADERDRAGDROP);
  EXPECT_FALSE(extended & LVS_EX_GRIDLINES);
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);

  const std::pair<const char *, int> columns[] = {
      {" #", 50}, {"路径", 420}, {"当前编码", 80}, {"状态", 100}};
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  ASSERT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 4);
  for (int i = 0; i < 4; ++i) {
    char title[64] = {};
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = title;
    column.cchTextMax = sizeof title;
    ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(title, columns[i].first);
    EXPECT_EQ(column.cx, columns[i].second);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
  }
}

TEST_F(MainWindowTest, WorkerReadsAndWritesControlsThroughTheWindowThread) {
  SetWindowTextA(Control(kExtensionEdit), "yml,配置");
  SendMessageA(Control(kTargetCombo), CB_SETCURSEL, 1, 0);
  Text folder, extensions;
  int target = -2;
  DWORD workerThread = 0;
  RunOnWorkerWhilePumping([&] {
    workerThread = GetCurrentThreadId();
    SetFolderText("D:\\插件\\plugins");
    folder = ReadFolderText();
    extensions = ReadExtensionText();
    target = SelectedTargetIndex();
  });
  EXPECT_NE(workerThread, GetCurrentThreadId());
  EXPECT_EQ(folder, "D:\\插件\\plugins");
  EXPECT_EQ(WindowText(Control(kFolderEdit)), "D:\\插件\\plugins");
  EXPECT_EQ(extensions, "yml,配置");
  EXPECT_EQ(target, 1);

  SendMessageA(Control(kTargetCombo), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  RunOnWorkerWhilePumping([&] { target = SelectedTargetIndex(); });
  EXPECT_EQ(target, -1);
}

TEST_F(MainWindowTest, WorkersMessageBoxLeavesTheWindowUsable) {
  std::thread worker([] { ShowMessage("已全部转码完成！", kInformationIcon); });
  HWND box = WaitForMessageBox("信息：");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "已全部转码完成！");
  EXPECT_TRUE(IsWindowEnabled(window));
  SetWindowTextA(Control(kFolderEdit), "typed while the box is up");
  EXPECT_EQ(WindowText(Control(kFolderEdit)), "typed while the box is up");
  DismissMessageBox(box);
  PumpUntil([&] { return !IsWindow(box); });
  worker.join();
  EXPECT_FALSE(IsWindow(box));
}
