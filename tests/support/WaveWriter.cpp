// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveWriter.h"

#include "TempDir.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace testsupport {
namespace {

void Put16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    Put16(out, static_cast<std::uint16_t>(value >> 16));
}

} // namespace

std::vector<std::int16_t> StereoTone(std::uint32_t sampleRate, std::size_t frames, double leftHz,
                                     double rightHz, double amplitude) {
    std::vector<std::int16_t> samples(frames * 2);
    const double step = 2.0 * std::numbers::pi / sampleRate;
    for (std::size_t i = 0; i < frames; ++i) {
        samples[2 * i] =
            static_cast<std::int16_t>(32767.0 * amplitude * std::sin(step * leftHz * i));
        samples[2 * i + 1] =
            static_cast<std::int16_t>(32767.0 * amplitude * std::sin(step * rightHz * i));
    }
    return samples;
}

const std::string kPcmSubFormat("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71",
                                16);

std::string Chunk(const std::string& id, const std::string& body, bool pad) {
    std::string out = id.substr(0, 4);
    Put32(out, static_cast<std::uint32_t>(body.size()));
    out += body;
    if (pad && body.size() % 2 != 0) {
        out.push_back('\0');
    }
    return out;
}

std::string ExtensibleExtension(const std::string& subFormat) {
    std::string out;
    Put16(out, 16);
    Put32(out, 0x3);
    return out + subFormat;
}

std::string WaveFileBytes(const WaveHeader& header, const std::string& audio,
                          const std::string& trailingBytes) {
    std::string fmt;
    Put16(fmt, header.formatTag);
    Put16(fmt, header.channels);
    Put32(fmt, header.sampleRate);
    Put32(fmt, header.sampleRate * header.blockAlign);
    Put16(fmt, header.blockAlign);
    Put16(fmt, header.bitsPerSample);
    if (header.fmtSize > 16) {
        Put16(fmt, header.extensionSize);
        fmt += header.extension;
    }
    fmt.resize(header.fmtSize, '\0');
    std::string body =
        "WAVE" + header.chunksBeforeFmt + Chunk("fmt ", fmt) + header.chunksBeforeData + "data";
    Put32(body, header.dataSize.value_or(static_cast<std::uint32_t>(audio.size())));
    body += audio + trailingBytes;
    std::string out = "RIFF";
    Put32(out, static_cast<std::uint32_t>(body.size()));
    return out + body;
}

std::string WaveBytes(const WaveHeader& header, const std::vector<std::int16_t>& samples,
                      const std::string& trailingBytes) {
    std::string data;
    data.reserve(samples.size() * 2);
    for (const std::int16_t sample : samples) {
        Put16(data, static_cast<std::uint16_t>(sample));
    }
    return WaveFileBytes(header, data, trailingBytes);
}

WaveHeader HeaderOf(const SampleFormat& format, FormatHeader kind) {
    const bool isFloat = format.Encoding == SampleEncoding::Float;
    WaveHeader header;
    header.channels = format.Channels;
    header.sampleRate = format.Rate;
    header.blockAlign = static_cast<std::uint16_t>(format.FrameBytes());
    if (kind == FormatHeader::Plain) {
        header.formatTag = isFloat ? 3 : 1;
        header.bitsPerSample = isFloat ? format.Bits : format.ValidBits;
        return header;
    }
    header.formatTag = 0xFFFE;
    header.bitsPerSample = format.Bits;
    header.fmtSize = 40;
    header.extensionSize = 22;
    Put16(header.extension, format.ValidBits);
    Put32(header.extension, format.ChannelMask);
    header.extension += (isFloat ? "\x03" : "\x01") + kPcmSubFormat.substr(1);
    return header;
}

std::string SampleBytes(const SampleFormat& format,
                        const std::vector<std::vector<double>>& channels) {
    const std::size_t frames = channels.empty() ? 0 : channels[0].size();
    const std::size_t bytes = format.Bits / 8;
    std::string out;
    out.reserve(frames * format.FrameBytes());
    for (std::size_t frame = 0; frame < frames; ++frame) {
        for (const std::vector<double>& channel : channels) {
            const double value = channel[frame];
            char stored[8] = {};
            if (format.Encoding == SampleEncoding::Float && bytes == 4) {
                const auto single = static_cast<float>(value);
                std::memcpy(stored, &single, sizeof single);
            } else if (format.Encoding == SampleEncoding::Float) {
                std::memcpy(stored, &value, sizeof value);
            } else {
                // Rounded to the valid bits, then moved to the top of the container.
                const double top = std::ldexp(1.0, format.ValidBits - 1);
                auto sample =
                    static_cast<std::int64_t>(std::clamp(std::round(value * top), -top, top - 1));
                sample *= std::int64_t{1} << (format.Bits - format.ValidBits);
                if (bytes == 1) {
                    sample += 128;
                }
                for (std::size_t i = 0; i < bytes; ++i) {
                    stored[i] =
                        static_cast<char>((static_cast<std::uint64_t>(sample) >> (8 * i)) & 0xFF);
                }
            }
            out.append(stored, bytes);
        }
    }
    return out;
}

std::vector<std::vector<double>> Tones(std::uint32_t sampleRate, std::size_t frames,
                                       const std::vector<double>& hz,
                                       const std::vector<double>& levels) {
    std::vector<std::vector<double>> channels(hz.size(), std::vector<double>(frames));
    const double step = 2.0 * std::numbers::pi / sampleRate;
    for (std::size_t channel = 0; channel < hz.size(); ++channel) {
        for (std::size_t i = 0; i < frames; ++i) {
            channels[channel][i] = levels[channel] * std::sin(step * hz[channel] * i);
        }
    }
    return channels;
}

bool WriteWave(const std::string& path, const SampleFormat& format,
               const std::vector<std::vector<double>>& channels, FormatHeader kind) {
    return WriteFileBytes(path,
                          WaveFileBytes(HeaderOf(format, kind), SampleBytes(format, channels)));
}

bool WriteWave(const std::string& path, const WaveHeader& header,
               const std::vector<std::int16_t>& samples, const std::string& trailingBytes) {
    return WriteFileBytes(path, WaveBytes(header, samples, trailingBytes));
}

double Correlation(const std::vector<float>& a, const std::vector<float>& b) {
    double ab = 0;
    double aa = 0;
    double bb = 0;
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        ab += static_cast<double>(a[i]) * b[i];
        aa += static_cast<double>(a[i]) * a[i];
        bb += static_cast<double>(b[i]) * b[i];
    }
    return aa == 0 || bb == 0 ? 0 : ab / std::sqrt(aa * bb);
}

} // namespace testsupport
