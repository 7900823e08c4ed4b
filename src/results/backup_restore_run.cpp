#include "results/backup_restore_run.h"

#include "app/controls.h"
#include "app/message_box.h"
#include "app/run_control.h"
#include "files/file_io.h"
#include "files/walk.h"
#include "results/result_list.h"
#include "results/status_words.h"

#include <unordered_set>

namespace {

constexpr char kBackupSuffix[] = ".ravex";

void BackUp(const Text &path, std::unordered_set<Text> &written) {
  // A backup this run wrote itself is never backed up in turn (with "ravex" among the
  // extensions the walk can meet it again).
  if (written.contains(path)) return;
  bool ok = BackupOneFile(path);
  if (ok) written.insert(Concat(path, kBackupSuffix));
  AddResultRow(path, kNoEncoding, ok ? kStatusBackupDone : kStatusBackupFailed);
}

void Restore(const Text &path) {
  AddResultRow(path, kNoEncoding, RestoreOneFile(path) ? kStatusRestoreDone : kStatusRestoreFailed);
}

} // namespace

bool BackupOneFile(const Text &path) {
  Bytes content;
  if (!TryReadWholeFile(path, content)) return false;
  return WriteWholeFile(Concat(path, kBackupSuffix), content);
}

bool RestoreOneFile(const Text &path) {
  int dot = FindLast(path, ".");
  if (dot < 1) return false;
  Bytes content;
  if (!TryReadWholeFile(path, content)) return false;
  if (!WriteWholeFile(TextLeft(path, dot - 1), content)) return false;
  RemoveFile(path);
  return true;
}

void RunBackupRestore(int mode) {
  bool restore = mode == kRestoreMode;
  ReplaceExtensionList(restore ? RestoreList() : SplitText(ReadExtensionText()));
  ClearResultList();
  // A folder name whose last character ends in the byte of "\" (昞 is 95 5C) still gets its
  // "\": otherwise the walk would take the name as a prefix in the folder above.
  Text folder = FolderWithBackslash(ReadFolderText());
  if (restore) {
    // An empty folder text would start the walk at the root of the drive.
    if (!folder.empty()) WalkFolder(folder, Restore, RunShouldGoOn);
  } else {
    std::unordered_set<Text> written;
    WalkFolder(
        folder, [&](const Text &path) { BackUp(path, written); }, RunShouldGoOn);
  }
  FinishRunWork();
  if (!RunStopRequested()) ShowMessage("已全部备份完成！", kInformationIcon);
}
