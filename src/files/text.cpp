#include "files/text.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

int Size(const Text &t) { return static_cast<int>(t.size()); }

// The byte count of the character that starts at i: 2 for a lead byte with its trail byte,
// 0 for a lead byte that is the last byte (the scan ends there), else 1.
int CharSize(const Text &t, int i) {
  if (!IsLeadByte(t[i])) return 1;
  return i + 1 < Size(t) ? 2 : 0;
}

// A half-width space, or the full-width space pair 0xA1 0xA1, starting at i.
int SpaceSize(const Text &t, int i) {
  if (t[i] == ' ') return 1;
  if (t[i] == '\xA1' && i + 1 < Size(t) && t[i + 1] == '\xA1') return 2;
  return 0;
}

} // namespace

Text Concat(const Text &a, const Text &b) { return a + b; }

int CompareText(const Text &a, const Text &b) {
  // std::string compares as unsigned bytes; a proper prefix sorts first.
  int order = a.compare(b);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int TextLength(const Text &t) { return Size(t); }

Text TextLeft(const Text &t, int n) {
  if (n <= 0) return Text();
  return n >= Size(t) ? t : t.substr(0, n);
}

Text TextRight(const Text &t, int n) {
  if (n <= 0) return Text();
  return n >= Size(t) ? t : t.substr(t.size() - n);
}

int FindLast(const Text &t, const Text &s) {
  if (s.empty()) return t.empty() ? -1 : 1;
  int found = -1;
  for (int p = 0; Size(t) - p >= Size(s);) {
    if (t.compare(p, s.size(), s) == 0) found = p + 1;
    int step = CharSize(t, p);
    if (step == 0) break;
    p += step;
  }
  return found;
}

Text TrimSpaces(const Text &t) {
  int start = 0;
  for (int step; start < Size(t) && (step = SpaceSize(t, start)) > 0;) start += step;
  int end = Size(t);
  int runStart = -1; // where the latest run of spaces began, or -1 outside a run
  for (int p = start; p < Size(t);) {
    int space = SpaceSize(t, p);
    if (space > 0) {
      if (runStart < 0) runStart = p;
      p += space;
      continue;
    }
    int step = CharSize(t, p);
    if (step == 0) { // a lead byte without its trail byte goes; spaces before it stay
      end = p;
      runStart = -1;
      break;
    }
    runStart = -1;
    p += step;
  }
  if (runStart >= 0) end = runStart;
  return t.substr(start, end - start);
}

TextList SplitText(const Text &t) {
  TextList pieces;
  int start = 0;
  for (int p = 0; p < Size(t);) {
    if (t[p] == ',') {
      pieces.push_back(t.substr(start, p - start));
      start = ++p;
      continue;
    }
    int step = CharSize(t, p);
    if (step == 0) break;
    p += step;
  }
  if (start < Size(t)) pieces.push_back(t.substr(start));
  return pieces;
}

Text RepeatText(int n, const Text &t) {
  Text out;
  if (n <= 0 || t.empty()) return out;
  out.reserve(t.size() * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) out += t;
  return out;
}

Text BlankText(int n) { return n <= 0 ? Text() : Text(static_cast<size_t>(n), ' '); }

Text FolderWithBackslash(const Text &folder) {
  if (folder.empty() || FindLast(folder, "\\") == Size(folder)) return folder;
  return folder + "\\";
}

Text NumberToText(double x) {
  char buffer[64];
  int written = std::snprintf(buffer, sizeof buffer, "%.13g", x);
  return written > 0 ? Text(buffer) : Text();
}

Bytes TextToBytes(const Text &t) { return Bytes(t.begin(), t.end()); }

Text BytesToText(const Bytes &b) {
  if (b.empty()) return Text();
  const void *zero = std::memchr(b.data(), 0, b.size());
  size_t count = zero ? static_cast<const char *>(zero) - b.data() : b.size();
  return Text(b.data(), count);
}

int BytesLength(const Bytes &b) { return static_cast<int>(b.size()); }

Bytes BlankBytes(int n) { return n <= 0 ? Bytes() : Bytes(static_cast<size_t>(n), '\0'); }
