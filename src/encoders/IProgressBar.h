// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

/// The progress display a job drives from its worker thread: 64-bit byte counts. Each setter
/// takes effect and redraws before it returns.
class IProgressBar {
public:
    virtual ~IProgressBar() = default;
    virtual void SetPos(std::uint64_t value) = 0;
    virtual void SetLower(std::uint64_t value) = 0;
    virtual void SetUpper(std::uint64_t value) = 0;
    /// position := position + amount, modulo 2^64
    virtual void OffsetPos(std::uint64_t amount) = 0;
    virtual std::uint64_t GetPos() const = 0;
    virtual std::uint64_t GetUpper() const = 0;
};

/// A new file's range: position 0, from 0 to its audio byte count.
inline void ResetProgress(IProgressBar& bar, std::uint64_t audioBytes) {
    bar.SetPos(0);
    bar.SetLower(0);
    bar.SetUpper(audioBytes);
}
