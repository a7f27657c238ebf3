// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchAlbums.h"

#include "batch/OutputLayout.h"

#include <algorithm>
#include <filesystem>

void BatchAlbums::Reset(const std::vector<std::shared_ptr<ReplayGainAlbum>>& albums) {
    albums_ = albums;
    distinct_.clear();
    heldPlaces_.clear();
    for (const std::shared_ptr<ReplayGainAlbum>& album : albums_) {
        if (std::find(distinct_.begin(), distinct_.end(), album.get()) == distinct_.end()) {
            distinct_.push_back(album.get());
        }
    }
}

BatchAlbums::Placed BatchAlbums::ItemEnded(std::size_t item, bool converted,
                                           const std::string& outPath) {
    if (!Holds(item)) {
        return {};
    }
    if (converted) {
        heldPlaces_.insert(PlaceOf(outPath).string());
    }
    return Forget(albums_[item]->MemberEnded());
}

BatchAlbums::Placed BatchAlbums::Release(const std::string& path) {
    const std::filesystem::path place = PlaceOf(path);
    if (!heldPlaces_.contains(place.string())) {
        return {};
    }
    const auto atPlace = [&place](const std::string& held) { return PlaceOf(held) == place; };
    Placed placed;
    for (ReplayGainAlbum* album : distinct_) {
        for (ReplayGainAlbum::Placed& output : album->Release(atPlace)) {
            placed.push_back(std::move(output));
        }
    }
    return Forget(std::move(placed));
}

BatchAlbums::Placed BatchAlbums::Settle() {
    Placed placed;
    for (ReplayGainAlbum* album : distinct_) {
        for (ReplayGainAlbum::Placed& output : album->Settle()) {
            placed.push_back(std::move(output));
        }
    }
    return Forget(std::move(placed));
}

void BatchAlbums::Abandon() {
    for (ReplayGainAlbum* album : distinct_) {
        album->Abandon();
    }
}

BatchAlbums::Placed BatchAlbums::Forget(Placed placed) {
    for (const ReplayGainAlbum::Placed& output : placed) {
        heldPlaces_.erase(PlaceOf(output.Path).string());
    }
    return placed;
}
