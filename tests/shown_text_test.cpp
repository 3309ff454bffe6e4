// Device strings as padwatch-check shows them: nothing raw reaches a
// terminal, and a cut never splits a character.
#include "check/report/shown_text.h"

#include <gtest/gtest.h>

namespace {

struct Shown {
  const char* name;
  std::string text;
  std::size_t columns;
  std::string shown;
};

void PrintTo(const Shown& shown, std::ostream* out) { *out << shown.name; }

class ShownTextTest : public ::testing::TestWithParam<Shown> {};

TEST_P(ShownTextTest, EscapesAndCuts) {
  EXPECT_EQ(ShownText(GetParam().text, GetParam().columns), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ShownTextTest,
    ::testing::Values(
        Shown{"Plain", "Xbox 360 Controller", 40, "Xbox 360 Controller"},
        Shown{"TitleChange", "Evil\x1b]0;pwned\x07 Pad", 40, "Evil\\x1b]0;pwned\\x07 Pad"},
        Shown{"DeleteAndC1",
              "a\x7f"
              "b\xc2\x9b"
              "c",
              40, "a\\x7fb\\u009bc"},
        Shown{"InvalidUtf8", "\xff\xc3(\xed\xa0\x80\xf4\x90\x80\x80", 80,
              "\\xff\\xc3(\\xed\\xa0\\x80\\xf4\\x90\\x80\\x80"},
        Shown{"Overlong", "\xc0\xaf", 40, "\\xc0\\xaf"},
        Shown{"Backslash", "a\\x1b", 40, "a\\\\x1b"},
        Shown{"Accents", "Manette g\xc3\xa9n\xc3\xa9rique", 40, "Manette g\xc3\xa9n\xc3\xa9rique"},
        Shown{"BidiOverride",
              "ab\xe2\x80\xae"
              "cd",
              40, "ab\\u202ecd"},
        Shown{"ZeroWidth",
              "a\xe2\x80\x8b"
              "b",
              40, "a\\u200bb"},
        Shown{"CombiningOnABase", "Cafe\xcc\x81", 4, "Cafe\xcc\x81"},
        Shown{"CombiningAlone",
              "\xcc\x81"
              "a",
              40, "\\u0301a"},
        // A virama joins two letters into one cluster: two columns in all.
        Shown{"DevanagariConjunct", "\xe0\xa4\x95\xe0\xa5\x8d\xe0\xa4\xb7", 2,
              "\xe0\xa4\x95\xe0\xa5\x8d\xe0\xa4\xb7"},
        Shown{"CutWithAMark", "abcdefgh", 6, "abc..."}, Shown{"FitsExactly", "abcdef", 6, "abcdef"},
        Shown{"WideCharactersCutWhole", "\xe6\x89\x8b\xe6\x9f\x84\xe6\x89\x8b\xe6\x9f\x84", 7,
              "\xe6\x89\x8b\xe6\x9f\x84..."},
        Shown{"EscapeCutWhole",
              "ab\x1b"
              "cdef",
              7, "ab..."}),
    [](const ::testing::TestParamInfo<Shown>& info) { return info.param.name; });

// Characters the hand-made tables had wrong, from the Unicode data.
TEST(DisplayColumnsTest, FollowsTheUnicodeData) {
  EXPECT_EQ(DisplayColumns(0x094D), 0);   // DEVANAGARI SIGN VIRAMA, a mark
  EXPECT_EQ(DisplayColumns(0x20DD), 0);   // COMBINING ENCLOSING CIRCLE
  EXPECT_EQ(DisplayColumns(0x1FAE0), 2);  // MELTING FACE, wide
  EXPECT_EQ(DisplayColumns(0x3400), 2);   // a CJK block, wide whether assigned or not
  EXPECT_EQ(DisplayColumns(0x00E9), 1);
}

TEST(AsciiOnlyTest, OneQuestionMarkPerCharacter) {
  EXPECT_EQ(AsciiOnly("Caf\xc3\xa9 \xe6\x89\x8b e\xcc\x81"), "Caf? ? e");
}

}  // namespace
