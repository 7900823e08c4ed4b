// The release zip, unpacked into a folder of its own: the program starts from there with
// nothing but what the zip holds, and without uchardet.dll it only says what is missing.

#include "support/gui.h"
#include "support/program.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// The unpacked program folder of one copy ("complete" or "without-library"), as a Windows
// path, or "" when the fixture left none.
std::string UnpackedFolder(const std::string &copy) {
  const char *build = std::getenv("QUORVEL_BUILD_DIR");
  std::ifstream record(
      WinePath(std::string(build ? build : "") + "/package-test/unpacked-folder.txt"));
  std::string unpacked;
  if (!std::getline(record, unpacked) || unpacked.empty()) return "";
  std::string parent = WinePath(unpacked) + "\\" + copy;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((parent + "\\Quorvel-*-win64").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return "";
  FindClose(search);
  return parent + "\\" + found.cFileName;
}

StartedProgram StartInPlace(const std::string &folder) {
  StartedProgram program;
  std::string exe = folder + "\\Quorvel.exe";
  std::string commandLine = "\"" + exe + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  program.started = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &startup, &program.process) != 0;
  return program;
}

} // namespace

TEST(ReleaseZip, UnpackedProgramOpensItsWindow) {
  std::string folder = UnpackedFolder("complete");
  ASSERT_FALSE(folder.empty());
  StartedProgram program = StartInPlace(folder);
  ExpectWindowOpensAndCloses(program);
}

TEST(ReleaseZip, WithoutUchardetDllItOnlySaysSo) {
  std::string folder = UnpackedFolder("without-library");
  ASSERT_FALSE(folder.empty());
  ASSERT_FALSE(PathExists(folder + "\\uchardet.dll"));
  StartedProgram program = StartInPlace(folder);
  ExpectRefusalWithoutLibrary(program);
}
