#include "platform/AtomicFileWriter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <sys/stat.h>

namespace {

using platform::AtomicFileWriter;
using platform::ReplaceFileContent;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

std::set<std::string> FolderEntries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

mode_t PermissionBits(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

TEST(AtomicFileWriterTest, ReplacesContentAndKeepsPermissions) {
    TempDir dir;
    const std::string target = dir.File("opt.ini");
    ASSERT_TRUE(WriteFileBytes(target, "a much longer old content"));
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);

    EXPECT_TRUE(ReplaceFileContent(target, "new"));
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_EQ(PermissionBits(target), 0640u);
    EXPECT_EQ(FolderEntries(dir.Path()), std::set<std::string>{"opt.ini"});

    EXPECT_TRUE(ReplaceFileContent(dir.File("fresh.ini"), std::string("\0x", 2)));
    EXPECT_EQ(ReadFileBytes(dir.File("fresh.ini")), std::string("\0x", 2));
}

TEST(AtomicFileWriterTest, NothingReachesTheTargetBeforeCommit) {
    TempDir dir;
    const std::string target = dir.File("preset.ini");
    ASSERT_TRUE(WriteFileBytes(target, "old"));
    {
        AtomicFileWriter writer(target);
        ASSERT_TRUE(writer.Open());
        ASSERT_TRUE(writer.Write("new "));
        ASSERT_TRUE(writer.Write("content"));
        EXPECT_EQ(ReadFileBytes(target), "old");
        EXPECT_EQ(FolderEntries(dir.Path()).size(), 2u);
    }
    // Abandoned: the temporary file is gone, the target untouched.
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_EQ(FolderEntries(dir.Path()), std::set<std::string>{"preset.ini"});

    AtomicFileWriter writer(target);
    ASSERT_TRUE(writer.Open());
    ASSERT_TRUE(writer.Write("new "));
    ASSERT_TRUE(writer.Write("content"));
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadFileBytes(target), "new content");
    EXPECT_EQ(FolderEntries(dir.Path()), std::set<std::string>{"preset.ini"});
}

TEST(AtomicFileWriterTest, AFailedRenameOrMissingFolderLeavesNoTrace) {
    TempDir dir;
    // Renaming a file over a folder fails even for root, after every byte was written.
    ASSERT_TRUE(std::filesystem::create_directory(dir.File("opt.ini")));
    ASSERT_TRUE(WriteFileBytes(dir.File("opt.ini/inside"), "kept"));
    EXPECT_FALSE(ReplaceFileContent(dir.File("opt.ini"), "new"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("opt.ini")));
    EXPECT_EQ(ReadFileBytes(dir.File("opt.ini/inside")), "kept");
    EXPECT_EQ(FolderEntries(dir.Path()), std::set<std::string>{"opt.ini"});

    AtomicFileWriter writer(dir.File("missing/opt.ini"));
    EXPECT_FALSE(writer.Open());
    EXPECT_FALSE(writer.Write("x"));
    EXPECT_FALSE(writer.Commit());
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
}

TEST(AtomicFileWriterTest, TheTemporaryFileIsHiddenAndStaysWithItsFolder) {
    TempDir dir;
    ASSERT_TRUE(std::filesystem::create_directory(dir.File("a")));
    ASSERT_TRUE(WriteFileBytes(dir.File("a/song.mp3"), "old"));
    for (const bool commit : {false, true}) {
        SCOPED_TRACE(commit);
        AtomicFileWriter writer(dir.File("a/song.mp3"));
        ASSERT_TRUE(writer.Open());
        const std::string temporary = writer.TemporaryPath();
        EXPECT_EQ(temporary.rfind(dir.File("a/.song.mp3."), 0), 0u) << temporary;
        ASSERT_TRUE(writer.Write("new"));
        // Changed in place by its path, as the engine does with its info frame.
        ASSERT_TRUE(WriteFileBytes(temporary, "NEW"));
        std::filesystem::rename(dir.File("a"), dir.File("b"));
        if (commit) {
            EXPECT_TRUE(writer.Commit());
        } else {
            writer.Discard();
        }
        EXPECT_EQ(FolderEntries(dir.File("b")), std::set<std::string>{"song.mp3"});
        EXPECT_EQ(ReadFileBytes(dir.File("b/song.mp3")), commit ? "NEW" : "old");
        std::filesystem::rename(dir.File("b"), dir.File("a"));
    }
}

TEST(AtomicFileWriterTest, ALinkedTargetIsReplacedBehindTheLink) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("real"));
    ASSERT_TRUE(WriteFileBytes(dir.File("real/opt.ini"), "old"));
    std::filesystem::create_symlink(dir.File("real/opt.ini"), dir.File("opt.ini"));

    EXPECT_TRUE(ReplaceFileContent(dir.File("opt.ini"), "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("opt.ini")));
    EXPECT_EQ(ReadFileBytes(dir.File("real/opt.ini")), "new");
    EXPECT_EQ(FolderEntries(dir.File("real")), std::set<std::string>{"opt.ini"});
}

} // namespace
