#pragma once
// The transcode run: rescan the plugin folder into the result list, then rewrite every ticked
// file whose label calls for it in the encoding chosen in 组合框1. Runs on a worker thread.

#include "files/text.h"

#include <functional>
#include <unordered_set>

void RunTranscode();

enum class TranscodeTarget { Utf8 = 0, Gbk = 1 };

// The status a ticked row gets when its file is handled (and the file rewritten if needed).
// converted holds the paths this pass has already rewritten; a path in it is skipped.
Text TranscodeRowFile(const Text &path, const Text &label, int target,
                      std::unordered_set<Text> &converted);

// Test seam: called on the worker between the scan and the pass, when set.
extern std::function<void()> BeforeTranscodePass;
