#pragma once
// The transcode run: rescan the plugin folder into the result list, then rewrite every ticked
// file whose label calls for it in the encoding chosen in 组合框1. Runs on a worker thread.

#include "files/file_io.h"
#include "files/text.h"

#include <functional>
#include <unordered_map>
#include <unordered_set>

void RunTranscode();

enum class TranscodeTarget { Utf8 = 0, Gbk = 1 };

// The files a pass has rewritten, so that a file listed in several rows, or reached under
// several names (links), is converted once: converting it again would convert converted text.
struct ConvertedFiles {
  std::unordered_set<Text> paths;
  std::unordered_multimap<FileNumber, Text> pathsByNumber; // the path each was written under
  std::unordered_set<Text> identities; // of files written where the platform gives no number
};

// The status a ticked row gets when its file is handled (and the file rewritten if needed).
// A file already in converted is skipped; a file rewritten goes into it.
Text TranscodeRowFile(const Text &path, const Text &label, int target, ConvertedFiles &converted);

// Test seam: called on the worker between the scan and the pass, when set.
extern std::function<void()> BeforeTranscodePass;
