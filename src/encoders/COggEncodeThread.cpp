// SPDX-License-Identifier: GPL-3.0-or-later
#include "COggEncodeThread.h"

#include "encoders/JobMessages.h"
#include "platform/CodePage.h"
#include "tags/GenreNames.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

namespace {

constexpr const char* kSetupFailed = "OggVorbisのエンコードの初期化に失敗しました\n"
                                     "申し訳ありませんが、作成者までメールをお願いいたします";

// The input is always stereo: a stored channel count above two would have the encoder read
// channels nobody fills, so such settings encode as stereo, which is also what the settings
// page shows for them.
int EncodedChannels(std::int32_t mode) {
    return mode > 2 ? 2 : mode;
}

bool WritePage(platform::AtomicFileWriter& output, const ogg_page& page) {
    return output.Write(page.header, static_cast<std::size_t>(page.header_len)) &&
           output.Write(page.body, static_cast<std::size_t>(page.body_len));
}

float Sample(const unsigned char* bytes) {
    const auto value = static_cast<std::int16_t>(bytes[0] | bytes[1] << 8);
    return static_cast<float>(value) / 32768.0f;
}

} // namespace

// The library records of one run, all on the worker's stack.
struct COggEncodeThread::Session {
    int channels = 2;
    vorbis_info info{};
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    ogg_stream_state stream{};
};

COggEncodeThread::~COggEncodeThread() {
    StopAndWait();
}

COggEncodeThread::JobEnd COggEncodeThread::Encode(WaveInput& input,
                                                  platform::AtomicFileWriter& output) {
    const OggParm& parm = Input().Ogg;
    Session session;
    session.channels = EncodedChannels(parm.Mode);
    const auto rate = static_cast<long>(input.Format().samplesPerSec);
    vorbis_info_init(&session.info);
    const int refused =
        parm.Custom != 0
            ? vorbis_encode_init(&session.info, session.channels, rate, parm.MaxBitrate,
                                 parm.AveBitrate, parm.MinBitrate)
            : vorbis_encode_init_vbr(&session.info, session.channels, rate, parm.Preset);
    if (refused != 0) {
        vorbis_info_clear(&session.info);
        ShowJobError(kSetupFailed);
        return JobEnd::Failed;
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
    ogg_stream_packetin(&session.stream, &identification);
    ogg_stream_packetin(&session.stream, &comments);
    ogg_stream_packetin(&session.stream, &setup);

    ogg_page page;
    // Flushing every header page makes the audio start on a page of its own.
    while (ogg_stream_flush(&session.stream, &page) != 0) {
        if (!WritePage(output, page)) {
            return JobEnd::WriteFailed;
        }
    }
    if (noAudio) {
        return JobEnd::Converted;
    }

    ogg_packet packet;
    bool endOfStream = false;
    while (!endOfStream) {
        if (StopWasRequested()) {
            return JobEnd::Stopped;
        }
        const std::size_t bytes = input.Read(readBuffer_.data(), readBuffer_.size());
        if (input.Failed()) {
            return JobEnd::ReadFailed;
        }
        // A last frame cut short is dropped; a chunk of less than one frame ends the stream.
        FeedChunk(session, bytes / 4);

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
        Bar().OffsetPos(bytes);
    }
    return JobEnd::Converted;
}

void COggEncodeThread::FeedChunk(Session& session, std::size_t frames) {
    if (frames == 0) {
        vorbis_analysis_wrote(&session.dsp, 0);
        return;
    }
    float** channels = vorbis_analysis_buffer(&session.dsp, static_cast<int>(kChunkFrames));
    const unsigned char* frame = readBuffer_.data();
    if (session.channels == 1) {
        for (std::size_t i = 0; i < frames; ++i, frame += 4) {
            channels[0][i] = (Sample(frame) + Sample(frame + 2)) * 0.5f;
        }
    } else {
        for (std::size_t i = 0; i < frames; ++i, frame += 4) {
            channels[0][i] = Sample(frame);
            channels[1][i] = Sample(frame + 2);
        }
    }
    vorbis_analysis_wrote(&session.dsp, static_cast<int>(frames));
}
