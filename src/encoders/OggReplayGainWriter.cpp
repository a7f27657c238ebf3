// SPDX-License-Identifier: GPL-3.0-or-later
#include "OggReplayGainWriter.h"

OggReplayGainWriter::OggReplayGainWriter(const ogg_packet& identification,
                                         const vorbis_comment& comments, const ogg_packet& setup,
                                         int serial, bool setupEndsStream)
    : identification_(identification.packet, identification.packet + identification.bytes),
      setup_(setup.packet, setup.packet + setup.bytes), serial_(serial),
      setupEndsStream_(setupEndsStream) {
    for (int i = 0; i < comments.comments; ++i) {
        comments_.emplace_back(comments.user_comments[i],
                               static_cast<std::size_t>(comments.comment_lengths[i]));
    }
    const ReplayGainValues widest = ReplayGainValues::Widest();
    commentRoom_ = CommentPacket(&widest, &widest).size();
    pageBytes_ = FreshPages(nullptr, nullptr).size();
}

std::string OggReplayGainWriter::FirstPages(ogg_stream_state& stream) const {
    return Pages(stream, nullptr, nullptr);
}

std::vector<unsigned char> OggReplayGainWriter::CommentPacket(const ReplayGainValues* track,
                                                              const ReplayGainValues* album) const {
    vorbis_comment all;
    vorbis_comment_init(&all);
    for (const std::string& comment : comments_) {
        vorbis_comment_add(&all, comment.c_str());
    }
    if (track != nullptr) {
        for (const auto& [name, value] : ReplayGainValues::Texts(*track, album)) {
            vorbis_comment_add_tag(&all, name.c_str(), value.c_str());
        }
    }
    ogg_packet packet;
    vorbis_commentheader_out(&all, &packet);
    std::vector<unsigned char> bytes(packet.packet, packet.packet + packet.bytes);
    ogg_packet_clear(&packet);
    vorbis_comment_clear(&all);
    return bytes;
}

// Streams of the same serial number lay packets of the same sizes out on the same pages.
std::string OggReplayGainWriter::Pages(ogg_stream_state& stream, const ReplayGainValues* track,
                                       const ReplayGainValues* album) const {
    std::vector<unsigned char> comments = CommentPacket(track, album);
    if (comments.size() > commentRoom_) {
        return {};
    }
    // Bytes after the comment packet's framing bit are ignored by its readers.
    comments.resize(commentRoom_, 0);
    std::vector<unsigned char> identification = identification_;
    std::vector<unsigned char> setup = setup_;
    ogg_packet packets[3] = {};
    packets[0].packet = identification.data();
    packets[0].bytes = static_cast<long>(identification.size());
    packets[0].b_o_s = 1;
    packets[1].packet = comments.data();
    packets[1].bytes = static_cast<long>(comments.size());
    packets[1].packetno = 1;
    packets[2].packet = setup.data();
    packets[2].bytes = static_cast<long>(setup.size());
    packets[2].packetno = 2;
    packets[2].e_o_s = setupEndsStream_ ? 1 : 0;
    for (ogg_packet& packet : packets) {
        ogg_stream_packetin(&stream, &packet);
    }
    std::string pages;
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) {
        pages.append(reinterpret_cast<const char*>(page.header),
                     static_cast<std::size_t>(page.header_len));
        pages.append(reinterpret_cast<const char*>(page.body),
                     static_cast<std::size_t>(page.body_len));
    }
    return pages;
}

std::string OggReplayGainWriter::FreshPages(const ReplayGainValues* track,
                                            const ReplayGainValues* album) const {
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial_);
    std::string pages = Pages(stream, track, album);
    ogg_stream_clear(&stream);
    return pages;
}

bool OggReplayGainWriter::Write(platform::AtomicFileWriter& output, const ReplayGainValues& track,
                                const ReplayGainValues* album) const {
    const std::string pages = FreshPages(&track, album);
    return pages.size() == pageBytes_ && output.WriteAt(0, pages.data(), pages.size());
}
