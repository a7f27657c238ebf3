// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReplayGainAlbum.h"

#include "encoders/JobMessages.h"
#include "platform/Format.h"

#include <algorithm>
#include <utility>

namespace {

bool Every(const std::string&) {
    return true;
}

} // namespace

ReplayGainAlbum::ReplayGainAlbum(std::size_t members) : expected_(members) {}

ReplayGainAlbum::~ReplayGainAlbum() = default;

void ReplayGainAlbum::Hold(std::unique_ptr<platform::AtomicFileWriter> output, std::string path,
                           std::unique_ptr<LoudnessMeter> meter,
                           std::unique_ptr<ReplayGainWriter> writer) {
    auto member = std::make_unique<Member>();
    member->track = ReplayGainValues::FromLoudness(meter->Loudness(), meter->Peak());
    member->output = std::move(output);
    member->path = std::move(path);
    member->meter = std::move(meter);
    member->writer = std::move(writer);
    std::lock_guard lock(mutex_);
    members_.push_back(std::move(member));
}

std::vector<ReplayGainAlbum::Placed> ReplayGainAlbum::MemberEnded() {
    std::vector<Member*> held;
    {
        std::lock_guard lock(mutex_);
        if (++ended_ < expected_) {
            return {};
        }
        held = TakeHeld(Every);
    }
    // Every member has ended: no job adds to the album any more.
    const ReplayGainValues album = AlbumValues();
    return Place(held, &album);
}

std::vector<ReplayGainAlbum::Placed> ReplayGainAlbum::Settle() {
    std::vector<Member*> held;
    {
        std::lock_guard lock(mutex_);
        held = TakeHeld(Every);
    }
    return Place(held, nullptr);
}

std::vector<ReplayGainAlbum::Placed>
ReplayGainAlbum::Release(const std::function<bool(const std::string&)>& matches) {
    std::vector<Member*> held;
    {
        std::lock_guard lock(mutex_);
        held = TakeHeld(matches);
    }
    return Place(held, nullptr);
}

void ReplayGainAlbum::Abandon() {
    std::lock_guard lock(mutex_);
    for (const std::unique_ptr<Member>& member : members_) {
        if (member->output != nullptr) {
            member->output->Discard();
        }
    }
}

// The taken members stay in the album (their meters count towards its loudness); only their
// outputs leave, once placed.
std::vector<ReplayGainAlbum::Member*>
ReplayGainAlbum::TakeHeld(const std::function<bool(const std::string&)>& matches) {
    std::vector<Member*> taken;
    for (const std::unique_ptr<Member>& member : members_) {
        if (member->output != nullptr && matches(member->path)) {
            taken.push_back(member.get());
        }
    }
    return taken;
}

std::vector<ReplayGainAlbum::Placed> ReplayGainAlbum::Place(const std::vector<Member*>& members,
                                                            const ReplayGainValues* album) {
    std::vector<Placed> placed;
    for (Member* member : members) {
        platform::AtomicFileWriter& output = *member->output;
        const bool written = member->writer->Write(output, member->track, album) && output.Commit();
        if (!written) {
            ShowJobError(platform::Format(kOutputWriteFailed, member->path.c_str()),
                         output.LastError());
            output.Discard();
        }
        placed.push_back({member->path, written});
        member->output.reset();
    }
    return placed;
}

ReplayGainValues ReplayGainAlbum::AlbumValues() const {
    std::vector<const LoudnessMeter*> meters;
    double peak = 0.0;
    for (const std::unique_ptr<Member>& member : members_) {
        meters.push_back(member->meter.get());
        peak = std::max(peak, member->track.Peak);
    }
    return ReplayGainValues::FromLoudness(LoudnessMeter::Loudness(meters), peak);
}
