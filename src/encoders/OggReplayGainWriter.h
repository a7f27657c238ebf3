// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "encoders/ReplayGainWriter.h"

#include <cstddef>
#include <string>
#include <vector>
#include <vorbis/codec.h>

/// The header pages of an Ogg Vorbis stream whose comment packet keeps room for the values: the
/// pages are first written with the comments alone, and written again, of the same size, with
/// the values once they are known. Only the comments and the pages' checksums change; every
/// page keeps its place.
class OggReplayGainWriter : public ReplayGainWriter {
public:
    /// The stream's three header packets as libvorbis gave them, its serial number, and whether
    /// the setup packet ends the stream (a stream without audio).
    OggReplayGainWriter(const ogg_packet& identification, const vorbis_comment& comments,
                        const ogg_packet& setup, int serial, bool setupEndsStream);
    /// The header pages without values, out of the stream that goes on with the audio.
    std::string FirstPages(ogg_stream_state& stream) const;
    bool Write(platform::AtomicFileWriter& output, const ReplayGainValues& track,
               const ReplayGainValues* album) const override;

private:
    std::string Pages(ogg_stream_state& stream, const ReplayGainValues* track,
                      const ReplayGainValues* album) const;
    /// The same out of a new stream of the serial number.
    std::string FreshPages(const ReplayGainValues* track, const ReplayGainValues* album) const;
    std::vector<unsigned char> CommentPacket(const ReplayGainValues* track,
                                             const ReplayGainValues* album) const;

    std::vector<unsigned char> identification_;
    std::vector<std::string> comments_;
    std::vector<unsigned char> setup_;
    int serial_;
    bool setupEndsStream_;
    std::size_t commentRoom_ = 0;
    std::size_t pageBytes_ = 0;
};
