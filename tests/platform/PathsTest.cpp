// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Paths.h"
#include "platform/File.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PathsTest, FolderAndNameSplitAtTheLastSeparator) {
    EXPECT_EQ(platform::FolderOf("/music/album/01 曲.wav"), "/music/album/");
    EXPECT_EQ(platform::NameOf("/music/album/01 曲.wav"), "01 曲.wav");
    EXPECT_EQ(platform::FolderOf("/x.wav"), "/");
    EXPECT_EQ(platform::NameOf("/x.wav"), "x.wav");
    EXPECT_EQ(platform::FolderOf("/music/album/"), "/music/album/");
    EXPECT_EQ(platform::NameOf("/music/album/"), "");
}

TEST(PathsTest, APathWithoutSeparatorIsAllName) {
    EXPECT_EQ(platform::FolderOf("take.wav"), "");
    EXPECT_EQ(platform::NameOf("take.wav"), "take.wav");
    EXPECT_EQ(platform::FolderOf(""), "");
    EXPECT_EQ(platform::NameOf(""), "");
}

TEST(PathsTest, LastDotFindsTheExtensionSeparator) {
    EXPECT_EQ(platform::LastDot("live.2001.wav"), 9u);
    EXPECT_EQ(platform::LastDot("曲.wav"), 3u); // after the three bytes of one character
    EXPECT_EQ(platform::LastDot(".wav"), 0u);
    EXPECT_EQ(platform::LastDot("noextension"), std::string_view::npos);
    EXPECT_EQ(platform::LastDot(""), std::string_view::npos);
}

TEST(PathsTest, JoinFolderPutsExactlyOneSeparatorBetween) {
    EXPECT_EQ(platform::JoinFolder("/out", "a.mp3"), "/out/a.mp3");
    EXPECT_EQ(platform::JoinFolder("/out/", "a.mp3"), "/out/a.mp3");
    EXPECT_EQ(platform::JoinFolder("/", "a.mp3"), "/a.mp3");
    EXPECT_EQ(platform::JoinFolder("", "a.mp3"), "a.mp3");
    EXPECT_EQ(platform::JoinFolder("/out/", ""), "/out/");
}

TEST(PathsTest, ExecutableFolderHoldsThisTestProgram) {
    const std::string folder = platform::ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(platform::FileExists(folder + "tests_platform"));
}

} // namespace
