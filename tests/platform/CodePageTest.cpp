// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

TEST(CodePageTest, Utf8ToCp932UsesTheCodePagesOwnBytes) {
    EXPECT_EQ(platform::Utf8ToCp932("abc 123"), "abc 123");
    EXPECT_EQ(platform::Utf8ToCp932("あ"), "\x82\xA0");
    EXPECT_EQ(platform::Utf8ToCp932("ソ"), "\x83\x5C"); // second byte looks like a backslash
    EXPECT_EQ(platform::Utf8ToCp932("ｱ"), "\xB1");      // half-width katakana: one byte
    EXPECT_EQ(platform::Utf8ToCp932("①"), "\x87\x40");  // NEC special row
    EXPECT_EQ(platform::Utf8ToCp932("髙"), "\xFB\xFC"); // IBM extension
    EXPECT_EQ(platform::Utf8ToCp932("～"), "\x81\x60");
}

TEST(CodePageTest, CharactersTheCodePageLacksBecomeOneQuestionMarkEach) {
    EXPECT_EQ(platform::Utf8ToCp932("café"), "caf?");
    EXPECT_EQ(platform::Utf8ToCp932("a😀b"), "a?b");
    EXPECT_EQ(platform::Utf8ToCp932("한국"), "??");
    EXPECT_EQ(platform::Utf8ToCp932("é曲é"), "?\x8B\xC8?");
}

TEST(CodePageTest, MalformedUtf8BecomesQuestionMarksWithoutDroppingNeighbours) {
    EXPECT_EQ(platform::Utf8ToCp932("a\xFF"
                                    "b"),
              "a?b");
    EXPECT_EQ(platform::Utf8ToCp932("x\xE3\x81"), "x??");
    // An overlong '/' must never turn into a separator.
    EXPECT_EQ(platform::Utf8ToCp932("\xC0\xAF"), "??");
    EXPECT_EQ(platform::Utf8ToCp932("\xED\xA0\x80"), "???");
    // The same bytes are mended alike where the text stays UTF-8.
    EXPECT_EQ(platform::RepairUtf8("曲\xFF😀x\xE3\x81\xC0\xAF"), "曲?😀x????");
    EXPECT_EQ(platform::RepairUtf8("\xED\xA0\x80é"), "???é");
}

TEST(CodePageTest, EscapedTextShowsEveryByteAndNoControl) {
    const struct {
        const char* text;
        const char* escaped;
        const char* withLayout;
    } cases[] = {
        {"曲\x93\xfa\x96\x7b.wav", "曲\\x93\\xFA\\x96{.wav", "曲\\x93\\xFA\\x96{.wav"},
        {"caf\xe9 \xE3\x81", "caf\\xE9 \\xE3\\x81", "caf\\xE9 \\xE3\\x81"},
        {"a\x1b[2J\x7f\xc2\x9b\xc2\xa0", "a\\x1B[2J\\x7F\\u009B\xc2\xa0",
         "a\\x1B[2J\\x7F\\u009B\xc2\xa0"},
        {"1\n2\t3\r", "1\\x0A2\\x093\\x0D", "1\n2\t3\\x0D"},
        {"f\u202Eevil.wav \u2066\u200F\u061C\u2069\u2028",
         "f\\u202Eevil.wav \\u2066\\u200F\\u061C\\u2069\u2028",
         "f\\u202Eevil.wav \\u2066\\u200F\\u061C\\u2069\u2028"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::EscapeControls(c.text, false), c.escaped);
        EXPECT_EQ(platform::EscapeControls(c.text, true), c.withLayout);
    }
}

TEST(CodePageTest, RoundTripKeepsJapaneseText) {
    const std::string text = "東京・ﾃｽﾄ～①髙 ABC";
    EXPECT_EQ(platform::Cp932ToUtf8(platform::Utf8ToCp932(text)), text);
}

TEST(CodePageTest, Cp932ToUtf8MarksWhatTheCodePageDoesNotDefine) {
    EXPECT_EQ(platform::Cp932ToUtf8("\x82\xA0\x83\x5C"), "あソ");
    EXPECT_EQ(platform::Cp932ToUtf8("a\x85\x40z"), "a?z");   // unassigned row: one character
    EXPECT_EQ(platform::Cp932ToUtf8("\x80\xA0\xFD"), "???"); // undefined single bytes
    EXPECT_EQ(platform::Cp932ToUtf8("ab\x82"), "ab?");       // lead byte cut off at the end
    // A lead byte followed by a byte that cannot be a second byte: the latter stays itself.
    EXPECT_EQ(platform::Cp932ToUtf8("\x81 x"), "? x");
    EXPECT_EQ(platform::Cp932ToUtf8("\x82\x0A"
                                    "b"),
              "?\nb");
}

