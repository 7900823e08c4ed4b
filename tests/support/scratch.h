#pragma once
// Real folders and files for the tests, in a scratch area inside the build tree.

#include <string>

// Converts a Unix path of this machine to the path Wine gives it (Z:\...).
std::string WinePath(const std::string &unixPath);

// A fresh, empty folder for one test, as a Windows path without a trailing backslash.
std::string FreshScratchFolder(const std::string &name);

// Folder of the running test program, without a trailing backslash.
std::string TestProgramFolder();

// Writes exactly these bytes (creating missing folders); reads them back whole.
void PutFile(const std::string &path, const std::string &bytes);
std::string GetFile(const std::string &path);
bool PathExists(const std::string &path);
