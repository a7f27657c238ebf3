// SPDX-License-Identifier: GPL-3.0-or-later
#include "SampleFormat.h"

#include "platform/Format.h"

const char* const kAcceptedFormatsText =
    "　PCM(8/16/24/32bit)または浮動小数点(32/64bit)、1～8チャンネル、\n"
    "　8000Hz～192000Hzとなっています";

bool SampleFormat::IsSupported() const {
    const bool bits = Encoding == SampleEncoding::Float
                          ? (Bits == 32 || Bits == 64)
                          : (Bits == 8 || Bits == 16 || Bits == 24 || Bits == 32) &&
                                ValidBits >= 1 && ValidBits <= Bits;
    return bits && Channels >= 1 && Channels <= kMaxChannels && Rate >= kMinRate &&
           Rate <= kMaxRate;
}

std::string SampleFormat::Describe() const {
    std::string channels;
    switch (Channels) {
    case 1:
        channels = "Mono";
        break;
    case 2:
        channels = "Stereo";
        break;
    case 6:
        channels = "5.1ch";
        break;
    case 8:
        channels = "7.1ch";
        break;
    default:
        channels = platform::Format("%uch", static_cast<unsigned>(Channels));
        break;
    }
    const bool isFloat = Encoding == SampleEncoding::Float;
    return platform::Format("%ubit%s %s %uHz", static_cast<unsigned>(isFloat ? Bits : ValidBits),
                            isFloat ? " float" : "", channels.c_str(), Rate);
}
