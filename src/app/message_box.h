#pragma once

#include "files/text.h"

constexpr int kErrorIcon = 16;
constexpr int kInformationIcon = 64;

// A task-modal box titled "信息：" with one OK button; returns when it is dismissed. On a worker
// it blocks only that worker.
void ShowMessage(const Text &text, int icon);
