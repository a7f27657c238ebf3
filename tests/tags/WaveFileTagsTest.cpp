// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/WaveFileTags.h"

#include "platform/CodePage.h"
#include "support/TempDir.h"
#include "support/WaveTagging.h"
#include "support/WaveWriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using testsupport::Chunk;
using testsupport::TagTexts;

// What a file's tags come to: title, artist, album, year, comment, genre name.
struct Expected {
    std::string Title, Artist, Album, Year, Comment, Genre;
};

struct TagCase {
    const char* Name;
    std::function<bool(const std::string& path)> Tag; ///< puts the tags into a plain file
    std::string Trailing;                             ///< hand-written chunks after the data
    Expected Read;
};

std::string InfoList(const std::vector<std::pair<std::string, std::string>>& fields) {
    std::string body = "INFO";
    for (const auto& [id, text] : fields) {
        body += Chunk(id, text + '\0');
    }
    return Chunk("LIST", body);
}

const std::string kNoTagBytes;

TEST(WaveFileTagsTest, TagsOfEveryKindOfChunkComeOutAsUtf8CutToTheirFields) {
    const auto id3v2 = [](TagTexts texts, int version = 4) {
        return [=](const std::string& path) {
            return testsupport::WriteId3v2Chunk(path, texts, version);
        };
    };
    const auto info = [](std::map<std::string, std::string> fields) {
        return [=](const std::string& path) { return testsupport::WriteInfoChunk(path, fields); };
    };
    const std::string sjisTitle = platform::Utf8ToCp932("夜明けのスキャット");
    const std::string sjisArtist = platform::Utf8ToCp932("由紀さおり");
    // 31 bytes in code page 932: the last double-byte character does not fit.
    const std::string longTitle = "a" + std::string("あいうえおかきくけこさしすせそ");

    const std::vector<TagCase> cases = {
        {"no tags", nullptr, kNoTagBytes, {}},
        {"INFO by TagLib",
         info({{"INAM", "海の歌"},
               {"IART", "Björk"},
               {"IPRD", "夏"},
               {"ICRD", "2003-05-12"},
               {"ICMT", "ライブ"},
               {"IGNR", "Rock"}}),
         kNoTagBytes,
         {"海の歌", "Björk", "夏", "2003", "ライブ", "Rock"}},
        {"ID3v2.4 by TagLib",
         id3v2({{"TITLE", "𠮷野家"},
                {"ARTIST", "森鷗外"},
                {"ALBUM", "全集"},
                {"DATE", "1999-12"},
                {"COMMENT", "注"},
                {"GENRE", "JPop"}}),
         kNoTagBytes,
         {"𠮷野家", "森鷗外", "全集", "1999", "注", "JPop"}},
        {"ID3v2.3 with a genre number",
         id3v2({{"TITLE", "t"},
                {"DATE", "1985"},
                {"GENRE", "8"},
                {"COMMENT:ITUNNORM", " 00000A2B 00000C1D"}},
               3),
         kNoTagBytes,
         {"t", "", "", "1985", "", "Jazz"}},
        {"ID3v2 before INFO, INFO where ID3v2 has nothing",
         [&](const std::string& path) {
             return testsupport::WriteInfoChunk(
                        path,
                        {{"INAM", "info title"}, {"IART", "info artist"}, {"IGNR", "Blues"}}) &&
                    testsupport::WriteId3v2Chunk(path, {{"TITLE", "id3 title"}, {"GENRE", "Pop"}});
         },
         kNoTagBytes,
         {"id3 title", "info artist", "", "", "", "Pop"}},
        {"code page 932 INFO by hand",
         nullptr,
         InfoList({{"INAM", sjisTitle}, {"IART", sjisArtist}, {"ICRD", "'99 / 1999"}}),
         {"夜明けのスキャット", "由紀さおり", "", "1999", "", ""}},
        {"lower-case id3 chunk by hand",
         nullptr,
         Chunk("id3 ", testsupport::Id3v2TagBytes({{"TITLE", "小文字"}, {"GENRE", "(17)"}}, 3)),
         {"小文字", "", "", "", "", "Rock"}},
        {"texts longer than their fields",
         info({{"INAM", longTitle}, {"IART", std::string(40, 'x')}, {"ICRD", "19991231"}}),
         kNoTagBytes,
         {"aあいうえおかきくけこさしすせ", std::string(30, 'x'), "", "1999", "", ""}},
        {"unknown genres and years without four digits",
         info({{"IGNR", "Rockabilly"}, {"ICRD", "99"}}),
         kNoTagBytes,
         {}},
        {"LIST chunk longer than the file",
         nullptr,
         std::string("LIST\xff\xff\x00\x00INFOINAM\x05\x00\x00\x00", 20),
         {}},
        {"id3 chunk of garbage",
         nullptr,
         Chunk("id3 ", "ID3\x04\x00\x00\x7f\x7f\x7f\x7fgarbage"),
         {}},
    };

    testsupport::TempDir dir;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const TagCase& c = cases[i];
        const std::string path = dir.File(std::to_string(i) + ".wav");
        ASSERT_TRUE(testsupport::WriteWave(path, {}, testsupport::StereoTone(44100, 441, 440, 660),
                                           c.Trailing));
        if (c.Tag) {
            ASSERT_TRUE(c.Tag(path)) << c.Name;
        }
        const EncodeItem item = WaveFileTags::Read(path);
        EXPECT_EQ(item.InPath, path);
        EXPECT_EQ(item.Title, c.Read.Title) << c.Name;
        EXPECT_EQ(item.Artist, c.Read.Artist) << c.Name;
        EXPECT_EQ(item.Album, c.Read.Album) << c.Name;
        EXPECT_EQ(item.Year, c.Read.Year) << c.Name;
        EXPECT_EQ(item.Comment, c.Read.Comment) << c.Name;
        EXPECT_EQ(GenreName(item.Genre), c.Read.Genre) << c.Name;
    }
}

} // namespace
