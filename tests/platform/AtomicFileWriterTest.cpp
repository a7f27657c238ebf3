// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFileWriter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <tuple>
#include <unistd.h>

namespace {

using platform::AtomicFileWriter;
using platform::ReplaceFileContent;
using testsupport::FolderEntries;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

mode_t PermissionBits(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

bool FolderTakesUnnamedFiles(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

// Every case once with unnamed working files and once as on a file system without them.
class AtomicFileWriterTest : public testing::TestWithParam<bool> {
protected:
    AtomicFileWriterTest() { AtomicFileWriter::SetUnnamedFilesUnsupportedForTests(!GetParam()); }
    ~AtomicFileWriterTest() override {
        AtomicFileWriter::SetUnnamedFilesUnsupportedForTests(false);
    }

    bool Unnamed() const { return GetParam() && FolderTakesUnnamedFiles(dir_.Path()); }
    // The folder's entries while a writer is open: the working file's name is seen only when it
    // has one.
    std::set<std::string> WithWorkingFile(std::set<std::string> names,
                                          const AtomicFileWriter& writer) const {
        EXPECT_EQ(writer.LeftoverPath().empty(), Unnamed());
        if (!writer.LeftoverPath().empty()) {
            names.insert(std::filesystem::path(writer.LeftoverPath()).filename().string());
        }
        return names;
    }

    TempDir dir_;
};

INSTANTIATE_TEST_SUITE_P(WorkingFile, AtomicFileWriterTest, testing::Values(true, false),
                         [](const auto& param) { return param.param ? "Unnamed" : "Named"; });

TEST_P(AtomicFileWriterTest, ReplacesContentAndKeepsPermissions) {
    const std::string target = dir_.File("opt.ini");
    ASSERT_TRUE(WriteFileBytes(target, "a much longer old content"));
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);

    EXPECT_TRUE(ReplaceFileContent(target, "new"));
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_EQ(PermissionBits(target), 0640u);
    EXPECT_EQ(FolderEntries(dir_.Path()), std::set<std::string>{"opt.ini"});

    // A new file gets what the umask leaves; the longest name a folder can hold is no obstacle.
    const mode_t mask = ::umask(027);
    const std::string longest = std::string(251, 'a') + ".mp3";
    EXPECT_TRUE(ReplaceFileContent(dir_.File(longest), std::string("\0x", 2)));
    ::umask(mask);
    EXPECT_EQ(ReadFileBytes(dir_.File(longest)), std::string("\0x", 2));
    EXPECT_EQ(PermissionBits(dir_.File(longest)), 0640u);
    EXPECT_EQ(FolderEntries(dir_.Path()), (std::set<std::string>{"opt.ini", longest}));
}

TEST_P(AtomicFileWriterTest, NothingReachesTheTargetBeforeCommit) {
    const std::string target = dir_.File("preset.ini");
    ASSERT_TRUE(WriteFileBytes(target, "old"));
    {
        AtomicFileWriter writer(target);
        ASSERT_TRUE(writer.Open());
        ASSERT_TRUE(writer.Write("new "));
        ASSERT_TRUE(writer.Write("content"));
        EXPECT_EQ(ReadFileBytes(target), "old");
        EXPECT_EQ(FolderEntries(dir_.Path()), WithWorkingFile({"preset.ini"}, writer));
    }
    // Abandoned: the working file is gone, the target untouched.
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_EQ(FolderEntries(dir_.Path()), std::set<std::string>{"preset.ini"});

    AtomicFileWriter writer(target);
    ASSERT_TRUE(writer.Open());
    ASSERT_TRUE(writer.Write("new "));
    ASSERT_TRUE(writer.Write("content"));
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadFileBytes(target), "new content");
    EXPECT_EQ(FolderEntries(dir_.Path()), std::set<std::string>{"preset.ini"});
}

TEST_P(AtomicFileWriterTest, AProcessThatEndsOnTheWayLeavesOnlyANamedWorkingFile) {
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Ends as if killed: no destructor runs.
        AtomicFileWriter writer(dir_.File("song.mp3"));
        const bool written = writer.Open() && writer.Write("partial");
        const std::string leftover = writer.LeftoverPath() + (written ? "" : "!");
        ::_exit(::write(report[1], leftover.data(), leftover.size()) < 0);
    }
    ::close(report[1]);
    char buffer[4096];
    const ssize_t size = ::read(report[0], buffer, sizeof buffer);
    ::close(report[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_GE(size, 0);
    const std::string leftover(buffer, static_cast<std::size_t>(size));
    if (Unnamed()) {
        EXPECT_EQ(leftover, "");
        EXPECT_TRUE(FolderEntries(dir_.Path()).empty());
    } else {
        EXPECT_EQ(FolderEntries(dir_.Path()),
                  std::set<std::string>{std::filesystem::path(leftover).filename().string()});
        EXPECT_EQ(ReadFileBytes(leftover), "partial");
    }
}

TEST_P(AtomicFileWriterTest, AFailedRenameOrMissingFolderLeavesNoTrace) {
    // Renaming a file over a folder fails even for root, after every byte was written.
    ASSERT_TRUE(std::filesystem::create_directory(dir_.File("opt.ini")));
    ASSERT_TRUE(WriteFileBytes(dir_.File("opt.ini/inside"), "kept"));
    EXPECT_FALSE(ReplaceFileContent(dir_.File("opt.ini"), "new"));
    EXPECT_TRUE(std::filesystem::is_directory(dir_.File("opt.ini")));
    EXPECT_EQ(ReadFileBytes(dir_.File("opt.ini/inside")), "kept");
    EXPECT_EQ(FolderEntries(dir_.Path()), std::set<std::string>{"opt.ini"});

    AtomicFileWriter writer(dir_.File("missing/opt.ini"));
    EXPECT_FALSE(writer.Open());
    EXPECT_FALSE(writer.WriteAt(0, "x", 1));
    EXPECT_FALSE(writer.Write("x"));
    EXPECT_FALSE(writer.Commit());
    EXPECT_FALSE(std::filesystem::exists(dir_.File("missing")));
}

TEST_P(AtomicFileWriterTest, TheWorkingFileIsHiddenShortAndStaysWithItsFolder) {
    ASSERT_TRUE(std::filesystem::create_directory(dir_.File("a")));
    const std::string longName = std::string(251, 's') + ".mp3";
    ASSERT_TRUE(WriteFileBytes(dir_.File("a/" + longName), "old"));
    for (const bool commit : {false, true}) {
        SCOPED_TRACE(commit);
        AtomicFileWriter writer(dir_.File("a/" + longName));
        ASSERT_TRUE(writer.Open());
        if (!writer.LeftoverPath().empty()) {
            const std::string name = std::filesystem::path(writer.LeftoverPath()).filename();
            EXPECT_EQ(name.rfind(".wavpress-", 0), 0u) << name;
            EXPECT_LE(name.size(), 20u);
        }
        ASSERT_TRUE(writer.Write("ID3-....-audio"));
        std::filesystem::rename(dir_.File("a"), dir_.File("b"));
        // Changed in place through the open file, as the info frame is, after the folder was
        // renamed.
        ASSERT_TRUE(writer.WriteAt(4, "INFO", 4));
        ASSERT_TRUE(writer.Write("-end"));
        if (commit) {
            EXPECT_TRUE(writer.Commit());
        } else {
            writer.Discard();
        }
        EXPECT_EQ(FolderEntries(dir_.File("b")), std::set<std::string>{longName});
        EXPECT_EQ(ReadFileBytes(dir_.File("b/" + longName)), commit ? "ID3-INFO-audio-end" : "old");
        std::filesystem::rename(dir_.File("b"), dir_.File("a"));
    }
}

TEST_P(AtomicFileWriterTest, ALinkedTargetIsReplacedBehindTheLink) {
    std::filesystem::create_directory(dir_.File("real"));
    ASSERT_TRUE(WriteFileBytes(dir_.File("real/opt.ini"), "old"));
    std::filesystem::create_symlink(dir_.File("real/opt.ini"), dir_.File("opt.ini"));

    EXPECT_TRUE(ReplaceFileContent(dir_.File("opt.ini"), "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir_.File("opt.ini")));
    EXPECT_EQ(ReadFileBytes(dir_.File("real/opt.ini")), "new");
    EXPECT_EQ(FolderEntries(dir_.File("real")), std::set<std::string>{"opt.ini"});
}

// Only where working files need names can one have been left; and only a file that is
// provably ours goes: our name, our mark inside, a regular file, stale.
TEST_P(AtomicFileWriterTest, OnlyOurOwnStaleWorkingFilesAreRemoved) {
    constexpr std::time_t kDay = 24 * 60 * 60;
    enum Kind { File, MarkedFile, Folder, LinkToMarked };
    const struct Case {
        const char* name;
        std::time_t age;
        Kind kind;
        bool stale;
    } cases[] = {
        {".wavpress-Ab12Cd34Ef", kDay + 60, MarkedFile, true},
        {".wavpress-Ab12Cd34Eg", kDay - 60, MarkedFile, false},
        {".wavpress-Ab12Cd34Eh", 2 * kDay, File, false},
        {".wavpress-backup", 3 * kDay, File, false},
        {".wavpress-Ab12Cd34E", 2 * kDay, MarkedFile, false},
        {".wavpress-Ab_2Cd34Ei", 2 * kDay, MarkedFile, false},
        {".wavpress-Folder1234", 2 * kDay, Folder, false},
        {".wavpress-Link123456", 2 * kDay, LinkToMarked, false},
        {"song.mp3", 2 * kDay, MarkedFile, false},
    };
    const std::string elsewhere = dir_.File("elsewhere");
    ASSERT_TRUE(std::filesystem::create_directory(elsewhere));
    std::set<std::string> kept{"elsewhere", "new.mp3"};
    for (const Case& c : cases) {
        const std::string path = dir_.File(c.name);
        const std::string file = c.kind == LinkToMarked ? elsewhere + "/target" : path;
        ASSERT_TRUE(c.kind == Folder ? std::filesystem::create_directory(path)
                                     : WriteFileBytes(file, "x"));
        if (c.kind == MarkedFile || c.kind == LinkToMarked) {
            ASSERT_EQ(::setxattr(file.c_str(), "user.wavpress", "working", 7, 0), 0);
        }
        if (c.kind == LinkToMarked) {
            std::filesystem::create_symlink(file, path);
        }
        const timespec times[2] = {{std::time(nullptr) - c.age, 0},
                                   {std::time(nullptr) - c.age, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
        if (!c.stale || Unnamed()) {
            kept.insert(c.name);
        }
    }
    EXPECT_TRUE(ReplaceFileContent(dir_.File("new.mp3"), "new"));
    EXPECT_EQ(FolderEntries(dir_.Path()), kept);
    char mark[16];
    EXPECT_LT(::getxattr(dir_.File("new.mp3").c_str(), "user.wavpress", mark, sizeof mark), 0)
        << "the output carries no mark";
}

// Another user's link in a shared folder (sticky, world-writable) is not followed, as open
// would not follow it: nothing is written there or behind it. Root owns every folder here, so
// the planted link is given another owner and the folder a third.
TEST_P(AtomicFileWriterTest, AnotherUsersLinkInASharedFolderIsNotFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give files other owners";
    }
    const std::string shared = dir_.File("shared");
    const std::string victim = dir_.File("victim.txt");
    ASSERT_TRUE(std::filesystem::create_directory(shared));
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    ASSERT_TRUE(WriteFileBytes(victim, "notes"));
    const std::string link = shared + "/x.mp3";
    std::filesystem::create_symlink(victim, link);
    for (const auto& [linkOwner, folderOwner, followed] :
         {std::tuple{1000u, 0u, false}, std::tuple{1000u, 1000u, true},
          std::tuple{0u, 1001u, true}}) {
        ASSERT_EQ(::lchown(link.c_str(), linkOwner, 0), 0);
        ASSERT_EQ(::chown(shared.c_str(), folderOwner, 0), 0);
        AtomicFileWriter writer(link);
        EXPECT_EQ(writer.Open() && writer.Write("mp3") && writer.Commit(), followed) << linkOwner;
        EXPECT_EQ(ReadFileBytes(victim), followed ? "mp3" : "notes");
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        ASSERT_TRUE(WriteFileBytes(victim, "notes"));
    }
}

} // namespace
