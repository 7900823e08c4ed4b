#include "driven_program.h"

#include "support/gui.h"
#include "support/scratch.h"

#include <commctrl.h>
#include <cstdio>
#include <psapi.h>

namespace {

constexpr SIZE_T kTextSize = 8192;

} // namespace

DrivenProgram::DrivenProgram(const std::string &folder) : folder_(folder) {
  copied_ = CopyFileA(BuiltProgramPath().c_str(), (folder + "\\Quorvel.exe").c_str(), FALSE) &&
            CopyFileA((TestProgramFolder() + "\\uchardet.dll").c_str(),
                      (folder + "\\uchardet.dll").c_str(), FALSE);
}

DrivenProgram::~DrivenProgram() { Kill(); }

bool DrivenProgram::Start() {
  Kill();
  std::string exe = folder_ + "\\Quorvel.exe";
  std::string commandLine = "\"" + exe + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  // Right after a hard kill Wine can refuse a new process for a moment; try a few times.
  for (int attempt = 0; attempt < 10 && !program_.started; ++attempt) {
    if (attempt > 0) Sleep(200);
    program_.started = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                      nullptr, nullptr, &startup, &program_.process) != 0;
  }
  if (!program_.started) {
    std::printf("cannot start %s: error %lu\n", exe.c_str(), GetLastError());
    return false;
  }
  window_ = WaitForMainWindowOf(program_, 30000);
  if (window_ == nullptr) return false;
  remote_ = VirtualAllocEx(program_.process.hProcess, nullptr, sizeof(LVITEMA) + kTextSize,
                           MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  return remote_ != nullptr;
}

void DrivenProgram::SetInputs(const std::string &folder, const std::string &extensions,
                              int target) {
  SendMessageA(GetDlgItem(window_, kFolderEdit), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(folder.c_str()));
  SendMessageA(GetDlgItem(window_, kExtensionEdit), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(extensions.c_str()));
  SendMessageA(GetDlgItem(window_, kTargetCombo), CB_SETCURSEL, static_cast<WPARAM>(target), 0);
}

void DrivenProgram::Press(int button) {
  box_ = nullptr;
  PostMessageA(window_, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(window_, button)));
}

std::string DrivenProgram::WaitForClosingMessage(int timeoutMs) {
  box_ = WaitForMessageBox("信息：", timeoutMs, program_.process.dwProcessId);
  return box_ ? MessageBoxText(box_) : std::string();
}

void DrivenProgram::AnswerClosingMessage() {
  if (box_ == nullptr) return;
  DismissMessageBox(box_);
  HWND box = box_;
  PumpUntil([&] { return !IsWindow(box); }, 10000);
  box_ = nullptr;
}

int DrivenProgram::RowCount() {
  return static_cast<int>(
      SendMessageA(GetDlgItem(window_, kResultListControl), LVM_GETITEMCOUNT, 0, 0));
}

std::string DrivenProgram::Cell(int row, int column) {
  HANDLE process = program_.process.hProcess;
  char *remoteText = static_cast<char *>(remote_) + sizeof(LVITEMA);
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = remoteText;
  item.cchTextMax = static_cast<int>(kTextSize);
  if (!WriteProcessMemory(process, remote_, &item, sizeof item, nullptr)) return "<unreadable>";
  int got =
      static_cast<int>(SendMessageA(GetDlgItem(window_, kResultListControl), LVM_GETITEMTEXTA,
                                    static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote_)));
  if (got <= 0) return {};
  std::string text(static_cast<size_t>(got), '\0');
  if (!ReadProcessMemory(process, remoteText, text.data(), text.size(), nullptr)) {
    return "<unreadable>";
  }
  return text;
}

std::vector<ListedRow> DrivenProgram::ReadRows(bool brief) {
  std::vector<ListedRow> rows;
  HWND list = GetDlgItem(window_, kResultListControl);
  int count = RowCount();
  rows.reserve(static_cast<size_t>(count));
  for (int row = 0; row < count; ++row) {
    ListedRow read{};
    if (!brief || row == 0 || row == count - 1) read.number = Cell(row, 0);
    read.path = Cell(row, 1);
    read.status = Cell(row, 3);
    if (!brief) {
      read.encoding = Cell(row, 2);
      UINT state = static_cast<UINT>(
          SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
      read.checked = (state >> 12) == 2;
    }
    rows.push_back(std::move(read));
  }
  return rows;
}

SIZE_T DrivenProgram::PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(program_.process.hProcess, &counters, sizeof counters);
  return counters.PeakWorkingSetSize;
}

SIZE_T DrivenProgram::PeakPagefile() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(program_.process.hProcess, &counters, sizeof counters);
  return counters.PeakPagefileUsage;
}

void DrivenProgram::Kill() {
  if (!program_.started) return;
  TerminateProcess(program_.process.hProcess, 9);
  WaitForSingleObject(program_.process.hProcess, 30000);
  CloseHandle(program_.process.hProcess);
  CloseHandle(program_.process.hThread);
  program_ = {};
  window_ = nullptr;
  remote_ = nullptr;
  box_ = nullptr;
}

bool DrivenProgram::Close() {
  if (!program_.started) return true;
  PostMessageA(window_, WM_CLOSE, 0, 0);
  bool ended = WaitForExit(program_, 30000) != STILL_ACTIVE;
  if (ended) {
    CloseHandle(program_.process.hProcess);
    CloseHandle(program_.process.hThread);
    program_ = {};
    window_ = nullptr;
  }
  return ended;
}
