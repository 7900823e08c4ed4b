#pragma once
// The extension list and the recursive folder walk that every run uses to find its files.

#include "files/text.h"

#include <functional>

// The extensions (without the dot, as typed) that the walk looks for; replaced by every run.
extern TextList ExtensionList;
void ReplaceExtensionList(TextList list);

// A fresh copy of the restore run's list: the one extension "ravex".
TextList RestoreList();

enum class EntryKind { Files, Folders };

struct FindHandle {
  void *search = nullptr; // an open FindFirstFileA search, or null
};

// A non-empty pattern starts a new search; the empty pattern continues the one in handle.
// Gives the bare name of the next entry of that kind, or the empty Text at the end.
Text FindEntry(const Text &pattern, EntryKind kind, FindHandle &handle);
void CloseFind(FindHandle &handle);

using FileAction = std::function<void(const Text &path)>;

// Visits every file of folder and its subfolders that matches an element of ExtensionList:
// per folder the files of the first element, then of the second, ..., then the subfolders
// depth first. Names beginning with "." are never visited or entered, nor are links to folders.
// keepGoing, when given, is asked before each file and each folder; false ends the walk.
void WalkFolder(const Text &folder, const FileAction &action,
                const std::function<bool()> &keepGoing = {});
