#pragma once
// Whole-file reads and writes, deletion and the existence test, on the ANSI file API.
// A path that the platform would take to some other file than the one it names (a name that
// ends in a dot or a space, a device name such as con.yml) is never read, written or removed:
// the read and the write fail, the removal does nothing.

#include "files/text.h"

// A file's number on its volume, taken from a handle that a read or a write has open anyway
// (0 when the platform gives none). Two names with different numbers reach different files;
// two with the same number reach the same file only if FileIdentity agrees, since the number
// says nothing of the volume.
using FileNumber = unsigned long long;

// The file's whole content; every failure gives empty bytes, like an empty file.
Bytes ReadWholeFile(const Text &path);

// The same read, telling a failed read (false) from an empty file (true, no bytes). With
// number, a successful read also gives the number of the file that was read.
bool TryReadWholeFile(const Text &path, Bytes &content, FileNumber *number = nullptr);

// Replaces the file's content in one step (temporary file beside it, then a single replace);
// false leaves the target exactly as it was and no temporary file behind. With writtenNumber,
// a successful write also gives the number of the file that path now names.
bool WriteWholeFile(const Text &path, const Bytes &data, FileNumber *writtenNumber = nullptr);

void RemoveFile(const Text &path);

// What the file at path is, whatever name reaches it (a link, a second name): its volume and
// file number as text. A path that cannot be opened gives a text of its own that no other path
// gives. It costs two opens' worth under Wine; FileNumber first where many files are compared.
Text FileIdentity(const Text &path);

// True when a directory search for exactly this path finds a file or a folder.
bool FileExists(const Text &path);
