// SPDX-License-Identifier: GPL-3.0-or-later
#include "LameTagReplayGain.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

// Where each field lies from the start of the LAME extension.
constexpr std::size_t kPeakAt = 11;
constexpr std::size_t kRadioAt = 15;
constexpr std::size_t kAudiophileAt = 17;
constexpr std::size_t kCrcAt = 34;
constexpr std::size_t kExtensionBytes = 36;

// The Xing fields that follow the tag and its flags, each present when its flag is set.
constexpr std::size_t kXingFieldBytes[] = {4, 4, 100, 4};

// Gain field: name code, originator code, sign bit and the gain in tenths of a dB.
constexpr unsigned kRadioName = 1;
constexpr unsigned kAudiophileName = 2;
constexpr unsigned kSetAutomatically = 3;
constexpr long kMostTenths = 0x1FF;

// CRC-16 with the polynomial x^16 + x^15 + x^2 + 1, least significant bit first, from 0.
constexpr std::array<std::uint16_t, 256> kCrcTable = [] {
    std::array<std::uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned crc = byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1;
        }
        table[byte] = static_cast<std::uint16_t>(crc);
    }
    return table;
}();

std::uint16_t Crc16(std::span<const std::uint8_t> bytes) {
    unsigned crc = 0;
    for (const std::uint8_t byte : bytes) {
        crc = (crc >> 8) ^ kCrcTable[(crc ^ byte) & 0xFF];
    }
    return static_cast<std::uint16_t>(crc);
}

std::uint32_t ReadBigEndian(const std::uint8_t* at, std::size_t bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        value = value << 8 | at[i];
    }
    return value;
}

void WriteBigEndian(std::uint8_t* at, std::uint32_t value, std::size_t bytes) {
    for (std::size_t i = bytes; i-- > 0; value >>= 8) {
        at[i] = static_cast<std::uint8_t>(value);
    }
}

// The side information's length decides where the Xing tag starts; 0 for no Layer III header.
std::size_t SideInfoBytes(std::span<const std::uint8_t> frame) {
    if (frame.size() < 4 || frame[0] != 0xFF || (frame[1] & 0xE0) != 0xE0) {
        return 0;
    }
    const unsigned version = (frame[1] >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const unsigned layer = (frame[1] >> 1) & 3;   // 1: Layer III
    const unsigned bitrate = frame[2] >> 4;
    const unsigned rate = (frame[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrate == 15 || rate == 3) {
        return 0;
    }
    const bool mono = (frame[3] >> 6) == 3;
    if (version == 3) {
        return mono ? 17 : 32;
    }
    return mono ? 9 : 17;
}

// Where the LAME extension starts, or 0 when the frame holds none.
std::size_t ExtensionAt(std::span<const std::uint8_t> frame) {
    const std::size_t sideInfo = SideInfoBytes(frame);
    if (sideInfo == 0) {
        return 0;
    }
    std::size_t at = 4 + sideInfo;
    if (frame.size() < at + 8 ||
        (std::memcmp(&frame[at], "Xing", 4) != 0 && std::memcmp(&frame[at], "Info", 4) != 0)) {
        return 0;
    }
    const std::uint32_t flags = ReadBigEndian(&frame[at + 4], 4);
    at += 8;
    for (std::size_t field = 0; field < std::size(kXingFieldBytes); ++field) {
        if ((flags & (1u << field)) != 0) {
            at += kXingFieldBytes[field];
        }
    }
    if (frame.size() < at + kExtensionBytes || std::memcmp(&frame[at], "LAME", 4) != 0 ||
        Crc16(frame.first(at + kCrcAt)) != ReadBigEndian(&frame[at + kCrcAt], 2)) {
        return 0;
    }
    return at;
}

std::uint16_t GainField(unsigned name, double gain) {
    // lame rounds halves up, towards plus infinity.
    const long tenths =
        std::clamp(static_cast<long>(std::floor(gain * 10.0 + 0.5)), -kMostTenths, kMostTenths);
    const unsigned sign = tenths < 0 ? 1 : 0;
    return static_cast<std::uint16_t>(name << 13 | kSetAutomatically << 10 | sign << 9 |
                                      static_cast<unsigned>(std::labs(tenths)));
}

std::uint32_t PeakField(double peak) {
    // lame keeps it in a signed 32-bit integer.
    constexpr double kMost = 0x7FFFFFFF;
    return static_cast<std::uint32_t>(std::clamp(std::floor(peak * (1 << 23) + 0.5), 0.0, kMost));
}

} // namespace

bool LameTagReplayGain::Write(std::span<std::uint8_t> frame, const ReplayGainValues& track,
                              const std::optional<ReplayGainValues>& album) {
    const std::size_t at = ExtensionAt(frame);
    if (at == 0) {
        return false;
    }
    WriteBigEndian(&frame[at + kPeakAt], PeakField(track.Peak), 4);
    WriteBigEndian(&frame[at + kRadioAt], GainField(kRadioName, track.Gain), 2);
    WriteBigEndian(&frame[at + kAudiophileAt],
                   album.has_value() ? GainField(kAudiophileName, album->Gain) : 0, 2);
    WriteBigEndian(&frame[at + kCrcAt], Crc16(frame.first(at + kCrcAt)), 2);
    return true;
}
