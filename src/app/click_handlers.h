#pragma once
// The four buttons' click handlers, on the window's thread.

void ChooseButtonClick();
void TranscodeButtonClick();
void BackupButtonClick();
void RestoreButtonClick();
