#include "files/file_io.h"

#include "support/scratch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

// Real files in a scratch folder under Wine.

namespace {

const std::string kSlashTrail = "\x95\x5C"; // the GBK character 昞: its trail byte is "\"

using Names = std::vector<std::string>;

Bytes ToBytes(const std::string &s) { return Bytes(s.begin(), s.end()); }

// The names in folder, sorted, without "." and "..".
Names ListFolder(const std::string &folder) {
  Names names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

class ScopedHandle {
public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { Close(); }
  ScopedHandle(const ScopedHandle &) = delete;
  ScopedHandle &operator=(const ScopedHandle &) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Close() {
    if (Valid()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

private:
  HANDLE handle_;
};

// Another party's handle on path.
HANDLE OpenAsOther(const std::string &path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Runs body with the current directory set to folder, and restores it.
template <typename Body> void InFolder(const std::string &folder, Body body) {
  char saved[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str())) << folder;
  body();
  SetCurrentDirectoryA(saved);
}

} // namespace

// ---- reading ----

TEST(ReadWholeFile, FailuresGiveEmptyBytes) {
  std::string dir = FreshScratchFolder("read_failures");
  CreateDirectoryA((dir + "\\folder").c_str(), nullptr);
  PutFile(dir + "\\empty.txt", "");
  struct Case {
    const char *what;
    Text path;
    bool readable;
  } cases[] = {
      {"missing file", dir + "\\missing.txt", false},
      {"missing folder", dir + "\\nowhere\\a.txt", false},
      {"folder", dir + "\\folder", false},
      {"empty path", Text(), false},
      {"empty file", dir + "\\empty.txt", true},
  };
  for (const Case &c : cases) {
    Bytes content = ToBytes("stale");
    EXPECT_EQ(TryReadWholeFile(c.path, content), c.readable) << c.what;
    EXPECT_TRUE(content.empty()) << c.what;
    EXPECT_TRUE(ReadWholeFile(c.path).empty()) << c.what;
  }
}

TEST(ReadWholeFile, GivesEveryByte) {
  std::string dir = FreshScratchFolder("read_bytes");
  std::string content("a\0b\r\n\xFF\x95\x5C", 8);
  for (int i = 0; i < 70000; ++i) content += static_cast<char>(i * 7);
  std::string path = dir + "\\data.bin";
  PutFile(path, content);
  Bytes got;
  EXPECT_TRUE(TryReadWholeFile(path, got));
  EXPECT_EQ(got, ToBytes(content));
  EXPECT_EQ(ReadWholeFile(path), ToBytes(content));
}

TEST(ReadWholeFile, GbkNamesWithBackslashTrailBytes) {
  std::string dir = FreshScratchFolder("read_gbk");
  std::string name = "中文" + kSlashTrail + ".yml";
  PutFile(dir + "\\" + name, "key: 值");
  EXPECT_EQ(ReadWholeFile(dir + "\\" + name), ToBytes("key: 值"));
  EXPECT_EQ(ListFolder(dir), Names{name});
}

TEST(ReadWholeFile, OtherPartiesMayOnlyRead) {
  std::string dir = FreshScratchFolder("read_shared");
  std::string path = dir + "\\held.txt";
  PutFile(path, "content");
  struct Case {
    const char *what;
    DWORD access, share;
    bool readable;
  } cases[] = {
      {"held without sharing", GENERIC_READ, 0, false},
      {"held for writing, all shared", GENERIC_WRITE,
       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false},
      {"read by another with read sharing", GENERIC_READ, FILE_SHARE_READ, true},
  };
  for (const Case &c : cases) {
    ScopedHandle other(OpenAsOther(path, c.access, c.share));
    ASSERT_TRUE(other.Valid()) << c.what;
    Bytes got;
    EXPECT_EQ(TryReadWholeFile(path, got), c.readable) << c.what;
    EXPECT_EQ(got, c.readable ? ToBytes("content") : Bytes()) << c.what;
  }
}

// ---- writing ----

TEST(WriteWholeFile, CreatesAndReplaces) {
  std::string dir = FreshScratchFolder("write_replace");
  std::string path = dir + "\\a.yml";
  EXPECT_TRUE(WriteWholeFile(path, ToBytes("first")));
  EXPECT_EQ(GetFile(path), "first");

  PutFile(path, std::string(5000, 'x'));
  EXPECT_TRUE(WriteWholeFile(path, ToBytes("short")));
  EXPECT_EQ(GetFile(path), "short"); // exactly the new data, nothing of the longer old file

  std::string binary("\0\x01\xFF\x95\x5C\0", 6);
  EXPECT_TRUE(WriteWholeFile(path, ToBytes(binary)));
  EXPECT_EQ(GetFile(path), binary);

  EXPECT_EQ(ListFolder(dir), Names{"a.yml"});
}

TEST(WriteWholeFile, EmptyDataLeavesAnEmptyFile) {
  std::string dir = FreshScratchFolder("write_empty");
  EXPECT_TRUE(WriteWholeFile(dir + "\\new.txt", Bytes()));
  PutFile(dir + "\\old.txt", "old content");
  EXPECT_TRUE(WriteWholeFile(dir + "\\old.txt", Bytes()));
  for (const char *name : {"new.txt", "old.txt"}) {
    Bytes content = ToBytes("stale");
    EXPECT_TRUE(TryReadWholeFile(dir + "\\" + name, content)) << name;
    EXPECT_TRUE(content.empty()) << name;
  }
  EXPECT_EQ(ListFolder(dir), (Names{"new.txt", "old.txt"}));
}

TEST(WriteWholeFile, GbkNameWithBackslashTrailByte) {
  std::string dir = FreshScratchFolder("write_gbk");
  std::string name = kSlashTrail + "配置.yml";
  EXPECT_TRUE(WriteWholeFile(dir + "\\" + name, ToBytes("新")));
  EXPECT_EQ(GetFile(dir + "\\" + name), "新");
  EXPECT_TRUE(WriteWholeFile(dir + "\\" + name, ToBytes("再")));
  EXPECT_EQ(GetFile(dir + "\\" + name), "再");
  EXPECT_EQ(ListFolder(dir), Names{name});

  // A name that ends in the trail byte 0x5C is a name, not a folder.
  const std::string &tail = kSlashTrail;
  EXPECT_TRUE(WriteWholeFile(dir + "\\" + tail, ToBytes("tail")));
  EXPECT_EQ(GetFile(dir + "\\" + tail), "tail");
  EXPECT_EQ(ListFolder(dir), (Names{tail, name})); // sorted: tail is a prefix of name
}

TEST(WriteWholeFile, RelativePathAndLongNames) {
  std::string dir = FreshScratchFolder("write_relative");
  // A name so long that "." + name + suffix would pass the length of one path component.
  std::string longName = std::string(246, 'n') + ".txt";
  InFolder(dir, [&] {
    EXPECT_TRUE(WriteWholeFile("rel.txt", ToBytes("r")));
    EXPECT_EQ(GetFile("rel.txt"), "r");
    EXPECT_TRUE(WriteWholeFile(longName, ToBytes("long")));
    EXPECT_EQ(GetFile(longName), "long");
    EXPECT_TRUE(WriteWholeFile(longName, ToBytes("longer")));
    EXPECT_EQ(GetFile(longName), "longer");
  });

  // A path of the longest length the ANSI calls take, whose folder leaves the temporary file
  // only a short name.
  std::string name20(20, 'f');
  ASSERT_LT(dir.size(), 200u);
  std::string deepName(MAX_PATH - 1 - name20.size() - 1 - dir.size() - 1, 'd');
  std::string deep = dir + "\\" + deepName;
  ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
  std::string nearLimit = deep + "\\" + name20;
  ASSERT_EQ(nearLimit.size(), static_cast<size_t>(MAX_PATH - 1));
  EXPECT_TRUE(WriteWholeFile(nearLimit, ToBytes("deep")));
  EXPECT_EQ(GetFile(nearLimit), "deep");
  EXPECT_TRUE(WriteWholeFile(nearLimit, ToBytes("deeper")));
  EXPECT_EQ(GetFile(nearLimit), "deeper");

  EXPECT_EQ(ListFolder(dir), (Names{deepName, longName, "rel.txt"}));
  EXPECT_EQ(ListFolder(deep), Names{name20});
}

TEST(WriteWholeFile, KeepsHiddenAndSystemAttributes) {
  std::string dir = FreshScratchFolder("write_attributes");
  std::string hidden = dir + "\\hidden.txt";
  PutFile(hidden, "old");
  ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  EXPECT_TRUE(WriteWholeFile(hidden, ToBytes("new")));
  EXPECT_EQ(GetFile(hidden), "new");
  DWORD attributes = GetFileAttributesA(hidden.c_str());
  EXPECT_EQ(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
      << std::hex << attributes;

  // A plain file stays plain (the temporary file's leading "." does not make it hidden).
  std::string plain = dir + "\\plain.txt";
  PutFile(plain, "old");
  EXPECT_TRUE(WriteWholeFile(plain, ToBytes("new")));
  EXPECT_TRUE(WriteWholeFile(dir + "\\created.txt", ToBytes("new")));
  for (const std::string &path : {plain, dir + "\\created.txt"}) {
    attributes = GetFileAttributesA(path.c_str());
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY),
              0u)
        << path << " " << std::hex << attributes;
  }
  EXPECT_EQ(ListFolder(dir), (Names{"created.txt", "hidden.txt", "plain.txt"}));
}

TEST(WriteWholeFile, FailuresLeaveEverythingAsItWas) {
  std::string dir = FreshScratchFolder("write_failures");
  CreateDirectoryA((dir + "\\folder").c_str(), nullptr);
  PutFile(dir + "\\readonly.txt", "read-only content");
  ASSERT_TRUE(SetFileAttributesA((dir + "\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  const Names before = ListFolder(dir);
  struct Case {
    const char *what;
    Text path;
  } cases[] = {
      {"empty path", Text()},
      {"folder that does not exist", dir + "\\nowhere\\a.txt"},
      {"path naming a folder", dir + "\\folder"},
      {"path ending in a backslash", dir + "\\folder\\"},
      {"read-only file", dir + "\\readonly.txt"},
      {"wildcard", dir + "\\*.txt"},
      // Opens as the NUL device, so only the final replace fails: the temporary file must go.
      {"device name", dir + "\\nul.txt"},
  };
  for (const Case &c : cases) {
    EXPECT_FALSE(WriteWholeFile(c.path, ToBytes("new"))) << c.what;
    EXPECT_FALSE(WriteWholeFile(c.path, Bytes())) << c.what;
    EXPECT_EQ(ListFolder(dir), before) << c.what; // no temporary file left, nothing created
  }
  EXPECT_EQ(GetFile(dir + "\\readonly.txt"), "read-only content");
  EXPECT_EQ(GetFileAttributesA((dir + "\\readonly.txt").c_str()) &
                (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY),
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(ListFolder(dir + "\\folder").empty());
}

TEST(WriteWholeFile, EmptyPathCreatesNothingInTheCurrentFolder) {
  std::string dir = FreshScratchFolder("write_empty_path");
  InFolder(dir, [&] {
    EXPECT_FALSE(WriteWholeFile(Text(), ToBytes("data")));
    EXPECT_TRUE(ListFolder(dir).empty());
  });
}

TEST(WriteWholeFile, FileHeldOpenByAnotherParty) {
  std::string dir = FreshScratchFolder("write_held");
  std::string path = dir + "\\held.txt";
  PutFile(path, "old content");
  struct Case {
    const char *what;
    DWORD access, share;
  } cases[] = {
      {"read without sharing", GENERIC_READ, 0},
      {"write without sharing", GENERIC_WRITE, 0},
      {"read with read sharing", GENERIC_READ, FILE_SHARE_READ},
      {"read with all sharing", GENERIC_READ,
       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
  };
  for (const Case &c : cases) {
    {
      ScopedHandle other(OpenAsOther(path, c.access, c.share));
      ASSERT_TRUE(other.Valid()) << c.what;
      EXPECT_FALSE(WriteWholeFile(path, ToBytes("new"))) << c.what;
      EXPECT_EQ(ListFolder(dir), Names{"held.txt"}) << c.what;
    }
    EXPECT_EQ(GetFile(path), "old content") << c.what;
  }
  // Once the other party lets go, the write goes through.
  EXPECT_TRUE(WriteWholeFile(path, ToBytes("new")));
  EXPECT_EQ(GetFile(path), "new");
}

TEST(WriteWholeFile, ManyWritesLeaveNoTemporaryFiles) {
  std::string dir = FreshScratchFolder("write_many");
  Names expected;
  for (int i = 0; i < 50; ++i) {
    std::string name = "f" + std::to_string(i);
    name += ".txt";
    std::string data(static_cast<size_t>(i * 37), static_cast<char>('a' + i % 26));
    ASSERT_TRUE(WriteWholeFile(dir + "\\" + name, ToBytes(data)));
    ASSERT_TRUE(WriteWholeFile(dir + "\\" + name, ToBytes(data + "!")));
    EXPECT_EQ(GetFile(dir + "\\" + name), data + "!");
    expected.push_back(name);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ListFolder(dir), expected);
}

TEST(WriteWholeFile, RacingHolderNeverSeesHalfWritesOrLeftovers) {
  // Another thread keeps opening the target without sharing, so writes fail at every step:
  // some before the temporary file exists, some at the final replace.
  std::string dir = FreshScratchFolder("write_race");
  std::string path = dir + "\\raced.txt";
  PutFile(path, "start");
  std::atomic<bool> stop{false};
  std::atomic<int> holds{0};
  std::thread holder([&] {
    while (!stop) {
      HANDLE other = OpenAsOther(path, GENERIC_READ, 0);
      if (other == INVALID_HANDLE_VALUE) continue;
      ++holds;
      Sleep(0);
      CloseHandle(other);
      Sleep(0);
    }
  });
  std::string last = "start";
  int failures = 0;
  for (int i = 0; i < 3000 && (i < 300 || failures < 30); ++i) {
    std::string data = "round " + std::to_string(i);
    if (WriteWholeFile(path, ToBytes(data))) {
      last = data;
    } else {
      ++failures;
    }
  }
  stop = true;
  holder.join();
  EXPECT_GT(holds.load(), 0);
  EXPECT_GT(failures, 0);
  EXPECT_EQ(GetFile(path), last);
  EXPECT_EQ(ListFolder(dir), Names{"raced.txt"});
}

// ---- removing and testing ----

// ---- which file a name reaches ----

TEST(FileNumber, TellsFilesApartAndFollowsTheWrite) {
  std::string dir = FreshScratchFolder("file_number");
  std::string a = dir + "\\a.yml", b = dir + "\\b.yml", second = dir + "\\second-name.yml";
  PutFile(a, "a");
  PutFile(b, "b");
  ASSERT_TRUE(CreateHardLinkA(second.c_str(), a.c_str(), nullptr));
  Bytes content;
  FileNumber numberA = 0, numberB = 0, numberSecond = 0;
  ASSERT_TRUE(TryReadWholeFile(a, content, &numberA));
  ASSERT_TRUE(TryReadWholeFile(b, content, &numberB));
  ASSERT_TRUE(TryReadWholeFile(second, content, &numberSecond));
  EXPECT_NE(numberA, 0u);
  EXPECT_NE(numberA, numberB);
  EXPECT_EQ(numberA, numberSecond); // one file, two names
  EXPECT_EQ(FileIdentity(a), FileIdentity(second));
  EXPECT_NE(FileIdentity(a), FileIdentity(b));

  // The number a write gives is the one its path reaches afterwards; the other name keeps
  // the old file.
  FileNumber written = 0;
  ASSERT_TRUE(WriteWholeFile(a, ToBytes("new"), &written));
  FileNumber reread = 0;
  ASSERT_TRUE(TryReadWholeFile(a, content, &reread));
  EXPECT_EQ(written, reread);
  EXPECT_NE(written, numberSecond);
  EXPECT_EQ(GetFile(second), "a");

  // Failures leave the number alone.
  FileNumber untouched = 7;
  EXPECT_FALSE(TryReadWholeFile(dir + "\\missing.yml", content, &untouched));
  EXPECT_FALSE(WriteWholeFile(dir + "\\no-folder\\x.yml", ToBytes("x"), &untouched));
  EXPECT_EQ(untouched, 7u);
}

TEST(RemoveFile, DeletesAndIgnoresFailures) {
  std::string dir = FreshScratchFolder("remove");
  PutFile(dir + "\\a.txt", "a");
  RemoveFile(dir + "\\a.txt");
  EXPECT_FALSE(PathExists(dir + "\\a.txt"));
  RemoveFile(dir + "\\missing.txt"); // nothing to see, nothing reported
  RemoveFile(Text());
  EXPECT_TRUE(ListFolder(dir).empty());
}

TEST(FileExists, FilesAndFoldersOfExactlyThatPath) {
  std::string dir = FreshScratchFolder("exists");
  PutFile(dir + "\\a.txt", "a");
  PutFile(dir + "\\" + kSlashTrail + ".txt", "b");
  CreateDirectoryA((dir + "\\sub").c_str(), nullptr);
  struct Case {
    const char *what;
    Text path;
    bool exists;
  } cases[] = {
      {"file", dir + "\\a.txt", true},
      {"file, other letter case", dir + "\\A.TXT", true},
      {"GBK name with a 0x5C trail byte", dir + "\\" + kSlashTrail + ".txt", true},
      {"folder", dir + "\\sub", true},
      {"missing", dir + "\\b.txt", false},
      {"in a missing folder", dir + "\\nowhere\\a.txt", false},
      {"empty path", Text(), false},
      {"wildcard star", dir + "\\*.txt", false},
      {"wildcard question mark", dir + "\\?.txt", false},
  };
  for (const Case &c : cases) EXPECT_EQ(FileExists(c.path), c.exists) << c.what;
}

TEST(FileExists, UchardetDllAsFileOrFolder) {
  // The test program's folder holds uchardet.dll, as the program's folder does.
  InFolder(TestProgramFolder(), [] { EXPECT_TRUE(FileExists("uchardet.dll")); });
  std::string dir = FreshScratchFolder("exists_dll");
  InFolder(dir, [] { EXPECT_FALSE(FileExists("uchardet.dll")); });
  CreateDirectoryA((dir + "\\uchardet.dll").c_str(), nullptr);
  InFolder(dir, [] { EXPECT_TRUE(FileExists("uchardet.dll")); });
}
