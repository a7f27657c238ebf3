// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveWriter.h"

#include "TempDir.h"

#include <algorithm>
#include <cmath>
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

std::string WaveBytes(const WaveHeader& header, const std::vector<std::int16_t>& samples,
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
    std::string data;
    data.reserve(samples.size() * 2);
    for (const std::int16_t sample : samples) {
        Put16(data, static_cast<std::uint16_t>(sample));
    }
    std::string body =
        "WAVE" + header.chunksBeforeFmt + Chunk("fmt ", fmt) + header.chunksBeforeData + "data";
    Put32(body, header.dataSize.value_or(static_cast<std::uint32_t>(data.size())));
    body += data + trailingBytes;
    std::string out = "RIFF";
    Put32(out, static_cast<std::uint32_t>(body.size()));
    return out + body;
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
