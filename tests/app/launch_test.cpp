#include "app/click_handlers.h"
#include "app/launch.h"
#include "app/run_control.h"
#include "encoding/transcode_run.h"
#include "files/program_folder.h"
#include "support/program.h"
#include "support/run_fixture.h"
#include "support/samples.h"
#include "support/scratch.h"

#include <commctrl.h>
#include <shlobj.h>

#include <atomic>
#include <thread>

namespace {

// The shell's folder dialog of this process: a dialog showing the text "请选择插件目录".
BOOL CALLBACK HasPickerTitle(HWND child, LPARAM found) {
  if (WindowText(child) == "请选择插件目录") {
    *reinterpret_cast<bool *>(found) = true;
    return FALSE;
  }
  return TRUE;
}

struct DialogSearch {
  HWND dialog = nullptr;
};

BOOL CALLBACK MatchPicker(HWND window, LPARAM data) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char windowClass[16] = {};
  GetClassNameA(window, windowClass, sizeof windowClass);
  if (pid != GetCurrentProcessId() || std::string(windowClass) != "#32770") return TRUE;
  bool found = false;
  EnumChildWindows(window, HasPickerTitle, reinterpret_cast<LPARAM>(&found));
  if (!found) return TRUE;
  reinterpret_cast<DialogSearch *>(data)->dialog = window;
  return FALSE;
}

// The name of the item selected in the dialog's folder tree.
std::string SelectedTreeItem(HWND dialog) {
  HWND tree = FindWindowExA(dialog, nullptr, WC_TREEVIEWA, nullptr);
  for (HWND child = GetWindow(dialog, GW_CHILD); !tree && child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    tree = FindWindowExA(child, nullptr, WC_TREEVIEWA, nullptr);
  }
  auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (tree == nullptr || item == nullptr) return "";
  char text[MAX_PATH] = {};
  TVITEMA data = {};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = text;
  data.cchTextMax = sizeof text;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
  return text;
}

// Asks the dialog to select folder until its tree shows it selected (the tree fills in while
// the dialog opens, and a request made too early is lost).
void SelectInPicker(HWND dialog, const std::string &folder) {
  std::string name = folder.substr(folder.find_last_of('\\') + 1);
  for (int attempt = 0; attempt < 100 && SelectedTreeItem(dialog) != name; ++attempt) {
    SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    Sleep(100);
  }
}

// What a click did while a watcher answered the folder dialog (if one came).
struct ClickOutcome {
  bool pickerOpened = false;
  HWND pickerOwner = nullptr;
  bool runStarted = false;
};

class LaunchTest : public RunTest {
protected:
  // Clicks a button; a watcher cancels the folder dialog, or picks choose in it.
  ClickOutcome Click(ControlId button, const std::string &choose = "") {
    ClickOutcome outcome;
    std::atomic<bool> clicked{false};
    std::thread watcher([&] {
      HWND dialog = nullptr;
      ULONGLONG end = GetTickCount64() + 5000;
      while (!dialog && !(clicked && GetTickCount64() > end)) {
        DialogSearch search;
        EnumWindows(MatchPicker, reinterpret_cast<LPARAM>(&search));
        dialog = search.dialog;
        Sleep(10);
      }
      if (!dialog) return;
      outcome.pickerOpened = true;
      outcome.pickerOwner = GetWindow(dialog, GW_OWNER);
      if (!choose.empty()) {
        SelectInPicker(dialog, choose);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      } else {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      }
    });
    SendMessageA(Control(button), BM_CLICK, 0, 0);
    outcome.runStarted = RunIsWorking();
    clicked = true;
    PumpUntil([&] { return false; }, 50);
    watcher.join();
    return outcome;
  }
};

TEST(IsExistingFolder, OnlyAnExistingFolder) {
  std::string folder = FreshScratchFolder("launch-is-folder");
  PutFile(folder + "\\file.yml", "x");
  const std::pair<std::string, bool> cases[] = {
      {folder, true},
      {folder + "\\", true},
      {"", false},
      {folder + "\\missing", false},
      {folder + "\\file.yml", false},
  };
  for (const auto &[path, expected] : cases) EXPECT_EQ(IsExistingFolder(path), expected) << path;
}

TEST_F(LaunchTest, ChooseOpensTheDialogOverTheWindowAndKeepsTheTextOnCancel) {
  SetInputs("D:\\does\\not\\exist");
  ClickOutcome outcome = Click(kChooseButton);
  EXPECT_TRUE(outcome.pickerOpened);
  EXPECT_EQ(outcome.pickerOwner, window);
  EXPECT_EQ(WindowText(Control(kFolderEdit)), "D:\\does\\not\\exist");
}

