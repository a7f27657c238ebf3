// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

/// Hands interleaved float frames to a consumer that runs on a thread of the relay's own,
/// through two fixed buffers: the producer fills one while the consumer takes the other, and
/// waits only when the consumer is still on the previous buffer as the next one fills up.
/// Room, Commit and Drain belong to one producing thread at a time.
class FrameRelay {
public:
    using Consumer = std::function<void(const float* frames, std::size_t count)>;

    FrameRelay(std::size_t channels, std::size_t framesPerBuffer, Consumer consumer);
    /// Lets the consumer finish what it was handed.
    ~FrameRelay();
    FrameRelay(const FrameRelay&) = delete;
    FrameRelay& operator=(const FrameRelay&) = delete;

    /// Room for frames in the buffer being filled: *frames gets how many fit (at least one).
    float* Room(std::size_t* frames);
    /// The first count frames of the room were written.
    void Commit(std::size_t count);
    /// Hands over what is buffered and waits until the consumer has taken it all.
    void Drain();

private:
    void HandOver();
    void Run();

    std::size_t channels_;
    std::size_t framesPerBuffer_;
    Consumer consumer_;
    std::vector<float> buffers_[2];
    std::size_t filled_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    // Guarded by mutex_: which buffer is being filled, the frames handed in the other one
    // (0 once the consumer is done with them) and whether the thread is to end.
    std::size_t filling_ = 0;
    std::size_t handed_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};
