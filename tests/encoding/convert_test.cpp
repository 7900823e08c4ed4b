#include "encoding/convert.h"

#include "support/scratch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

Bytes B(const std::string &s) { return Bytes(s.begin(), s.end()); }
std::string S(const Bytes &b) { return std::string(b.begin(), b.end()); }

std::string Hex(const std::string &s) {
  std::string out;
  char digits[4];
  for (unsigned char c : s) {
    std::snprintf(digits, sizeof digits, "%02X", c);
    out += digits;
  }
  return out.empty() ? "-" : out;
}

std::string Unhex(const std::string &hex) {
  if (hex == "-") return "";
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
  }
  return out;
}

bool StartsWith(const std::string &s, const std::string &prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string &s, const std::string &suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The code point of one three-byte UTF-8 character, or 0.
unsigned ThreeByteCodePoint(const std::string &utf8) {
  if (utf8.size() != 3) return 0;
  auto byte = [&](size_t i) { return static_cast<unsigned char>(utf8[i]); };
  return ((byte(0) & 0x0Fu) << 12) | ((byte(1) & 0x3Fu) << 6) | (byte(2) & 0x3Fu);
}

struct ReferenceCode {
  std::string gbk;
  std::string utf8; // empty: glibc has no character for the code
};

// The table that the build makes with the host's iconv: every single byte 0x01-0x80 and every
// two-byte code, lead 0x81-0xFE, trail 0x40-0xFE without 0x7F, in ascending order.
std::vector<ReferenceCode> LoadGlibcTable() {
  const char *build = std::getenv("QUORVEL_BUILD_DIR");
  if (!build) return {};
  std::istringstream table(GetFile(WinePath(build) + "\\encoding-reference\\cp936-glibc.txt"));
  std::vector<ReferenceCode> codes;
  std::string gbk, utf8;
  while (table >> gbk >> utf8) codes.push_back({Unhex(gbk), Unhex(utf8)});
  return codes;
}

// Where glibc and the platform part ways. glibc has no character for 2149 codes that Windows
// code page 936 (and Wine's copy of it) maps, one by one and in code order, onto the Private
// Use Area U+E000-U+E864:
//   AAA1-AFFE, the first user-defined area (564 codes)  -> U+E000-U+E233
//   F8A1-FEFE, the second user-defined area (658 codes) -> U+E234-U+E4C5
//   A140-A7A0, the third user-defined area (672 codes)  -> U+E4C6-U+E765
//   the 255 cells left empty in rows A2 and A4-A9, D7FA-D7FE and FE50-FEA0 -> U+E766-U+E864
// They come back as the same bytes, so a rewrite keeps them and the strict conversions accept
// them. Every other code agrees, 0x80 as the euro sign included.
struct PrivateUseArea {
  const char *what;
  unsigned first;
  int codes;
};
const PrivateUseArea kPrivateUseAreas[] = {
    {"AAA1-AFFE", 0xE000, 564},
    {"F8A1-FEFE", 0xE234, 658},
    {"A140-A7A0", 0xE4C6, 672},
    {"empty cells", 0xE766, 255},
};

int PrivateUseAreaOf(const std::string &code) {
  if (code.size() != 2) return -1;
  unsigned lead = static_cast<unsigned char>(code[0]), trail = static_cast<unsigned char>(code[1]);
  if (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1) return 0;
  if (lead >= 0xF8 && lead <= 0xFE && trail >= 0xA1) return 1;
  if (lead >= 0xA1 && lead <= 0xA7 && trail <= 0xA0) return 2;
  return 3;
}

// "插件配置说明：这个文件保存服务器插件的全部设置，修改以后需要重新载入插件才能生效。" in UTF-8.
const std::string kChineseUtf8 =
    "\xE6\x8F\x92\xE4\xBB\xB6\xE9\x85\x8D\xE7\xBD\xAE\xE8\xAF\xB4\xE6\x98\x8E\xEF\xBC\x9A\xE8\xBF"
    "\x99\xE4\xB8\xAA\xE6\x96\x87\xE4\xBB\xB6\xE4\xBF\x9D\xE5\xAD\x98\xE6\x9C\x8D\xE5\x8A\xA1\xE5"
    "\x99\xA8\xE6\x8F\x92\xE4\xBB\xB6\xE7\x9A\x84\xE5\x85\xA8\xE9\x83\xA8\xE8\xAE\xBE\xE7\xBD\xAE"
    "\xEF\xBC\x8C\xE4\xBF\xAE\xE6\x94\xB9\xE4\xBB\xA5\xE5\x90\x8E\xE9\x9C\x80\xE8\xA6\x81\xE9\x87"
    "\x8D\xE6\x96\xB0\xE8\xBD\xBD\xE5\x85\xA5\xE6\x8F\x92\xE4\xBB\xB6\xE6\x89\x8D\xE8\x83\xBD\xE7"
    "\x94\x9F\xE6\x95\x88\xE3\x80\x82";
// The same sentence as a code page 936 literal.
const std::string kChineseGbk =
    "插件配置说明：这个文件保存服务器插件的全部设置，修改以后需要重新载入插件才能生效。";

// "配置" and "完成" in both forms, around the bad parts of the refusal tests.
const std::string kBeforeUtf8 = "\xE9\x85\x8D\xE7\xBD\xAE";
const std::string kBeforeGbk = "配置";
const std::string kAfterUtf8 = "\xE5\xAE\x8C\xE6\x88\x90";
const std::string kAfterGbk = "完成";

const std::string kBom = "\xEF\xBB\xBF";

} // namespace

