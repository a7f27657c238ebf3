// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/CID3v2Tag.h"

#include "support/Id3v2Reader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The text encoding byte of the frame with this id (01: UTF-16 with a byte order mark).
int RawEncoding(const std::string& bytes, const std::string& id) {
    const std::size_t at = bytes.find(id);
    return at == std::string::npos ? -1 : static_cast<unsigned char>(bytes[at + 10]);
}

EncodeItem Item(std::string title, std::string year = "", std::uint8_t genre = NoGenre) {
    EncodeItem item;
    item.Title = std::move(title);
    item.Year = std::move(year);
    item.Genre = genre;
    return item;
}

TEST(ID3v2TagTest, JapaneseTextsComeBackExactlyAsTypedInUtf16) {
    // 鷗 and 𠮷 (beyond the 16-bit range) are not in code page 932.
    EncodeItem item = Item("森鷗外の歌 ～①", "2024", FindGenre("Rock"));
    item.Artist = "𠮷田 Björk";
    item.Album = "夏のアルバム";
    item.Comment = "ソーダ水";
    const std::string bytes = CID3v2Tag::Render(item);

    const Id3v2Read tag = ReadId3v2(bytes);
    ASSERT_TRUE(tag.present);
    EXPECT_EQ(tag.version, 3u);
    EXPECT_EQ(tag.bytes, bytes.size());
    EXPECT_EQ(tag.texts.at("TIT2"), item.Title);
    EXPECT_EQ(tag.texts.at("TPE1"), item.Artist);
    EXPECT_EQ(tag.texts.at("TALB"), item.Album);
    EXPECT_EQ(tag.texts.at("TDRC"), "2024");
    EXPECT_EQ(tag.texts.at("COMM"), item.Comment);
    EXPECT_EQ(tag.commentLanguage, "jpn");
    EXPECT_EQ(tag.commentDescription, "");
    for (const char* id : {"TIT2", "TPE1", "TALB", "TYER", "COMM"}) {
        EXPECT_EQ(RawEncoding(bytes, id), 1) << id;
    }
    EXPECT_EQ(tag.texts.size(), 6u);
    // The genre goes as its number reference, never as a name of our own spelling.
    EXPECT_NE(bytes.find(std::string("TCON\0\0\0\x05\0\0\0(17)", 15)), std::string::npos);
    // UTF-16 with a byte order mark: the title's first character (U+68EE) follows FF FE.
    EXPECT_NE(bytes.find("TIT2"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.find("TIT2") + 11, 4), "\xFF\xFE\xEE\x68");
}

TEST(ID3v2TagTest, EmptyTextsAndYearsThatAreNotFourDigitsAreLeftOut) {
    struct Case {
        const char* year;
        bool tyer;
    };
    for (const Case& c : {Case{"1999", true}, Case{"98", false}, Case{"２０", false},
                          Case{"20a4", false}, Case{"", false}}) {
        const std::string bytes = CID3v2Tag::Render(Item("曲", c.year));
        const Id3v2Read tag = ReadId3v2(bytes);
        ASSERT_TRUE(tag.present) << c.year;
        EXPECT_EQ(bytes.find("TYER") != std::string::npos, c.tyer) << c.year;
        EXPECT_EQ(tag.texts.size(), c.tyer ? 2u : 1u) << c.year;
    }
}

TEST(ID3v2TagTest, NoTagWithoutAnyValueToCarry) {
    EXPECT_EQ(CID3v2Tag::Render(EncodeItem{}), "");
    EXPECT_EQ(CID3v2Tag::Render(Item("", "98")), "");
    // Genre 0 is Blues, not "none".
    const Id3v2Read genreOnly = ReadId3v2(CID3v2Tag::Render(Item("", "", 0)));
    ASSERT_TRUE(genreOnly.present);
    EXPECT_EQ(genreOnly.texts.size(), 1u);
    EXPECT_EQ(genreOnly.texts.count("TCON"), 1u);
}

TEST(ID3v2TagTest, AMalformedByteCostsOnlyItself) {
    const Id3v2Read tag = ReadId3v2(CID3v2Tag::Render(Item("a\xFF曲\xE3\x81")));
    ASSERT_TRUE(tag.present);
    EXPECT_EQ(tag.texts.at("TIT2"), "a?曲??");
}

} // namespace
