#include "files/text.h"

#include <gtest/gtest.h>

namespace {

const Text kSlashTrail = "\x95\x5C"; // the GBK character 昞: its trail byte is "\"
const Text kCommaTrail = "\x81\x2C"; // a two-byte character whose trail byte is ","
const Text kLead = "\x81";           // a lead byte; as the last byte it has no trail byte
const Text kWide = "\xA1\xA1";       // the full-width space

Bytes B(std::initializer_list<int> bytes) {
  Bytes out;
  for (int b : bytes) out.push_back(static_cast<char>(b));
  return out;
}

} // namespace

TEST(Concat, JoinsInOrderAndEmptyAddsNothing) {
  EXPECT_EQ(Concat(Text(), "\\"), "\\");
  EXPECT_EQ(Concat("\\", Text()), "\\");
  EXPECT_EQ(Concat(Text(), Text()), "");
  EXPECT_EQ(Concat("D:\\srv", "\\", "*.", "yml"), "D:\\srv\\*.yml");
  EXPECT_EQ(Concat("中", "", "文"), "中文");
}

TEST(CompareText, EqualityAndByteOrder) {
  struct Case {
    Text a, b;
    int sign;
  } cases[] = {
      {Text(), "", 0},        {"", Text(), 0},      {"ASCII", "ASCII", 0},
      {"ASCII", "ascii", -1}, // 'A' (0x41) sorts before 'a' (0x61): case matters
      {"ascii", "ASCII", 1},  {"UTF", "UTF-8", -1},                   // a proper prefix sorts first
      {"UTF-8", "UTF", 1},    {"", "a", -1},        {"\x80", "a", 1}, // bytes compare unsigned
      {"a", "\xFF", -1},      {"中文", "中文", 0},
  };
  for (const Case &c : cases) {
    int got = CompareText(c.a, c.b);
    int sign = got < 0 ? -1 : (got > 0 ? 1 : 0);
    EXPECT_EQ(sign, c.sign) << "'" << c.a << "' vs '" << c.b << "'";
  }
}

TEST(TextLength, CountsBytes) {
  EXPECT_EQ(TextLength(Text()), 0);
  EXPECT_EQ(TextLength("abc"), 3);
  EXPECT_EQ(TextLength("中文"), 4);
  EXPECT_EQ(TextLength(kSlashTrail), 2);
}

TEST(TextLeftRight, CutByBytes) {
  struct Case {
    Text t;
    int n;
    Text left, right;
  } cases[] = {
      {"abc", 0, "", ""},
      {"abc", -2, "", ""},
      {"abc", 9, "abc", "abc"},
      {"abc", 3, "abc", "abc"},
      {"abc", 1, "a", "c"},
      {"", 1, "", ""},
      {"", 0, "", ""},
      {"D:\\srv\\", 1, "D", "\\"},
      {"中文", 1, "\xD6", "\xC4"}, // a two-byte character can be cut in half
      {"中文", 3, "中\xCE", "\xD0文"},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(TextLeft(c.t, c.n), c.left) << c.t << " " << c.n;
    EXPECT_EQ(TextRight(c.t, c.n), c.right) << c.t << " " << c.n;
  }
}

TEST(FindLast, LastOccurrenceAtACharacterStart) {
  struct Case {
    Text t, s;
    int at;
  } cases[] = {
      {"x.y.abc.ravex", ".", 8}, // earlier dots do not count
      {"abc", ".", -1},
      {"", ".", -1},
      {"", "", -1},
      {"abc", "", 1},
      {"a", "abc", -1},
      {"abc", "abc", 1},
      {"aaa", "aa", 2}, // overlapping occurrences: the last one to begin wins
      {"a\\b\\c", "\\", 4},
      {"a" + kSlashTrail + "b", "\\", -1}, // the trail byte 0x5C is no backslash
      {"d\\" + kSlashTrail, "\\", 2},
      {"d\\" + kSlashTrail + ".txt", "\\", 2},
      {kSlashTrail + "\\", "\\", 3},
      {kSlashTrail + kSlashTrail, kSlashTrail, 3},
      {kSlashTrail + ".ravex", ".", 3},
      {kLead + ".", ".", -1}, // "." as a trail byte
      {kLead + "x", "x", -1},
      {"x" + kLead, "x", 1},
      {"ab" + kLead, kLead, 3}, // a lead byte that is the last byte is still compared, then ends it
      {"中文.yml", "文", 3},
      {"ABC", "abc", -1}, // case matters
  };
  for (const Case &c : cases) EXPECT_EQ(FindLast(c.t, c.s), c.at) << c.t << " / " << c.s;
}

TEST(FindLast, WithTextLeftDropsTheLastSuffix) {
  Text path = "x.y.abc.ravex";
  EXPECT_EQ(TextLeft(path, FindLast(path, ".") - 1), "x.y.abc");
}

