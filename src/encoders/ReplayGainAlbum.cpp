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

void ReplayGainAlbum::Hold(Output output) {
    // A meter kept until the album's end keeps no thread.
    output.Meter->Finish();
    auto member = std::make_unique<Member>();
    member->track =
        ReplayGainValues::FromLoudness(output.Meter->Loudness(), output.Meter->Peak());
    member->output = std::move(output);
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
        if (member->output.File != nullptr) {
            member->output.File->Discard();
            member->output.File.reset();
        }
    }
}

// The taken members stay in the album (their meters count towards its loudness); only their
// outputs leave, once placed.
std::vector<ReplayGainAlbum::Member*>
ReplayGainAlbum::TakeHeld(const std::function<bool(const std::string&)>& matches) {
    std::vector<Member*> taken;
    for (const std::unique_ptr<Member>& member : members_) {
        if (member->output.File != nullptr && matches(member->output.Path)) {
            taken.push_back(member.get());
        }
    }
    return taken;
}

std::vector<ReplayGainAlbum::Placed> ReplayGainAlbum::Place(const std::vector<Member*>& members,
                                                            const ReplayGainValues* album) {
    std::vector<Placed> placed;
    for (Member* member : members) {
        Output& output = member->output;
        const bool written =
            output.Writer->Write(*output.File, member->track, album) && output.File->Commit();
        if (!written) {
            ShowJobError(platform::Format(kOutputWriteFailed, output.Path.c_str()),
                         output.File->LastError());
            output.File->Discard();
        }
        output.File.reset();
        if (output.Folders != nullptr) {
            output.Folders->Release(output.Path);
        }
        placed.push_back({output.Path, written});
    }
    return placed;
}

ReplayGainValues ReplayGainAlbum::AlbumValues() const {
    std::vector<const LoudnessMeter*> meters;
    double peak = 0.0;
    for (const std::unique_ptr<Member>& member : members_) {
        meters.push_back(member->output.Meter.get());
        peak = std::max(peak, member->track.Peak);
    }
    return ReplayGainValues::FromLoudness(LoudnessMeter::Loudness(meters), peak);
}
