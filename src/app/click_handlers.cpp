#include "app/click_handlers.h"

#include "app/controls.h"
#include "app/folder_picker.h"
#include "app/launch.h"
#include "app/run_control.h"
#include "results/backup_restore_run.h"

namespace {

// One run at a time: the run buttons stay disabled until the run's work is done.
void LaunchRun(LPTHREAD_START_ROUTINE routine, int argument) {
  if (!BeginRun()) return;
  if (!StartWorker(routine, argument)) FinishRunWork();
}

void LaunchIfFolderExists(LPTHREAD_START_ROUTINE routine, int argument) {
  if (RunIsWorking()) return;
  if (IsExistingFolder(ReadFolderText())) {
    LaunchRun(routine, argument);
  } else {
    ChooseButtonClick();
  }
}

} // namespace

void ChooseButtonClick() {
  ChooseFolderOptions options;
  options.title = "请选择插件目录";
  options.includeFiles = false;
  options.newStyle = true;
  options.owner = MainWindowHandle();
  Text path = ChooseFolder(options);
  if (CompareText(path, "") != 0) SetFolderText(path);
}

void TranscodeButtonClick() { LaunchIfFolderExists(TranscodeWorker, 0); }

void BackupButtonClick() { LaunchIfFolderExists(BackupRestoreWorker, kBackupMode); }

void RestoreButtonClick() { LaunchRun(BackupRestoreWorker, kRestoreMode); }
