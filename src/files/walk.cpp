#include "files/walk.h"

#include <windows.h>

#include <utility>
#include <vector>

TextList ExtensionList;

void ReplaceExtensionList(TextList list) { ExtensionList = std::move(list); }

TextList RestoreList() { return {"ravex"}; }

namespace {

bool IsFolderEntry(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

bool IsWantedKind(DWORD attributes, EntryKind kind) {
  return IsFolderEntry(attributes) == (kind == EntryKind::Folders);
}

} // namespace

Text FindEntry(const Text &pattern, EntryKind kind, FindHandle &handle) {
  WIN32_FIND_DATAA data;
  if (!pattern.empty()) {
    CloseFind(handle);
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return {};
    handle.search = search;
  } else {
    if (!handle.search) return {};
    if (!FindNextFileA(handle.search, &data)) {
      CloseFind(handle);
      return {};
    }
  }
  while (!IsWantedKind(data.dwFileAttributes, kind)) {
    if (!FindNextFileA(handle.search, &data)) {
      CloseFind(handle);
      return {};
    }
  }
  return data.cFileName;
}

void CloseFind(FindHandle &handle) {
  if (handle.search) FindClose(handle.search);
  handle.search = nullptr;
}

namespace {

// One directory search costs far more than filtering names in memory, so the walk lists each
// folder once and matches the simple extensions against that listing itself. Every element
// whose meaning depends on the platform's pattern rules still goes to the platform's search.

struct ListedEntry {
  Text name;
  Text shortName; // the 8.3 alias the platform also matches patterns against; often empty
  DWORD attributes = 0;
};

using Listing = std::vector<ListedEntry>;

// Every entry of the folder (which ends in "\"), in the order the directory search gives them.
Listing ListFolder(const Text &folder) {
  Listing listing;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return listing;
  do {
    listing.push_back({data.cFileName, data.cAlternateFileName, data.dwFileAttributes});
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return listing;
}

// A pattern of up to MAX_PATH bytes is always within the search's limit, which counts
// characters; a longer one may be refused, and only the platform knows.
bool SurelySearchable(const Text &pattern) { return pattern.size() <= MAX_PATH; }

bool StartsWithDot(const Text &name) { return !name.empty() && name[0] == '.'; }

// An extension the walk can match on its own: visible ASCII only, with no wildcard, no dot, no
// space and nothing a file name cannot hold. Empty elements, wildcards, spaces, dots and GBK
// characters keep whatever meaning the platform's search gives them.
bool IsPlainExtension(const Text &extension) {
  static const Text special = "*?.<>\"\\/:|";
  if (extension.empty()) return false;
  for (char c : extension) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte >= 0x7F) return false; // also every byte of a two-byte character
    if (special.find(c) != Text::npos) return false;
  }
  return true;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// True when name ends in "." followed by the plain extension, ignoring letter case. Comparing
// bytes is safe here: no byte of a two-byte character is a dot, so the bytes after the dot
// are single-byte characters, and a plain extension holds nothing else.
bool EndsWithExtension(const Text &name, const Text &extension) {
  if (name.size() <= extension.size()) return false;
  size_t dot = name.size() - extension.size() - 1;
  if (name[dot] != '.') return false;
  for (size_t i = 0; i < extension.size(); ++i) {
    if (AsciiLower(name[dot + 1 + i]) != AsciiLower(extension[i])) return false;
  }
  return true;
}

// What the platform's search for "*." + extension finds: names, or their 8.3 aliases, ending in
// the dot and that extension.
bool MatchesPlainExtension(const ListedEntry &entry, const Text &extension) {
  return EndsWithExtension(entry.name, extension) || EndsWithExtension(entry.shortName, extension);
}

bool Allowed(const std::function<bool()> &keepGoing) { return !keepGoing || keepGoing(); }

class FolderWalk {
public:
  FolderWalk(TextList extensions, const FileAction &action, const std::function<bool()> &keepGoing)
      : extensions_(std::move(extensions)), action_(action), keepGoing_(keepGoing) {}

  // Walks folder (ending in "\") and everything below it; false once keepGoing said stop.
  bool Walk(const Text &folder) {
    if (!Allowed(keepGoing_)) return false;
    Listing listing = ListFolder(folder);
    for (const Text &extension : extensions_) {
      bool going = IsPlainExtension(extension) && SurelySearchable(folder + "*." + extension)
                       ? VisitListedFiles(folder, listing, extension)
                       : VisitSearchedFiles(folder, extension);
      if (!going) return false;
    }
    // Right at the path limit the subfolder search may be refused where the listing was not.
    if (!SurelySearchable(folder + "*.*") && !SearchFindsAFolder(folder + "*.*")) return true;
    for (const ListedEntry &entry : listing) {
      if (!IsFolderEntry(entry.attributes) || StartsWithDot(entry.name)) continue;
      if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) continue; // a link may lead back up
      if (!Walk(folder + entry.name + "\\")) return false;
    }
    return true;
  }

private:
  bool Visit(const Text &path) {
    if (!Allowed(keepGoing_)) return false;
    action_(path);
    return true;
  }

  bool VisitListedFiles(const Text &folder, const Listing &listing, const Text &extension) {
    for (const ListedEntry &entry : listing) {
      if (IsFolderEntry(entry.attributes) || StartsWithDot(entry.name)) continue;
      if (!MatchesPlainExtension(entry, extension)) continue;
      if (!Visit(folder + entry.name)) return false;
    }
    return true;
  }

  bool VisitSearchedFiles(const Text &folder, const Text &extension) {
    FindHandle handle;
    for (Text name = FindEntry(folder + "*." + extension, EntryKind::Files, handle); !name.empty();
         name = FindEntry({}, EntryKind::Files, handle)) {
      if (StartsWithDot(name)) continue;
      if (!Visit(folder + name)) {
        CloseFind(handle);
        return false;
      }
    }
    return true;
  }

  static bool SearchFindsAFolder(const Text &pattern) {
    FindHandle handle;
    bool found = !FindEntry(pattern, EntryKind::Folders, handle).empty();
    CloseFind(handle);
    return found;
  }

  TextList extensions_;
  const FileAction &action_;
  const std::function<bool()> &keepGoing_;
};

} // namespace

void WalkFolder(const Text &folder, const FileAction &action,
                const std::function<bool()> &keepGoing) {
  // The last byte alone decides, so a two-byte character ending in 0x5C counts as a "\".
  Text start = folder;
  if (start.empty() || start.back() != '\\') start += '\\';
  FolderWalk(ExtensionList, action, keepGoing).Walk(start);
}
