#pragma once
// Every file of a folder tree with its whole content, taken through the wide-character API so
// that names code page 936 cannot show, device names and long paths are read exactly.

#include <windows.h>

#include <map>
#include <optional>
#include <string>

struct FileState {
  std::string bytes;
  DWORD attributes = 0;
  bool readable = true; // false for what cannot be read as a file (a pipe, say)
  std::string identity; // volume and file number: the same for every name of one file
};

// Keyed by full path (Windows form, no "\\?\" prefix).
using Snapshot = std::map<std::wstring, FileState>;

// The files under root, recursively; links to folders are not entered.
Snapshot TakeSnapshot(const std::wstring &root);

// The tree's files alone (for a big tree): only their names and sizes.
std::map<std::wstring, ULONGLONG> ListSizes(const std::wstring &root);

std::wstring Wide(const std::string &gbk);
std::string Narrow(const std::wstring &wide); // '?' for what code page 936 lacks
// Code page 936 text as UTF-8: for the reliability table, and for messages read in a terminal.
std::string Readable(const std::string &gbk);

// The part of path after its last "\", and whether it begins with "." (walks skip such names;
// temporary files are named so).
std::wstring NameOf(const std::wstring &path);
bool NameStartsWithDot(const std::wstring &path);

// Reads or writes a file by wide path (any length, any name).
std::optional<std::string> ReadExactly(const std::wstring &path, std::string *identity = nullptr);
bool WriteExactly(const std::wstring &path, const std::string &bytes);
bool RemoveExactly(const std::wstring &path);
