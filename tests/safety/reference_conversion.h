#pragma once
// The test's own idea of a lossless rewrite, to hold the program's output against: the exact
// bytes a file must have after it was converted, or nothing when it may not be converted.

#include <optional>
#include <string>

// Code page 936 bytes as UTF-8 without a byte-order mark; nothing when the bytes hold a zero
// byte or are not code page 936 text that comes back unchanged.
std::optional<std::string> ReferenceGbkToUtf8(const std::string &gbk);

// UTF-8 bytes (a leading byte-order mark dropped) as code page 936; nothing when they hold a
// zero byte, are not valid UTF-8, or hold a character code page 936 lacks.
std::optional<std::string> ReferenceUtf8ToGbk(const std::string &utf8);
