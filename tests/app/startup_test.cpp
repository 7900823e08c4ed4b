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
  ExpectWindowOpensAndCloses(program);
}
