#pragma once
// Real Chinese configuration text in code page 936 and in UTF-8: the same characters.

#include <string>

// Several lines of Chinese text with some ASCII, as code page 936 bytes.
std::string GbkSample();
// The same text as UTF-8 bytes.
std::string Utf8Sample();
