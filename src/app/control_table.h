#pragma once

#include "app/controls.h"

#include <span>

struct ControlSpec {
  ControlId id;
  const char *windowClass;
  const char *text;
  int x, y, width, height; // client-area position and size
  DWORD style;
  DWORD exStyle;
};

std::span<const ControlSpec> MainWindowControls();

struct ColumnSpec {
  const char *title;
  int width;
};

std::span<const ColumnSpec> ResultListColumns();
