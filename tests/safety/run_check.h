#pragma once
// The rule every run must keep, checked file by file from snapshots taken before and after
// it: each file is as it was, or exactly the lossless conversion of its old bytes (transcode),
// or exactly the bytes of its backup (restore); each backup holds exactly its source's bytes;
// a row that claims success names a file that really was rewritten as asked; and nothing
// outside the chosen folder changes.

#include "support/run_fixture.h"
#include "tree_snapshot.h"

#include <map>
#include <string>
#include <vector>

enum class RunKind { ToUtf8, ToGbk, Backup, Restore };

struct CheckInput {
  RunKind kind = RunKind::ToUtf8;
  // The folder the run may change (a path of the snapshot), or empty: nothing may change.
  std::wstring chosen;
  const Snapshot *before = nullptr;
  const Snapshot *after = nullptr;
  // The rows the run left, or null when there are none to read (the process was killed).
  const std::vector<ListedRow> *rows = nullptr;
  // Row paths that begin with rowPrefix stand for the same path beginning with rowPrefixAs
  // (a drive letter mapped to a folder of the snapshot).
  std::string rowPrefix, rowPrefixAs;
  // New files whose names begin with "." (temporary files of a killed run) are counted, not
  // reported.
  bool temporariesAllowed = false;
};

struct CheckResult {
  long long bytesLost = 0; // bytes of files damaged, lost, or backed up wrongly
  std::vector<std::string> problems;
  std::vector<std::wstring> temporaries; // new files whose names begin with "."
  std::map<std::string, int> statuses;   // status word -> rows
  int rewritten = 0;                     // files changed as asked (converted, backed up, restored)
  int filesBefore = 0;                   // files of the chosen folder before the run
};

CheckResult CheckRun(const CheckInput &input);

// The path a restore writes a backup back to: everything before the last ".".
std::wstring RestoreTarget(const std::wstring &backup);
bool IsBackupName(const std::wstring &path);
