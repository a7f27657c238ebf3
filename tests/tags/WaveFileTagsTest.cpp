// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/WaveFileTags.h"

#include "tags/Id3v2TagFilter.h"
#include "tags/WaveTagChunks.h"

#include "platform/CodePage.h"
#include "support/TempDir.h"
#include "support/WaveTagging.h"
#include "support/WaveWriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
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
    // Whole: 45 bytes in code page 932, more than an ID3v1 field holds.
    const std::string longTitle = "a" + std::string("あいうえおかきくけこさしすせそたちつてとなにぬ");
    // One byte more than a text holds: the last double-byte character does not fit.
    const std::string overlong = std::string(kTagTextWidth - 1, 'x') + "あ";

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
         info({{"INAM", longTitle}, {"IART", overlong}, {"ICRD", "19991231"}}),
         kNoTagBytes,
         {longTitle, std::string(kTagTextWidth - 1, 'x'), "", "1999", "", ""}},
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
        platform::File file;
        ASSERT_TRUE(file.OpenRead(path));
        const EncodeItem item = WaveFileTags::Read(file);
        EXPECT_EQ(item.Title, c.Read.Title) << c.Name;
        EXPECT_EQ(item.Artist, c.Read.Artist) << c.Name;
        EXPECT_EQ(item.Album, c.Read.Album) << c.Name;
        EXPECT_EQ(item.Year, c.Read.Year) << c.Name;
        EXPECT_EQ(item.Comment, c.Read.Comment) << c.Name;
        EXPECT_EQ(GenreName(item.Genre), c.Read.Genre) << c.Name;
    }
}

} // namespace

namespace {

using testsupport::Id3v2Frame;
using testsupport::Id3v2Tag;
using testsupport::Id3v2Text;

struct CraftedCase {
    const char* Name;
    std::string Trailing; ///< chunks after the data
    std::string Title, Artist;
};

EncodeItem TagsOf(const std::string& path) {
    platform::File file;
    EXPECT_TRUE(file.OpenRead(path));
    return WaveFileTags::Read(file);
}

// Chunks made to cost memory or time, or to be inflated: what can be read within bounds is,
// the rest is passed over, and the file keeps its other tags.
TEST(WaveFileTagsTest, CraftedTagChunksAreReadWithinBoundsOrPassedOver) {
    const std::string artist = Id3v2Frame(3, "TPE1", Id3v2Text("artist"));
    const std::string title = Id3v2Frame(3, "TIT2", Id3v2Text("title"));
    std::string manyFrames;
    for (std::size_t i = 0; i <= Id3v2TagFilter::kMaxFramesWalked; ++i) {
        manyFrames += Id3v2Frame(3, "TXXX", Id3v2Text("x"));
    }
    std::string emptyChunks;
    for (std::size_t i = 0; i < WaveTagChunks::kMaxChunks; ++i) {
        emptyChunks += Chunk("junk", "");
    }
    const std::string infoTitle = InfoList({{"INAM", "info"}});
    // 2.3 unsynchronisation: 0xFF 0x00 in the stored bytes stands for 0xFF ("ÿ" in Latin-1).
    const std::string unsynchronised = Id3v2Frame(3, "TIT2", std::string("\0\xFF\x00x", 4))
                                           .replace(4, 4, std::string("\0\0\0\x03", 4));
    const std::vector<CraftedCase> cases = {
        {"compressed frame", testsupport::InflatingTitleChunk("artist"), "", "artist"},
        {"encrypted frame",
         Chunk("id3 ", Id3v2Tag(3, Id3v2Frame(3, "TIT2", "\x01secret", 0x40) + artist)), "",
         "artist"},
        {"2.4 compressed frame",
         Chunk("id3 ",
               Id3v2Tag(4, Id3v2Frame(4, "TIT2", std::string("\0\0\0\x10zz", 6), 0x08 | 0x01) +
                               Id3v2Frame(4, "TPE1", Id3v2Text("artist")))),
         "", "artist"},
        {"picture of 2 MB before the title",
         Chunk("id3 ", Id3v2Tag(3, Id3v2Frame(3, "APIC", std::string(2 << 20, 'p')) + title)),
         "title", ""},
        {"title after more frames than are walked", Chunk("id3 ", Id3v2Tag(3, manyFrames + title)),
         "", ""},
        {"unsynchronised 2.3 tag with an extended header",
         Chunk("id3 ", Id3v2Tag(3, std::string("\0\0\0\x06\0\0\0\0\0\0", 10) + unsynchronised,
                                0x80 | 0x40)),
         "\xC3\xBFx", ""},
        {"INFO list of 2 MB", InfoList({{"INAM", std::string(2 << 20, 'i')}}), "", ""},
        {"INFO after as many empty chunks as are walked", emptyChunks + infoTitle, "", ""},
        {"INFO after a few empty chunks", emptyChunks.substr(0, 80) + infoTitle, "info", ""},
    };
    testsupport::TempDir dir;
    for (const CraftedCase& c : cases) {
        const std::string path = dir.File("crafted.wav");
        ASSERT_TRUE(testsupport::WriteWave(path, {}, testsupport::StereoTone(44100, 4, 440, 660),
                                           c.Trailing));
        const EncodeItem item = TagsOf(path);
        EXPECT_EQ(item.Title, c.Title) << c.Name;
        EXPECT_EQ(item.Artist, c.Artist) << c.Name;
    }
}

// The tags come from the file that was opened and checked, whatever the path leads to later:
// a FIFO put in its place cannot hold the reader.
TEST(WaveFileTagsTest, TagsComeFromTheOpenFileNotItsPath) {
    testsupport::TempDir dir;
    const std::string path = dir.File("swapped.wav");
    ASSERT_TRUE(testsupport::WriteWave(path, {}, testsupport::StereoTone(44100, 4, 440, 660),
                                       InfoList({{"INAM", "kept"}})));
    platform::File file;
    ASSERT_TRUE(file.OpenRead(path));
    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(WaveFileTags::Read(file).Title, "kept");
}

} // namespace
