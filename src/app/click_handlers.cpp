#include "app/click_handlers.h"

void ChooseButtonClick() {}
void TranscodeButtonClick() {}
void BackupButtonClick() {}
void RestoreButtonClick() {}
