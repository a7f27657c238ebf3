// SPDX-License-Identifier: GPL-3.0-or-later
#include "COggEncodeThread.h"

#include "audio/ChannelMap.h"
#include "encoders/JobMessages.h"
#include "encoders/LoudnessMeter.h"
#include "encoders/OggReplayGainWriter.h"
#include "encoders/Resampler.h"
#include "encoders/VorbisSetup.h"
#include "platform/CodePage.h"
#include "tags/GenreNames.h"

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
    std::unique_ptr<OggReplayGainWriter> valuesWriter;
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
    if (end == JobEnd::Converted && session.meter != nullptr) {
        KeepReplayGain(std::move(session.meter), std::move(session.valuesWriter));
    }

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
        session.valuesWriter = std::make_unique<OggReplayGainWriter>(
            identification, session.comment, setup, session.stream.serialno, noAudio);
        if (!output.Write(session.valuesWriter->FirstPages(session.stream))) {
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
        return JobEnd::Converted;
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
    return JobEnd::Converted;
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
