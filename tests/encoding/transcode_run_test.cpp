#include "app/ui_thread.h"
#include "encoding/transcode_run.h"
#include "results/status_words.h"
#include "support/run_fixture.h"
#include "support/samples.h"
#include "support/scratch.h"

#include <commctrl.h>

#include <map>

namespace {

const std::string kGbkFolder = "\xD6\xD0\xCE\xC4\\\x95\x5C"; // 中文\ and a trail byte of 0x5C

struct Sample {
  std::string name;
  std::string content;
};

// A plugin tree of every kind of content the scan meets.
std::vector<Sample> SampleTree() {
  std::string emoji = Utf8Sample() + "\xF0\x9F\x98\x80\r\n";
  std::string withZero = GbkSample() + std::string(1, '\0') + GbkSample();
  return {
      {"gbk.yml", GbkSample()},
      {"utf8.txt", Utf8Sample()},
      {"bom.json", "\xEF\xBB\xBF" + Utf8Sample()},
      {"ascii.lang", "name: plugin\r\nversion: 1.2\r\n"},
      {"empty.yml", ""},
      {"zero.txt", withZero},
      {"emoji.yml", emoji},
      {"binary.json", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xFE\x81\x00\x80", 22)},
      {kGbkFolder + "\\nested.yml", GbkSample() + GbkSample()},
      {"sub\\deeper\\gbk.lang", GbkSample()},
      {".hidden.yml", GbkSample()},
      {".git\\config.yml", GbkSample()},
      {"notes.md", GbkSample()},
  };
}

std::string ZeroPadded(size_t n) {
  std::string digits = std::to_string(n);
  return std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits;
}

bool CallsForUtf8(const std::string &label) {
  return label == "ANSI" || label.rfind("GB", 0) == 0;
}

class TranscodeRunTest : public RunTest {
protected:
  void SetUp() override {
    RunTest::SetUp();
    BeforeTranscodePass = nullptr;
  }
  void TearDown() override {
    BeforeTranscodePass = nullptr;
    RunTest::TearDown();
  }
  std::string MakeTree(const std::string &name) {
    folder = FreshScratchFolder(name);
    for (const Sample &sample : SampleTree()) PutFile(folder + "\\" + sample.name, sample.content);
    return folder;
  }
  std::string folder;
};

TEST_F(TranscodeRunTest, ToUtf8ConvertsCodePage936FilesAndLeavesEverythingElse) {
  SetInputs(MakeTree("transcode-utf8"), "yml,txt,json,lang", 0);
  EXPECT_EQ(RunAndAnswer(RunTranscode), "已全部转码完成！");

  std::vector<ListedRow> rows = Rows();
  ASSERT_EQ(rows.size(), 10u); // no dot names, no .md
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].number, ZeroPadded(i + 1));
  }
  std::map<std::string, std::string> expected = {
      {"gbk.yml", Utf8Sample()},
      {kGbkFolder + "\\nested.yml", Utf8Sample() + Utf8Sample()},
      {"sub\\deeper\\gbk.lang", Utf8Sample()},
  };
  for (const Sample &sample : SampleTree()) {
    std::string path = folder + "\\" + sample.name;
    SCOPED_TRACE(sample.name);
    bool listed = sample.name[0] != '.' && sample.name != "notes.md";
    if (!listed) {
      EXPECT_EQ(GetFile(path), sample.content);
      continue;
    }
    ListedRow row = RowOf(path);
    if (expected.count(sample.name)) {
      EXPECT_EQ(row.encoding.substr(0, 2), "GB");
      EXPECT_EQ(row.status, "已转码");
      EXPECT_EQ(GetFile(path), expected[sample.name]);
    } else if (sample.name == "ascii.lang") {
      EXPECT_EQ(row.encoding, "ANSI");
      EXPECT_EQ(row.status, "已转码");
      EXPECT_EQ(GetFile(path), sample.content);
    } else if (sample.name == "utf8.txt" || sample.name == "bom.json") {
      EXPECT_EQ(row.encoding, "UTF-8");
      EXPECT_EQ(row.status, "跳过");
      EXPECT_EQ(GetFile(path), sample.content);
    } else {
      // Empty, zero-holding, emoji and binary files: never rewritten, never "已转码".
      EXPECT_EQ(GetFile(path), sample.content);
      EXPECT_EQ(row.status, CallsForUtf8(row.encoding) ? "转码失败" : "跳过") << row.encoding;
    }
    EXPECT_TRUE(row.checked);
  }
}

