#include "files/walk.h"

#include "support/scratch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Paths = std::vector<std::string>;

Paths Walked(const std::string &folder, const TextList &extensions,
             const std::function<bool()> &keepGoing = {}) {
  ReplaceExtensionList(extensions);
  Paths paths;
  WalkFolder(
      folder, [&](const Text &path) { paths.push_back(path); }, keepGoing);
  return paths;
}

std::vector<WIN32_FIND_DATAA> Search(const std::string &pattern) {
  std::vector<WIN32_FIND_DATAA> found;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return found;
  do found.push_back(data);
  while (FindNextFileA(search, &data));
  FindClose(search);
  return found;
}

// The walk done the slow, obvious way: one platform search for every extension in every
// folder, and one more for its subfolders.
void ReferenceWalk(std::string folder, const TextList &extensions, Paths &paths) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  for (const std::string &extension : extensions) {
    for (const WIN32_FIND_DATAA &entry : Search(folder + "*." + extension)) {
      bool isFolder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
      if (!isFolder && entry.cFileName[0] != '.') paths.push_back(folder + entry.cFileName);
    }
  }
  for (const WIN32_FIND_DATAA &entry : Search(folder + "*.*")) {
    bool isFolder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    bool isLink = entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
    if (isFolder && !isLink && entry.cFileName[0] != '.') {
      ReferenceWalk(folder + entry.cFileName + "\\", extensions, paths);
    }
  }
}

Paths ReferenceWalked(const std::string &folder, const TextList &extensions) {
  Paths paths;
  ReferenceWalk(folder, extensions, paths);
  return paths;
}

// Trees made on the Unix side by make_walk_fixtures.sh, which CTest runs first.
std::string NativeFixture(const std::string &name) {
  const char *build = std::getenv("QUORVEL_BUILD_DIR");
  std::string folder = build ? WinePath(build) + "\\test-scratch\\walk-native\\" + name : "";
  EXPECT_TRUE(!folder.empty() && PathExists(folder))
      << "no native fixture " << name << "; run this test through ctest";
  return folder;
}

// A small tree for order, skipping and stopping:
//   top: b.txt a.yml c.json z.yml .env.yml .yml  sub1/ sub2/ x.json/ .git/
std::string MakeOrderTree() {
  std::string top = FreshScratchFolder("walk-order");
  for (const char *file : {"b.txt", "a.yml", "c.json", "z.yml", ".env.yml", ".yml", "sub1\\x.yml",
                           "sub1\\deeper\\y.txt", "sub1\\deeper\\y.png", "sub2\\w.json",
                           "x.json\\q.yml", ".git\\config.yml"}) {
    PutFile(top + "\\" + file, "x");
  }
  return top;
}

TEST(FindEntry, GivesNamesOfOneKindAndEndsTheSearch) {
  std::string top = MakeOrderTree();
  FindHandle handle;
  Paths folders;
  for (Text name = FindEntry(top + "\\*", EntryKind::Folders, handle); !name.empty();
       name = FindEntry({}, EntryKind::Folders, handle)) {
    folders.push_back(name);
  }
  EXPECT_EQ(folders, (Paths{".", "..", ".git", "sub1", "sub2", "x.json"}));
  EXPECT_EQ(handle.search, nullptr);
  EXPECT_EQ(FindEntry({}, EntryKind::Files, handle), "");

  EXPECT_EQ(FindEntry(top + "\\*.json", EntryKind::Files, handle), "c.json");
  EXPECT_NE(handle.search, nullptr);
  // A new pattern replaces the open search.
  EXPECT_EQ(FindEntry(top + "\\*.txt", EntryKind::Files, handle), "b.txt");
  EXPECT_EQ(FindEntry({}, EntryKind::Files, handle), "");

  EXPECT_EQ(FindEntry(top + "\\sub1\\*.yml", EntryKind::Files, handle), "x.yml");
  CloseFind(handle);
  EXPECT_EQ(handle.search, nullptr);
  EXPECT_EQ(FindEntry(top + "\\missing\\*", EntryKind::Files, handle), "");
  EXPECT_EQ(handle.search, nullptr);
}

