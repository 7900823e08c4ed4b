#pragma once
// A test fixture that opens the real main window on the test's thread and closes it after.

#include "app/controls.h"
#include "app/main_window.h"
#include "support/gui.h"

#include <gtest/gtest.h>

class MainWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    window = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(window, nullptr);
    PumpUntil([] { return false; }, 50);
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    PumpUntil([] { return false; }, 20);
  }
  HWND Control(ControlId id) const { return GetDlgItem(window, id); }

  HWND window = nullptr;
};
