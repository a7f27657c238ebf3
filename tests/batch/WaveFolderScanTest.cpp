// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/WaveFolderScan.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class WaveFolderScanTest : public ::testing::Test {
protected:
    // Files of any content: the scan looks at names only, the file list tests each file.
    void Touch(const std::string& relative) {
        const fs::path path = fs::path(top.Path()) / relative;
        fs::create_directories(path.parent_path());
        ASSERT_TRUE(testsupport::WriteFileBytes(path.string(), "x"));
    }

    std::string Top(const std::string& relative) const { return top.File(relative); }

    testsupport::TempDir top;
    testsupport::TempDir elsewhere;
};

TEST_F(WaveFolderScanTest, FindsWaveNamesInNameOrderDepthFirstAndEndsLinkLoops) {
    for (const char* name : {"b.wav", "A.WAV", ".hidden.wav", "notes.txt", "sub/d.Wav", "sub/c.wav",
                             "a_sub/e.wav", "deep/x/y.wav", ".git/z.wav", "folder.wav/in.wav"}) {
        Touch(name);
    }
    fs::create_directory(Top("empty"));
    fs::create_directory_symlink(top.Path(), Top("loop"));
    fs::create_directory_symlink(Top("sub"), Top("sub again"));
    fs::create_symlink(Top("sub/c.wav"), Top("link.wav"));
    fs::create_symlink(Top("gone"), Top("dangling.wav"));
    ASSERT_TRUE(testsupport::WriteFileBytes(elsewhere.File("far.wav"), "x"));
    fs::create_directory_symlink(elsewhere.Path(), Top("outside"));

    const WaveFolderScan scan(top.Path());
    // Byte order of the names: upper case before lower case; a folder's files at its place.
    const std::vector<std::string> expected = {
        Top("A.WAV"),        Top("a_sub/e.wav"),       Top("b.wav"),    Top("dangling.wav"),
        Top("deep/x/y.wav"), Top("folder.wav/in.wav"), Top("link.wav"), Top("outside/far.wav"),
        Top("sub/c.wav"),    Top("sub/d.Wav"),
    };
    EXPECT_EQ(scan.Files(), expected);
    EXPECT_TRUE(scan.UnreadableFolders().empty());
}

TEST_F(WaveFolderScanTest, ExpandingADropKeepsFilesAndReplacesFoldersByTheirFiles) {
    Touch("in/one.wav");
    Touch("in/two.wav");
    fs::create_directories(Top("empty/"));
    const std::vector<std::string> dropped = {Top("first.wav"), Top("in"), Top("missing"),
                                              Top("in/"), Top("empty/")};
    // Each file keeps the folder it came with, as that was given.
    const std::vector<WaveFolderScan::AddedFile> expected = {
        {Top("first.wav"), ""}, {Top("in/one.wav"), Top("in")},  {Top("in/two.wav"), Top("in")},
        {Top("missing"), ""},   {Top("in/one.wav"), Top("in/")}, {Top("in/two.wav"), Top("in/")}};
    RefusedFiles refused;
    EXPECT_EQ(WaveFolderScan::ExpandFolders(dropped, refused), expected);
    // A folder that gives nothing is named, without its separator.
    EXPECT_EQ(refused.Details(), "empty: フォルダに .wav ファイルがありません");
    EXPECT_TRUE(WaveFolderScan::IsFolder(Top("in")));
    EXPECT_FALSE(WaveFolderScan::IsFolder(Top("in/one.wav")));
}

// Root reads every folder: it then scans as nobody, in a child process of its own.
TEST_F(WaveFolderScanTest, AFolderThatCannotBeReadIsPassedOverAndNamed) {
    Touch("open/a.wav");
    Touch("shut/b.wav");
    Touch("z.wav");
    const auto readable = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                          fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(top.Path(), readable);
    fs::permissions(Top("open"), readable);
    fs::permissions(Top("shut"), fs::perms::none);
    const auto scanShut = [this] {
        const WaveFolderScan scan(top.Path());
        const bool found =
            scan.Files() == std::vector<std::string>{Top("open/a.wav"), Top("z.wav")};
        const bool named = scan.UnreadableFolders().size() == 1 &&
                           scan.UnreadableFolders()[0].Path == Top("shut") &&
                           scan.UnreadableFolders()[0].Error == EACCES;
        return found && named;
    };
    if (::geteuid() != 0) {
        EXPECT_TRUE(scanShut());
    } else {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        EXPECT_EXIT(
            {
                constexpr uid_t kNobody = 65534;
                if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
                    std::_Exit(2);
                }
                std::_Exit(scanShut() ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
    }
    fs::permissions(Top("shut"), fs::perms::owner_all);
}

} // namespace
