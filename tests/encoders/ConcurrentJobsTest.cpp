// SPDX-License-Identifier: GPL-3.0-or-later
#include "EndEventRecorder.h"
#include "RecordingBar.h"
#include "support/Mp3Decoder.h"
#include "support/OggDecoder.h"

#include "encoders/CMP3EncodeThread.h"
#include "encoders/COggEncodeThread.h"
#include "settings/EncodeSettings.h"
#include "support/RecordingMessageBackend.h"
#include "support/TempDir.h"
#include "support/WaveWriter.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace {

using testsupport::ReadFileBytes;

constexpr std::size_t kJobsOfEachKind = 4;
constexpr std::size_t kFrames = 44100 * 3 / 2;

// One job of each kind with everything it reads and drives, as a batch's job slot has them.
struct JobPair {
    EncodeItem item;
    RecordingBar mp3Bar;
    RecordingBar oggBar;
    EndEventRecorder mp3Ends;
    EndEventRecorder oggEnds;
    std::unique_ptr<CMP3EncodeThread> mp3 = std::make_unique<CMP3EncodeThread>();
    std::unique_ptr<COggEncodeThread> ogg = std::make_unique<COggEncodeThread>();
};

// Every job runs at the same time as the others, under ThreadSanitizer too; what each writes
// must be what it writes alone. Equal lengths and settings give the MP3 streams identical
// reserved info frames, so a frame handed to the wrong file would show.
TEST(ConcurrentJobs, FourMp3AndFourOggJobsAtOnceWriteWhatEachWritesAlone) {
    const testsupport::ScopedMessageRecorder messages;
    const testsupport::TempDir dir;
    BE_CONFIG lameParm = FirstStartLameParm();
    lameParm.WriteVBRHeader = 1;
    const OggParm oggParm;
    std::array<JobPair, kJobsOfEachKind> jobs;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        JobPair& job = jobs[i];
        job.item.InPath = dir.File("in" + std::to_string(i) + ".wav");
        job.item.Title = "title " + std::to_string(i);
        ASSERT_TRUE(testsupport::WriteWave(
            job.item.InPath, {},
            testsupport::StereoTone(44100, kFrames, 300.0 + 110.0 * i, 500.0 + 70.0 * i)));
    }
    const auto start = [&](JobPair& job, std::size_t i, const std::string& suffix) {
        const std::string name = std::to_string(i) + suffix;
        EncodeJobInput input;
        input.Item = job.item;
        input.LameParm = lameParm;
        input.Ogg = oggParm;
        input.OutPath = dir.File(name + ".mp3");
        EXPECT_TRUE(job.mp3->BeginEncode(input, job.mp3Bar, &job.mp3Ends));
        input.OutPath = dir.File(name + ".ogg");
        EXPECT_TRUE(job.ogg->BeginEncode(input, job.oggBar, &job.oggEnds));
    };
    const auto waitForAll = [&](std::size_t ends) {
        for (JobPair& job : jobs) {
            ASSERT_TRUE(job.mp3Ends.WaitForPosts(ends, std::chrono::seconds(60)));
            ASSERT_TRUE(job.oggEnds.WaitForPosts(ends, std::chrono::seconds(60)));
        }
    };

    for (std::size_t i = 0; i < jobs.size(); ++i) {
        start(jobs[i], i, "-alone");
        ASSERT_TRUE(jobs[i].mp3Ends.WaitForPosts(1, std::chrono::seconds(60)));
        ASSERT_TRUE(jobs[i].oggEnds.WaitForPosts(1, std::chrono::seconds(60)));
    }
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        start(jobs[i], i, "-together");
    }
    waitForAll(2);
    EXPECT_TRUE(messages->Requests().empty());

    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const std::string name = dir.File(std::to_string(i));
        EXPECT_EQ(jobs[i].mp3->Outcome(), EncodeOutcome::Converted);
        EXPECT_EQ(jobs[i].ogg->Outcome(), EncodeOutcome::Converted);
        const std::string mp3 = ReadFileBytes(name + "-together.mp3");
        EXPECT_TRUE(ReadInfoFrame(mp3).present) << i;
        EXPECT_EQ(mp3, ReadFileBytes(name + "-alone.mp3")) << i;
        // The stream's serial number differs from run to run; the packets do not.
        const DecodedOgg together = DecodeOgg(name + "-together.ogg");
        const DecodedOgg alone = DecodeOgg(name + "-alone.ogg");
        ASSERT_TRUE(together.opened) << i;
        EXPECT_EQ(together.samples, alone.samples) << i;
        EXPECT_EQ(together.comments, alone.comments) << i;
        EXPECT_EQ(together.comments.front(), "TITLE=title " + std::to_string(i));
    }
}

} // namespace
