// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <deque>
#include <optional>

/// The terminal program's event loop: events posted from worker threads and signal handlers
/// travel through a pipe, a single periodic timer fires on time, and nothing polls.
class EventLoop {
public:
    enum class Event : char { EncodeEnd = 'e', Redraw = 'r', Interrupt = 'i', Terminate = 't' };

    /// Receives the events on the loop's thread.
    class Handler {
    public:
        virtual ~Handler() = default;
        virtual void OnEvent(Event event) = 0;
        virtual void OnTimer() = 0;
    };

    EventLoop();
    ~EventLoop();
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    /// Queues an event; safe from any thread and from a signal handler.
    void Post(Event event) const;

    /// Fires OnTimer every period from now on, replacing an earlier timer.
    void StartTimer(std::chrono::milliseconds period);
    void StopTimer();

    /// Dispatches events and timer ticks until Quit.
    void Run(Handler& handler);
    void Quit() { quit_ = true; }

    /// Waits until fd can be read; returns nothing then, or the interrupt or termination that
    /// came first (consumed). Other events that arrive meanwhile are kept for Run.
    std::optional<Event> WaitReadable(int fd);

private:
    /// Moves what the pipe holds into pending_.
    void Drain();

    int readFd_ = -1;
    int writeFd_ = -1;
    bool quit_ = false;
    std::deque<Event> pending_;
    std::optional<std::chrono::steady_clock::time_point> nextTick_;
    std::chrono::milliseconds period_{0};
};