TEST(CodePageTest, IsValidUtf8AcceptsWellFormedText) {
    EXPECT_TRUE(platform::IsValidUtf8(""));
    EXPECT_TRUE(platform::IsValidUtf8("plain"));
    EXPECT_TRUE(platform::IsValidUtf8("é日本😀"));
    EXPECT_TRUE(platform::IsValidUtf8("\xF4\x8F\xBF\xBF"));    // U+10FFFF
    EXPECT_TRUE(platform::IsValidUtf8("\xEF\xBF\xBF"));        // U+FFFF
    EXPECT_TRUE(platform::IsValidUtf8("\xED\x9F\xBF"));        // U+D7FF, just below the surrogates
    EXPECT_TRUE(platform::IsValidUtf8("\x00"s + "after NUL")); // NUL is a character
}

TEST(CodePageTest, IsValidUtf8RejectsOverlongsSurrogatesAndBrokenSequences) {
    EXPECT_FALSE(platform::IsValidUtf8("\xC0\x80"));         // overlong NUL
    EXPECT_FALSE(platform::IsValidUtf8("\xC1\xBF"));         // overlong two-byte
    EXPECT_FALSE(platform::IsValidUtf8("\xE0\x80\xAF"));     // overlong three-byte
    EXPECT_FALSE(platform::IsValidUtf8("\xF0\x80\x80\xAF")); // overlong four-byte
    EXPECT_FALSE(platform::IsValidUtf8("\xED\xA0\x80"));     // surrogate U+D800
    EXPECT_FALSE(platform::IsValidUtf8("\xED\xBF\xBF"));     // surrogate U+DFFF
    EXPECT_FALSE(platform::IsValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(platform::IsValidUtf8("\xF5\x80\x80\x80"));
    EXPECT_FALSE(platform::IsValidUtf8("\xFF"));
    EXPECT_FALSE(platform::IsValidUtf8("\x80"));       // lone continuation byte
    EXPECT_FALSE(platform::IsValidUtf8("ok\xE6\x97")); // cut inside the last character
    EXPECT_FALSE(platform::IsValidUtf8("\x82\xA0"));   // code page 932 is not UTF-8
}

TEST(CodePageTest, CutUtf8StopsBeforeACharacterThatCrossesTheLimit) {
    const std::string text = "aあ😀"; // 1 + 3 + 4 bytes
    EXPECT_EQ(platform::CutUtf8(text, 0), "");
    EXPECT_EQ(platform::CutUtf8(text, 1), "a");
    EXPECT_EQ(platform::CutUtf8(text, 2), "a");
    EXPECT_EQ(platform::CutUtf8(text, 3), "a");
    EXPECT_EQ(platform::CutUtf8(text, 4), "aあ");
    EXPECT_EQ(platform::CutUtf8(text, 7), "aあ");
    EXPECT_EQ(platform::CutUtf8(text, 8), text);
    EXPECT_EQ(platform::CutUtf8(text, 100), text);
}

TEST(CodePageTest, CutCp932NeverSplitsADoubleByteCharacter) {
    const std::string text = "a\x82\xA0\xB1\x83\x5C"; // a, あ, half-width ｱ, ソ
    EXPECT_EQ(platform::CutCp932(text, 0), "");
    EXPECT_EQ(platform::CutCp932(text, 1), "a");
    EXPECT_EQ(platform::CutCp932(text, 2), "a");
    EXPECT_EQ(platform::CutCp932(text, 3), "a\x82\xA0");
    EXPECT_EQ(platform::CutCp932(text, 4), "a\x82\xA0\xB1");
    EXPECT_EQ(platform::CutCp932(text, 5), "a\x82\xA0\xB1"); // not ソ's first byte alone
    EXPECT_EQ(platform::CutCp932(text, 6), text);
    // Character boundaries are found from the start: a second byte that looks like a lead
    // byte (0x83 0x83 is ャ) is not taken for one.
    const std::string small = "\x83\x83\x83\x83"; // ャャ
    EXPECT_EQ(platform::CutCp932(small, 3), "\x83\x83");
}

} // namespace

TEST(CodePageTest, CutUtf8ToCp932WidthCountsTheBytesTheTagWillHold) {
    // "曲" is 3 bytes in UTF-8 and 2 in code page 932; "ｱ" (half-width) is 3 and 1.
    const std::string text = "a曲ｱ曲";
    EXPECT_EQ(platform::CutUtf8ToCp932Width(text, 0), "");
    EXPECT_EQ(platform::CutUtf8ToCp932Width(text, 2), "a");
    EXPECT_EQ(platform::CutUtf8ToCp932Width(text, 3), "a曲");
    EXPECT_EQ(platform::CutUtf8ToCp932Width(text, 5), "a曲ｱ");
    EXPECT_EQ(platform::CutUtf8ToCp932Width(text, 6), text);
    // Fifteen double-byte characters fill a 30-byte field exactly.
    std::string fifteen;
    for (int i = 0; i < 16; ++i) {
        fifteen += "曲";
    }
    EXPECT_EQ(platform::CutUtf8ToCp932Width(fifteen, 30), fifteen.substr(0, 45));
    // A character the code page lacks becomes one '?' byte.
    EXPECT_EQ(platform::CutUtf8ToCp932Width("é曲", 1), "é");
}
