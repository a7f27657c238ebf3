// SPDX-License-Identifier: GPL-3.0-or-later
#include "COggEncodeThread.h"

#include "audio/ChannelMap.h"
#include "encoders/JobMessages.h"
#include "encoders/LoudnessMeter.h"
#include "encoders/Resampler.h"
#include "encoders/VorbisSetup.h"
#include "platform/CodePage.h"
#include "tags/GenreNames.h"
#include "tags/ReplayGainValues.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <utility>
#include <vorbis/codec.h>

namespace {

constexpr const char* kSetupFailed = "OggVorbisのエンコードの初期化に失敗しました\n"
                                     "申し訳ありませんが、作成者までメールをお願いいたします";

// Mode chooses between stereo and mono for a stereo input only: a mono input stays mono, and
// more channels are all kept. A stored count above two encodes a stereo input as stereo, which
// is also what the settings page shows for it.
int EncodedChannels(std::int32_t mode, const SampleFormat& format) {
    if (format.Channels != 2) {
        return format.Channels;
    }
    return mode > 2 ? 2 : mode;
}

// The comment packet of the comments followed by the values.
std::vector<unsigned char> CommentPacket(const vorbis_comment& comments,
                                         const ReplayGainValues& values) {
    vorbis_comment all;
    vorbis_comment_init(&all);
    for (int i = 0; i < comments.comments; ++i) {
        vorbis_comment_add(&all, comments.user_comments[i]);
    }
    for (const auto& [name, value] : values.TrackTexts()) {
        vorbis_comment_add_tag(&all, name.c_str(), value.c_str());
    }
    ogg_packet packet;
    vorbis_commentheader_out(&all, &packet);
    std::vector<unsigned char> bytes(packet.packet, packet.packet + packet.bytes);
    ogg_packet_clear(&packet);
    vorbis_comment_clear(&all);
    return bytes;
}

bool WritePage(platform::AtomicFileWriter& output, const ogg_page& page) {
    return output.Write(page.header, static_cast<std::size_t>(page.header_len)) &&
           output.Write(page.body, static_cast<std::size_t>(page.body_len));
}

} // namespace

// The library records of one run, all on the worker's stack.
struct COggEncodeThread::Session {
    int channels = 2;
    /// The input channel each channel of the stream carries, in Vorbis order.
    std::array<std::size_t, SampleFormat::kMaxChannels> order{};
    /// Present when libvorbisenc has no set-up for the input's own rate.
    std::unique_ptr<Resampler> resampler;
    vorbis_info info{};
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    ogg_stream_state stream{};
    /// Present when ReplayGain values are written.
    std::unique_ptr<LoudnessMeter> meter;
    /// The identification and setup packets, kept to write the header pages again.
    std::vector<unsigned char> identification;
    std::vector<unsigned char> setup;
    bool setupEndsStream = false;
    /// The comment packet's bytes with room for the values, and the header pages' bytes.
    std::size_t commentRoom = 0;
    std::size_t headerBytes = 0;
};

COggEncodeThread::~COggEncodeThread() {
    StopAndWait();
}

COggEncodeThread::JobEnd COggEncodeThread::Encode(WaveInput& input,
                                                  platform::AtomicFileWriter& output) {
    const OggParm& parm = Input().Ogg;
    Session session;
    const SampleFormat& format = input.Format();
    session.channels = EncodedChannels(parm.Mode, format);
    if (session.channels == format.Channels) {
        session.order = ChannelMap(format).VorbisOrder();
    }
    const auto rate = static_cast<long>(format.Rate);
    vorbis_info_init(&session.info);
    const long encodedRate = SetUpVorbis(session.info, parm, session.channels, rate);
    if (encodedRate != rate && encodedRate != 0) {
        session.resampler =
            std::make_unique<Resampler>(rate, encodedRate, static_cast<unsigned>(session.channels));
        if (!session.resampler->Ready()) {
            vorbis_info_clear(&session.info);
        }
    }
    if (encodedRate == 0 || (session.resampler != nullptr && !session.resampler->Ready())) {
        ShowJobError(kSetupFailed);
        return JobEnd::Failed;
    }
    if (Input().ReplayGain) {
        std::array<std::uint32_t, SampleFormat::kMaxChannels> speakers{};
        const ChannelMap map(format);
        for (std::size_t channel = 0; channel < format.Channels; ++channel) {
            speakers[channel] = map.SpeakerOf(session.order[channel]);
        }
        const bool kept = session.channels == format.Channels && session.channels > 2;
        session.meter = std::make_unique<LoudnessMeter>(static_cast<std::size_t>(session.channels),
                                                        static_cast<unsigned long>(encodedRate),
                                                        kept ? speakers.data() : nullptr);
    }
    vorbis_comment_init(&session.comment);
    AddComments(session);
    vorbis_analysis_init(&session.dsp, &session.info);
    vorbis_block_init(&session.dsp, &session.block);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    ogg_stream_init(&session.stream, std::rand());

    const JobEnd end = Stream(session, input, output);

    ogg_stream_clear(&session.stream);
    vorbis_block_clear(&session.block);
    vorbis_dsp_clear(&session.dsp);
    vorbis_comment_clear(&session.comment);
    vorbis_info_clear(&session.info);
    return end;
}

