#pragma once
// Conversions between code page 936 text and UTF-8 through UTF-16, and the strict checks that
// a rewrite must pass so that no character is lost, replaced or invented.

#include "files/text.h"

#include <cstddef>

Bytes GbkToUtf8(const Text &text);
Text Utf8ToGbk(const Bytes &data);

Bytes TextToUtf16(const Text &text);
Bytes Utf16ToUtf8(const Bytes &units);
// A zero-filled process-heap block of the converted bytes; size is set to what the platform
// reports. The caller copies and frees the block (HeapFree on GetProcessHeap()).
void *WideToMultiByte(const wchar_t *units, int count, unsigned codePage, int &size);

// Lossless rewrites. False when the content is not valid in its source encoding, holds a
// zero byte, or has a character without an exact form in the target.
bool StrictGbkToUtf8(const Bytes &content, Bytes &utf8);
// Drops a UTF-8 byte-order mark at the very start; adds none.
bool StrictUtf8ToGbk(const Bytes &content, Bytes &gbk);
