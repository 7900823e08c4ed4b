#pragma once
// The result list (超级列表框1): one row per file with its number, path, encoding label,
// status and check mark. Every operation is one round trip to the window's thread and returns
// when the list has carried it out.

#include "files/text.h"

#include <windows.h>

#include <functional>

// Gives a new list view its check boxes, full-row selection, draggable headers and columns.
void SetUpResultList(HWND list);

void ClearResultList();
int ResultRowCount();
// Appends a ticked row numbered ZeroPad(row count + 1, 4).
void AddResultRow(const Text &path, const Text &encoding, const Text &status);
// The whole text of one cell; column 0 number, 1 path, 2 encoding, 3 status.
Text GetResultCell(int row, int column);
bool IsResultRowChecked(int row);

struct ResultRow {
  Text path;
  Text encoding;
  bool checked = false;
};

// A row's path, encoding label and check mark, read in one round trip.
ResultRow ReadResultRow(int row);
void SetResultStatus(int row, const Text &status);

// Decides on the window's thread what becomes of a row that the transcode pass reaches, from
// its label and its check mark at that moment: true when the row is done without its file
// (status then holds its new status, or stays empty to leave the status as it is), false when
// the worker has to handle the file.
using RowSettler = std::function<bool(const Text &label, bool checked, Text &status)>;

struct ReachedRow {
  int index = 0;          // the row that needs the worker, or where to go on from
  bool needsWork = false; // whether row holds that row
  ResultRow row;
};

// One round trip of the transcode pass: sets the status of finishedRow (unless it is negative),
// then goes through the rows from firstRow on, up to endRow: each row that settle() settles gets
// its status there and then, and the first one that needs the worker is read and returned.
// Gives back after 64 settled rows at most, so that the window's thread is never held long.
ReachedRow FinishRowAndReachNext(int finishedRow, const Text &status, int firstRow, int endRow,
                                 const RowSettler &settle);

// "0" repeated (width - length) times, then text; a longer text is never cut.
Text ZeroPad(const Text &text, int width);

// Whether the list's painting is paused while rows arrive; a pause ends by itself within 50 ms.
bool ResultListPaintingPaused();

// The main window's WM_TIMER handler: ends a pause in the list's painting.
LRESULT OnResultListTimer(WPARAM timer);
