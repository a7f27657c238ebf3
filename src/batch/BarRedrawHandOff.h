#pragma once

#include "batch/CProgressBarEx.h"
#include "batch/IBarView.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

/// The redraw of a bar painted on another thread: the job's worker asks for a paint of each new
/// picture and waits until the event thread has painted it; an unchanged picture costs nothing.
/// The event thread can call the waits off, so that it may itself wait for the worker.
class BarRedrawHandOff : public IBarView {
public:
    /// requestPaint is called on the worker thread: it must queue, on the event thread, a
    /// TakeRequest, a paint of the bar, and Painted with the ticket taken.
    BarRedrawHandOff(const CProgressBarEx& bar, std::function<void()> requestPaint);

    /// Worker thread: returns at once when the bar's picture is the one last asked for,
    /// otherwise once it is painted or the waits are released.
    void Redraw() override;

    /// Event thread, before painting: the ticket of the newest picture asked for; a later
    /// change asks for another paint.
    std::uint64_t TakeRequest();
    /// Event thread, after painting the bar with the ticket from TakeRequest.
    void Painted(std::uint64_t ticket);

    /// Event thread: every wait ends now, and later redraws ask for their paint without waiting
    /// for it, until Arm. Call it before the event thread waits for the worker in any way.
    void Release();
    /// Event thread, while no job runs: the next job's redraws wait for their paint again.
    void Arm();

private:
    const CProgressBarEx& bar_;
    const std::function<void()> requestPaint_;
    std::mutex mutex_;
    std::condition_variable shown_;
    std::uint64_t askedPicture_;
    std::uint64_t requested_ = 0;
    std::uint64_t painted_ = 0;
    bool paintQueued_ = false;
    bool released_ = false;
};
