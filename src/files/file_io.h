#pragma once
// Whole-file reads and writes, deletion and the existence test, on the ANSI file API.

#include "files/text.h"

// The file's whole content; every failure gives empty bytes, like an empty file.
Bytes ReadWholeFile(const Text &path);

// The same read, telling a failed read (false) from an empty file (true, no bytes).
bool TryReadWholeFile(const Text &path, Bytes &content);

// Replaces the file's content in one step (temporary file beside it, then a single replace);
// false leaves the target exactly as it was and no temporary file behind.
bool WriteWholeFile(const Text &path, const Bytes &data);

void RemoveFile(const Text &path);

// True when a directory search for exactly this path finds a file or a folder.
bool FileExists(const Text &path);
