#include "ScriptedEncodeView.h"

#include "batch/BarRedrawHandOff.h"
#include "encoders/CEncodeThread.h"
#include "support/Watchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace {

using batchtest::TestLoop;
using namespace std::chrono_literals;

// The window's side on the stand-in loop: every queued paint takes the newest request and
// records the picture it shows.
struct PaintingLoop {
    explicit PaintingLoop(const CProgressBarEx& shownBar) : bar(shownBar) {}

    std::function<void()> Requester() {
        return [this] {
            ++requests;
            loop.Post([this] {
                const std::uint64_t ticket = handOff->TakeRequest();
                shown.push_back(bar.Percent());
                handOff->Painted(ticket);
            });
        };
    }

    const CProgressBarEx& bar;
    TestLoop loop;
    BarRedrawHandOff* handOff = nullptr;
    std::atomic<int> requests{0};
    std::vector<std::uint64_t> shown;
};

TEST(BarRedrawHandOffTest, WaitsForThePaintOfEachNewPictureOnly) {
    CProgressBarEx bar;
    PaintingLoop gui(bar);
    BarRedrawHandOff handOff(bar, gui.Requester());
    gui.handOff = &handOff;
    bar.SetView(&handOff);

    std::atomic<bool> done{false};
    std::thread worker([&] {
        ResetProgress(bar, 1000);
        for (int i = 0; i < 1000; ++i) {
            bar.OffsetPos(1);
        }
        gui.loop.Post([&] { done.store(true); });
    });
    ASSERT_TRUE(gui.loop.RunUntil([&] { return done.load(); }, 20s));
    worker.join();

    // Each percent from 1 to the full bar exactly once: the worker waited for every paint,
    // and the 900 redraws that changed nothing asked for none.
    std::vector<std::uint64_t> expected;
    for (std::uint64_t percent = 1; percent <= 100; ++percent) {
        expected.push_back(percent);
    }
    EXPECT_EQ(gui.shown, expected);
    EXPECT_EQ(gui.requests.load(), 100);
}

TEST(BarRedrawHandOffTest, ReleaseEndsTheWaitUntilArmedAgain) {
    const testsupport::Watchdog watchdog(20s, "the hand-off did not let go in time");
    CProgressBarEx bar;
    PaintingLoop gui(bar);
    BarRedrawHandOff handOff(bar, gui.Requester());
    gui.handOff = &handOff;
    bar.SetView(&handOff);

    // Nothing paints: the worker stays in its redraw until the release.
    auto halfway = std::async(std::launch::async, [&] { bar.SetPos(50); });
    EXPECT_EQ(halfway.wait_for(50ms), std::future_status::timeout);
    handOff.Release();
    halfway.get();

    // Released: a new picture still asks for its paint but does not wait for it.
    std::async(std::launch::async, [&] { bar.SetPos(60); }).get();
    ASSERT_TRUE(gui.loop.RunUntil([&] { return !gui.shown.empty(); }, 5s));
    EXPECT_EQ(gui.shown, std::vector<std::uint64_t>{60});

    handOff.Arm();
    auto later = std::async(std::launch::async, [&] { bar.SetPos(70); });
    EXPECT_EQ(later.wait_for(50ms), std::future_status::timeout);
    ASSERT_TRUE(gui.loop.RunUntil([&] { return gui.shown.size() == 2; }, 5s));
    later.get();
    EXPECT_EQ(gui.shown.back(), 70u);
}

// A job that drives the bar as the encoders do until it is stopped.
class BarDrivingJob : public CEncodeThread {
public:
    explicit BarDrivingJob(CProgressBarEx& bar) : bar_(bar) {}
    ~BarDrivingJob() override { StopAndWait(); }

protected:
    void Run() override {
        ResetProgress(bar_, 1 << 20);
        while (!StopWasRequested()) {
            bar_.OffsetPos(64);
            if (bar_.GetPos() >= bar_.GetUpper()) {
                bar_.SetPos(0);
            }
        }
    }
    JobEnd Encode(WaveInput&, platform::AtomicFileWriter&) override { return JobEnd::Converted; }

private:
    CProgressBarEx& bar_;
};

class LoopEnds : public INotifyTarget {
public:
    explicit LoopEnds(TestLoop& loop) : loop_(loop) {}
    void PostEncodeEnd() override {
        loop_.Post([this] { ++ended; });
    }
    void SendEncodeEnd() override { ++ended; }
    int ended = 0;

private:
    TestLoop& loop_;
};

// Jobs started and stopped while the event thread is busy elsewhere: a stop releases the
// waiting worker whether the event thread then waits for the end event or joins the job.
TEST(BarRedrawHandOffTest, StopsAndJoinsWhileTheEventThreadIsBusyNeverHang) {
    const testsupport::Watchdog watchdog(30s, "the hand-off did not let go in time");
    CProgressBarEx bar;
    PaintingLoop gui(bar);
    BarRedrawHandOff handOff(bar, gui.Requester());
    gui.handOff = &handOff;
    bar.SetView(&handOff);
    LoopEnds ends(gui.loop);

    for (int i = 0; i < 200; ++i) {
        SCOPED_TRACE(i);
        handOff.Arm();
        const int endsBefore = ends.ended;
        auto job = std::make_unique<BarDrivingJob>(bar);
        ASSERT_TRUE(job->Start(&ends));
        // Busy: some rounds paint a few pictures first, others none at all.
        const std::size_t paints = gui.shown.size() + static_cast<std::size_t>(i % 4);
        ASSERT_TRUE(gui.loop.RunUntil([&] { return gui.shown.size() >= paints; }, 10s));
        job->RequestStop();
        handOff.Release();
        if (i % 2 == 0) {
            ASSERT_TRUE(gui.loop.RunUntil([&] { return ends.ended > endsBefore; }, 10s));
        }
        job.reset();
    }
    bar.SetView(nullptr);
}

} // namespace
