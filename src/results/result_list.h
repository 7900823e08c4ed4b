#pragma once
// The result list (超级列表框1): one row per file with its number, path, encoding label,
// status and check mark. Every operation is one round trip to the window's thread and returns
// when the list has carried it out.

#include "files/text.h"

#include <windows.h>

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

// "0" repeated (width - length) times, then text; a longer text is never cut.
Text ZeroPad(const Text &text, int width);

// The main window's WM_TIMER handler: ends a pause in the list's painting.
LRESULT OnResultListTimer(WPARAM timer);
