// Faults, bad input and large trees against the real program: after every run each file is as
// it was, or exactly converted, or exactly restored from its backup; every backup holds its
// source's bytes; and no row claims a success that did not happen. Each scenario is one row of
// the table below and one row of the reliability table (BUILD/reliability/table.md).

#include "safety_fixture.h"

#include "app/launch.h"
#include "file_holder.h"
#include "reference_conversion.h"
#include "scenario_helpers.h"
#include "scenarios.h"
#include "support/samples.h"
#include "support/scratch.h"

#include <cstdlib>
#include <cstring>

namespace {

const std::string kTrail = "\x95\x5C";           // 昞: a character whose trail byte is "\"
const std::string kChinese = "\xD6\xD0\xCE\xC4"; // 中文

void SetReadOnly(const std::string &path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

// The status of the row of a file of the tree (a path relative to it) in the given run.
std::string Status(SafetyTest &t, size_t run, const std::string &relative) {
  return t.runs[run].StatusOf(t.At(relative));
}

// Appends a line to every file of the tree that a restore could give back, so that the restore
// has something to undo.
void ChangeEveryFile(SafetyTest &t) {
  for (const auto &[path, state] : TakeSnapshot(Wide(t.tree))) {
    if (!IsBackupName(path) && !NameStartsWithDot(path)) {
      WriteExactly(path, state.bytes + "changed\r\n");
    }
  }
}

std::string Shown(const std::string &text) {
  if (text.size() <= 24) return "\"" + text + "\"";
  return "\"" + text.substr(0, 8) + "...\" (" + std::to_string(text.size()) + " characters)";
}

// Files of several kinds in a tree that bad extension lists are tried on, with sentinels in
// the folder above, beside and two levels up.
void PutExtensionWorld(SafetyTest &t) {
  std::string outer = t.world + "\\outer";
  t.Put(outer + "\\top.yml", GbkText("sentinel above"));
  t.Put(outer + "\\top.txt", GbkText("sentinel above"));
  t.Put(outer + "\\top.yml.ravex", GbkText("sentinel backup above"));
  t.Put(outer + "\\sibling\\p.yml", GbkText("sentinel beside"));
  t.Put(outer + "\\sibling\\p.json", GbkText("sentinel beside"));
  t.Put(outer + "\\sibling\\p.yml.ravex", GbkText("sentinel backup beside"));
  t.Put(t.world + "\\high.yml", GbkText("sentinel two levels up"));
  t.Put(t.world + "\\high.yml.ravex", GbkText("sentinel backup two levels up"));
}

void PutExtensionTree(SafetyTest &t) {
  FreshScratchFolder(std::string("safety-BadExtensionLists\\outer\\tree"));
  t.Put("a.yml", GbkText("a"));
  t.Put("b.txt", GbkText("b"));
  t.Put("sub\\c.json", GbkText("c"));
  t.Put("d.lang", Utf8Text("d"));
  t.Put("e.lang.ravex", GbkText("older backup of e"));
  t.Put("e.lang", GbkText("e"));
}

// Folders whose paths (with "\a.yml") come to these byte counts, some with two-byte names.
void PutLongPaths(SafetyTest &t) {
  for (int total : {250, 255, 258, 259, 260, 261, 265, 270, 280}) {
    int name = total - static_cast<int>(t.tree.size()) - 1 - 6; // "\" and "\a.yml"
    ASSERT_GT(name, 40) << "the build folder's path is too long for this scenario";
    for (bool wide : {false, true}) {
      std::string folder = wide ? std::string(name - name % 2 - 20, 'w') : std::string(name, 'd');
      if (wide) {
        for (int i = 0; i < 10; ++i) folder += kChinese.substr(0, 2);
        if (name % 2) folder += 'w';
      }
      std::wstring path = Wide(t.tree + "\\" + folder);
      CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr);
      WriteExactly(path + L"\\a.yml", GbkText("long path " + std::to_string(total)));
    }
  }
}

// A scenario on a tree that the native fixture step made under folder (with its "tree" inside).
std::function<void(SafetyTest &)> NativeTree(const std::string &folder) {
  return [folder](SafetyTest &t) {
    t.world = NativeScratch(folder);
    t.tree = t.world + "\\tree";
  };
}

void ConvertBackUpRestore(SafetyTest &t) {
  t.Run(RunKind::ToUtf8);
  t.Run(RunKind::Backup);
  t.Run(RunKind::Restore);
}

const char *const kDone[] = {"已转码", "备份成功", "还原成功"};

int Successes(const RunRecord &run) {
  int count = 0;
  for (const char *status : kDone) count += run.Count(status);
  return count;
}

const std::vector<Scenario> kScenarios = {
    {"ReadOnly", Suite::Main, "Read-only files",
     "a read-only file to transcode, a read-only old backup, a read-only restore target, a "
     "read-only backup",
     [](SafetyTest &t) {
       t.Put("ro.yml", GbkText("ro"));
       SetReadOnly(t.At("ro.yml"));
       t.Put("ok.txt", GbkText("ok"));
       t.Put("b.lang", GbkText("b"));
       t.Put("b.lang.ravex", GbkText("older backup of b"));
       SetReadOnly(t.At("b.lang.ravex"));
       t.Put("c.lang", GbkText("c"));
       SetReadOnly(t.At("c.lang"));
     },
     [](SafetyTest &t) {
       t.Run(RunKind::ToUtf8, RunOptions().Extensions("yml,txt"));
       t.Run(RunKind::Backup, RunOptions().Extensions("lang"));
       t.Run(RunKind::Restore);
     },
     [](SafetyTest &t) {
       EXPECT_EQ(Status(t, 0, "ro.yml"), "转码失败");
       EXPECT_EQ(Status(t, 0, "ok.txt"), "已转码");
       EXPECT_EQ(Status(t, 1, "b.lang"), "备份失败");
       EXPECT_EQ(Status(t, 1, "c.lang"), "备份成功");
       EXPECT_EQ(Status(t, 2, "c.lang.ravex"), "还原失败");
       EXPECT_EQ(Status(t, 2, "b.lang.ravex"), "还原成功");
       EXPECT_EQ(GetFile(t.At("b.lang")), GbkText("older backup of b"));
     }},

    {"HeldWholeRun", Suite::Main, "Files held open by another process for the whole run",
     "files, an old backup, a backup and a restore target opened by hold_file.exe with no "
     "sharing",
     [](SafetyTest &t) {
       for (const char *name : {"a.yml", "b.yml", "c.txt", "d.json"}) t.Put(name, GbkText(name));
       t.Put("b.yml.ravex", GbkText("older backup of b"));
     },
     [](SafetyTest &t) {
       FileHolder holder;
       auto hold = [&](std::vector<std::string> names) {
         return [&t, &holder, names] {
           std::vector<std::string> paths;
           for (const std::string &name : names) paths.push_back(t.At(name));
           EXPECT_TRUE(holder.Hold(paths, 60000));
         };
       };
       auto release = [&] { holder.Release(); };
       t.Run(RunKind::ToUtf8, RunOptions()
                                  .Extensions("yml,txt,json")
                                  .AtStart(hold({"a.yml", "c.txt"}))
                                  .AfterRun(release));
       t.Run(RunKind::Backup, RunOptions()
                                  .Extensions("yml,txt,json")
                                  .AtStart(hold({"a.yml", "b.yml.ravex"}))
                                  .AfterRun(release));
       t.Run(RunKind::Restore,
             RunOptions().AtStart(hold({"c.txt.ravex", "d.json"})).AfterRun(release));
     },
     [](SafetyTest &t) {
       EXPECT_EQ(Status(t, 0, "a.yml"), "转码失败");
       EXPECT_EQ(Status(t, 0, "c.txt"), "转码失败");
       EXPECT_EQ(Status(t, 0, "b.yml"), "已转码");
       EXPECT_EQ(Status(t, 1, "a.yml"), "备份失败");
       EXPECT_EQ(Status(t, 1, "b.yml"), "备份失败");
       EXPECT_EQ(Status(t, 1, "c.txt"), "备份成功");
       EXPECT_EQ(Status(t, 2, "c.txt.ravex"), "还原失败");
       EXPECT_EQ(Status(t, 2, "d.json.ravex"), "还原失败");
       EXPECT_EQ(Status(t, 2, "b.yml.ravex"), "还原成功");
     }},

    {"HeldBriefly", Suite::Main, "Files held open by another process for 100 ms",
     "the first and the last file of the run held by hold_file.exe for 100 ms as the run starts",
     [](SafetyTest &t) {
       for (char c = 'a'; c <= 'h'; ++c) t.Put(std::string(1, c) + ".yml", GbkText({c}));
     },
     [](SafetyTest &t) {
       FileHolder holder;
       auto letGo = [&] { holder.WaitUntilLetGo(); };
       t.Run(RunKind::ToUtf8,
             RunOptions()
                 .AtStart([&] {
                   std::vector<ListedRow> rows = t.ListedRows();
                   ASSERT_FALSE(rows.empty());
                   EXPECT_TRUE(holder.Hold({rows.front().path, rows.back().path}, 100));
                 })
                 .AfterRun(letGo));
       t.Run(RunKind::Backup, RunOptions()
                                  .AtStart([&] {
                                    EXPECT_TRUE(holder.Hold({t.At("a.yml"), t.At("h.yml")}, 100));
                                  })
                                  .AfterRun(letGo));
       ChangeEveryFile(t);
       // The first backup the previous run could write, and the file of the last one.
       std::vector<std::string> backups;
       for (char c = 'a'; c <= 'h'; ++c) {
         std::string backup = t.At(std::string(1, c) + ".yml.ravex");
         if (PathExists(backup)) backups.push_back(backup);
       }
       ASSERT_GE(backups.size(), 2u);
       t.Run(RunKind::Restore, RunOptions()
                                   .AtStart([&] {
                                     std::string last =
                                         backups.back().substr(0, backups.back().size() - 6);
                                     EXPECT_TRUE(holder.Hold({backups.front(), last}, 100));
                                   })
                                   .AfterRun(letGo));
       EXPECT_EQ(t.runs.back().rows.size(), backups.size());
     },
     [](SafetyTest &t) {
       EXPECT_EQ(t.runs[0].rows.size(), 8u);
       EXPECT_EQ(t.runs[1].rows.size(), 8u);
     }},

    {"ChangedBetweenScanAndPass", Suite::Main,
     "Files deleted, truncated or rewritten between the scan and the pass",
     "files deleted, emptied, cut inside a character, rewritten as UTF-8 or as new text, "
     "replaced by a folder, made read-only, and a file that appears",
     [](SafetyTest &t) {
       for (const char *name : {"gone.yml", "empty.yml", "half.yml", "utf8now.yml", "newgbk.yml",
                                "folder.yml", "readonly.yml", "control.yml"}) {
         t.Put(name, GbkText(name));
       }
     },
     [](SafetyTest &t) {
       t.Run(RunKind::ToUtf8, RunOptions().BetweenScanAndPass([&] {
         DeleteFileA(t.At("gone.yml").c_str());
         t.Put("empty.yml", "");
         std::string half = GbkText("half.yml");
         size_t lead = 0;
         while (static_cast<unsigned char>(half[lead]) < 0x80) ++lead;
         t.Put("half.yml", half.substr(0, lead + 1)); // cut after a lead byte
         t.Put("utf8now.yml", Utf8Text("utf8now.yml"));
         t.Put("newgbk.yml", GbkText("new content") + GbkSample());
         DeleteFileA(t.At("folder.yml").c_str());
         CreateDirectoryA(t.At("folder.yml").c_str(), nullptr);
         SetReadOnly(t.At("readonly.yml"));
         t.Put("appeared.yml", GbkText("appeared"));
       }));
     },
     [](SafetyTest &t) {
       EXPECT_EQ(Status(t, 0, "gone.yml"), "转码失败");
       EXPECT_FALSE(PathExists(t.At("gone.yml")));
       EXPECT_EQ(Status(t, 0, "half.yml"), "转码失败");
       EXPECT_EQ(Status(t, 0, "utf8now.yml"), "转码失败");
       EXPECT_EQ(Status(t, 0, "newgbk.yml"), "已转码");
       EXPECT_EQ(GetFile(t.At("newgbk.yml")),
                 ReferenceGbkToUtf8(GbkText("new content") + GbkSample()).value_or("?"));
       EXPECT_EQ(Status(t, 0, "folder.yml"), "转码失败");
       EXPECT_EQ(Status(t, 0, "readonly.yml"), "转码失败");
       EXPECT_EQ(Status(t, 0, "control.yml"), "已转码");
       EXPECT_EQ(Status(t, 0, "appeared.yml"), "<no row>");
       EXPECT_EQ(GetFile(t.At("empty.yml")), "");
     }},

    {"FullDisk", Suite::Main, "A full disk (a 300 KB tmpfs)",
     "files of code page 936 text that grow as UTF-8 on a file system filled to a few KB, then "
     "to nothing",
     [](SafetyTest &t) {
       std::string status = NativeStatus("safety-disk.status");
       if (status != "mounted") {
         t.Note(status.empty() ? "no status from the mount step" : status);
         GTEST_SKIP() << "the tiny file system is not there (" << status
                      << "); the FileSizeLimit scenario shows the same with a write cut short";
       }
       t.world = NativeScratch("safety-disk");
       t.tree = FreshScratchFolder("safety-disk\\tree");
       std::string big, small;
       for (int i = 0; i < 70; ++i) big += GbkSample();
       for (int i = 0; i < 9; ++i) small += GbkSample();
       for (const char *name : {"big1.yml", "big2.txt", "big3.json"}) t.Put(name, big + name);
       for (const char *name : {"small1.yml", "small2.txt", "small3.json", "small4.lang"}) {
         t.Put(name, small + name);
       }
       FillVolume(t.world + "\\filler.bin", 2 * 4096);
       t.Note("free before the transcode: " + std::to_string(FreeBytes(t.world)) + " bytes");
     },
     [](SafetyTest &t) {
       t.Run(RunKind::ToUtf8);
       FillVolume(t.world + "\\filler.bin", 2 * 4096);
       t.Note("before the backup: " + std::to_string(FreeBytes(t.world)));
       t.Run(RunKind::Backup);
       FillVolume(t.world + "\\filler.bin", 0);
       t.Note("before the restore: " + std::to_string(FreeBytes(t.world)));
       t.Run(RunKind::Restore);
     },
     [](SafetyTest &t) {
       EXPECT_GE(t.runs[0].Count("转码失败"), 1);
       EXPECT_GE(t.runs[1].Count("备份失败"), 1);
       ASSERT_GE(t.runs[1].Count("备份成功"), 1);
       EXPECT_GE(t.runs[2].Count("还原失败"), 1);
     }},

    {"FileSizeLimit", Suite::FileSizeLimit,
     "Writes cut short (a 100 KB file-size limit on the process)",
     "files whose UTF-8 form, backup or restored form passes the limit",
     [](SafetyTest &t) {
       if (!std::getenv("QUORVEL_FILE_SIZE_LIMIT")) {
         GTEST_SKIP() << "runs in the CTest entry safety_file_size_limit, under the limit";
       }
       t.world = NativeScratch("safety-native\\limited");
       t.tree = t.world + "\\tree";
       t.Note("limit " + std::string(std::getenv("QUORVEL_FILE_SIZE_LIMIT")) + " bytes");
     },
     [](SafetyTest &t) {
       t.Run(RunKind::ToUtf8);
       t.Run(RunKind::Backup, RunOptions().Extensions("yml,txt"));
       t.Run(RunKind::Restore);
     },
     [](SafetyTest &t) {
       EXPECT_EQ(Status(t, 0, "big.yml"), "转码失败");
       EXPECT_EQ(Status(t, 0, "mid.txt"), "转码失败");
       EXPECT_EQ(Status(t, 0, "small.yml"), "已转码");
       EXPECT_EQ(Status(t, 1, "big.yml"), "备份失败");
       EXPECT_EQ(Status(t, 1, "mid.txt"), "备份成功");
       EXPECT_EQ(Status(t, 2, "big2.json.ravex"), "还原失败");
       EXPECT_EQ(Status(t, 2, "small2.json.ravex"), "还原成功");
     }},

    {"KillDuringTranscode", Suite::Main,
     "Quorvel.exe killed at 20 random moments of a transcode run",
     "400 files of code page 936 text in 20 folders", nullptr, KillDuringTranscode, nullptr},

    {"KillDuringRestore", Suite::Main, "Quorvel.exe killed at 20 random moments of a restore run",
     "400 backups and their files in 20 folders", nullptr, KillDuringRestore, nullptr},

    {"GbkNames", Suite::Main, "Names with a trail byte of 0x5C",
     "files and folders named with 昞 (0x95 0x5C), and a chosen folder whose name ends in it "
     "beside files that start with its name",
     [](SafetyTest &t) {
       t.Put(kTrail + ".yml", GbkText("trail"));
       t.Put("a" + kTrail + ".txt", GbkText("a trail"));
       t.Put(kTrail + "\\b.json", GbkText("in a trail folder"));
       t.Put(kTrail + kTrail + "\\" + kTrail + ".lang", GbkText("deeper"));
       t.Put(kChinese + "\\c.yml", GbkText("chinese folder"));
       t.Put(t.world + "\\x" + kTrail + "\\inner.yml", GbkText("inside the folder x昞"));
       t.Put(t.world + "\\x" + kTrail + ".yml", GbkText("sentinel"));
       t.Put(t.world + "\\x" + kTrail + "x" + kTrail + ".yml", GbkText("sentinel"));
     },
     [](SafetyTest &t) {
       t.Run(RunKind::ToUtf8);
       t.Run(RunKind::Backup);
       ChangeEveryFile(t);
       t.Run(RunKind::Restore);
       std::string folder = t.world + "\\x" + kTrail;
       t.Run(RunKind::ToUtf8, RunOptions().FolderText(folder).Chosen(folder).Label("转码 x昞"));
       t.Run(RunKind::Backup, RunOptions().FolderText(folder).Chosen(folder).Label("备份 x昞"));
       t.Put(folder + "\\inner.yml", "changed\r\n");
       t.Run(RunKind::Restore, RunOptions().FolderText(folder).Chosen(folder).Label("还原 x昞"));
     },
     [](SafetyTest &t) {
       for (const std::string &name : {kTrail + ".yml", "a" + kTrail + ".txt", kTrail + "\\b.json",
                                       kTrail + kTrail + "\\" + kTrail + ".lang"}) {
         EXPECT_EQ(Status(t, 0, name), "已转码") << name;
         EXPECT_EQ(Status(t, 1, name), "备份成功") << name;
         EXPECT_EQ(Status(t, 2, name + ".ravex"), "还原成功") << name;
       }
       std::string inner = t.world + "\\x" + kTrail + "\\inner.yml";
       EXPECT_EQ(t.runs[3].StatusOf(inner), "已转码");
       EXPECT_EQ(t.runs[4].StatusOf(inner), "备份成功");
       EXPECT_EQ(t.runs[5].StatusOf(inner + ".ravex"), "还原成功");
     }},

    {"NamesOutsideCodePage936", Suite::Main, "Names code page 936 cannot show",
     "Korean and emoji file and folder names made natively (Wine shows them with \"?\")",
     NativeTree("safety-native\\outside-936"), ConvertBackUpRestore,
     [](SafetyTest &t) {
       EXPECT_EQ(Status(t, 0, "plain.yml"), "已转码");
       EXPECT_EQ(Status(t, 1, "plain.yml"), "备份成功");
       EXPECT_EQ(Status(t, 2, "plain.yml.ravex"), "还原成功");
       int unshowable = 0;
       for (const RunRecord &run : t.runs) {
         for (const ListedRow &row : run.rows)
           unshowable += row.path.find('?') != std::string::npos;
       }
       EXPECT_GT(unshowable, 0);
       t.Note(std::to_string(unshowable) + " rows named with \"?\", none of them a success");
     }},

    {"OddNames", Suite::Main, "Device names, names Windows would trim, links",
     "con.yml, aux.json, com1.lang, nul.txt(.ravex), lpt1.yml; \"a.yml \" and \"a.yml.\" beside "
     "a.yml; a folder \"d.\" beside \"d\"; \"x.yml .ravex\"; pipes pipe.yml and "
     "pipe.txt.ravex; links to files and a folder outside, as a file, a backup and a restore "
     "target; two links to a file of the tree whose UTF-8 text is also valid GBK",
     NativeTree("safety-native\\odd"), ConvertBackUpRestore,
     [](SafetyTest &t) {
       EXPECT_EQ(Status(t, 0, "a.yml"), "已转码");
       EXPECT_EQ(Status(t, 0, "d\\f.yml"), "已转码");
       EXPECT_EQ(Status(t, 0, "link.yml"), "已转码");
       EXPECT_EQ(Status(t, 1, "a.yml"), "备份成功");
       EXPECT_EQ(Status(t, 0, "pipe.yml"), "跳过"); // unreadable: no label that calls for it
       EXPECT_EQ(Status(t, 1, "pipe.yml"), "备份失败");
       EXPECT_EQ(Status(t, 2, "pipe.txt.ravex"), "还原失败");
       EXPECT_EQ(Status(t, 2, "x.yml .ravex"), "还原失败");
       // Reached under three names, twice\a.yml is converted once, and never a second time.
       EXPECT_EQ(Status(t, 0, "twice\\a.yml"), "已转码");
       const Snapshot &converted = t.runs[0].after;
       for (const char *name : {"twice\\alias.yml", "twice\\z-alias.yml"}) {
         EXPECT_EQ(converted.at(Wide(t.At(name))).bytes,
                   converted.at(Wide(t.At("twice\\a.yml"))).bytes);
       }
       // A link is replaced by a file of its own; what it pointed to stays as it was.
       EXPECT_EQ(Status(t, 1, "link2.yml"), "备份成功");
       EXPECT_EQ(Status(t, 2, "link3.yml.ravex"), "还原成功");
     }},

    {"LongPaths", Suite::Main, "Paths near and beyond 260 bytes",
     "files at 250 to 280 bytes of path, with one-byte and two-byte folder names", PutLongPaths,
     [](SafetyTest &t) {
       t.Run(RunKind::ToUtf8);
       t.Run(RunKind::Backup);
       ChangeEveryFile(t);
       t.Run(RunKind::Restore);
     },
     [](SafetyTest &t) {
       EXPECT_GE(Successes(t.runs[0]), 4);
       // Whatever the walk reaches can be rewritten: the temporary name fits beside it.
       EXPECT_EQ(t.runs[0].Count("转码失败"), 0);
       EXPECT_GE(Successes(t.runs[1]), 2);
       t.Note(std::to_string(Successes(t.runs[0])) + " of 18 converted, " +
              std::to_string(Successes(t.runs[1])) + " backed up");
     }},

    {"FolderNamesAndAttributes", Suite::Main, "Folders named like files, hidden and system files",
     "a folder x.yml, a folder y.yml as a restore target, a folder z.txt.ravex, hidden, system "
     "and read-only hidden files, a hidden system folder, .dot.yml",
     [](SafetyTest &t) {
       t.Put("x.yml\\inner.yml", GbkText("inside the folder x.yml"));
       CreateDirectoryA(t.At("y.yml").c_str(), nullptr);
       t.Put("y.yml.ravex", GbkText("a backup whose file is a folder"));
       t.Put("z.txt.ravex\\inner.txt", GbkText("inside the folder z.txt.ravex"));
       t.Put("hidden.yml", GbkText("hidden"));
       SetFileAttributesA(t.At("hidden.yml").c_str(), FILE_ATTRIBUTE_HIDDEN);
       t.Put("system.txt", GbkText("system"));
       SetFileAttributesA(t.At("system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
       t.Put("ro-hidden.lang", GbkText("read-only and hidden"));
       SetFileAttributesA(t.At("ro-hidden.lang").c_str(),
                          FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
       t.Put("hs\\inner.json", GbkText("in a hidden system folder"));
       SetFileAttributesA(t.At("hs").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
       t.Put(".dot.yml", GbkText("never visited"));
     },
     [](SafetyTest &t) {
       t.Run(RunKind::ToUtf8);
       t.Run(RunKind::Backup);
       ChangeEveryFile(t);
       t.Run(RunKind::Restore);
     },
     [](SafetyTest &t) {
       EXPECT_EQ(Status(t, 0, "x.yml"), "<no row>");
       EXPECT_EQ(Status(t, 0, "x.yml\\inner.yml"), "已转码");
       EXPECT_EQ(Status(t, 0, "hidden.yml"), "已转码");
       EXPECT_EQ(Status(t, 0, "system.txt"), "已转码");
       EXPECT_EQ(Status(t, 0, "hs\\inner.json"), "已转码");
       EXPECT_EQ(Status(t, 0, "ro-hidden.lang"), "转码失败");
       EXPECT_EQ(Status(t, 0, ".dot.yml"), "<no row>");
       EXPECT_EQ(Status(t, 2, "y.yml.ravex"), "还原失败");
       EXPECT_EQ(Status(t, 2, "z.txt.ravex"), "<no row>");
       // Attributes the file had stay with its new content.
       for (const char *name : {"hidden.yml", "system.txt"}) {
         DWORD before = t.runs[0].before.at(Wide(t.At(name))).attributes;
         DWORD after = t.runs[0].after.at(Wide(t.At(name))).attributes;
         EXPECT_EQ(after & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
                   before & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
             << name;
       }
     }},

    {"BadExtensionLists", Suite::Main, "Bad text in 编辑框2",
     "a tree of six files, with sentinel files and backups above it, beside it and two "
     "levels up; each list tried with a transcode and a backup",
     PutExtensionWorld,
     [](SafetyTest &t) {
       t.tree = t.world + "\\outer\\tree";
       std::string distinct = "yml"; // 10,000 characters: "yml" and 1,667 names that match nothing
       for (int i = 1000; distinct.size() < 10000; ++i) distinct += ",e" + std::to_string(i);
       for (const std::string &list :
            {std::string(",,,"), std::string("   "), std::string(" , , "), std::string("*"),
             std::string("?"), std::string(".."), std::string("\\"), std::string("/"),
             std::string("..\\*"), std::string("../*"), std::string("*\\..\\..\\*"),
             std::string("\\..\\..\\yml"), std::string("yml\\..\\..\\sibling\\*"),
             std::string("..\\sibling\\*.yml"), std::string("yml/../../*"), std::string(10000, 'a'),
             distinct}) {
         SCOPED_TRACE(Shown(list));
         PutExtensionTree(t);
         t.Run(RunKind::ToUtf8, RunOptions().Extensions(list).Label("转码 " + Shown(list)));
         t.Run(RunKind::Backup, RunOptions().Extensions(list).Label("备份 " + Shown(list)));
       }
       // 10,000 characters of one extension, 2,500 times: a.yml is listed 2,500 times.
       std::string same;
       for (int i = 0; i < 2500; ++i) same += "yml,";
       PutExtensionTree(t);
       t.Run(RunKind::ToUtf8, RunOptions().Extensions(same).Label("转码 " + Shown(same)));
       t.Run(RunKind::Restore);
     },
     [](SafetyTest &t) {
       EXPECT_EQ(t.runs[6].rows.size(), 6u); // "*" finds every file of the tree, no more
       const RunRecord &distinct = t.runs[t.runs.size() - 4];
       EXPECT_EQ(distinct.StatusOf(t.At("a.yml")), "已转码");
       // Every element of the same list finds a.yml, which is converted once.
       const RunRecord &same = t.runs[t.runs.size() - 2];
       EXPECT_EQ(same.rows.size(), 2500u);
       EXPECT_EQ(same.Count("已转码"), 1);
     }},

    {"BadFolderTexts", Suite::Main, "Bad text in 编辑框1",
     "\"*\", \"?\", \"CON\", \"NUL\", \"\\\\?\\\", \"\\\\server\\share\", 10,000 characters, and "
     "the root of a drive mapped to a scratch folder, with sentinel backups around",
     [](SafetyTest &t) {
       t.tree = t.world + "\\q-root";
       t.Put(t.At("a.yml"), GbkText("a on Q:"));
       t.Put(t.At("sub\\b.txt"), GbkText("b on Q:"));
       t.Put(t.At("c.json.ravex"), GbkText("backup of c on Q:"));
       t.Put(t.At("c.json"), GbkText("c on Q:"));
       t.Put(t.world + "\\cwd\\s.yml.ravex", GbkText("sentinel backup in the current folder"));
       t.Put(t.world + "\\cwd\\s.yml", GbkText("sentinel in the current folder"));
       t.Put(t.world + "\\s2.yml.ravex", GbkText("sentinel backup above"));
     },
     [](SafetyTest &t) {
       char saved[MAX_PATH] = {};
       GetCurrentDirectoryA(MAX_PATH, saved);
       // Relative texts are read against the current folder: one full of sentinels.
       ASSERT_TRUE(SetCurrentDirectoryA((t.world + "\\cwd").c_str()));
       for (const std::string &text :
            {std::string("*"), std::string("?"), std::string("CON"), std::string("NUL"),
             std::string("\\\\?\\"), std::string("\\\\server\\share"), std::string(10000, 'x'),
             std::string()}) {
         EXPECT_FALSE(IsExistingFolder(text)) << Shown(text);
         t.Run(RunKind::Restore,
               RunOptions().FolderText(text).NothingMayChange().Label("还原 " + Shown(text)));
         EXPECT_TRUE(t.runs.back().rows.empty()) << Shown(text);
       }
       SetCurrentDirectoryA(saved);
       ASSERT_TRUE(IsExistingFolder("Q:\\")) << "drive Q: is not mapped to " << t.tree;
       for (RunKind kind : {RunKind::ToUtf8, RunKind::Backup, RunKind::Restore}) {
         std::string run = kind == RunKind::ToUtf8   ? "转码"
                           : kind == RunKind::Backup ? "备份"
                                                     : "还原";
         t.Run(kind, RunOptions()
                         .FolderText("Q:\\")
                         .RowPrefix("Q:\\", t.tree + "\\")
                         .Label(run + " \"Q:\\\""));
       }
     },
     [](SafetyTest &t) {
       size_t q = t.runs.size() - 3;
       EXPECT_EQ(t.runs[q].StatusOf("Q:\\a.yml"), "已转码");
       EXPECT_EQ(t.runs[q].StatusOf("Q:\\sub\\b.txt"), "已转码");
       EXPECT_EQ(t.runs[q + 1].StatusOf("Q:\\a.yml"), "备份成功");
       EXPECT_EQ(t.runs[q + 2].StatusOf("Q:\\c.json.ravex"), "还原成功");
     }},

    {"Content", Suite::Main, "Binary, empty, huge and mixed content",
     "binary and random bytes with listed extensions, an empty file, a 50 MB file, GBK and "
     "UTF-8 in one file, bytes valid in both, a lone byte-order mark, a zero byte",
     [](SafetyTest &t) {
       t.Put("binary.yml",
             std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\1\0", 20) + std::string(300, '\xFF'));
       std::string random;
       unsigned state = 20240611;
       for (int i = 0; i < 8192; ++i) {
         state = state * 1103515245 + 12345;
         random += static_cast<char>(state >> 16);
       }
       t.Put("random.txt", random);
       t.Put("empty.json", "");
       std::string huge;
       huge.reserve(50u << 20);
       while (huge.size() < (50u << 20)) huge += GbkSample();
       t.Put("huge.yml", huge);
       t.Put("mixed.txt", GbkText("mixed") + Utf8Text("mixed"));
       std::string both;
       for (int i = 0; i < 40; ++i) both += "caf\xC3\xA9 na\xC3\xAFve r\xC3\xA9sum\xC3\xA9\r\n";
       t.Put("both.lang", both);
       t.Put("bom.json", "\xEF\xBB\xBF");
       t.Put("zero.yml", GbkText("zero") + std::string(1, '\0') + GbkText("after the zero"));
       t.Put("utf8.yml", Utf8Text("utf8"));
       t.Put("ascii.txt", "name: plugin\r\nversion: 1.0\r\n");
     },
     [](SafetyTest &t) {
       t.Run(RunKind::ToUtf8);
       t.Run(RunKind::ToGbk);
       t.Run(RunKind::Backup);
       ChangeEveryFile(t);
       t.Run(RunKind::Restore);
     },
     [](SafetyTest &t) {
       EXPECT_EQ(Status(t, 0, "huge.yml"), "已转码");
       EXPECT_EQ(Status(t, 1, "huge.yml"), "已转码");
       EXPECT_EQ(Status(t, 1, "utf8.yml"), "已转码");
       EXPECT_EQ(Status(t, 2, "huge.yml"), "备份成功");
       EXPECT_EQ(Status(t, 3, "huge.yml.ravex"), "还原成功");
       EXPECT_NE(Status(t, 0, "binary.yml"), "已转码");
       EXPECT_NE(Status(t, 0, "zero.yml"), "已转码");
       EXPECT_NE(Status(t, 0, "mixed.txt"), "已转码");
       EXPECT_NE(Status(t, 1, "mixed.txt"), "已转码");
     }},

    {"Scale", Suite::Scale, "100,000 files in 2,000 folders (bash scripts/scale.sh)",
     "small files of code page 936, UTF-8 and ASCII text made by make_scale_tree.py", nullptr,
     ScaleRuns, nullptr},
};

std::vector<Scenario> ScenariosOf(Suite suite) {
  std::vector<Scenario> chosen;
  for (const Scenario &scenario : kScenarios) {
    if (scenario.suite == suite) chosen.push_back(scenario);
  }
  return chosen;
}

std::string NameOfScenario(const ::testing::TestParamInfo<Scenario> &info) {
  return info.param.name;
}

} // namespace

int OrderOf(const char *name) {
  for (size_t i = 0; i < kScenarios.size(); ++i) {
    if (std::strcmp(kScenarios[i].name, name) == 0) return static_cast<int>(i) + 1;
  }
  return 99;
}

TEST_P(SafetyTest, Run) {
  const Scenario &scenario = GetParam();
  if (scenario.setup) scenario.setup(*this);
  if (IsSkipped() || HasFatalFailure()) return;
  scenario.run(*this);
  if (HasFatalFailure()) return;
  if (scenario.expect) scenario.expect(*this);
}

INSTANTIATE_TEST_SUITE_P(Main, SafetyTest, ::testing::ValuesIn(ScenariosOf(Suite::Main)),
                         NameOfScenario);
INSTANTIATE_TEST_SUITE_P(Scale, SafetyTest, ::testing::ValuesIn(ScenariosOf(Suite::Scale)),
                         NameOfScenario);
INSTANTIATE_TEST_SUITE_P(FileSizeLimit, SafetyTest,
                         ::testing::ValuesIn(ScenariosOf(Suite::FileSizeLimit)), NameOfScenario);
