// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/OutputLayout.h"
#include "settings/OutFolderParm.h"

#include <gtest/gtest.h>

namespace {

TEST(OutputLayoutTest, EachLayoutPlacesTheOutputOfAnInput) {
    const struct {
        std::int32_t layout;
        const char* outFolder;
        std::int32_t encodeType;
        const char* inPath;
        const char* addedFrom;
        const char* expected;
    } cases[] = {
        // The name is cut after its last dot, in the output folder.
        {kOutputLayoutFlat, "/music", kEncodeTypeMp3, "/wav/a.b.wav", "", "/music/a.b.mp3"},
        {kOutputLayoutFlat, "/music/", kEncodeTypeMp3, "/wav/a.b.wav", "", "/music/a.b.mp3"},
        {kOutputLayoutFlat, "/music", kEncodeTypeOgg, "/wav/a.b.wav", "", "/music/a.b.ogg"},
        {kOutputLayoutFlat, "/", kEncodeTypeMp3, "/wav.d/song", "", "/songmp3"},
        {kOutputLayoutFlat, "/", kEncodeTypeMp3, "/wav/曲.wav", "", "/曲.mp3"},
        {kOutputLayoutFlat, "/出力ソ", kEncodeTypeOgg, "/wav/ソ/ソ.wav", "", "/出力ソ/ソ.ogg"},
        {kOutputLayoutFlat, "", kEncodeTypeMp3, "/wav/a.wav", "", "a.mp3"},
        // The flat layout ignores the folder a file came with; so does a value out of range.
        {kOutputLayoutFlat, "/o", kEncodeTypeMp3, "/lib/A/01.wav", "/lib/A", "/o/01.mp3"},
        {7, "/o", kEncodeTypeMp3, "/lib/A/01.wav", "/lib/A", "/o/01.mp3"},
        // The tree keeps the added folder's own name and the subfolders below it.
        {kOutputLayoutTree, "/o", kEncodeTypeMp3, "/lib/A/01.wav", "/lib/A", "/o/A/01.mp3"},
        {kOutputLayoutTree, "/o/", kEncodeTypeOgg, "/lib/A/cd1/01.wav", "/lib/A/",
         "/o/A/cd1/01.ogg"},
        {kOutputLayoutTree, "/o", kEncodeTypeMp3, "/lib/A/x/y/01.wav", "/lib/A//",
         "/o/A/x/y/01.mp3"},
        {kOutputLayoutTree, "/o", kEncodeTypeMp3, "/01.wav", "/", "/o/01.mp3"},
        {kOutputLayoutTree, "/o", kEncodeTypeMp3, "/lib/\xff/01.wav", "/lib/\xff",
         "/o/\xff/01.mp3"},
        {kOutputLayoutTree, "", kEncodeTypeMp3, "/lib/A/01.wav", "/lib/A", "A/01.mp3"},
        // A file added on its own, or one not below the folder it names, lands in the folder.
        {kOutputLayoutTree, "/o", kEncodeTypeMp3, "/lib/A/01.wav", "", "/o/01.mp3"},
        {kOutputLayoutTree, "/o", kEncodeTypeMp3, "/lib/AB/01.wav", "/lib/A", "/o/01.mp3"},
        // Beside its input, whatever the output folder.
        {kOutputLayoutBeside, "/o", kEncodeTypeMp3, "/lib/A/01.wav", "/lib/A", "/lib/A/01.mp3"},
        {kOutputLayoutBeside, "/o", kEncodeTypeOgg, "/lib/a.wav", "", "/lib/a.ogg"},
        {kOutputLayoutBeside, "/o", kEncodeTypeMp3, "a.wav", "", "a.mp3"},
    };
    for (const auto& c : cases) {
        const OutputLayout layout(c.layout, c.outFolder, c.encodeType);
        EXPECT_EQ(layout.OutputPathOf(c.inPath, c.addedFrom), c.expected)
            << c.layout << " " << c.inPath << " " << c.addedFrom;
    }
}

TEST(OutputLayoutTest, TheTreeNamesDotFoldersAfterTheFolderTheyStandFor) {
    const std::string here = std::filesystem::current_path().filename().string();
    const OutputLayout layout(kOutputLayoutTree, "/o", kEncodeTypeMp3);
    EXPECT_EQ(layout.OutputPathOf("./cd1/01.wav", "."), "/o/" + here + "/cd1/01.mp3");
    EXPECT_EQ(layout.OutputPathOf("./cd1/01.wav", "./"), "/o/" + here + "/cd1/01.mp3");
}

} // namespace
