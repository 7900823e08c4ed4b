#pragma once
// The backup run (every matching file copied to NAME.ravex beside it) and the restore run
// (every NAME.ravex written back to NAME, then deleted). Run on a worker thread.

#include "files/text.h"

constexpr int kBackupMode = 0;
constexpr int kRestoreMode = 1;

// Mode 1 restores; any other mode backs up.
void RunBackupRestore(int mode);

// Copies path to path + ".ravex"; false (and an older backup left as it was) when the file
// cannot be read or the backup cannot be written.
bool BackupOneFile(const Text &path);

// Writes the backup at path back under its name without the last suffix, then deletes it.
// False, with the target and the backup left as they were, when either step fails.
bool RestoreOneFile(const Text &path);