TEST_F(LaunchTest, AChosenFolderGoesIntoTheFolderBox) {
  std::string folder = FreshScratchFolder("launch-chosen");
  SetInputs("");
  ClickOutcome outcome = Click(kChooseButton, folder);
  EXPECT_TRUE(outcome.pickerOpened);
  EXPECT_EQ(WindowText(Control(kFolderEdit)), folder);
}

TEST_F(LaunchTest, RunButtonsTestTheFolderAndOpenThePickerInsteadOfARun) {
  std::string folder = FreshScratchFolder("launch-table");
  PutFile(folder + "\\a.yml", GbkSample());
  const std::string noFolders[] = {"", folder + "\\missing", folder + "\\a.yml"};
  for (ControlId button : {kTranscodeButton, kBackupButton}) {
    for (const std::string &text : noFolders) {
      SCOPED_TRACE(text);
      SetInputs(text);
      ClickOutcome outcome = Click(button);
      EXPECT_TRUE(outcome.pickerOpened);
      EXPECT_FALSE(outcome.runStarted);
      EXPECT_EQ(FindOwnWindow("#32770", "信息："), nullptr);
      EXPECT_EQ(WindowText(Control(kFolderEdit)), text);
    }
  }
  EXPECT_EQ(GetFile(folder + "\\a.yml"), GbkSample());
  EXPECT_FALSE(PathExists(folder + "\\a.yml.ravex"));
}

// Clicks a run button on the window's thread and answers the run's closing message.
std::string ClickAndAnswer(HWND button) {
  SendMessageA(button, BM_CLICK, 0, 0);
  HWND box = WaitForMessageBox("信息：", 60000);
  if (box == nullptr) return "";
  std::string text = MessageBoxText(box);
  DismissMessageBox(box);
  PumpUntil([&] { return !IsWindow(box); });
  PumpUntil([] { return false; }, 50);
  return text;
}

TEST_F(LaunchTest, ExistingFolderWithTrailingBackslashStartsTheRun) {
  std::string folder = FreshScratchFolder("launch-trailing");
  PutFile(folder + "\\a.yml", "a: 1\r\n");
  SetInputs(folder + "\\");
  EXPECT_EQ(ClickAndAnswer(Control(kBackupButton)), "已全部备份完成！");
  EXPECT_EQ(GetFile(folder + "\\a.yml.ravex"), "a: 1\r\n");
  EXPECT_EQ(RowOf(folder + "\\a.yml").status, "备份成功");
  EXPECT_EQ(ClickAndAnswer(Control(kTranscodeButton)), "已全部转码完成！");
  EXPECT_EQ(RowOf(folder + "\\a.yml").status, "已转码");
}

TEST_F(LaunchTest, RestoreStartsAtOnceEvenWithAnEmptyFolderText) {
  SetInputs("");
  EXPECT_EQ(ClickAndAnswer(Control(kRestoreButton)), "已全部备份完成！");
  EXPECT_TRUE(Rows().empty());
}

TEST_F(LaunchTest, RunButtonsAreDisabledWhileARunWorksAndASecondClickStartsNothing) {
  std::string folder = FreshScratchFolder("launch-one-at-a-time");
  PutFile(folder + "\\a.yml", GbkSample());
  SetInputs(folder);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> passes{0};
  BeforeTranscodePass = [&] {
    ++passes;
    WaitForSingleObject(release, 20000);
  };
  SendMessageA(Control(kTranscodeButton), BM_CLICK, 0, 0);
  PumpUntil([&] { return passes.load() == 1; });
  ASSERT_TRUE(RunIsWorking());
  for (ControlId id : {kTranscodeButton, kBackupButton, kRestoreButton}) {
    EXPECT_FALSE(IsWindowEnabled(Control(id))) << id;
  }
  EXPECT_TRUE(IsWindowEnabled(Control(kChooseButton)));
  // A click that reaches the window anyway (queued before the buttons went grey) is ignored.
  for (ControlId id : {kTranscodeButton, kBackupButton, kRestoreButton}) {
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(id)));
  }
  SetEvent(release);
  HWND box = WaitForMessageBox("信息：");
  ASSERT_NE(box, nullptr);
  // The run's work is done before its message shows: a new run may start while it is up.
  for (ControlId id : {kTranscodeButton, kBackupButton, kRestoreButton}) {
    EXPECT_TRUE(IsWindowEnabled(Control(id))) << id;
  }
  EXPECT_FALSE(RunIsWorking());
  DismissMessageBox(box);
  PumpUntil([&] { return !IsWindow(box); });
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(passes.load(), 1);
  EXPECT_EQ(FindOwnWindow("#32770", "信息："), nullptr);
  EXPECT_EQ(GetFile(folder + "\\a.yml"), Utf8Sample());
  EXPECT_FALSE(PathExists(folder + "\\a.yml.ravex"));
  BeforeTranscodePass = nullptr;
  CloseHandle(release);
}

