// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "encoders/ReplayGainAlbum.h"

#include <cstddef>
#include <memory>
#include <set>
#include <string>
#include <vector>

/// The ReplayGain albums of a running batch, seen from the batch: which item belongs to which,
/// which outputs they hold unnamed, and when they place them.
class BatchAlbums {
public:
    using Placed = std::vector<ReplayGainAlbum::Placed>;

    /// albums: one per item of the batch, or none at all.
    void Reset(const std::vector<std::shared_ptr<ReplayGainAlbum>>& albums);
    /// True when the item's output waits in its album once converted.
    bool Holds(std::size_t item) const { return item < albums_.size(); }
    /// The item has its result; converted, its output is held at outPath.
    Placed ItemEnded(std::size_t item, bool converted, const std::string& outPath);
    /// An output held at path, if any, takes its name now.
    Placed Release(const std::string& path);
    /// Every output still held takes its name, without album values.
    Placed Settle();
    void Abandon();

private:
    Placed Forget(Placed placed);

    std::vector<std::shared_ptr<ReplayGainAlbum>> albums_;
    std::vector<ReplayGainAlbum*> distinct_;
    std::set<std::string> heldPlaces_;
};
