#include "safety_fixture.h"

#include "encoding/transcode_run.h"
#include "reliability_table.h"
#include "results/backup_restore_run.h"
#include "support/scratch.h"

#include <algorithm>

int OrderOf(const char *name); // the scenario's place in the table (safety_test.cpp)

namespace {

std::string DefaultLabel(RunKind kind) {
  switch (kind) {
  case RunKind::ToUtf8:
    return "转码→UTF-8";
  case RunKind::ToGbk:
    return "转码→ANSI";
  case RunKind::Backup:
    return "备份";
  case RunKind::Restore:
    return "还原";
  }
  return {};
}

std::function<void()> RunFor(RunKind kind) {
  switch (kind) {
  case RunKind::ToUtf8:
  case RunKind::ToGbk:
    return RunTranscode;
  case RunKind::Backup:
    return [] { RunBackupRestore(kBackupMode); };
  case RunKind::Restore:
    return [] { RunBackupRestore(kRestoreMode); };
  }
  return {};
}

bool IsTranscode(RunKind kind) { return kind == RunKind::ToUtf8 || kind == RunKind::ToGbk; }

std::string Summary(const RunRecord &run) {
  std::string text = run.label + ": ";
  if (run.check.statuses.empty()) text += "no rows";
  bool first = true;
  for (const auto &[status, count] : run.check.statuses) {
    text += (first ? "" : ", ") + status + " " + std::to_string(count);
    first = false;
  }
  return text;
}

} // namespace

std::string ShortName(const std::string &path) {
  size_t cut = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (static_cast<unsigned char>(path[i]) >= 0x80) {
      ++i;
    } else if (path[i] == '\\') {
      cut = i + 1;
    }
  }
  return path.substr(cut);
}

std::string RunRecord::StatusOf(const std::string &path) const {
  for (const ListedRow &row : rows) {
    if (row.path == path) return row.status;
  }
  return "<no row>";
}

void SafetyTest::SetUp() {
  RunTest::SetUp();
  BeforeTranscodePass = nullptr;
  world = FreshScratchFolder(std::string("safety-") + GetParam().name);
  tree = world + "\\tree";
  CreateDirectoryA(tree.c_str(), nullptr);
}

void SafetyTest::TearDown() {
  BeforeTranscodePass = nullptr;
  int files = extraFiles_;
  long long lost = bytesLost_;
  std::string outcome;
  for (const RunRecord &run : runs) {
    files = std::max(files, run.check.filesBefore + extraFiles_);
    lost += run.check.bytesLost;
    outcome += (outcome.empty() ? "" : "; ") + Summary(run);
  }
  for (const std::string &note : notes_) outcome += (outcome.empty() ? "" : "; ") + note;
  if (HasFailure()) outcome = "FAILED: " + outcome;
  if (IsSkipped()) outcome = "SKIPPED: " + outcome;
  const Scenario &scenario = GetParam();
  WriteReliabilityRow(OrderOf(scenario.name), scenario.title,
                      std::string(scenario.files) + " (" + std::to_string(files) + " files)",
                      outcome, lost);
  RunTest::TearDown();
}

void SafetyTest::Put(const std::string &path, const std::string &bytes) {
  bool absolute = path.size() > 2 && path[1] == ':';
  PutFile(absolute ? path : At(path), bytes);
}

void SafetyTest::Checked(const CheckResult &check, const std::string &label) {
  EXPECT_EQ(check.bytesLost, 0) << Readable(label);
  for (size_t i = 0; i < check.problems.size() && i < 30; ++i) {
    ADD_FAILURE() << Readable(label + ": " + check.problems[i]);
  }
  EXPECT_LE(check.problems.size(), 30u) << Readable(label) << ": and more problems";
}

const RunRecord &SafetyTest::Run(RunKind kind, const RunOptions &options) {
  SetInputs(options.folderTextGiven ? options.folderText : tree, options.extensions,
            kind == RunKind::ToGbk ? 1 : 0);
  runs.emplace_back();
  RunRecord &record = runs.back();
  record.kind = kind;
  record.label = options.label.empty() ? DefaultLabel(kind) : options.label;
  std::wstring worldPath = Wide(world);

  if (IsTranscode(kind) && options.betweenScanAndPass) {
    BeforeTranscodePass = [&] {
      options.betweenScanAndPass();
      record.before = TakeSnapshot(worldPath);
      if (options.atStart) options.atStart();
    };
  } else {
    record.before = TakeSnapshot(worldPath);
    if (IsTranscode(kind)) {
      BeforeTranscodePass = options.atStart;
    } else if (options.atStart) {
      options.atStart();
    }
  }
  record.message = RunAndAnswer(RunFor(kind));
  BeforeTranscodePass = nullptr;
  if (options.afterRun) options.afterRun();
  record.after = TakeSnapshot(worldPath);
  record.rows = Rows();

  CheckInput input;
  input.kind = kind;
  if (!options.nothingMayChange)
    input.chosen = Wide(options.chosen.empty() ? tree : options.chosen);
  input.before = &record.before;
  input.after = &record.after;
  input.rows = &record.rows;
  input.rowPrefix = options.rowPrefix;
  input.rowPrefixAs = options.rowPrefixAs;
  record.check = CheckRun(input);
  EXPECT_EQ(record.message, IsTranscode(kind) ? "已全部转码完成！" : "已全部备份完成！")
      << record.label;
  Checked(record.check, record.label);
  return record;
}

CheckResult SafetyTest::CheckKilled(RunKind kind, const Snapshot &before, const Snapshot &after) {
  CheckInput input;
  input.kind = kind;
  input.chosen = Wide(tree);
  input.before = &before;
  input.after = &after;
  input.temporariesAllowed = true;
  CheckResult check = CheckRun(input);
  bytesLost_ += check.bytesLost;
  Checked(check, "killed run");
  return check;
}