void COggEncodeThread::AddComments(Session& session) const {
    const EncodeItem& item = Input().Item;
    vorbis_comment_add_tag(&session.comment, "TITLE", platform::RepairUtf8(item.Title).c_str());
    vorbis_comment_add_tag(&session.comment, "ARTIST", platform::RepairUtf8(item.Artist).c_str());
    vorbis_comment_add_tag(&session.comment, "ALBUM", platform::RepairUtf8(item.Album).c_str());
    vorbis_comment_add_tag(&session.comment, "DATE", platform::RepairUtf8(item.Year).c_str());
    vorbis_comment_add_tag(&session.comment, "COMMENT", platform::RepairUtf8(item.Comment).c_str());
    if (item.Genre < GenreNames.size()) {
        const std::string genre(GenreNames[item.Genre]);
        vorbis_comment_add_tag(&session.comment, "GENRE", genre.c_str());
    }
}

COggEncodeThread::JobEnd COggEncodeThread::Stream(Session& session, WaveInput& input,
                                                  platform::AtomicFileWriter& output) {
    ogg_packet identification;
    ogg_packet comments;
    ogg_packet setup;
    vorbis_analysis_headerout(&session.dsp, &session.comment, &identification, &comments, &setup);
    // Without audio the stream ends with its headers: an audio page would claim a granule
    // position of 0, which checkers take for a faulty encoder's.
    const bool noAudio = input.AudioBytes() == 0;
    setup.e_o_s = noAudio ? 1 : 0;
    ogg_page page;
    if (session.meter != nullptr) {
        session.identification.assign(identification.packet,
                                      identification.packet + identification.bytes);
        session.setup.assign(setup.packet, setup.packet + setup.bytes);
        session.setupEndsStream = noAudio;
        session.commentRoom = CommentPacket(session.comment, ReplayGainValues::Widest()).size();
        const std::string pages = HeaderPages(session, session.stream,
                                              {comments.packet, comments.packet + comments.bytes});
        session.headerBytes = pages.size();
        if (!output.Write(pages)) {
            return JobEnd::WriteFailed;
        }
    } else {
        ogg_stream_packetin(&session.stream, &identification);
        ogg_stream_packetin(&session.stream, &comments);
        ogg_stream_packetin(&session.stream, &setup);
        // Flushing every header page makes the audio start on a page of its own.
        while (ogg_stream_flush(&session.stream, &page) != 0) {
            if (!WritePage(output, page)) {
                return JobEnd::WriteFailed;
            }
        }
    }
    if (noAudio) {
        return FillReplayGain(session, output);
    }

    ogg_packet packet;
    bool endOfStream = false;
    while (!endOfStream) {
        if (StopWasRequested()) {
            return JobEnd::Stopped;
        }
        const std::size_t frames = block_.Read(input);
        if (input.Failed()) {
            return JobEnd::ReadFailed;
        }
        // No frame ends the stream.
        FeedChunk(session, input.Format().Channels);

        while (vorbis_analysis_blockout(&session.dsp, &session.block) != 0) {
            if (StopWasRequested()) {
                return JobEnd::Stopped;
            }
            vorbis_analysis(&session.block, nullptr);
            vorbis_bitrate_addblock(&session.block);
            while (vorbis_bitrate_flushpacket(&session.dsp, &packet) != 0) {
                if (StopWasRequested()) {
                    return JobEnd::Stopped;
                }
                ogg_stream_packetin(&session.stream, &packet);
                while (!endOfStream) {
                    if (StopWasRequested()) {
                        return JobEnd::Stopped;
                    }
                    if (ogg_stream_pageout(&session.stream, &page) == 0) {
                        break;
                    }
                    if (!WritePage(output, page)) {
                        return JobEnd::WriteFailed;
                    }
                    endOfStream = ogg_page_eos(&page) != 0;
                }
            }
        }
        Bar().OffsetPos(frames * input.Format().FrameBytes());
    }
    return FillReplayGain(session, output);
}

