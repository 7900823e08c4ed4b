#pragma once
// Small helpers the scenarios share: contents, the build tree's scratch folders, disk filling.

#include <string>

// Real Chinese configuration text in code page 936 / UTF-8, with a line that tells files apart.
std::string GbkText(const std::string &tag);
std::string Utf8Text(const std::string &tag);

// A folder of BUILD/test-scratch that a native fixture step prepared, as a Windows path.
std::string NativeScratch(const std::string &relative);
// A whole text file of the native fixture steps, or "" when missing.
std::string NativeStatus(const std::string &relative);

// Fills the volume of folder with a filler file there until no byte more fits, then gives
// back `slack` bytes. Gives the filler's size.
long long FillVolume(const std::string &filler, long long slack);
long long FreeBytes(const std::string &folder);
