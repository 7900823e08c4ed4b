#include "support/gui.h"
#include "support/program.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

TEST(StartUp, RefusesWithoutUchardetDllAndOpensNoWindow) {
  std::string folder = FreshScratchFolder("startup-no-library");
  StartedProgram program = StartProgramIn(folder, false);
  ExpectRefusalWithoutLibrary(program);
  EXPECT_EQ(WaitForMainWindowOf(program, 100), nullptr);
}

TEST(StartUp, AFolderNamedUchardetDllLetsTheWindowOpen) {
  std::string folder = FreshScratchFolder("startup-library-folder");
  ASSERT_TRUE(CreateDirectoryA((folder + "\\uchardet.dll").c_str(), nullptr));
  StartedProgram program = StartProgramIn(folder, false);
  ASSERT_TRUE(program.started);
  HWND window = WaitForMainWindowOf(program);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WindowText(window), "Quorvel");
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExit(program), 0u);
}
