// SPDX-License-Identifier: GPL-3.0-or-later
#include "EndEventRecorder.h"

#include "encoders/CEncodeThread.h"
#include "support/UpperVectorState.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>

namespace {

// What a run saw; outlives the job so that a test can read it after the job is gone.
struct RunLog {
    std::atomic<int> runs{0};
    std::atomic<std::int32_t> stateAtEntry{-1};
    std::atomic<bool> sawStop{false};
    std::atomic<bool> returned{false};
    /// 1 or 0 as the processor reports the upper vector halves in use at Run's entry, -1 if it
    /// cannot tell.
    std::atomic<int> upperInUseAtEntry{-1};
};

// A job that runs until the test releases it or a stop is requested, polling like the real jobs.
class GatedJob : public CEncodeThread {
public:
    explicit GatedJob(RunLog& log) : log_(log) {}
    ~GatedJob() override { StopAndWait(); }

    void Release() { released_.store(true); }

protected:
    void Run() override {
        log_.returned.store(false);
        log_.stateAtEntry.store(GetState());
        const std::optional<bool> upperInUse = UpperVectorStateInUse();
        log_.upperInUseAtEntry.store(upperInUse ? static_cast<int>(*upperInUse) : -1);
        ++log_.runs;
        WaitUntil([this] { return released_.load() || StopWasRequested(); });
        log_.sawStop.store(StopWasRequested());
        released_.store(false);
        log_.returned.store(true);
    }
    JobEnd Encode(WaveInput&, platform::AtomicFileWriter&) override { return JobEnd::Converted; }

private:
    RunLog& log_;
    std::atomic<bool> released_{false};
};

class StartFailure {
public:
    StartFailure() { CEncodeThread::SetStartFailsForTests(true); }
    ~StartFailure() { CEncodeThread::SetStartFailsForTests(false); }
};

TEST(CEncodeThreadTest, RunsOnceAndEndsFinishedWithOneEndEvent) {
    RunLog log;
    EndEventRecorder notify;
    {
        GatedJob job(log);
        EXPECT_EQ(job.GetState(), Idle);
        ASSERT_TRUE(job.Start(&notify));
        EXPECT_EQ(job.GetState(), Running);
        ASSERT_TRUE(WaitUntil([&] { return log.runs.load() == 1; }));
        EXPECT_EQ(log.stateAtEntry.load(), Running);
        job.Release();
        ASSERT_TRUE(notify.WaitForPosts(1));
        EXPECT_EQ(job.GetState(), Finished);
        EXPECT_FALSE(log.sawStop.load());
    }
    EXPECT_EQ(notify.Posted(), 1u);
    EXPECT_EQ(notify.Sent(), 0u);
    EXPECT_EQ(log.runs.load(), 1);
}

TEST(CEncodeThreadTest, RunStartsWithTheUpperVectorHalvesClearWhateverTheStarterLeft) {
    RunLog log;
    EndEventRecorder notify;
    GatedJob job(log);
    if (!UpperVectorStateInUse() || !DirtyUpperVectorState()) {
        GTEST_SKIP() << "the processor does not report the state of the upper halves";
    }
    ASSERT_TRUE(job.Start(&notify));
    // The thread was created while the starter had them in use, as a window's event thread does.
    ASSERT_EQ(UpperVectorStateInUse(), true);
    ASSERT_TRUE(WaitUntil([&] { return log.runs.load() == 1; }));
    EXPECT_EQ(log.upperInUseAtEntry.load(), 0);
    job.Release();
    ASSERT_TRUE(notify.WaitForPosts(1));
}

TEST(CEncodeThreadTest, StartWhileRunningIsRefused) {
    RunLog log;
    EndEventRecorder first;
    EndEventRecorder second;
    GatedJob job(log);
    ASSERT_TRUE(job.Start(&first));
    EXPECT_FALSE(job.Start(&second));
    EXPECT_EQ(job.GetState(), Running);
    job.Release();
    ASSERT_TRUE(first.WaitForPosts(1));
    EXPECT_EQ(log.runs.load(), 1);
    EXPECT_EQ(second.Posted(), 0u);
}

TEST(CEncodeThreadTest, RestartsAfterFinishingWithTheNewNotifyTarget) {
    RunLog log;
    EndEventRecorder first;
    EndEventRecorder second;
    GatedJob job(log);
    ASSERT_TRUE(job.Start(&first));
    job.Release();
    ASSERT_TRUE(first.WaitForPosts(1));

    ASSERT_TRUE(job.Start(&second));
    EXPECT_EQ(job.GetState(), Running);
    ASSERT_TRUE(WaitUntil([&] { return log.runs.load() == 2; }));
    EXPECT_EQ(log.stateAtEntry.load(), Running);
    job.Release();
    ASSERT_TRUE(second.WaitForPosts(1));
    EXPECT_EQ(job.GetState(), Finished);
    EXPECT_EQ(first.Posted(), 1u);
    EXPECT_EQ(second.Posted(), 1u);
}

TEST(CEncodeThreadTest, StopRequestedBeforeAnyStartHasNoEffect) {
    RunLog log;
    EndEventRecorder notify;
    GatedJob job(log);
    job.RequestStop();
    EXPECT_EQ(job.GetState(), Idle);
    ASSERT_TRUE(job.Start(&notify));
    ASSERT_TRUE(WaitUntil([&] { return log.runs.load() == 1; }));
    EXPECT_EQ(log.stateAtEntry.load(), Running);
    job.Release();
    ASSERT_TRUE(notify.WaitForPosts(1));
    EXPECT_FALSE(log.sawStop.load());
}

TEST(CEncodeThreadTest, StopRightAfterStartIsSeenAtTheFirstTest) {
    RunLog log;
    EndEventRecorder notify;
    GatedJob job(log);
    ASSERT_TRUE(job.Start(&notify));
    job.RequestStop();
    ASSERT_TRUE(notify.WaitForPosts(1));
    EXPECT_TRUE(log.sawStop.load());
    // The thread writes Finished after Run returns, so a stop during the run is not what the
    // end handler sees.
    EXPECT_EQ(job.GetState(), Finished);
    EXPECT_EQ(notify.Posted(), 1u);
}

TEST(CEncodeThreadTest, StopAfterRunReturnedIsWhatTheEndHandlerSees) {
    RunLog log;
    EndEventRecorder notify;
    GatedJob job(log);
    ASSERT_TRUE(job.Start(&notify));
    job.Release();
    ASSERT_TRUE(notify.WaitForPosts(1));
    job.RequestStop();
    EXPECT_EQ(job.GetState(), StopRequested);
    // A job left in StopRequested may be started again for the next file.
    ASSERT_TRUE(job.Start(&notify));
    job.Release();
    ASSERT_TRUE(notify.WaitForPosts(2));
    EXPECT_EQ(job.GetState(), Finished);
    EXPECT_FALSE(log.sawStop.load());
}

TEST(CEncodeThreadTest, RunsWithoutANotifyTarget) {
    RunLog log;
    GatedJob job(log);
    ASSERT_TRUE(job.Start(nullptr));
    job.Release();
    EXPECT_TRUE(WaitUntil([&] { return job.GetState() == Finished; }));
    EXPECT_EQ(log.runs.load(), 1);
}

TEST(CEncodeThreadTest, DestroyingARunningJobStopsItAndWaits) {
    RunLog log;
    EndEventRecorder notify;
    auto job = std::make_unique<GatedJob>(log);
    ASSERT_TRUE(job->Start(&notify));
    ASSERT_TRUE(WaitUntil([&] { return log.runs.load() == 1; }));
    job.reset();
    EXPECT_TRUE(log.returned.load());
    EXPECT_TRUE(log.sawStop.load());
    EXPECT_EQ(notify.Posted(), 1u);
}

TEST(CEncodeThreadTest, AStartThatCannotCreateTheThreadLeavesTheJobIdle) {
    RunLog log;
    EndEventRecorder notify;
    GatedJob job(log);
    {
        StartFailure failing;
        EXPECT_FALSE(job.Start(&notify));
    }
    EXPECT_EQ(job.GetState(), Idle);
    // No thread is held, so a stop request has nothing to act on.
    job.RequestStop();
    EXPECT_EQ(job.GetState(), Idle);
    EXPECT_EQ(log.runs.load(), 0);
    EXPECT_EQ(notify.Posted(), 0u);

    ASSERT_TRUE(job.Start(&notify));
    job.Release();
    ASSERT_TRUE(notify.WaitForPosts(1));
    EXPECT_EQ(log.runs.load(), 1);
}

} // namespace
