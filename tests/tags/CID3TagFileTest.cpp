// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/CID3TagFile.h"
#include "tags/GenreNames.h"

#include "platform/CodePage.h"
#include "platform/File.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using Record = std::array<unsigned char, CID3TagFile::kRecordSize>;

std::string Bytes(const Record& record, std::size_t offset, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(record.data()) + offset, size);
}

std::string Spaces(std::size_t count) {
    return std::string(count, ' ');
}

Record Make(std::string_view title, std::string_view artist, std::string_view album,
            std::string_view year, std::string_view comment, std::uint8_t genre) {
    Record record;
    record.fill(0xAA); // every byte must be written
    const CID3TagFile tag{};
    EXPECT_EQ(tag.MakeRecord(record.data(), title, artist, album, year, comment, genre),
              record.data());
    return record;
}

TEST(MakeRecordTest, ShortTitleIsPaddedWithSpacesAndNoZeroByte) {
    const Record record = Make("abc", "", "", "", "", FindGenre("Rock"));
    EXPECT_EQ(Bytes(record, 0, 3), "TAG");
    EXPECT_EQ(Bytes(record, 3, 3), "abc");
    EXPECT_EQ(Bytes(record, 6, 87), Spaces(87));  // rest of title, artist, album
    EXPECT_EQ(Bytes(record, 93, 34), Spaces(34)); // year and comment
    EXPECT_EQ(record[127], 17);
}

TEST(MakeRecordTest, EachTextLandsInItsOwnField) {
    const Record record = Make("T", "Ar", "Alb", "1999", "Comm", 0);
    EXPECT_EQ(Bytes(record, 3, 30), "T" + Spaces(29));
    EXPECT_EQ(Bytes(record, 33, 30), "Ar" + Spaces(28));
    EXPECT_EQ(Bytes(record, 63, 30), "Alb" + Spaces(27));
    EXPECT_EQ(Bytes(record, 93, 4), "1999");
    EXPECT_EQ(Bytes(record, 97, 30), "Comm" + Spaces(26));
    EXPECT_EQ(record[127], 0);
}

TEST(MakeRecordTest, FullWidthTextsFillTheirFieldsExactly) {
    const std::string thirty = "123456789012345678901234567890";
    const Record record = Make(thirty, "B", "", "98", thirty, NoGenre);
    EXPECT_EQ(Bytes(record, 3, 30), thirty);
    EXPECT_EQ(record[33], 'B');
    EXPECT_EQ(Bytes(record, 93, 4), "98  ");
    EXPECT_EQ(Bytes(record, 97, 30), thirty);
    EXPECT_EQ(record[127], NoGenre);
}

TEST(MakeRecordTest, LongerTextsAreCutToTheirFields) {
    const std::string forty(40, 'x');
    const Record record = Make(forty, forty, forty, "20245", forty, 1);
    EXPECT_EQ(Bytes(record, 3, 30), std::string(30, 'x'));
    EXPECT_EQ(Bytes(record, 33, 30), std::string(30, 'x'));
    EXPECT_EQ(Bytes(record, 63, 30), std::string(30, 'x'));
    EXPECT_EQ(Bytes(record, 93, 4), "2024");
    EXPECT_EQ(Bytes(record, 97, 30), std::string(30, 'x'));
    EXPECT_EQ(record[127], 1);
}

TEST(MakeRecordTest, FifteenJapaneseCharactersFillThirtyBytes) {
    const std::string title = "あいうえおかきくけこソーダ水だ"; // ソ's second byte is 0x5C
    const Record record = Make(title, "", "", "", "", NoGenre);
    const std::string field = Bytes(record, 3, 30);
    EXPECT_EQ(field.substr(0, 2), "\x82\xA0");
    EXPECT_EQ(field.find(' '), std::string::npos);
    EXPECT_EQ(platform::Cp932ToUtf8(field), title);
    EXPECT_EQ(record[33], ' ');
}

TEST(MakeRecordTest, ADoubleByteCharacterThatWouldCrossTheFieldEndIsLeftOut) {
    const std::string title = std::string(29, 'a') + "曲"; // 29 + 2 bytes
    const Record record = Make(title, "あいうえおかきくけこさしすせそた", "", "202４", "", 0);
    EXPECT_EQ(Bytes(record, 3, 30), std::string(29, 'a') + " ");
    EXPECT_EQ(platform::Cp932ToUtf8(Bytes(record, 33, 30)), "あいうえおかきくけこさしすせそ");
    EXPECT_EQ(Bytes(record, 93, 4), "202 ");
    EXPECT_EQ(record[97], ' ');
}