// Written through the open file over the first pages: the comment packet keeps its size, so
// every page keeps its place and only the comments and the pages' checksums change.
COggEncodeThread::JobEnd COggEncodeThread::FillReplayGain(Session& session,
                                                          platform::AtomicFileWriter& output) {
    if (session.meter == nullptr) {
        return JobEnd::Converted;
    }
    const auto track =
        ReplayGainValues::FromLoudness(session.meter->Loudness(), session.meter->Peak());
    const std::vector<unsigned char> packet = CommentPacket(session.comment, track);
    std::string pages;
    if (packet.size() <= session.commentRoom) {
        ogg_stream_state stream;
        ogg_stream_init(&stream, session.stream.serialno);
        pages = HeaderPages(session, stream, packet);
        ogg_stream_clear(&stream);
    }
    if (pages.size() != session.headerBytes) {
        ShowJobError(kSetupFailed);
        return JobEnd::Failed;
    }
    return output.WriteAt(0, pages.data(), pages.size()) ? JobEnd::Converted : JobEnd::WriteFailed;
}

// Streams of the same serial number lay packets of the same sizes out on the same pages.
std::string COggEncodeThread::HeaderPages(const Session& session, ogg_stream_state& stream,
                                          std::vector<unsigned char> comments) {
    // Bytes after the comment packet's framing bit are ignored by its readers.
    std::vector<unsigned char> padded = std::move(comments);
    padded.resize(session.commentRoom, 0);
    ogg_packet packets[3] = {};
    std::vector<unsigned char> identification = session.identification;
    std::vector<unsigned char> setup = session.setup;
    packets[0].packet = identification.data();
    packets[0].bytes = static_cast<long>(session.identification.size());
    packets[0].b_o_s = 1;
    packets[1].packet = padded.data();
    packets[1].bytes = static_cast<long>(padded.size());
    packets[1].packetno = 1;
    packets[2].packet = setup.data();
    packets[2].bytes = static_cast<long>(session.setup.size());
    packets[2].packetno = 2;
    packets[2].e_o_s = session.setupEndsStream ? 1 : 0;
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

void COggEncodeThread::FeedChunk(Session& session, std::size_t inputChannels) {
    const std::size_t frames = block_.Frames();
    const auto channels = static_cast<std::size_t>(session.channels);
    std::array<const float*, SampleFormat::kMaxChannels> sources{};
    if (channels < inputChannels) {
        // A stereo input in mono mode.
        float* mixed = block_.Channel(0);
        const float* right = block_.Channel(1);
        for (std::size_t i = 0; i < frames; ++i) {
            mixed[i] = (mixed[i] + right[i]) * 0.5f;
        }
        sources[0] = mixed;
    } else {
        for (std::size_t channel = 0; channel < channels; ++channel) {
            sources[channel] = block_.Channel(session.order[channel]);
        }
    }
    if (session.resampler != nullptr) {
        Resample(session, frames == 0 ? nullptr : sources.data(), frames);
        return;
    }
    if (frames == 0) {
        vorbis_analysis_wrote(&session.dsp, 0);
        return;
    }
    float** buffer =
        vorbis_analysis_buffer(&session.dsp, static_cast<int>(WaveInput::kBlockFrames));
    for (std::size_t channel = 0; channel < channels; ++channel) {
        std::copy(sources[channel], sources[channel] + frames, buffer[channel]);
    }
    if (session.meter != nullptr) {
        session.meter->AddPlanar(buffer, frames);
    }
    vorbis_analysis_wrote(&session.dsp, static_cast<int>(frames));
}

// Hands the frames through the resampler; no sources means the input has ended, and what the
// resampler still holds goes out before the stream's end.
void COggEncodeThread::Resample(Session& session, const float* const* sources, std::size_t frames) {
    const auto channels = static_cast<std::size_t>(session.channels);
    std::array<const float*, SampleFormat::kMaxChannels> rest{};
    if (sources != nullptr) {
        std::copy(sources, sources + channels, rest.begin());
    }
    for (;;) {
        float** buffer =
            vorbis_analysis_buffer(&session.dsp, static_cast<int>(WaveInput::kBlockFrames));
        std::size_t taken = 0;
        const std::size_t written =
            session.resampler->Process(sources != nullptr ? rest.data() : nullptr, frames, taken,
                                       buffer, WaveInput::kBlockFrames);
        // Writing no frames would end the stream.
        if (written != 0) {
            if (session.meter != nullptr) {
                session.meter->AddPlanar(buffer, written);
            }
            vorbis_analysis_wrote(&session.dsp, static_cast<int>(written));
        }
        if (sources == nullptr) {
            if (written == 0) {
                vorbis_analysis_wrote(&session.dsp, 0);
                return;
            }
            continue;
        }
        for (std::size_t channel = 0; channel < channels; ++channel) {
            rest[channel] += taken;
        }
        frames -= taken;
        if (frames == 0 || (taken == 0 && written == 0)) {
            return;
        }
    }
}
