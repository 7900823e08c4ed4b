// 100,000 small files in 2,000 folders (made by scripts/scale.sh with make_scale_tree.py)
// through a transcode, a backup and a restore by the real Quorvel.exe: the list numbered to
// "100000", every file checked, and the time and peak memory of each run.

#include "driven_program.h"
#include "safety_fixture.h"
#include "scenario_helpers.h"
#include "scenarios.h"
#include "support/scratch.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The tree's size: 100,000 files unless scale.sh is told otherwise (SCALE_FOLDERS, SCALE_FILES).
size_t TreeFiles() {
  const char *files = std::getenv("QUORVEL_SCALE_FILES");
  return files ? std::strtoul(files, nullptr, 10) : 100000;
}

std::string Megabytes(SIZE_T bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

std::string Seconds(ULONGLONG ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
  return text;
}

} // namespace

void ScaleRuns(SafetyTest &t) {
  t.world = NativeScratch("safety-big-tree");
  t.tree = t.world + "\\tree";
  std::wstring tree = Wide(t.tree);
  std::string programFolder = t.world + "\\program";
  CreateDirectoryA(programFolder.c_str(), nullptr);
  DrivenProgram program(programFolder);
  ASSERT_TRUE(program.Copied());

  struct Step {
    RunKind kind;
    int button;
    const char *label, *message;
  };
  for (const Step &step :
       {Step{RunKind::ToUtf8, kTranscodeButton, "转码→UTF-8", "已全部转码完成！"},
        Step{RunKind::Backup, kBackupButton, "备份", "已全部备份完成！"},
        Step{RunKind::Restore, kRestoreButton, "还原", "已全部备份完成！"}}) {
    if (step.kind == RunKind::Restore) {
      // Every tenth file changes, so that the restore has something to give back.
      int n = 0;
      for (const auto &[path, size] : ListSizes(tree)) {
        if (!IsBackupName(path) && n++ % 10 == 0) WriteExactly(path, "changed\r\n");
      }
    }
    ULONGLONG snapshotStart = GetTickCount64();
    Snapshot before = TakeSnapshot(tree);
    std::printf("%s: snapshot of %zu files in %s\n", Readable(step.label).c_str(), before.size(),
                Seconds(GetTickCount64() - snapshotStart).c_str());
    // A fresh process for each run, so that its peak memory is that run's.
    ASSERT_TRUE(program.Start());
    program.SetInputs(t.tree, "yml,txt,json,lang", 0);
    ULONGLONG start = GetTickCount64();
    program.Press(step.button);
    ASSERT_EQ(program.WaitForClosingMessage(3 * 3600 * 1000), step.message) << step.label;
    ULONGLONG elapsed = GetTickCount64() - start;
    ULONGLONG readStart = GetTickCount64();
    std::vector<ListedRow> rows = program.ReadRows(true);
    std::printf("%s: %zu rows read in %s\n", Readable(step.label).c_str(), rows.size(),
                Seconds(GetTickCount64() - readStart).c_str());
    SIZE_T peakWorkingSet = program.PeakWorkingSet(), peakPagefile = program.PeakPagefile();
    program.AnswerClosingMessage();
    EXPECT_TRUE(program.Close());
    Snapshot after = TakeSnapshot(tree);

    CheckInput input;
    input.kind = step.kind;
    input.chosen = tree;
    input.before = &before;
    input.after = &after;
    input.rows = &rows;
    CheckResult check = CheckRun(input);
    t.AddBytesLost(check.bytesLost);
    EXPECT_EQ(check.bytesLost, 0) << step.label;
    for (size_t i = 0; i < check.problems.size() && i < 30; ++i) {
      ADD_FAILURE() << Readable(step.label + std::string(": ") + check.problems[i]);
    }
    EXPECT_TRUE(check.problems.empty()) << check.problems.size() << " problems";
    ASSERT_EQ(rows.size(), TreeFiles()) << Readable(step.label);
    EXPECT_EQ(rows.front().number, "0001");
    std::string last = std::to_string(TreeFiles());
    EXPECT_EQ(rows.back().number, std::string(last.size() < 4 ? 4 - last.size() : 0, '0') + last);

    std::string statuses;
    for (const auto &[status, count] : check.statuses) {
      statuses += (statuses.empty() ? "" : ", ") + status + " " + std::to_string(count);
    }
    std::string line = std::string(step.label) + ": " + Seconds(elapsed) + ", rows to \"" +
                       rows.back().number + "\" (" + statuses + "), peak working set " +
                       Megabytes(peakWorkingSet) + ", peak pagefile " + Megabytes(peakPagefile);
    std::printf("%s\n", Readable(line).c_str());
    std::fflush(stdout);
    t.Note(line);
  }
  t.AddFiles(static_cast<int>(TreeFiles()));
}
