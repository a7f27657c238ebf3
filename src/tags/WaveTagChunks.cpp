// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveTagChunks.h"

#include "Id3v2TagFilter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

constexpr std::int64_t kFirstChunk = 12; // after "RIFF", its size and "WAVE"
constexpr std::uint32_t kSizeUnknown = 0xFFFFFFFF;
constexpr std::array<std::string_view, 6> kInfoFields = {"INAM", "IART", "IPRD",
                                                         "ICRD", "ICMT", "IGNR"};

std::uint32_t Le32(const char* bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    }
    return value;
}

std::uint64_t Le64(const char* bytes) {
    return Le32(bytes) | static_cast<std::uint64_t>(Le32(bytes + 4)) << 32;
}

// As TagLib: the chunk list ends at the first id that is not printable ASCII.
bool IsChunkId(std::string_view id) {
    return std::all_of(id.begin(), id.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

// The fields a row is filled from, in their order; others, and what follows a field cut short
// by the end of the list, are left out.
std::string InfoFields(std::string_view list) {
    std::string kept(list.substr(0, 4));
    list.remove_prefix(4);
    std::size_t fields = 0;
    while (list.size() >= 8 && fields < WaveTagChunks::kMaxInfoFields) {
        const std::uint32_t size = Le32(list.data() + 4);
        if (size > list.size() - 8) {
            break;
        }
        const std::size_t whole = std::min<std::size_t>(8 + size + size % 2, list.size());
        if (std::find(kInfoFields.begin(), kInfoFields.end(), list.substr(0, 4)) !=
            kInfoFields.end()) {
            kept.append(list.substr(0, whole));
            if (whole % 2 != 0) {
                kept += '\0';
            }
            ++fields;
        }
        list.remove_prefix(whole);
    }
    return kept;
}

class ChunkWalk {
public:
    explicit ChunkWalk(platform::File& file) : file_(file), length_(file.Length()) {}

    WaveTagChunks Collect() {
        WaveTagChunks chunks;
        char riff[4];
        if (!ReadAt(0, riff, sizeof riff)) {
            return chunks;
        }
        const bool rf64 = std::memcmp(riff, "RF64", 4) == 0;
        std::uint64_t rf64DataSize = kSizeUnknown;
        std::int64_t offset = kFirstChunk;
        bool haveId3v2 = false;
        bool haveInfo = false;
        for (std::size_t walked = 0; walked < WaveTagChunks::kMaxChunks; ++walked) {
            char header[8];
            if (!ReadAt(offset, header, sizeof header)) {
                break;
            }
            const std::string_view id(header, 4);
            if (!IsChunkId(id)) {
                break;
            }
            const std::int64_t body = offset + 8;
            std::uint64_t size = Le32(header + 4);
            if (rf64 && id == "ds64" && size >= 16) {
                char sizes[16];
                if (ReadAt(body, sizes, sizeof sizes)) {
                    rf64DataSize = Le64(sizes + 8);
                }
            } else if (id == "data" && size == kSizeUnknown) {
                // The audio runs to the end of the file, unless an RF64 header said how far.
                if (!rf64 || rf64DataSize == kSizeUnknown) {
                    break;
                }
                size = rf64DataSize;
            } else if ((id == "id3 " || id == "ID3 ") && !haveId3v2) {
                haveId3v2 = true;
                chunks.Id3v2 = Id3v2TagFilter::Keep(
                    [&](std::uint64_t at, char* buffer, std::size_t wanted) -> std::size_t {
                        if (at >= size) {
                            return 0;
                        }
                        wanted =
                            static_cast<std::size_t>(std::min<std::uint64_t>(wanted, size - at));
                        return file_.Seek(body + static_cast<std::int64_t>(at),
                                          platform::File::Whence::Begin)
                                   ? file_.Read(buffer, wanted)
                                   : 0;
                    },
                    size);
            } else if (id == "LIST" && !haveInfo) {
                const std::string list = Body(body, size);
                if (std::string_view(list).substr(0, 4) == "INFO") {
                    haveInfo = true;
                    chunks.Info = InfoFields(list);
                }
            }
            offset = Next(body, size);
            if (offset < 0) {
                break;
            }
        }
        return chunks;
    }

private:
    bool ReadAt(std::int64_t offset, void* buffer, std::size_t size) {
        return file_.Seek(offset, platform::File::Whence::Begin) &&
               file_.Read(buffer, size) == size;
    }

    // What of a chunk's body the file holds; nothing for a list too large to be a tag.
    std::string Body(std::int64_t body, std::uint64_t size) {
        if (size > WaveTagChunks::kMaxChunkBytes) {
            return {};
        }
        std::string bytes(static_cast<std::size_t>(size), '\0');
        if (!file_.Seek(body, platform::File::Whence::Begin)) {
            return {};
        }
        bytes.resize(file_.Read(bytes.data(), bytes.size()));
        return bytes;
    }

    // The offset of the chunk after one, past its pad byte where there is one (some writers
    // leave it out: a chunk id never begins with a zero byte); -1 past the end of the file.
    std::int64_t Next(std::int64_t body, std::uint64_t size) {
        if (size >= static_cast<std::uint64_t>(length_)) {
            return -1;
        }
        std::int64_t next = body + static_cast<std::int64_t>(size);
        char pad = 1;
        if (size % 2 != 0 && ReadAt(next, &pad, 1) && pad == '\0') {
            ++next;
        }
        return next < length_ ? next : -1;
    }

    platform::File& file_;
    std::int64_t length_;
};

} // namespace

WaveTagChunks WaveTagChunks::Read(platform::File& file) {
    file.SetReadEnd(-1);
    return ChunkWalk(file).Collect();
}
