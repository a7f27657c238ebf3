// SPDX-License-Identifier: GPL-3.0-or-later
#include "StreamTable.h"

namespace lameenc {

StreamTable& StreamTable::Instance() {
    static StreamTable table;
    return table;
}

HBE_STREAM StreamTable::Add(std::shared_ptr<EngineStream> stream) {
    std::lock_guard lock(mutex_);
    const HBE_STREAM handle = next_++;
    streams_.emplace(handle, std::move(stream));
    return handle;
}

std::shared_ptr<EngineStream> StreamTable::Find(HBE_STREAM handle) const {
    std::lock_guard lock(mutex_);
    const auto found = streams_.find(handle);
    return found == streams_.end() ? nullptr : found->second;
}

std::shared_ptr<EngineStream> StreamTable::Remove(HBE_STREAM handle) {
    std::lock_guard lock(mutex_);
    const auto found = streams_.find(handle);
    if (found == streams_.end()) {
        return nullptr;
    }
    auto stream = std::move(found->second);
    streams_.erase(found);
    return stream;
}

} // namespace lameenc
