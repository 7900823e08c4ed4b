#pragma once
// One run at a time, and stopping a run between two files when the window closes.

// On the window's thread: marks a run as working and disables the run buttons. False when a
// run's work is already going on.
bool BeginRun();

// On the run's worker, when its work is done and before its closing message: enables the run
// buttons again, and closes the window if that was asked for while the run worked.
void FinishRunWork();

bool RunIsWorking();

// Asks the working run to stop after the file it is on.
void RequestRunStop();
bool RunStopRequested();

// Asked by the runs before each file: false once a stop was requested.
bool RunShouldGoOn();
