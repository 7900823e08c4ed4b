#pragma once
// Charset detection of one file's whole content through uchardet.dll.

#include "files/text.h"

// "UTF-8", "ANSI" (uchardet said "ASCII"), a "GB..." label, "未知" (no name) or uchardet's name.
Text DetectCharset(const Bytes &content);

// The mapping of uchardet's name (possibly null) to the program's label.
Text CharsetLabel(const char *name);
