#pragma once
// The reliability table the suite leaves in the build tree as it runs: one markdown row per
// scenario in BUILD/reliability/rows/, gathered into BUILD/reliability/table.md.

#include <string>

// Texts are code page 936; the files are written as UTF-8.
void WriteReliabilityRow(int order, const std::string &scenario, const std::string &files,
                         const std::string &outcome, long long bytesLost);
