// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/File.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

namespace {

using platform::File;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

TEST(FileTest, CreateMakesANewFileAndEmptiesAnExistingOne) {
    TempDir dir;
    const std::string path = dir.File("out.bin");
    {
        File file;
        ASSERT_TRUE(file.Create(path));
        EXPECT_TRUE(file.IsOpen());
        EXPECT_EQ(file.Length(), 0);
        ASSERT_TRUE(file.Write("12345", 5));
    }
    EXPECT_EQ(ReadFileBytes(path), "12345");
    {
        File file;
        ASSERT_TRUE(file.Create(path));
        EXPECT_EQ(file.Length(), 0);
        ASSERT_TRUE(file.Write("ab", 2));
    }
    EXPECT_EQ(ReadFileBytes(path), "ab");
}

TEST(FileTest, OpenWriteExistingNeitherCreatesNorTruncates) {
    TempDir dir;
    File file;
    EXPECT_FALSE(file.OpenWriteExisting(dir.File("missing")));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(platform::FileExists(dir.File("missing")));

    const std::string path = dir.File("existing");
    ASSERT_TRUE(WriteFileBytes(path, "abcdef"));
    ASSERT_TRUE(file.OpenWriteExisting(path));
    EXPECT_EQ(file.Length(), 6);
    ASSERT_TRUE(file.Write("XY", 2));
    ASSERT_TRUE(file.Seek(0, File::Whence::End));
    ASSERT_TRUE(file.Write("!", 1));
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ReadFileBytes(path), "XYcdef!");
}

TEST(FileTest, ReadReturnsWhatIsThereAndZeroAtTheEnd) {
    TempDir dir;
    const std::string path = dir.File("in.bin");
    ASSERT_TRUE(WriteFileBytes(path, "0123456789"));
    File file;
    ASSERT_TRUE(file.OpenRead(path));
    EXPECT_EQ(file.Length(), 10);

    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(file.Position(), 4);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 6u); // short read up to the end
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
    EXPECT_FALSE(file.LastReadFailed());

    ASSERT_TRUE(file.Seek(-3, File::Whence::End));
    EXPECT_EQ(file.Read(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "789");
    ASSERT_TRUE(file.Seek(2, File::Whence::Begin));
    ASSERT_TRUE(file.Seek(3, File::Whence::Current));
    EXPECT_EQ(file.Position(), 5);
    // Past the end is a valid position; reading there yields nothing.
    ASSERT_TRUE(file.Seek(100, File::Whence::Current));
    EXPECT_EQ(file.Read(buffer, 1), 0u);
    EXPECT_FALSE(file.Seek(-1, File::Whence::Begin));
}

TEST(FileTest, OnlyRegularFilesAreOpened) {
    TempDir dir;
    File file;
    EXPECT_FALSE(file.OpenRead(dir.File("missing")));
    EXPECT_FALSE(file.OpenRead(dir.Path()));
    EXPECT_FALSE(file.OpenWriteExisting(dir.Path()));
    // Neither end of a FIFO without a partner may block the caller.
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(file.OpenRead(fifo));
    EXPECT_FALSE(file.OpenWriteExisting(fifo));
    EXPECT_FALSE(file.Create(fifo));
    EXPECT_FALSE(file.IsOpen());
}

TEST(FileTest, MovingHandsOverTheOpenFile) {
    TempDir dir;
    const std::string path = dir.File("a");
    ASSERT_TRUE(WriteFileBytes(path, "xyz"));
    File first;
    ASSERT_TRUE(first.OpenRead(path));
    File second(std::move(first));
    EXPECT_FALSE(first.IsOpen());
    ASSERT_TRUE(second.IsOpen());
    File third;
    third = std::move(second);
    char byte = 0;
    EXPECT_EQ(third.Read(&byte, 1), 1u);
    EXPECT_EQ(byte, 'x');
}

TEST(FileTest, ExistsAndDelete) {
    TempDir dir;
    const std::string path = dir.File("gone");
    EXPECT_FALSE(platform::FileExists(path));
    EXPECT_FALSE(platform::DeleteFile(path));
    ASSERT_TRUE(WriteFileBytes(path, "x"));
    EXPECT_TRUE(platform::FileExists(path));
    EXPECT_TRUE(platform::DeleteFile(path));
    EXPECT_FALSE(platform::FileExists(path));
}

} // namespace
