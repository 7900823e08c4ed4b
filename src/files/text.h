#pragma once
// The system's value types and the primitives over them.
// Text: code page 936 bytes that never hold a zero byte. A byte of 0x80 or more is a lead byte
// and forms one character with the byte after it. Lengths and positions count bytes; positions
// are 1-based. Bytes: a counted run of bytes of any value. Every operation leaves its arguments
// alone and returns a new value.

#include <cstdint>
#include <string>
#include <vector>

using Text = std::string;
using Bytes = std::vector<char>;
using TextList = std::vector<Text>;

Text Concat(const Text &a, const Text &b);
template <typename... More> Text Concat(const Text &a, const Text &b, const More &...more) {
  return Concat(Concat(a, b), more...);
}
int CompareText(const Text &a, const Text &b);
int TextLength(const Text &t);
Text TextLeft(const Text &t, int n);
Text TextRight(const Text &t, int n);
int FindLast(const Text &t, const Text &s);
Text TrimSpaces(const Text &t);
TextList SplitText(const Text &t);
Text RepeatText(int n, const Text &t);
Text BlankText(int n);
// folder followed by "\" unless its last character already is one (a two-byte character whose
// trail byte is 0x5C is not); the empty Text stays empty.
Text FolderWithBackslash(const Text &folder);
Text NumberToText(double x);
Bytes TextToBytes(const Text &t);
Text BytesToText(const Bytes &b);
int BytesLength(const Bytes &b);
Bytes BlankBytes(int n);