TEST(MakeRecordTest, CharactersTheCodePageLacksAreWrittenAsQuestionMarks) {
    const Record record = Make("Café 😀", "Björk", "", "", "", NoGenre);
    EXPECT_EQ(Bytes(record, 3, 30), "Caf? ?" + Spaces(24));
    EXPECT_EQ(Bytes(record, 33, 30), "Bj?rk" + Spaces(25));
}

class TagFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.File(name);
        EXPECT_TRUE(testsupport::WriteFileBytes(path, bytes));
        return path;
    }

    testsupport::TempDir dir_;
    CID3TagFile tag_;
    const Record record_ = Make("新しい曲", "Artist", "Album", "2024", "", FindGenre("JPop"));
    const std::string recordBytes_ = Bytes(record_, 0, 128);
};

TEST_F(TagFileTest, UntaggedFileGrowsByOneRecord) {
    const std::string audio(1000, '\xFF');
    const std::string path = Write("plain.mp3", audio);
    Record buffer{};
    EXPECT_FALSE(tag_.HasTag(path, buffer.data()));
    ASSERT_TRUE(tag_.WriteRecord(path, record_.data()));
    EXPECT_EQ(testsupport::ReadFileBytes(path), audio + recordBytes_);
    EXPECT_TRUE(tag_.HasTag(path, buffer.data()));
    EXPECT_EQ(buffer, record_);
}

TEST_F(TagFileTest, TaggedFileKeepsItsLengthAndGetsTheNewRecord) {
    const std::string audio(372, '\x11');
    const std::string old = "TAG" + std::string(125, 'o');
    const std::string path = Write("tagged.mp3", audio + old);
    Record buffer{};
    ASSERT_TRUE(tag_.HasTag(path, buffer.data()));
    EXPECT_EQ(Bytes(buffer, 0, 128), old);
    ASSERT_TRUE(tag_.WriteRecord(path, record_.data()));
    EXPECT_EQ(testsupport::ReadFileBytes(path), audio + recordBytes_);
    // Writing again replaces, it does not stack.
    ASSERT_TRUE(tag_.WriteRecord(path, record_.data()));
    EXPECT_EQ(testsupport::ReadFileBytes(path).size(), 500u);
}

TEST_F(TagFileTest, OnlyTheLast128BytesCount) {
    // "TAG" elsewhere in the file is audio, not a record.
    const std::string audio = "TAG" + std::string(300, 'a');
    const std::string path = Write("early.mp3", audio);
    ASSERT_TRUE(tag_.WriteRecord(path, record_.data()));
    EXPECT_EQ(testsupport::ReadFileBytes(path), audio + recordBytes_);
}

TEST_F(TagFileTest, FileOfExactlyOneRecordIsReplaced) {
    const std::string path = Write("onlytag.mp3", "TAG" + std::string(125, ' '));
    ASSERT_TRUE(tag_.WriteRecord(path, record_.data()));
    EXPECT_EQ(testsupport::ReadFileBytes(path), recordBytes_);
}

TEST_F(TagFileTest, FileShorterThanARecordCountsAsUntagged) {
    const std::string start = "TAG" + std::string(47, 'x');
    const std::string path = Write("short.mp3", start);
    Record buffer{};
    EXPECT_FALSE(tag_.HasTag(path, buffer.data()));
    ASSERT_TRUE(tag_.WriteRecord(path, record_.data()));
    EXPECT_EQ(testsupport::ReadFileBytes(path), start + recordBytes_);

    const std::string empty = Write("empty.mp3", "");
    ASSERT_TRUE(tag_.WriteRecord(empty, record_.data()));
    EXPECT_EQ(testsupport::ReadFileBytes(empty), recordBytes_);
}

TEST_F(TagFileTest, MissingFileIsNeverCreated) {
    const std::string path = dir_.File("missing.mp3");
    Record buffer{};
    EXPECT_FALSE(tag_.HasTag(path, buffer.data()));
    EXPECT_FALSE(tag_.WriteRecord(path, record_.data()));
    EXPECT_FALSE(platform::FileExists(path));
    EXPECT_FALSE(tag_.WriteRecord(dir_.Path(), record_.data()));
}

} // namespace
