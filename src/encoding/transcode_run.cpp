#include "encoding/transcode_run.h"

#include "app/controls.h"
#include "app/hand_over.h"
#include "app/message_box.h"
#include "app/run_control.h"
#include "encoding/convert.h"
#include "encoding/detect.h"
#include "files/file_io.h"
#include "files/walk.h"
#include "results/result_list.h"
#include "results/status_words.h"

#include <optional>
#include <system_error>
#include <thread>

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

struct ScannedFile {
  Text path;
  Text label;
};

// How many files the scan may have read and detected before their rows are in the list.
constexpr size_t kFilesReadAhead = 2;

// The scan. A finder thread walks the folder, reading and detecting each file, and this worker
// adds each file's row as soon as the finder has it: reading and detecting the next file
// overlaps the round trip that puts a row into the list. Without a second thread the worker
// does it all itself, file by file.
void Scan(const Text &folder) {
  HandOver<ScannedFile> found(kFilesReadAhead);
  auto find = [&] {
    WalkFolder(
        folder,
        [&](const Text &path) {
          found.Give({path, DetectCharset(ReadWholeFile(path))});
        },
        [&] { return RunShouldGoOn() && !found.TakingStopped(); });
    found.EndGiving();
  };
  std::thread finder;
  try {
    finder = std::thread(find);
  } catch (const std::system_error &) {
    WalkFolder(folder, ScanFile, RunShouldGoOn);
    return;
  }
  while (std::optional<ScannedFile> file = found.Take()) {
    if (!RunShouldGoOn()) break;
    AddResultRow(file->path, file->label, kStatusWaiting);
  }
  found.StopTaking();
  finder.join();
}

// Whether the file just read from another path (with its number) is one this pass has
// rewritten under another name. Names are compared in full only where the numbers agree, or
// where the platform gave no number.
bool ConvertedUnderAnotherName(const Text &path, FileNumber number,
                               const ConvertedFiles &converted) {
  auto [first, last] = converted.pathsByNumber.equal_range(number);
  if (number != 0 && first == last && converted.identities.empty()) return false;
  Text identity = FileIdentity(path);
  if (converted.identities.contains(identity)) return true;
  for (auto it = first; it != last; ++it) {
    if (FileIdentity(it->second) == identity) return true;
  }
  return false;
}

} // namespace

// Converts the row's file in place, losing nothing: a file that cannot be read, holds a zero
// byte, is not valid in its source encoding or has a character the target lacks is left alone.
Text TranscodeRowFile(const Text &path, const Text &label, int target, ConvertedFiles &converted) {
  Conversion conversion = ConversionFor(label, target);
  if (conversion == Conversion::None) return kStatusSkipped;
  if (converted.paths.contains(path)) return kStatusSkipped;
  Bytes content;
  FileNumber number = 0;
  if (!TryReadWholeFile(path, content, &number)) return kStatusTranscodeFailed;
  if (ConvertedUnderAnotherName(path, number, converted)) return kStatusSkipped;
  Bytes result;
  bool ok = conversion == Conversion::ToUtf8 ? StrictGbkToUtf8(content, result)
                                             : StrictUtf8ToGbk(content, result);
  if (!ok) return kStatusTranscodeFailed;
  FileNumber written = number;
  // Pure ASCII is the same in both: nothing to rewrite.
  if (result != content && !WriteWholeFile(path, result, &written)) return kStatusTranscodeFailed;
  converted.paths.insert(path);
  // A link to it now reaches the new file.
  if (written != 0) {
    converted.pathsByNumber.emplace(written, path);
  } else {
    converted.identities.insert(FileIdentity(path));
  }
  return kStatusTranscoded;
}

void RunTranscode() {
  ReplaceExtensionList(SplitText(ReadExtensionText()));
  ClearResultList();
  Scan(FolderWithBackslash(ReadFolderText()));
  if (BeforeTranscodePass) BeforeTranscodePass();

  int target = SelectedTargetIndex();
  int count = ResultRowCount();
  ConvertedFiles converted;
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
