// SPDX-License-Identifier: GPL-3.0-or-later
#include "VorbisSetup.h"

#include "audio/SampleFormat.h"

#include <cstdlib>
#include <vorbis/vorbisenc.h>

namespace {

// libvorbisenc's set-ups each cover thousands of hertz: a step this size finds the nearest
// one, whose edge is then sought to the hertz.
constexpr long kStep = 1000;

bool Accepts(const OggParm& parm, int channels, long rate) {
    vorbis_info info;
    vorbis_info_init(&info);
    const int refused = parm.Custom != 0
                            ? vorbis_encode_setup_managed(&info, channels, rate, parm.MaxBitrate,
                                                          parm.AveBitrate, parm.MinBitrate)
                            : vorbis_encode_setup_vbr(&info, channels, rate, parm.Preset);
    vorbis_info_clear(&info);
    return refused == 0;
}

// The accepted rate nearest to a refused one in one direction (+1 or -1); 0 when none.
long NearestInDirection(const OggParm& parm, int channels, long rate, long direction) {
    long refused = rate;
    for (;;) {
        long next = refused + direction * kStep;
        if (next < static_cast<long>(SampleFormat::kMinRate)) {
            next = SampleFormat::kMinRate;
        } else if (next > static_cast<long>(SampleFormat::kMaxRate)) {
            next = SampleFormat::kMaxRate;
        }
        if (next == refused) {
            return 0;
        }
        if (Accepts(parm, channels, next)) {
            long accepted = next;
            while (std::labs(accepted - refused) > 1) {
                const long middle = refused + (accepted - refused) / 2;
                (Accepts(parm, channels, middle) ? accepted : refused) = middle;
            }
            return accepted;
        }
        refused = next;
    }
}

int Init(vorbis_info& info, const OggParm& parm, int channels, long rate) {
    return parm.Custom != 0 ? vorbis_encode_init(&info, channels, rate, parm.MaxBitrate,
                                                 parm.AveBitrate, parm.MinBitrate)
                            : vorbis_encode_init_vbr(&info, channels, rate, parm.Preset);
}

} // namespace

long SetUpVorbis(vorbis_info& info, const OggParm& parm, int channels, long rate) {
    if (Init(info, parm, channels, rate) == 0) {
        return rate;
    }
    vorbis_info_clear(&info);
    const long down = NearestInDirection(parm, channels, rate, -1);
    const long up = NearestInDirection(parm, channels, rate, 1);
    const long nearest = down == 0 ? up : up == 0 || rate - down <= up - rate ? down : up;
    if (nearest == 0) {
        return 0;
    }
    vorbis_info_init(&info);
    if (Init(info, parm, channels, nearest) == 0) {
        return nearest;
    }
    vorbis_info_clear(&info);
    return 0;
}