TEST(CodePageTable, AgreesWithGlibcExceptTheExplainedPrivateUseCodes) {
  const std::vector<ReferenceCode> codes = LoadGlibcTable();
  ASSERT_EQ(codes.size(), 128u + 126u * 190u) << "reference table missing or short";

  int mismatches = 0;
  std::string firstMismatches;
  auto mismatch = [&](const ReferenceCode &code, const std::string &what) {
    if (++mismatches <= 10) firstMismatches += Hex(code.gbk) + ": " + what + "\n";
  };
  int privateUse[4] = {};
  for (const ReferenceCode &code : codes) {
    Bytes strictUtf8, strictGbk;
    bool strictOk = StrictGbkToUtf8(B(code.gbk), strictUtf8);
    std::string utf8 = S(GbkToUtf8(code.gbk));
    if (!code.utf8.empty()) {
      if (utf8 != code.utf8) mismatch(code, "GbkToUtf8 gives " + Hex(utf8));
      if (!strictOk || S(strictUtf8) != code.utf8) mismatch(code, "StrictGbkToUtf8 differs");
      if (Utf8ToGbk(B(code.utf8)) != code.gbk) mismatch(code, "Utf8ToGbk differs");
      if (!StrictUtf8ToGbk(B(code.utf8), strictGbk) || S(strictGbk) != code.gbk) {
        mismatch(code, "StrictUtf8ToGbk differs");
      }
      continue;
    }
    int area = PrivateUseAreaOf(code.gbk);
    unsigned expected = area < 0 ? 0 : kPrivateUseAreas[area].first + privateUse[area];
    if (area < 0 || !strictOk || ThreeByteCodePoint(S(strictUtf8)) != expected ||
        utf8 != S(strictUtf8) || !StrictUtf8ToGbk(strictUtf8, strictGbk) ||
        S(strictGbk) != code.gbk || Utf8ToGbk(strictUtf8) != code.gbk) {
      mismatch(code, "glibc has none, the platform gives " + Hex(utf8));
      continue;
    }
    ++privateUse[area];
  }
  EXPECT_EQ(mismatches, 0) << firstMismatches;
  for (int area = 0; area < 4; ++area) {
    EXPECT_EQ(privateUse[area], kPrivateUseAreas[area].codes) << kPrivateUseAreas[area].what;
  }
}

TEST(Conversion, KnownTextsBothWaysLooseAndStrict) {
  struct Case {
    const char *what;
    std::string gbk;
    std::string utf8;
  } cases[] = {
      {"ASCII", "name: plugin\r\nversion: 1.2\tmain: a.b.C\n",
       "name: plugin\r\nversion: 1.2\tmain: a.b.C\n"},
      {"Chinese", kChineseGbk + "\r\n" + kChineseGbk, kChineseUtf8 + "\r\n" + kChineseUtf8},
      {"mixed", "title: \"插件 — 配置\"\npath: D:\\srv\\表\\",
       "title: \"\xE6\x8F\x92\xE4\xBB\xB6 \xE2\x80\x94 "
       "\xE9\x85\x8D\xE7\xBD\xAE\"\npath: D:\\srv\\\xE8\xA1\xA8\\"},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(Hex(S(GbkToUtf8(c.gbk))), Hex(c.utf8)) << c.what;
    EXPECT_EQ(Hex(Utf8ToGbk(B(c.utf8))), Hex(c.gbk)) << c.what;
    Bytes out;
    EXPECT_TRUE(StrictGbkToUtf8(B(c.gbk), out)) << c.what;
    EXPECT_EQ(Hex(S(out)), Hex(c.utf8)) << c.what;
    EXPECT_TRUE(StrictUtf8ToGbk(B(c.utf8), out)) << c.what;
    EXPECT_EQ(Hex(S(out)), Hex(c.gbk)) << c.what;
  }
}