TEST(WalkFolder, VisitsByExtensionThenSubfoldersDepthFirst) {
  std::string top = MakeOrderTree();
  // The listing comes back sorted by name here; the walk keeps that order within an extension.
  EXPECT_EQ(Walked(top, {"yml", "txt", "json"}),
            (Paths{top + "\\a.yml", top + "\\z.yml", top + "\\b.txt", top + "\\c.json",
                   top + "\\sub1\\x.yml", top + "\\sub1\\deeper\\y.txt", top + "\\sub2\\w.json",
                   top + "\\x.json\\q.yml"}));
  // A repeated element, in any letter case, visits its files again.
  EXPECT_EQ(Walked(top + "\\sub1", {"YML", "yml"}),
            (Paths{top + "\\sub1\\x.yml", top + "\\sub1\\x.yml"}));
  EXPECT_EQ(Walked(top, {"png"}), (Paths{top + "\\sub1\\deeper\\y.png"}));
}

TEST(WalkFolder, FolderWithOrWithoutFinalBackslashGivesTheSamePaths) {
  std::string top = MakeOrderTree();
  Paths plain = Walked(top, {"yml", "*"});
  ASSERT_EQ(plain.size(), 13u);
  EXPECT_EQ(Walked(top + "\\", {"yml", "*"}), plain);
  for (const std::string &path : plain) {
    EXPECT_EQ(path.find("\\\\"), std::string::npos) << path;
  }
}

TEST(WalkFolder, EmptyListVisitsNothingButStillEntersEveryFolder) {
  std::string top = MakeOrderTree();
  // keepGoing is asked once before each folder is entered, so it counts the folders walked:
  // top, sub1, sub1\deeper, sub2 and x.json, but not .git.
  int asked = 0;
  EXPECT_EQ(Walked(top, {}, [&] { return ++asked, true; }), Paths{});
  EXPECT_EQ(asked, 5);
}

TEST(WalkFolder, HiddenAndSystemEntriesAreVisitedLikeAnyOther) {
  std::string top = FreshScratchFolder("walk-hidden");
  PutFile(top + "\\h.yml", "x");
  PutFile(top + "\\cloak\\s.yml", "x");
  const DWORD hiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  ASSERT_TRUE(SetFileAttributesA((top + "\\h.yml").c_str(), hiddenSystem));
  ASSERT_TRUE(SetFileAttributesA((top + "\\cloak").c_str(), hiddenSystem));
  ASSERT_EQ(GetFileAttributesA((top + "\\h.yml").c_str()) & hiddenSystem, hiddenSystem);
  ASSERT_EQ(GetFileAttributesA((top + "\\cloak").c_str()) & hiddenSystem, hiddenSystem);

  EXPECT_EQ(Walked(top, {"yml"}), (Paths{top + "\\h.yml", top + "\\cloak\\s.yml"}));
}

TEST(WalkFolder, KeepGoingFalseEndsTheWalkAtOnce) {
  std::string top = MakeOrderTree();
  const TextList extensions = {"yml", "*", "json"}; // "*" runs through the platform's search
  Paths all = Walked(top, extensions);
  int questions = 0;
  Walked(top, extensions, [&] { return ++questions, true; });

  for (int allowed = 0; allowed < questions; ++allowed) {
    int asked = 0;
    Paths visited = Walked(top, extensions, [&] { return ++asked <= allowed; });
    EXPECT_EQ(asked, allowed + 1) << "asked again after being told to stop";
    ASSERT_LE(visited.size(), all.size());
    EXPECT_TRUE(std::equal(visited.begin(), visited.end(), all.begin())) << allowed;
  }
}

TEST(WalkFolder, RestoreListFindsOnlyBackups) {
  std::string top = FreshScratchFolder("walk-restore");
  PutFile(top + "\\a.yml", "x");
  PutFile(top + "\\a.yml.ravex", "x");
  PutFile(top + "\\sub\\b.txt.RAVEX", "x");
  TextList restore = RestoreList();
  restore.push_back("changed");
  EXPECT_EQ(RestoreList(), TextList{"ravex"}) << "each call gives a fresh list";
  EXPECT_EQ(Walked(top, RestoreList()), (Paths{top + "\\a.yml.ravex", top + "\\sub\\b.txt.RAVEX"}));
}

