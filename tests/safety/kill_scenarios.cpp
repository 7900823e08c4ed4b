// The real Quorvel.exe, hard-killed (TerminateProcess) at seeded random moments of a run over
// 400 files. After each kill every file must be whole: as it was, or exactly converted, or
// exactly restored. The temporary files a kill leaves behind are counted and kept, and a
// following run must neither list nor touch them.

#include "driven_program.h"
#include "safety_fixture.h"
#include "scenario_helpers.h"
#include "scenarios.h"
#include "support/scratch.h"

#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

constexpr int kKills = 20;
constexpr int kFolders = 20, kFilesPerFolder = 20;
const char *const kExtensions[] = {"yml", "txt", "json", "lang"};

unsigned KillSeed() {
  const char *seed = std::getenv("QUORVEL_KILL_SEED");
  return seed ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : 20240611u;
}

// Names f00\n00.yml ... of the tree, and a content of 1 to 6 KB that tells them apart.
void ForEachFile(const std::string &tree, const std::function<void(const std::string &, int)> &f) {
  for (int folder = 0; folder < kFolders; ++folder) {
    std::string dir = tree + "\\f" + std::to_string(100 + folder).substr(1);
    CreateDirectoryA(dir.c_str(), nullptr);
    for (int i = 0; i < kFilesPerFolder; ++i) {
      f(dir + "\\n" + std::to_string(100 + i).substr(1) + "." + kExtensions[i % 4],
        folder * kFilesPerFolder + i);
    }
  }
}

std::string Content(const std::string &tag, int n) {
  std::string text;
  for (int i = 0; i <= n % 6; ++i) text += GbkText(tag + " " + std::to_string(n));
  for (int i = 0; i <= n % 6; ++i) text += GbkText("more " + std::to_string(i));
  return text;
}

// Puts every file of `pristine` back as it was; new files other than temporaries go.
void Reset(const Snapshot &pristine, const Snapshot &now) {
  for (const auto &[path, state] : pristine) {
    auto found = now.find(path);
    if (found == now.end() || found->second.bytes != state.bytes) WriteExactly(path, state.bytes);
  }
  for (const auto &[path, state] : now) {
    if (!pristine.count(path) && !NameStartsWithDot(path)) RemoveExactly(path);
  }
}

struct KillPlan {
  RunKind kind;
  int button;
  std::string message;
};

// The whole scenario for one kind of run: a timed run to learn how long one takes, 20 kills at
// random moments within that time, and a following run in this process.
void KillRuns(SafetyTest &t, const KillPlan &plan) {
  std::wstring tree = Wide(t.tree);
  Snapshot pristine = TakeSnapshot(tree);
  ASSERT_EQ(pristine.size(), static_cast<size_t>(kFolders * kFilesPerFolder *
                                                 (plan.kind == RunKind::Restore ? 2 : 1)));
  std::string programFolder = t.world + "\\program";
  CreateDirectoryA(programFolder.c_str(), nullptr);
  DrivenProgram program(programFolder);
  ASSERT_TRUE(program.Copied());

  ASSERT_TRUE(program.Start());
  program.SetInputs(t.tree, "yml,txt,json,lang", 0);
  ULONGLONG start = GetTickCount64();
  program.Press(plan.button);
  ASSERT_EQ(program.WaitForClosingMessage(300000), plan.message);
  int whole = static_cast<int>(GetTickCount64() - start);
  program.AnswerClosingMessage();
  ASSERT_TRUE(program.Close());
  Snapshot done = TakeSnapshot(tree);
  CheckResult full = t.CheckKilled(plan.kind, pristine, done);
  EXPECT_EQ(full.rewritten, kFolders * kFilesPerFolder) << "the whole run did not do its work";
  EXPECT_TRUE(full.temporaries.empty());
  Reset(pristine, done);

  unsigned seed = KillSeed();
  std::printf("kill seed %u, whole run %d ms\n", seed, whole);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> moment(0, whole);
  Snapshot before = pristine; // plus every temporary file the kills have left so far
  int midRun = 0, temporaries = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    int at = moment(random);
    ASSERT_TRUE(program.Start());
    program.SetInputs(t.tree, "yml,txt,json,lang", 0);
    program.Press(plan.button);
    Sleep(static_cast<DWORD>(at));
    program.Kill();
    Snapshot after = TakeSnapshot(tree);
    CheckResult check = t.CheckKilled(plan.kind, before, after);
    std::printf("kill %2d at %4d ms: %4d files rewritten, %zu temporary files left\n", kill + 1, at,
                check.rewritten, check.temporaries.size());
    if (check.rewritten > 0 && check.rewritten < kFolders * kFilesPerFolder) ++midRun;
    temporaries += static_cast<int>(check.temporaries.size());
    for (const std::wstring &path : check.temporaries) before[path] = after.at(path);
    Reset(pristine, after);
  }
  std::fflush(stdout);
  EXPECT_GE(midRun, 1) << "no kill landed while files were being rewritten";

  // A following run over the tree with every leftover temporary file in it.
  const RunRecord &next = t.Run(plan.kind);
  EXPECT_EQ(next.rows.size(), static_cast<size_t>(kFolders * kFilesPerFolder));
  EXPECT_EQ(next.check.rewritten, kFolders * kFilesPerFolder);
  for (const ListedRow &row : next.rows) {
    EXPECT_NE(ShortName(row.path)[0], '.') << "a temporary file was listed: " << row.path;
  }
  int kept = 0;
  for (const auto &[path, state] : before) {
    if (!NameStartsWithDot(path)) continue;
    auto now = next.after.find(path);
    kept += now != next.after.end() && now->second.bytes == state.bytes;
  }
  EXPECT_EQ(kept, temporaries);
  t.Note("whole run " + std::to_string(whole) + " ms; " + std::to_string(kKills) + " kills (seed " +
         std::to_string(seed) + "), " + std::to_string(midRun) +
         " while files were being rewritten; " + std::to_string(temporaries) +
         " temporary files left, none listed or changed by the following run");
}

} // namespace

void KillDuringTranscode(SafetyTest &t) {
  ForEachFile(t.tree, [](const std::string &path, int n) { PutFile(path, Content("file", n)); });
  KillRuns(t, {RunKind::ToUtf8, kTranscodeButton, "已全部转码完成！"});
}

void KillDuringRestore(SafetyTest &t) {
  ForEachFile(t.tree, [](const std::string &path, int n) {
    PutFile(path, GbkText("the file now " + std::to_string(n)));
    PutFile(path + ".ravex", Content("backup", n));
  });
  KillRuns(t, {RunKind::Restore, kRestoreButton, "已全部备份完成！"});
}
