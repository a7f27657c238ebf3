#include "platform/AtomicFileWriter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using platform::AtomicFileWriter;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

// Bytes written before are changed through the open file, whatever became of its folder's name.
TEST(AtomicFileWriterWriteAt, OverwritesInPlaceThroughTheOpenFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("a"));
    AtomicFileWriter writer(dir.File("a/song.mp3"));
    const char frame[] = "INFO";
    EXPECT_FALSE(writer.WriteAt(0, frame, 4)) << "nothing open";
    ASSERT_TRUE(writer.Open());
    ASSERT_TRUE(writer.Write("ID3-....-audio"));
    std::filesystem::rename(dir.File("a"), dir.File("b"));
    ASSERT_TRUE(writer.WriteAt(4, frame, 4));
    ASSERT_TRUE(writer.Write("-end"));
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadFileBytes(dir.File("b/song.mp3")), "ID3-INFO-audio-end");
}

} // namespace
