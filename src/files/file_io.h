#pragma once
// Whole-file reads and writes, deletion and the existence test, on the ANSI file API.
// A path that the platform would take to some other file than the one it names (a name that
// ends in a dot or a space, a device name such as con.yml) is never read, written or removed:
// the read and the write fail, the removal does nothing.

#include "files/text.h"

// The file's whole content; every failure gives empty bytes, like an empty file.
Bytes ReadWholeFile(const Text &path);

// The same read, telling a failed read (false) from an empty file (true, no bytes).
bool TryReadWholeFile(const Text &path, Bytes &content);

// Replaces the file's content in one step (temporary file beside it, then a single replace);
// false leaves the target exactly as it was and no temporary file behind.
bool WriteWholeFile(const Text &path, const Bytes &data);

void RemoveFile(const Text &path);

// What the file at path is, whatever name reaches it (a link, a second name): its volume and
// file number as text. A path that cannot be opened gives a text of its own that no other path
// gives.
Text FileIdentity(const Text &path);

// True when a directory search for exactly this path finds a file or a folder.
bool FileExists(const Text &path);
