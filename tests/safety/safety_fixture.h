#pragma once
// The fixture every safety scenario runs in: the real main window in this process, a scratch
// "world" folder around the chosen folder, and runs that are checked file by file against
// snapshots taken before and after them.

#include "run_check.h"
#include "support/run_fixture.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

class SafetyTest;

// Where a scenario runs: in `bash scripts/test.sh`, in `bash scripts/scale.sh`, or in its own
// CTest entry under a file-size limit.
enum class Suite { Main, Scale, FileSizeLimit };

struct Scenario {
  const char *name; // test name
  Suite suite;
  const char *title; // the scenario, as the reliability table names it
  const char *files; // the files it involves
  std::function<void(SafetyTest &)> setup;
  std::function<void(SafetyTest &)> run;
  std::function<void(SafetyTest &)> expect;
};

// How a run is set up; built by chaining: RunOptions().Extensions("yml").AtStart(...).
// Scenarios print as their names in test output.
inline void PrintTo(const Scenario &scenario, std::ostream *out) { *out << scenario.name; }

struct RunOptions {
  std::string extensions = "yml,txt,json,lang";
  bool folderTextGiven = false;
  std::string folderText; // 编辑框1 when folderTextGiven, else the tree
  // The folder the run may change (GBK, a path of the world); empty: the tree.
  std::string chosen;
  bool nothingMayChange = false;
  std::string rowPrefix, rowPrefixAs;
  // Transcode only: changes the tree between the scan and the pass; the "before" snapshot is
  // then taken after them, when the pass starts.
  std::function<void()> betweenScanAndPass;
  // After the before snapshot: at the run's start (backup, restore) or when the pass starts.
  std::function<void()> atStart;
  // After the run, before the after snapshot (let go of held files, say).
  std::function<void()> afterRun;
  std::string label; // the run as the outcome column names it

  RunOptions &Extensions(std::string text) { return extensions = std::move(text), *this; }
  RunOptions &FolderText(std::string text) {
    folderTextGiven = true;
    return folderText = std::move(text), *this;
  }
  RunOptions &Chosen(std::string folder) { return chosen = std::move(folder), *this; }
  RunOptions &NothingMayChange() { return nothingMayChange = true, *this; }
  // Row paths beginning with prefix stand for paths beginning with as.
  RunOptions &RowPrefix(std::string prefix, std::string as) {
    rowPrefix = std::move(prefix);
    return rowPrefixAs = std::move(as), *this;
  }
  RunOptions &BetweenScanAndPass(std::function<void()> f) {
    return betweenScanAndPass = std::move(f), *this;
  }
  RunOptions &AtStart(std::function<void()> f) { return atStart = std::move(f), *this; }
  RunOptions &AfterRun(std::function<void()> f) { return afterRun = std::move(f), *this; }
  RunOptions &Label(std::string text) { return label = std::move(text), *this; }
};

struct RunRecord {
  RunKind kind;
  std::string label;
  std::string message;
  std::vector<ListedRow> rows;
  CheckResult check;
  Snapshot before, after;
  int Count(const std::string &status) const {
    auto found = check.statuses.find(status);
    return found == check.statuses.end() ? 0 : found->second;
  }
  std::string StatusOf(const std::string &path) const;
};

class SafetyTest : public RunTest, public ::testing::WithParamInterface<Scenario> {
public:
  // The world (a fresh scratch folder named after the scenario) and the tree inside it.
  std::string world, tree;

  // Puts a file under the tree (relative path) or anywhere (absolute path).
  void Put(const std::string &path, const std::string &bytes);
  std::string At(const std::string &relative) const { return tree + "\\" + relative; }

  // Runs one run through the real window and checks it against the world's snapshots.
  const RunRecord &Run(RunKind kind, const RunOptions &options = RunOptions());
  // Checks a run that happened some other way (the real program, killed) with no rows.
  CheckResult CheckKilled(RunKind kind, const Snapshot &before, const Snapshot &after);

  std::vector<ListedRow> ListedRows() { return Rows(); }

  // A line for the outcome column.
  void Note(const std::string &text) { notes_.push_back(text); }
  void AddFiles(int count) { extraFiles_ += count; }
  void AddBytesLost(long long bytes) { bytesLost_ += bytes; }

  std::deque<RunRecord> runs;

protected:
  void SetUp() override;
  void TearDown() override;
  void Checked(const CheckResult &check, const std::string &label);

private:
  std::vector<std::string> notes_;
  long long bytesLost_ = 0;
  int extraFiles_ = 0;
};

// A file's name for the outcome column.
std::string ShortName(const std::string &path);
