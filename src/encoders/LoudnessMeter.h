// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "encoders/FrameRelay.h"

#include <ebur128.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

/// Measures the loudness (ITU-R BS.1770 integrated, through libebur128) and the sample peak of
/// the frames an encoder is handed, as they are handed to it. The loudness is measured on a
/// thread of the meter's own, so that a free processor takes it off the encoder's time.
class LoudnessMeter {
public:
    /// speakers: the ChannelMap speaker of each of the channels, or nullptr for mono or stereo.
    LoudnessMeter(std::size_t channels, unsigned long rate,
                  const std::uint32_t* speakers = nullptr);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    /// False when libebur128 refused the channels or the rate.
    bool Ready() const { return state_ != nullptr; }
    /// One sequence of frames per channel, each sample multiplied by scale.
    void AddPlanar(const float* const* planes, std::size_t frames, float scale = 1.0f);
    /// Interleaved 16-bit frames.
    void AddInterleaved(const std::int16_t* samples, std::size_t frames);
    /// Measures what was added and ends the measuring thread, for a meter kept until its album
    /// ends; whatever is added afterwards is not measured.
    void Finish();
    /// Integrated loudness in LUFS; minus infinity for a stream with nothing above the gate.
    /// Waits until the frames added so far are measured.
    double Loudness() const;
    /// The largest sample magnitude, 1.0 at full scale. Waits as Loudness does.
    double Peak() const;
    /// The integrated loudness of the meters' streams taken together.
    static double Loudness(const std::vector<const LoudnessMeter*>& meters);

private:
    /// Hands frames to the measuring thread a buffer's room at a time: fill(to, start, count)
    /// writes count interleaved frames from frame start on.
    template <typename Fill>
    void Feed(std::size_t frames, const Fill& fill);
    /// On the measuring thread.
    void Measure(const float* frames, std::size_t count);
    /// Waits until the frames added so far are measured.
    void Drain() const;

    ebur128_state* state_ = nullptr;
    std::size_t channels_;
    float peak_ = 0.0f; ///< the measuring thread's
    std::unique_ptr<FrameRelay> relay_;
};