TEST_F(TranscodeRunTest, ToAnsiConvertsUtf8FilesDropsTheMarkAndRefusesEmoji) {
  SetInputs(MakeTree("transcode-ansi"), "yml,txt,json,lang", 1);
  EXPECT_EQ(RunAndAnswer(RunTranscode), "已全部转码完成！");
  EXPECT_EQ(GetFile(folder + "\\utf8.txt"), GbkSample());
  EXPECT_EQ(GetFile(folder + "\\bom.json"), GbkSample());
  EXPECT_EQ(RowOf(folder + "\\utf8.txt").status, "已转码");
  EXPECT_EQ(RowOf(folder + "\\bom.json").status, "已转码");
  EXPECT_EQ(GetFile(folder + "\\gbk.yml"), GbkSample());
  EXPECT_EQ(RowOf(folder + "\\gbk.yml").status, "跳过");
  EXPECT_EQ(RowOf(folder + "\\ascii.lang").status, "跳过");
  ListedRow emoji = RowOf(folder + "\\emoji.yml");
  ASSERT_EQ(emoji.encoding, "UTF-8");
  EXPECT_EQ(emoji.status, "转码失败");
  EXPECT_EQ(GetFile(folder + "\\emoji.yml"), Utf8Sample() + "\xF0\x9F\x98\x80\r\n");
}

TEST_F(TranscodeRunTest, UntickedRowIsCancelledAndNoTargetLeavesRowsWaiting) {
  SetInputs(MakeTree("transcode-untick"), "yml", 0);
  BeforeTranscodePass = [this] {
    RunOnUiThread([this] { ListView_SetCheckState(Control(kResultListControl), 0, FALSE); });
  };
  RunAndAnswer(RunTranscode);
  std::vector<ListedRow> rows = Rows();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0].status, "取消");
  std::string first = rows[0].path.substr(folder.size() + 1);
  for (const Sample &sample : SampleTree()) {
    if (sample.name == first) {
      EXPECT_EQ(GetFile(rows[0].path), sample.content);
    }
  }

  // Nothing selected in 组合框1: ticked rows keep their status, files untouched.
  SetInputs(MakeTree("transcode-no-target"), "yml", -1);
  BeforeTranscodePass = [this] {
    RunOnUiThread([this] { ListView_SetCheckState(Control(kResultListControl), 1, FALSE); });
  };
  EXPECT_EQ(RunAndAnswer(RunTranscode), "已全部转码完成！");
  rows = Rows();
  ASSERT_GE(rows.size(), 2u);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].status, i == 1 ? "取消" : "等待转码") << rows[i].path;
  }
  EXPECT_EQ(GetFile(folder + "\\gbk.yml"), GbkSample());
}

TEST_F(TranscodeRunTest, AFileListedTwiceIsConvertedOnce) {
  folder = FreshScratchFolder("transcode-twice");
  PutFile(folder + "\\a.txt", GbkSample());
  SetInputs(folder, "txt,TXT,*", 0);
  RunAndAnswer(RunTranscode);
  std::vector<ListedRow> rows = Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].status, "已转码");
  EXPECT_EQ(rows[1].status, "跳过");
  EXPECT_EQ(rows[2].status, "跳过");
  EXPECT_EQ(GetFile(folder + "\\a.txt"), Utf8Sample());
}

TEST_F(TranscodeRunTest, FileChangedBetweenScanAndPassIsNeverLostOrCreated) {
  folder = FreshScratchFolder("transcode-between");
  PutFile(folder + "\\gone.yml", GbkSample());
  PutFile(folder + "\\now-utf8.yml", GbkSample());
  SetInputs(folder, "yml", 0);
  BeforeTranscodePass = [this] {
    DeleteFileA((folder + "\\gone.yml").c_str());
    PutFile(folder + "\\now-utf8.yml", Utf8Sample()); // rewritten by someone else meanwhile
  };
  RunAndAnswer(RunTranscode);
  EXPECT_EQ(RowOf(folder + "\\gone.yml").status, "转码失败");
  EXPECT_FALSE(PathExists(folder + "\\gone.yml"));
  // Labelled as code page 936 at the scan, but no longer valid as such: left alone.
  EXPECT_EQ(RowOf(folder + "\\now-utf8.yml").status, "转码失败");
  EXPECT_EQ(GetFile(folder + "\\now-utf8.yml"), Utf8Sample());
}

TEST_F(TranscodeRunTest, ReadOnlyFileFailsAndStaysAsItWas) {
  folder = FreshScratchFolder("transcode-read-only");
  PutFile(folder + "\\locked.yml", GbkSample());
  SetFileAttributesA((folder + "\\locked.yml").c_str(), FILE_ATTRIBUTE_READONLY);
  SetInputs(folder, "yml", 0);
  RunAndAnswer(RunTranscode);
  EXPECT_EQ(RowOf(folder + "\\locked.yml").status, "转码失败");
  EXPECT_EQ(GetFile(folder + "\\locked.yml"), GbkSample());
}

TEST_F(TranscodeRunTest, EmptyExtensionTextFindsNothingAndStillCloses) {
  SetInputs(MakeTree("transcode-no-extensions"), "", 0);
  EXPECT_EQ(RunAndAnswer(RunTranscode), "已全部转码完成！");
  EXPECT_TRUE(Rows().empty());
}

} // namespace