// The real program, driven from outside as a person would.
class ProgramTest : public ::testing::Test {
protected:
  void Click(HWND window, int button) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
  }
};

TEST_F(ProgramTest, ARelativeFolderIsTakenFromTheProgramFolder) {
  std::string folder = FreshScratchFolder("launch-relative");
  PutFile(folder + "\\plugins\\a.yml", "a: 1\r\n");
  StartedProgram program = StartProgramIn(folder, true, FreshScratchFolder("launch-elsewhere"));
  HWND window = WaitForMainWindowOf(program);
  ASSERT_NE(window, nullptr);
  SendMessageA(GetDlgItem(window, kFolderEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("plugins"));
  Click(window, kBackupButton);
  HWND box = WaitForMessageBox("信息：", 30000, program.process.dwProcessId);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "已全部备份完成！");
  EXPECT_EQ(GetFile(folder + "\\plugins\\a.yml.ravex"), "a: 1\r\n");
  DismissMessageBox(box);
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExit(program), 0u);
}

// A tree of files in code page 936 for a run to be closed in the middle of.
std::string TreeOfGbkFiles(const std::string &name, int files) {
  std::string folder = FreshScratchFolder(name);
  for (int i = 0; i < files; ++i) {
    PutFile(folder + "\\t" + std::to_string(i / 50) + "\\f" + std::to_string(i) + ".yml",
            GbkSample());
  }
  return folder;
}

// How many of the tree's files are converted; every file must be either as it was or exactly
// converted, and no temporary file may be left anywhere.
int ConvertedFilesOfTree(const std::string &folder, int files) {
  int converted = 0;
  for (int i = 0; i < files; ++i) {
    std::string content =
        GetFile(folder + "\\t" + std::to_string(i / 50) + "\\f" + std::to_string(i) + ".yml");
    EXPECT_TRUE(content == GbkSample() || content == Utf8Sample()) << i;
    converted += content == Utf8Sample();
  }
  for (int t = 0; t < (files + 49) / 50; ++t) {
    WIN32_FIND_DATAA data;
    std::string pattern = folder + "\\t" + std::to_string(t) + "\\.*";
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    int strays = 0;
    if (find != INVALID_HANDLE_VALUE) {
      do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") ++strays;
      } while (FindNextFileA(find, &data));
      FindClose(find);
    }
    EXPECT_EQ(strays, 0) << t;
  }
  return converted;
}

// Closing the window during a transcode run: during the scan, the run ends before it rewrites
// any file; during the pass, it stops after the file it is on.
TEST_F(ProgramTest, ClosingDuringATranscodeRunStopsCleanlyBetweenFiles) {
  struct Case {
    const char *what;
    int files;
    bool duringScan;
  };
  for (const Case &c : {Case{"during the pass", 400, false}, Case{"during the scan", 2000, true}}) {
    std::string folder =
        TreeOfGbkFiles(std::string("launch-close-") + (c.duringScan ? "scan" : "pass"), c.files);
    StartedProgram program = StartProgramIn(FreshScratchFolder("launch-close-program"), true);
    HWND window = WaitForMainWindowOf(program);
    ASSERT_NE(window, nullptr) << c.what;
    SendMessageA(GetDlgItem(window, kFolderEdit), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(folder.c_str()));
    Click(window, kTranscodeButton);
    // Close as soon as the list has a row, or as soon as the pass has rewritten its first file.
    HWND list = GetDlgItem(window, kResultListControl);
    std::string first = folder + "\\t0\\f0.yml";
    ASSERT_TRUE(PumpUntil(
        [&] {
          return c.duringScan ? SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0
                              : GetFile(first) == Utf8Sample();
        },
        180000))
        << c.what;
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(program, 120000), 0u) << c.what;
    EXPECT_EQ(WaitForMessageBox("信息：", 200, program.process.dwProcessId), nullptr) << c.what;

    int converted = ConvertedFilesOfTree(folder, c.files);
    if (c.duringScan) {
      EXPECT_EQ(converted, 0) << c.what;
    } else {
      EXPECT_GT(converted, 0) << c.what;
      EXPECT_LT(converted, c.files) << c.what; // it did stop early
    }
  }
}

} // namespace
