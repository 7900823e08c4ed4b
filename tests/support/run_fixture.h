#pragma once
// Runs a whole run on a worker against the real window, answering its closing message.

#include "support/main_window_fixture.h"

#include "files/text.h"

#include <functional>
#include <string>
#include <vector>

struct ListedRow {
  std::string number, path, encoding, status;
  bool checked;
};

class RunTest : public MainWindowTest {
protected:
  // Sets 编辑框1 and 编辑框2 (and 组合框1's selection when target >= -1).
  void SetInputs(const std::string &folder, const std::string &extensions = "yml,txt,json,lang",
                 int target = 0);
  // Runs run on a worker, waits for its closing message, dismisses it; gives the message text
  // ("" when none came).
  std::string RunAndAnswer(const std::function<void()> &run);
  std::vector<ListedRow> Rows();
  // The row of path, failing the test when there is not exactly one.
  ListedRow RowOf(const std::string &path);
};
