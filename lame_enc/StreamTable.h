// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BladeMP3EncDLL.h"
#include "EngineStream.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace lameenc {

/// The open streams by handle. Handles are never reused, so a closed one stays invalid.
class StreamTable {
public:
    static StreamTable& Instance();

    /// The stream's new handle, never 0.
    HBE_STREAM Add(std::shared_ptr<EngineStream> stream);
    /// The stream, or nullptr for a handle that is not open.
    std::shared_ptr<EngineStream> Find(HBE_STREAM handle) const;
    /// Takes the stream out of the table; nullptr for a handle that is not open.
    std::shared_ptr<EngineStream> Remove(HBE_STREAM handle);

private:
    mutable std::mutex mutex_;
    std::unordered_map<HBE_STREAM, std::shared_ptr<EngineStream>> streams_;
    HBE_STREAM next_ = 1;
};

} // namespace lameenc