TEST(Conversion, EmptyInGivesEmptyOut) {
  EXPECT_TRUE(GbkToUtf8("").empty());
  EXPECT_TRUE(Utf8ToGbk(Bytes()).empty());
  Bytes out = B("stale");
  EXPECT_TRUE(StrictGbkToUtf8(Bytes(), out));
  EXPECT_TRUE(out.empty());
  out = B("stale");
  EXPECT_TRUE(StrictUtf8ToGbk(Bytes(), out));
  EXPECT_TRUE(out.empty());
  out = B("stale");
  EXPECT_TRUE(StrictUtf8ToGbk(B(kBom), out)) << "a byte-order mark alone is an empty text";
  EXPECT_TRUE(out.empty());
}

TEST(StrictGbkToUtf8, RefusesWhatIsNotCodePage936AndLooseGoesOn) {
  struct Case {
    const char *what;
    std::string bad;
    std::string after;
  } cases[] = {
      {"lead byte at the end", "\xD6", ""},  {"trail below the range", "\x81\x30", kAfterGbk},
      {"trail 0x7F", "\x81\x7F", kAfterGbk}, {"trail 0xFF", "\xA1\xFF", kAfterGbk},
      {"single 0xFF", "\xFF", kAfterGbk},
  };
  for (const Case &c : cases) {
    const std::string content = kBeforeGbk + c.bad + c.after;
    Bytes out = B("stale");
    EXPECT_FALSE(StrictGbkToUtf8(B(content), out)) << c.what;
    EXPECT_TRUE(out.empty()) << c.what;
    const std::string loose = S(GbkToUtf8(content));
    EXPECT_TRUE(StartsWith(loose, kBeforeUtf8)) << c.what << ": " << Hex(loose);
    EXPECT_TRUE(EndsWith(loose, c.after.empty() ? "" : kAfterUtf8)) << c.what << ": " << Hex(loose);
    EXPECT_GT(loose.size(), kBeforeUtf8.size() + (c.after.empty() ? 0 : kAfterUtf8.size()))
        << c.what << ": the bad part vanished instead of being replaced";
  }
}

TEST(StrictUtf8ToGbk, RefusesMalformedUtf8AndLooseGoesOn) {
  struct Case {
    const char *what;
    std::string bad;
  } cases[] = {
      {"truncated three-byte sequence", "\xE4\xB8"},
      {"truncated four-byte sequence", "\xF0\x9F\x98"},
      {"lone continuation byte", "\x80"},
      {"overlong two-byte form", "\xC0\xAF"},
      {"overlong two-byte form C1", "\xC1\xBF"},
      {"overlong three-byte form", "\xE0\x80\xAF"},
      {"overlong four-byte form", "\xF0\x80\x80\xAF"},
      {"encoded high surrogate", "\xED\xA0\x80"},
      {"encoded low surrogate", "\xED\xBF\xBF"},
      {"above U+10FFFF", "\xF4\x90\x80\x80"},
      {"byte F5", "\xF5\x80\x80\x80"},
      {"byte F8", "\xF8\x88\x80\x80\x80"},
      {"byte FE", "\xFE"},
      {"byte FF", "\xFF"},
  };
  for (const Case &c : cases) {
    for (const std::string &after : {kAfterUtf8, std::string()}) { // inside, and at the end
      const std::string content = kBeforeUtf8 + c.bad + after;
      Bytes out = B("stale");
      EXPECT_FALSE(StrictUtf8ToGbk(B(content), out)) << c.what;
      EXPECT_TRUE(out.empty()) << c.what;
      const std::string loose = Utf8ToGbk(B(content));
      EXPECT_TRUE(StartsWith(loose, kBeforeGbk)) << c.what << ": " << Hex(loose);
      EXPECT_TRUE(EndsWith(loose, after.empty() ? "" : kAfterGbk)) << c.what << ": " << Hex(loose);
    }
  }
}

TEST(StrictUtf8ToGbk, RefusesCharactersThatCodePage936LacksAndLooseReplacesThem) {
  struct Case {
    const char *what;
    std::string character;
  } cases[] = {
      {"emoji, four bytes", "\xF0\x9F\x98\x80"},
      {"emoji, four bytes, last plane", "\xF4\x8F\xBF\xBD"},
      {"Hangul syllable", "\xED\x95\x9C"},
      {"bullet", "\xE2\x80\xA2"},
      {"A grave, which the platform best-fits to a grave", "\xC3\x80"},
      {"byte-order mark after the start", kBom},
  };
  for (const Case &c : cases) {
    const std::string content = kBeforeUtf8 + c.character + kAfterUtf8;
    Bytes out = B("stale");
    EXPECT_FALSE(StrictUtf8ToGbk(B(content), out)) << c.what;
    EXPECT_TRUE(out.empty()) << c.what;
    const std::string loose = Utf8ToGbk(B(content));
    EXPECT_TRUE(StartsWith(loose, kBeforeGbk)) << c.what << ": " << Hex(loose);
    EXPECT_TRUE(EndsWith(loose, kAfterGbk)) << c.what << ": " << Hex(loose);
    EXPECT_GT(loose.size(), kBeforeGbk.size() + kAfterGbk.size()) << c.what;
  }
}