TEST(SplitText, PiecesBetweenCommas) {
  struct Case {
    Text t;
    TextList pieces;
  } cases[] = {
      {"yml,txt,json,lang", {"yml", "txt", "json", "lang"}},
      {"", {}},
      {"yml", {"yml"}},
      {"yml, txt", {"yml", " txt"}}, // pieces are not trimmed
      {"yml,,txt", {"yml", "", "txt"}},
      {",yml", {"", "yml"}},
      {"yml,", {"yml"}}, // a comma at the very end adds no piece
      {",", {""}},
      {",,", {"", ""}},
      {" ", {" "}},
      {kCommaTrail + "x,y", {kCommaTrail + "x", "y"}}, // the trail byte 0x2C does not split
      {kCommaTrail, {kCommaTrail}},
      {"a,b" + kLead, {"a", "b" + kLead}}, // a lead byte as the last byte ends the scan
      {"a," + kLead, {"a", kLead}},
      {kLead, {kLead}},
      {"中,文", {"中", "文"}},
  };
  for (const Case &c : cases) EXPECT_EQ(SplitText(c.t), c.pieces) << "'" << c.t << "'";
}

TEST(SplitText, NoLimitOnPieces) {
  Text t = RepeatText(999, "a,") + "a";
  TextList pieces = SplitText(t);
  ASSERT_EQ(pieces.size(), 1000u);
  for (const Text &piece : pieces) EXPECT_EQ(piece, "a");
}

TEST(TrimSpaces, HalfAndFullWidthSpacesAtBothEnds) {
  struct Case {
    Text t, trimmed;
  } cases[] = {
      {"", ""},
      {" ", ""},
      {kWide, ""},
      {" " + kWide + " " + kWide + " ", ""},
      {"abc", "abc"},
      {"  abc  ", "abc"},
      {kWide + "abc" + kWide, "abc"}, // full-width spaces at both ends go
      {kWide + " a b" + kWide + " ", "a b"},
      {" a " + kWide + " b ", "a " + kWide + " b"}, // nothing inside goes
      {"\tabc", "\tabc"},                           // a leading tab stays
      {" \tabc\t ", "\tabc\t"},
      {" abc\r\n", "abc\r\n"},
      {"abc " + kLead, "abc "}, // a trailing lead byte is cut, the spaces before it stay
      {kLead, ""},
      {" " + kLead, ""},
      {"\xA1", ""},
      {kLead + kWide, kLead + "\xA1"}, // 0x81 0xA1 is one character, then a lone lead byte
      {"啊" + kWide, "啊"},            // 啊 is B0 A1: its trail byte starts no space
      {kLead + " ", kLead + " "},      // 0x20 as a trail byte is no space
      {"a" + kLead + " ", "a" + kLead + " "},
      {" 中文 ", "中文"},
  };
  for (const Case &c : cases) EXPECT_EQ(TrimSpaces(c.t), c.trimmed) << "'" << c.t << "'";
}

TEST(TrimSpaces, OnlySpacesGiveEmpty) {
  EXPECT_EQ(TrimSpaces(BlankText(512)), "");
  EXPECT_EQ(TrimSpaces(RepeatText(300, kWide)), "");
}
TEST(RepeatAndBlankText, CountsAndEmptyCases) {
  EXPECT_EQ(RepeatText(3, "0"), "000");
  EXPECT_EQ(RepeatText(2, "中"), "中中");
  EXPECT_EQ(RepeatText(1, "ab"), "ab");
  EXPECT_EQ(RepeatText(0, "ab"), "");
  EXPECT_EQ(RepeatText(-1, "ab"), "");
  EXPECT_EQ(RepeatText(5, ""), "");
  EXPECT_EQ(BlankText(0), "");
  EXPECT_EQ(BlankText(-3), "");
  EXPECT_EQ(BlankText(3), "   ");
}

TEST(NumberToText, PercentPoint13G) {
  struct Case {
    double x;
    Text text;
  } cases[] = {
      {1, "1"},
      {3, "3"},
      {10000, "10000"},
      {0, "0"},
      {-2, "-2"},
      {0.5, "0.5"},
      {1.0 / 3, "0.3333333333333"},
      {9999999999999.0, "9999999999999"},
      {1e13, "1e+13"},
      {123456789012345.0, "1.234567890123e+14"},
      {1e-5, "1e-05"},
  };
  for (const Case &c : cases) EXPECT_EQ(NumberToText(c.x), c.text) << c.x;
}

TEST(TextAndBytes, ConversionsStopAtZero) {
  EXPECT_EQ(TextToBytes("ab"), B({'a', 'b'})); // no terminating zero
  EXPECT_EQ(TextToBytes(Text()), Bytes());
  EXPECT_EQ(TextToBytes("中"), B({0xD6, 0xD0}));
  EXPECT_EQ(BytesToText(B({0x61, 0x00, 0x62})), "a");
  EXPECT_EQ(BytesToText(Bytes()), "");
  EXPECT_EQ(BytesToText(B({0x00, 0x61})), "");
  EXPECT_EQ(BytesToText(B({0x61, 0x62, 0xFF})), "ab\xFF");
  EXPECT_EQ(BytesToText(B({0x61, 0x00})), "a");
}

TEST(TextAndBytes, LengthsAndBlankBytes) {
  EXPECT_EQ(BytesLength(Bytes()), 0);
  EXPECT_EQ(BytesLength(B({0, 0, 1})), 3);
  EXPECT_EQ(BlankBytes(3), B({0, 0, 0}));
  EXPECT_EQ(BlankBytes(0), Bytes());
  EXPECT_EQ(BlankBytes(-1), Bytes());
}
