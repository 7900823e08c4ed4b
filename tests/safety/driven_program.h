#pragma once
// The built Quorvel.exe in a process of its own, driven through its window the way a person
// would: text typed into its boxes, a button pressed, the closing message answered. Its list is
// read through memory lent in its own address space.

#include "support/program.h"
#include "support/run_fixture.h"

#include <windows.h>

#include <string>
#include <vector>

class DrivenProgram {
public:
  // Copies the program and uchardet.dll into folder.
  explicit DrivenProgram(const std::string &folder);
  DrivenProgram(const DrivenProgram &) = delete;
  DrivenProgram &operator=(const DrivenProgram &) = delete;
  ~DrivenProgram();

  bool Copied() const { return copied_; }
  // Starts it and waits for its main window.
  bool Start();
  // 编辑框1, 编辑框2 and the selection of 组合框1.
  void SetInputs(const std::string &folder, const std::string &extensions, int target);
  // Posts a click of the button with this control id (108 backup, 109 restore, 112 transcode).
  void Press(int button);
  // Waits for the closing message and gives its text ("" when none came), leaving it up.
  std::string WaitForClosingMessage(int timeoutMs);
  void AnswerClosingMessage();

  int RowCount();
  // Every row. For a big list, `brief` reads only what a check needs (path and status, and the
  // numbers of the first and the last row), a third of the round trips.
  std::vector<ListedRow> ReadRows(bool brief = false);

  SIZE_T PeakWorkingSet();
  SIZE_T PeakPagefile();

  // A hard kill, as by the task manager; waits until the process is gone.
  void Kill();
  // Closes the window and waits for the process to end; true when it ended.
  bool Close();

private:
  std::string Cell(int row, int column);

  std::string folder_;
  bool copied_ = false;
  StartedProgram program_;
  HWND window_ = nullptr;
  void *remote_ = nullptr; // an LVITEMA and its text buffer, in the program's memory
  HWND box_ = nullptr;
};
