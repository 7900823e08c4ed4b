#include "results/backup_restore_run.h"
#include "support/run_fixture.h"
#include "support/samples.h"
#include "support/scratch.h"

#include <map>

namespace {

using BackupRestoreRunTest = RunTest;

const std::map<std::string, std::string> kTree = {
    {"a.yml", GbkSample()},
    {"b.txt", Utf8Sample()},
    {"empty.json", ""},
    {"sub\\c.lang", "key=value\r\n"},
    {"sub\\\xD6\xD0\xCE\xC4\\d.YML", GbkSample() + GbkSample()},
    {"skip.md", "not listed"},
    {".env.yml", "hidden"},
    {".git\\config.yml", "hidden too"},
};

std::string MakeTree(const std::string &name) {
  std::string folder = FreshScratchFolder(name);
  for (const auto &[relative, content] : kTree) PutFile(folder + "\\" + relative, content);
  return folder;
}

bool Listed(const std::string &relative) {
  return relative != "skip.md" && relative[0] != '.';
}

TEST_F(BackupRestoreRunTest, BackupThenRestoreGivesEveryFileBackAndRemovesEveryBackup) {
  std::string folder = MakeTree("backup-restore");
  SetInputs(folder, "yml,txt,json,lang");
  EXPECT_EQ(RunAndAnswer([] { RunBackupRestore(0); }), "已全部备份完成！");
  std::vector<ListedRow> rows = Rows();
  EXPECT_EQ(rows.size(), 5u);
  for (const auto &[relative, content] : kTree) {
    std::string path = folder + "\\" + relative;
    SCOPED_TRACE(relative);
    if (!Listed(relative)) {
      EXPECT_FALSE(PathExists(path + ".ravex"));
      continue;
    }
    ListedRow row = RowOf(path);
    EXPECT_EQ(row.encoding, "\xA1\xAA");
    EXPECT_EQ(row.status, "备份成功");
    EXPECT_EQ(GetFile(path + ".ravex"), content);
  }

  // Change every listed file, then restore: the backups come back and go away.
  for (const auto &[relative, content] : kTree) {
    if (Listed(relative)) PutFile(folder + "\\" + relative, "changed");
  }
  SetInputs(folder, "only,this"); // the restore run ignores 编辑框2
  EXPECT_EQ(RunAndAnswer([] { RunBackupRestore(1); }), "已全部备份完成！");
  rows = Rows();
  EXPECT_EQ(rows.size(), 5u);
  for (const auto &[relative, content] : kTree) {
    std::string path = folder + "\\" + relative;
    SCOPED_TRACE(relative);
    EXPECT_EQ(GetFile(path), content);
    EXPECT_FALSE(PathExists(path + ".ravex"));
    if (Listed(relative)) {
      EXPECT_EQ(RowOf(path + ".ravex").status, "还原成功");
    }
  }

  // Nothing left to restore: an empty list, and the closing message all the same.
  EXPECT_EQ(RunAndAnswer([] { RunBackupRestore(1); }), "已全部备份完成！");
  EXPECT_TRUE(Rows().empty());
}

TEST_F(BackupRestoreRunTest, SecondBackupReplacesTheFirstAndUnreadableFileKeepsOldBackup) {
  std::string folder = FreshScratchFolder("backup-again");
  PutFile(folder + "\\a.yml", "first");
  PutFile(folder + "\\held.yml", "held content");
  PutFile(folder + "\\held.yml.ravex", "older backup");
  SetInputs(folder, "yml");
  HANDLE held = CreateFileA((folder + "\\held.yml").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  RunAndAnswer([] { RunBackupRestore(0); });
  CloseHandle(held);
  EXPECT_EQ(RowOf(folder + "\\held.yml").status, "备份失败");
  EXPECT_EQ(GetFile(folder + "\\held.yml.ravex"), "older backup");
  EXPECT_EQ(GetFile(folder + "\\a.yml.ravex"), "first");

  PutFile(folder + "\\a.yml", "second");
  RunAndAnswer([] { RunBackupRestore(0); });
  EXPECT_EQ(GetFile(folder + "\\a.yml.ravex"), "second");
  EXPECT_EQ(RowOf(folder + "\\a.yml").number, "0001");
}

TEST_F(BackupRestoreRunTest, ReadOnlyTargetFailsAndKeepsTheBackup) {
  std::string folder = FreshScratchFolder("restore-read-only");
  PutFile(folder + "\\a.yml", "current");
  PutFile(folder + "\\a.yml.ravex", "backup");
  SetFileAttributesA((folder + "\\a.yml").c_str(), FILE_ATTRIBUTE_READONLY);
  SetInputs(folder);
  RunAndAnswer([] { RunBackupRestore(1); });
  EXPECT_EQ(RowOf(folder + "\\a.yml.ravex").status, "还原失败");
  EXPECT_EQ(GetFile(folder + "\\a.yml"), "current");
  EXPECT_EQ(GetFile(folder + "\\a.yml.ravex"), "backup");
}

TEST_F(BackupRestoreRunTest, OneSuffixPerRestoreWhateverItsCase) {
  std::string folder = FreshScratchFolder("restore-suffix");
  PutFile(folder + "\\a.yml.ravex.ravex", "inner");
  PutFile(folder + "\\B.YML.RAVEX", "upper");
  SetInputs(folder);
  RunAndAnswer([] { RunBackupRestore(1); });
  EXPECT_EQ(GetFile(folder + "\\a.yml.ravex"), "inner");
  EXPECT_FALSE(PathExists(folder + "\\a.yml.ravex.ravex"));
  EXPECT_EQ(GetFile(folder + "\\B.YML"), "upper");
  EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(BackupRestoreRunTest, BackupNeverBacksUpItsOwnNewBackups) {
  std::string folder = FreshScratchFolder("backup-own");
  PutFile(folder + "\\a.yml", "a");
  PutFile(folder + "\\old.yml.ravex", "old backup");
  SetInputs(folder, "yml,*,ravex");
  RunAndAnswer([] { RunBackupRestore(0); });
  // A backup that was there before the run is backed up, as listed ...
  EXPECT_EQ(GetFile(folder + "\\old.yml.ravex.ravex"), "old backup");
  // ... but a.yml.ravex, written by this run, is not.
  EXPECT_EQ(GetFile(folder + "\\a.yml.ravex"), "a");
  EXPECT_FALSE(PathExists(folder + "\\a.yml.ravex.ravex"));
  EXPECT_FALSE(PathExists(folder + "\\old.yml.ravex.ravex.ravex"));
  for (const ListedRow &row : Rows()) {
    EXPECT_NE(row.path, folder + "\\a.yml.ravex");
    EXPECT_EQ(row.status, "备份成功") << row.path;
  }
}

TEST_F(BackupRestoreRunTest, RestoreWithEmptyFolderTextFindsNothing) {
  SetInputs("");
  EXPECT_EQ(RunAndAnswer([] { RunBackupRestore(1); }), "已全部备份完成！");
  EXPECT_TRUE(Rows().empty());
}

} // namespace
