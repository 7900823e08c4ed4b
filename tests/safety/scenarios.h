#pragma once
// The scenarios that live in files of their own: the killed runs and the big tree.

class SafetyTest;

// The real Quorvel.exe killed at 20 seeded random moments of a transcode run, then of a restore
// run, over a tree of 400 files; then a run that must leave the killed runs' temporary files
// alone.
void KillDuringTranscode(SafetyTest &t);
void KillDuringRestore(SafetyTest &t);

// 100,000 small files in 2,000 folders (made by scripts/scale.sh): transcode, backup and
// restore by the real Quorvel.exe, with times and peak memory.
void ScaleRuns(SafetyTest &t);
