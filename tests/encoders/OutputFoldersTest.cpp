// SPDX-License-Identifier: GPL-3.0-or-later
#include "encoders/OutputFolders.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

bool IsFolder(const std::string& path) {
    return fs::is_directory(path);
}

TEST(OutputFoldersTest, FoldersAreMadeForAnOutputAndRemovedWhenNoneIsWrittenIntoThem) {
    TempDir top;
    const std::string first = top.File("lib/A/cd1/01.mp3");
    const std::string second = top.File("lib/A/cd2/01.mp3");
    OutputFolders folders;
    const mode_t previousMask = ::umask(027);
    EXPECT_EQ(folders.Hold(first), 0);
    ::umask(previousMask);
    struct stat info {};
    ASSERT_EQ(::stat(top.File("lib/A/cd1").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0750u) << "the mode comes from the umask";
    EXPECT_EQ(folders.Hold(second), 0);

    // The first output failed: its own folder goes, those the second needs stay.
    folders.Release(first);
    EXPECT_FALSE(IsFolder(top.File("lib/A/cd1")));
    EXPECT_TRUE(IsFolder(top.File("lib/A/cd2")));
    // The second was written: everything above it stays.
    ASSERT_TRUE(testsupport::WriteFileBytes(second, "mp3"));
    folders.Release(second);
    EXPECT_TRUE(IsFolder(top.File("lib/A/cd2")));

    // A folder that was there before is never removed.
    ASSERT_EQ(folders.Hold(top.File("lib/B/01.mp3")), 0);
    fs::remove(second);
    folders.Release(top.File("lib/B/01.mp3"));
    EXPECT_EQ(testsupport::FolderEntries(top.File("lib/A")), std::set<std::string>{"cd2"});
    EXPECT_EQ(testsupport::FolderEntries(top.File("lib")), std::set<std::string>{"A"});
}

TEST(OutputFoldersTest, AFolderThatCannotBeMadeIsTheOutputsErrorAndLeavesNothing) {
    TempDir top;
    ASSERT_TRUE(testsupport::WriteFileBytes(top.File("file"), ""));
    OutputFolders folders;
    const struct {
        std::string outPath;
        int error;
    } cases[] = {
        {top.File("file/A/01.mp3"), ENOTDIR},
        {top.File("new/" + std::string(300, 'x') + "/01.mp3"), ENAMETOOLONG},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(folders.Hold(c.outPath), c.error) << c.outPath;
        EXPECT_EQ(testsupport::FolderEntries(top.Path()), std::set<std::string>{"file"});
    }
}

} // namespace
