// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedEncodeView.h"

#include "batch/BarRepaintRequest.h"
#include "encoders/CEncodeThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// The window's side on the stand-in loop: every queued paint takes the request and records the
// picture it shows.
struct PaintingLoop {
    explicit PaintingLoop(const CProgressBarEx& shownBar) : bar(shownBar) {}

    std::function<void()> Requester() {
        return [this] {
            ++requests;
            loop.Post([this] {
                request->TakeRequest();
                shown.push_back(bar.Percent());
            });
        };
    }

    const CProgressBarEx& bar;
    batchtest::TestLoop loop;
    BarRepaintRequest* request = nullptr;
    std::atomic<int> requests{0};
    std::vector<std::uint64_t> shown;
};

// The worker never waits for a paint; however the paints fall behind, they come in order, at
// most one is queued at a time, an unchanged picture asks for none, and the last picture of a
// file is always painted.
TEST(BarRepaintRequestTest, PaintsCoalesceAndTheLastPictureIsShown) {
    for (const std::uint64_t upper : {std::uint64_t{1000}, std::uint64_t{1} << 32}) {
        SCOPED_TRACE(upper);
        CProgressBarEx bar;
        PaintingLoop gui(bar);
        BarRepaintRequest request(bar, gui.Requester());
        gui.request = &request;
        bar.SetView(&request);

        std::atomic<bool> done{false};
        std::thread worker([&] {
            ResetProgress(bar, upper);
            for (int i = 0; i < 1000; ++i) {
                bar.OffsetPos(upper / 1000);
            }
            bar.SetPos(upper);
            done.store(true);
        });
        // The event thread is busy until the worker has finished: nothing is painted meanwhile.
        worker.join();
        ASSERT_TRUE(done.load());
        ASSERT_TRUE(gui.loop.RunUntil([&] { return !gui.shown.empty(); }, 10s));
        EXPECT_EQ(gui.requests.load(), 1);
        EXPECT_EQ(gui.shown, std::vector<std::uint64_t>{100});

        // After a paint, the next change asks again; a change to the same picture does not.
        std::thread([&] { bar.SetPos(upper / 2); }).join();
        std::thread([&] { bar.SetPos(upper / 2 + 1); }).join();
        ASSERT_TRUE(gui.loop.RunUntil([&] { return gui.shown.size() == 2; }, 10s));
        EXPECT_EQ(gui.requests.load(), 2);
        EXPECT_EQ(gui.shown.back(), 50u);
        bar.SetView(nullptr);
    }
}

} // namespace