TEST(Conversion, ZeroByteEndsTheLooseResultAndIsRefusedByTheStrictOnes) {
  const std::string utf8 = kBeforeUtf8 + std::string(1, '\0') + kAfterUtf8;
  EXPECT_EQ(Utf8ToGbk(B(utf8)), kBeforeGbk);
  const std::string gbk = kBeforeGbk + std::string(1, '\0') + kAfterGbk;
  EXPECT_EQ(S(GbkToUtf8(gbk)), kBeforeUtf8);
  Bytes out;
  EXPECT_FALSE(StrictUtf8ToGbk(B(utf8), out));
  EXPECT_FALSE(StrictGbkToUtf8(B(gbk), out));
  EXPECT_FALSE(StrictGbkToUtf8(B(kAfterGbk + std::string(1, '\0')), out)) << "zero at the end";
}

TEST(Conversion, ByteOrderMark) {
  // What the platform's code page 936 makes of U+FEFF, asked directly.
  const wchar_t mark = 0xFEFF;
  char form[8] = {};
  int formSize = WideCharToMultiByte(936, 0, &mark, 1, form, sizeof form, nullptr, nullptr);
  ASSERT_GT(formSize, 0);

  const Bytes withMark = B(kBom + kChineseUtf8);
  EXPECT_EQ(Hex(Utf8ToGbk(withMark)), Hex(std::string(form, formSize) + kChineseGbk));
  Bytes out;
  ASSERT_TRUE(StrictUtf8ToGbk(withMark, out));
  EXPECT_EQ(Hex(S(out)), Hex(kChineseGbk));
  EXPECT_FALSE(StrictUtf8ToGbk(B(kBom + kBom + kChineseUtf8), out)) << "only one mark is dropped";

  EXPECT_FALSE(StartsWith(S(GbkToUtf8(kChineseGbk)), kBom));
  ASSERT_TRUE(StrictGbkToUtf8(B(kChineseGbk), out));
  EXPECT_FALSE(StartsWith(S(out), kBom));
}

TEST(ConversionSteps, TextToUtf16KeepsTheTerminatingZeroUnit) {
  EXPECT_EQ(Hex(S(TextToUtf16("中a"))), "2D4E61000000");
  EXPECT_EQ(Hex(S(TextToUtf16(""))), "0000");
}

TEST(ConversionSteps, Utf16ToUtf8StopsAtTheFirstZeroUnitOrTheBufferEnd) {
  auto units = [](std::initializer_list<unsigned> list) {
    Bytes bytes;
    for (unsigned u : list) {
      bytes.push_back(static_cast<char>(u & 0xFF));
      bytes.push_back(static_cast<char>(u >> 8));
    }
    return bytes;
  };
  EXPECT_EQ(Hex(S(Utf16ToUtf8(units({'a', 0x4E2D, 0, 'b', 0})))), "61E4B8AD");
  EXPECT_EQ(Hex(S(Utf16ToUtf8(units({'a', 'b'})))), "6162");
  EXPECT_EQ(Hex(S(Utf16ToUtf8(units({0xD83D, 0xDE00, 0})))), "F09F9880");
  // A lone surrogate becomes the replacement character; its neighbours stay.
  EXPECT_EQ(Hex(S(Utf16ToUtf8(units({'a', 0xD800, 'b', 0})))), "61EFBFBD62");
  EXPECT_TRUE(Utf16ToUtf8(units({0, 'a'})).empty());
  EXPECT_TRUE(Utf16ToUtf8(Bytes()).empty());
}

TEST(ConversionSteps, WideToMultiByteGivesAHeapBlockOfTheReportedSize) {
  const wchar_t units[] = {0x4E2D, L'a', 0x00E9};
  int size = -1;
  void *block = WideToMultiByte(units, 3, 65001, size);
  ASSERT_NE(block, nullptr);
  ASSERT_EQ(size, 6);
  EXPECT_EQ(HeapSize(GetProcessHeap(), 0, block), 6u);
  EXPECT_EQ(Hex(std::string(static_cast<const char *>(block), size)), "E4B8AD61C3A9");
  EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, block));

  size = -1;
  EXPECT_EQ(WideToMultiByte(units, 0, 65001, size), nullptr);
  EXPECT_EQ(size, 0);
}