TEST(WalkFolder, FolderNameEndingInByte5CIsOneCharacter) {
  // 昞 is 95 5C in GBK: its second byte has the code of "\" but belongs to the character.
  const std::string name = "\x95\x5C";
  std::string top = FreshScratchFolder("walk-gbk");
  PutFile(top + "\\" + name + "\\d.yml", "x");
  PutFile(top + "\\" + name + ".yml", "x");
  PutFile(top + "\\other.yml", "x");

  WIN32_FIND_DATAW wide;
  std::wstring widePattern(top.begin(), top.end());
  HANDLE search = FindFirstFileW((widePattern + L"\\\u661E").c_str(), &wide);
  ASSERT_NE(search, INVALID_HANDLE_VALUE) << "the folder should be the one character U+661E";
  FindClose(search);
  EXPECT_TRUE(wide.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);

  // Entered from its parent, the folder is walked like any other.
  EXPECT_EQ(Walked(top, {"yml"}), (Paths{top + "\\other.yml", top + "\\" + name + ".yml",
                                         top + "\\" + name + "\\d.yml"}));
  EXPECT_EQ(Walked(top + "\\" + name + "\\", {"yml"}), (Paths{top + "\\" + name + "\\d.yml"}));
  // Given without its final "\", the last byte 5C already counts as one, so no "\" is added
  // and the text acts as a name prefix in the parent folder.
  EXPECT_EQ(Walked(top + "\\" + name, {"yml"}), (Paths{top + "\\" + name + name + ".yml"}));
}

TEST(WalkFolder, LinksToFoldersAreNotEnteredSoALoopEnds) {
  std::string loop = NativeFixture("loop");
  for (const char *link : {"\\a\\b\\up", "\\again"}) {
    std::vector<WIN32_FIND_DATAA> found = Search(loop + link);
    ASSERT_EQ(found.size(), 1u) << link;
    EXPECT_EQ(found[0].dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
              DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
        << link;
  }
  // A link to a file is still a file.
  EXPECT_EQ(Walked(loop, {"yml"}), (Paths{loop + "\\link.yml", loop + "\\top.yml",
                                          loop + "\\a\\mid.yml", loop + "\\a\\b\\deep.yml"}));
}

// The walk lists each folder once and matches plain extensions itself; whatever it matches
// must be exactly what one platform search per extension finds, in the same order.
TEST(WalkFolder, MatchesLikeOneSearchPerExtension) {
  std::string names = NativeFixture("names");
  std::string deep = NativeFixture("deep");
  const std::vector<TextList> lists = {{"yml"},  {"YML"},  {""},      {"*"},
                                       {"y?l"},  {" yml"}, {"yml."},  {"yml "},
                                       {"json"}, {"ymlx"}, {"b.yml"}, {"\xD6\xD0"},
                                       {"YmL"},  {"txt"},  {"ym"},    {"yml", "", "json", "yml"}};
  for (const TextList &list : lists) {
    std::string label = "[" + list[0] + "] of " + std::to_string(list.size());
    EXPECT_EQ(Walked(names, list), ReferenceWalked(names, list)) << label;
    EXPECT_EQ(Walked(deep, list), ReferenceWalked(deep, list)) << label;
  }

  // The fixture really holds what makes these cases hard.
  Paths yml = ReferenceWalked(names, {"yml"});
  for (const char *found : {"\\a.yml", "\\A.YML", "\\a.b.yml", "\\\xD6\xD0.yml", "\\\x95\x5C.yml",
                            "\\a.ymlx", "\\sub\\c.YmL", "\\\x95\x5C\\d.yml"}) {
    EXPECT_NE(std::find(yml.begin(), yml.end(), names + found), yml.end()) << found;
  }
  // Each of the 36 deep folders holds three files that "*.yml" finds (b.ymlx through its short
  // name); near the path limit the searches for some of them are refused.
  Paths deepYml = ReferenceWalked(deep, {"yml"});
  EXPECT_GT(deepYml.size(), 36u);
  EXPECT_LT(deepYml.size(), 3 * 36u);
}

TEST(WalkFolder, ListsEachFolderOnceForPlainExtensions) {
  std::string many = NativeFixture("many");
  const TextList extensions = {"yml", "txt", "json", "lang"};
  // The quicker of two runs each, so that one stall elsewhere on the machine does not count.
  Paths fast, slow;
  ULONGLONG fastMs = ~0ull, slowMs = ~0ull;
  for (int run = 0; run < 2; ++run) {
    ULONGLONG start = GetTickCount64();
    fast = Walked(many, extensions);
    fastMs = std::min(fastMs, GetTickCount64() - start);
    start = GetTickCount64();
    slow = ReferenceWalked(many, extensions);
    slowMs = std::min(slowMs, GetTickCount64() - start);
  }

  EXPECT_EQ(fast.size(), 4u * 14 * 14);
  EXPECT_EQ(fast, slow);
  // Five searches a folder against one: expect well under half the time.
  EXPECT_LT(fastMs * 2, slowMs) << fastMs << " ms against " << slowMs << " ms";
}

} // namespace
