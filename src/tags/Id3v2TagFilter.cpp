// SPDX-License-Identifier: GPL-3.0-or-later
#include "Id3v2TagFilter.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

constexpr std::size_t kHeaderBytes = 10;
constexpr unsigned char kUnsynchronised = 0x80;
constexpr unsigned char kExtendedHeader = 0x40;
// In a 2.2 header the bit of the extended header means a compressed tag, which has no scheme.
constexpr unsigned char kCompressedTag22 = 0x40;

// Frames of 2.2 have three-letter ids, those of 2.3 and 2.4 four; TagLib maps the old ones
// (and 2.3's year, date and time) to the 2.4 frames the reader asks for.
constexpr std::array<std::string_view, 15> kWantedIds = {"TT2",  "TP1",  "TAL",  "TYE",  "COM",
                                                         "TCO",  "TIT2", "TPE1", "TALB", "TYER",
                                                         "TDAT", "TIME", "TDRC", "COMM", "TCON"};

std::uint32_t BigEndian(std::string_view bytes) {
    std::uint32_t value = 0;
    for (const char byte : bytes) {
        value = value << 8 | static_cast<unsigned char>(byte);
    }
    return value;
}

// Sizes in 2.4 are 7 bits a byte; some writers put plain integers there, which TagLib accepts
// too when a byte has its top bit set.
std::uint32_t SyncSafe(std::string_view bytes) {
    std::uint32_t value = 0;
    for (const char byte : bytes) {
        if ((static_cast<unsigned char>(byte) & 0x80) != 0) {
            return BigEndian(bytes);
        }
        value = value << 7 | static_cast<unsigned char>(byte);
    }
    return value;
}

std::string SyncSafeBytes(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 3; i >= 0; --i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(value & 0x7F);
        value >>= 7;
    }
    return bytes;
}

// 0xFF 0x00 stands for 0xFF in unsynchronised data.
std::string Resynchronised(const std::string& data) {
    std::string plain;
    plain.reserve(data.size());
    for (std::size_t i = 0; i < data.size(); ++i) {
        plain += data[i];
        if (static_cast<unsigned char>(data[i]) == 0xFF && i + 1 < data.size() &&
            data[i + 1] == '\0') {
            ++i;
        }
    }
    return plain;
}

struct FrameLayout {
    std::size_t IdBytes;
    std::size_t HeaderBytes;
    unsigned char Excluded; ///< bits of the second flag byte: compressed or encrypted
};

FrameLayout LayoutOf(unsigned char version) {
    switch (version) {
    case 2:
        return {3, 6, 0};
    case 3:
        return {4, 10, 0x80 | 0x40};
    default:
        return {4, 10, 0x08 | 0x04};
    }
}

bool IsWanted(std::string_view id) {
    return std::find(kWantedIds.begin(), kWantedIds.end(), id) != kWantedIds.end();
}

// The frames of a tag's body (after its header and any extended header), from offset to end.
std::string WantedFrames(const Id3v2TagFilter::ReadAt& read, std::uint64_t offset,
                         std::uint64_t end, unsigned char version) {
    const FrameLayout layout = LayoutOf(version);
    const std::size_t sizeBytes = layout.HeaderBytes - layout.IdBytes - (version == 2 ? 0 : 2);
    std::string frames;
    std::size_t kept = 0;
    for (std::size_t walked = 0;
         walked < Id3v2TagFilter::kMaxFramesWalked && kept < Id3v2TagFilter::kMaxFrames &&
         end - offset >= layout.HeaderBytes;
         ++walked) {
        char header[kHeaderBytes];
        if (read(offset, header, layout.HeaderBytes) != layout.HeaderBytes || header[0] == '\0') {
            break;
        }
        const std::string_view id(header, layout.IdBytes);
        const std::string_view sizeField(header + layout.IdBytes, sizeBytes);
        const std::uint64_t size = version == 4 ? SyncSafe(sizeField) : BigEndian(sizeField);
        if (size == 0 || size > end - offset - layout.HeaderBytes) {
            break;
        }
        const bool excluded =
            (static_cast<unsigned char>(header[layout.HeaderBytes - 1]) & layout.Excluded) != 0;
        const std::uint64_t whole = layout.HeaderBytes + size;
        if (IsWanted(id) && !excluded && frames.size() + whole <= Id3v2TagFilter::kMaxBytes) {
            const std::size_t at = frames.size();
            frames.resize(at + whole);
            if (read(offset, frames.data() + at, whole) != whole) {
                frames.resize(at);
                break;
            }
            ++kept;
        }
        offset += whole;
    }
    return frames;
}

} // namespace

std::string Id3v2TagFilter::Keep(const ReadAt& read, std::uint64_t tagBytes) {
    char header[kHeaderBytes];
    if (tagBytes < kHeaderBytes || read(0, header, kHeaderBytes) != kHeaderBytes ||
        std::string_view(header, 3) != "ID3") {
        return {};
    }
    const auto version = static_cast<unsigned char>(header[3]);
    const auto flags = static_cast<unsigned char>(header[5]);
    if (version < 2 || version > 4 || (version == 2 && (flags & kCompressedTag22) != 0)) {
        return {};
    }
    std::uint64_t offset = kHeaderBytes;
    std::uint64_t end =
        kHeaderBytes + std::min<std::uint64_t>(SyncSafe({header + 6, 4}), tagBytes - kHeaderBytes);
    ReadAt source = read;
    std::string plain;
    if (version <= 3 && (flags & kUnsynchronised) != 0) {
        if (end - offset > kMaxBytes) {
            return {};
        }
        std::string stored(end - offset, '\0');
        stored.resize(read(offset, stored.data(), stored.size()));
        plain = Resynchronised(stored);
        source = [&plain](std::uint64_t at, char* buffer, std::size_t size) {
            if (at >= plain.size()) {
                return std::size_t{0};
            }
            const std::size_t n = std::min(size, plain.size() - static_cast<std::size_t>(at));
            std::copy_n(plain.data() + at, n, buffer);
            return n;
        };
        offset = 0;
        end = plain.size();
    }
    if (version >= 3 && (flags & kExtendedHeader) != 0) {
        char size[4];
        if (end - offset < sizeof size || source(offset, size, sizeof size) != sizeof size) {
            return {};
        }
        // 2.3 counts the bytes after the size field, 2.4 the whole extended header.
        const std::uint64_t extended =
            version == 3 ? 4 + std::uint64_t{BigEndian({size, 4})} : SyncSafe({size, 4});
        offset += std::min(extended, end - offset);
    }
    const std::string frames = WantedFrames(source, offset, end, version);
    if (frames.empty()) {
        return {};
    }
    std::string filtered = "ID3";
    filtered += static_cast<char>(version);
    filtered += '\0'; // revision
    filtered += '\0'; // flags: no unsynchronisation, no extended header left
    filtered += SyncSafeBytes(static_cast<std::uint32_t>(frames.size()));
    return filtered + frames;
}
