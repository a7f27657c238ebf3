// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/CProgressBarEx.h"
#include "batch/IBarView.h"

#include <atomic>
#include <cstdint>
#include <functional>

/// The redraw of a bar painted on another thread: the job's worker asks for a paint when the
/// bar's picture changes and goes on at once. One queued paint shows the newest values however
/// many changes came meanwhile, and since the paint reads the values when it runs, the last
/// picture of a file is never lost. An unchanged picture costs nothing.
class BarRepaintRequest : public IBarView {
public:
    /// requestPaint is called on the worker thread: it must queue, on the event thread, a
    /// TakeRequest followed by a paint of the bar.
    BarRepaintRequest(const CProgressBarEx& bar, std::function<void()> requestPaint);

    /// Worker thread: queues a paint unless the picture is unchanged or one is queued already.
    void Redraw() override;

    /// Event thread, before painting: a change after this asks for another paint.
    void TakeRequest();

private:
    const CProgressBarEx& bar_;
    const std::function<void()> requestPaint_;
    std::atomic<std::uint64_t> askedPicture_;
    std::atomic<bool> paintQueued_{false};
};
