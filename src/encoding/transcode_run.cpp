#include "encoding/transcode_run.h"

#include "app/controls.h"
#include "app/message_box.h"
#include "app/run_control.h"
#include "encoding/convert.h"
#include "encoding/detect.h"
#include "files/file_io.h"
#include "files/walk.h"
#include "results/result_list.h"
#include "results/status_words.h"

std::function<void()> BeforeTranscodePass;

namespace {

bool IsGbLabel(const Text &label) { return CompareText(TextLeft(label, 2), "GB") == 0; }

enum class Conversion { None, ToUtf8, ToGbk };

Conversion ConversionFor(const Text &label, int target) {
  if (target == 0 && (CompareText(label, "ANSI") == 0 || IsGbLabel(label))) {
    return Conversion::ToUtf8;
  }
  if (target == 1 && CompareText(label, "UTF-8") == 0) return Conversion::ToGbk;
  return Conversion::None;
}

void ScanFile(const Text &path) {
  AddResultRow(path, DetectCharset(ReadWholeFile(path)), kStatusWaiting);
}

// Converts one file in place, losing nothing: a file that cannot be read, holds a zero byte,
// is not valid in its source encoding or has a character the target lacks is left alone.
bool ConvertFile(const Text &path, Conversion conversion) {
  Bytes content;
  if (!TryReadWholeFile(path, content)) return false;
  Bytes converted;
  bool ok = conversion == Conversion::ToUtf8 ? StrictGbkToUtf8(content, converted)
                                             : StrictUtf8ToGbk(content, converted);
  if (!ok) return false;
  if (converted == content) return true; // pure ASCII: nothing to rewrite
  return WriteWholeFile(path, converted);
}

} // namespace

Text TranscodeRowFile(const Text &path, const Text &label, int target,
                      std::unordered_set<Text> &converted) {
  Conversion conversion = ConversionFor(label, target);
  if (conversion == Conversion::None) return kStatusSkipped;
  // A file listed in several rows (an extension given twice, "TXT" beside "txt") is
  // converted once; converting it again would convert converted content.
  if (converted.contains(path) || converted.contains(FileIdentity(path))) return kStatusSkipped;
  if (!ConvertFile(path, conversion)) return kStatusTranscodeFailed;
  converted.insert({path, FileIdentity(path)}); // a link to it now reaches the new file
  return kStatusTranscoded;
}

void RunTranscode() {
  ReplaceExtensionList(SplitText(ReadExtensionText()));
  ClearResultList();
  WalkFolder(FolderWithBackslash(ReadFolderText()), ScanFile, RunShouldGoOn);
  if (BeforeTranscodePass) BeforeTranscodePass();

  int target = SelectedTargetIndex();
  int count = ResultRowCount();
  std::unordered_set<Text> converted;
  // Rows that need no file work (unticked, or labels the target leaves alone) are settled on
  // the window's thread as the pass reaches them, and a row's status goes into the list in the
  // same round trip that reaches the next row: a round trip for each file the pass handles, and
  // every check mark is still read when the pass reaches its row.
  RowSettler settle = [target](const Text &label, bool checked, Text &status) {
    if (!checked) {
      status = kStatusCancelled;
      return true;
    }
    if (target != 0 && target != 1) return true; // no target: the row keeps its status
    if (ConversionFor(label, target) != Conversion::None) return false;
    status = kStatusSkipped;
    return true;
  };
  int row = 0;
  int finishedRow = -1;
  Text finishedStatus;
  while (row < count && RunShouldGoOn()) {
    ReachedRow reached = FinishRowAndReachNext(finishedRow, finishedStatus, row, count, settle);
    finishedRow = -1;
    row = reached.index;
    if (!reached.needsWork) continue;
    finishedStatus = TranscodeRowFile(reached.row.path, reached.row.encoding, target, converted);
    finishedRow = row++;
  }
  if (finishedRow >= 0) SetResultStatus(finishedRow, finishedStatus);

  FinishRunWork();
  if (!RunStopRequested()) ShowMessage("已全部转码完成！", kInformationIcon);
}
