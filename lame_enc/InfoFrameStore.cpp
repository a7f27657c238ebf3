// SPDX-License-Identifier: GPL-3.0-or-later
#include "InfoFrameStore.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace lameenc {
namespace {

constexpr std::uint64_t kId3v1Bytes = 128;
constexpr std::size_t kId3v2HeaderBytes = 10;

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

bool ReadAt(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
    auto* bytes = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t n = ::pread(fd, bytes, size, static_cast<off_t>(offset));
        if (n <= 0) {
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool WriteAt(int fd, const void* buffer, std::size_t size, std::uint64_t at) {
    const auto* bytes = static_cast<const char*>(buffer);
    auto offset = static_cast<off_t>(at);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, bytes, size, offset);
        if (n <= 0) {
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

// The stream follows an ID3v2 tag at the start of the file, as it does when LAME writes the tag
// itself; its header gives the tag's length (a footer, ID3v2.4 only, adds ten bytes).
std::uint64_t LeadingId3v2Bytes(int fd, std::uint64_t length) {
    unsigned char header[kId3v2HeaderBytes];
    if (length < sizeof header || !ReadAt(fd, header, sizeof header, 0) ||
        std::memcmp(header, "ID3", 3) != 0 || header[3] == 0xFF || header[4] == 0xFF) {
        return 0;
    }
    std::uint64_t size = 0;
    for (std::size_t i = 6; i < sizeof header; ++i) {
        if ((header[i] & 0x80) != 0) {
            return 0;
        }
        size = size << 7 | header[i];
    }
    const bool footer = header[3] >= 4 && (header[5] & 0x10) != 0;
    return sizeof header + size + (footer ? kId3v2HeaderBytes : 0);
}

bool HasTrailingId3v1(int fd, std::uint64_t length) {
    char id[3];
    return length >= kId3v1Bytes && ReadAt(fd, id, sizeof id, length - kId3v1Bytes) &&
           std::memcmp(id, "TAG", sizeof id) == 0;
}

} // namespace

InfoFrameStore& InfoFrameStore::Instance() {
    static InfoFrameStore store;
    return store;
}

void InfoFrameStore::Keep(InfoFrame info) {
    info.closer = std::this_thread::get_id();
    std::lock_guard lock(mutex_);
    // A thread writes the frame of the stream it closed last: an older one is a leftover.
    std::erase_if(frames_, [&](const InfoFrame& kept) { return kept.closer == info.closer; });
    if (frames_.size() == kMaxKept) {
        frames_.pop_front();
    }
    frames_.push_back(std::move(info));
}

BE_ERR InfoFrameStore::WriteInto(const char* path) {
    std::lock_guard lock(mutex_);
    if (frames_.empty()) {
        return BE_ERR_INVALID_HANDLE;
    }
    if (path == nullptr) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    const Descriptor file(::open(path, O_RDWR | O_CLOEXEC));
    struct stat info {};
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    const auto length = static_cast<std::uint64_t>(info.st_size);
    const std::uint64_t start = LeadingId3v2Bytes(file.Get(), length);
    const bool tagged = HasTrailingId3v1(file.Get(), length);
    // Streams of one length and settings reserve identical frames: without this, jobs running
    // side by side could swap their info frames.
    const std::thread::id self = std::this_thread::get_id();
    std::stable_partition(frames_.begin(), frames_.end(),
                          [self](const InfoFrame& kept) { return kept.closer != self; });
    std::vector<std::uint8_t> head;
    for (auto frame = frames_.rbegin(); frame != frames_.rend(); ++frame) {
        const std::uint64_t end = start + frame->streamBytes;
        const bool sameLength = length == end || (tagged && length == end + kId3v1Bytes);
        if (!sameLength) {
            continue;
        }
        head.resize(frame->reserved.size());
        if (!ReadAt(file.Get(), head.data(), head.size(), start)) {
            return BE_ERR_INVALID_FORMAT_PARAMETERS;
        }
        if (head != frame->reserved) {
            continue;
        }
        if (!WriteAt(file.Get(), frame->frame.data(), frame->frame.size(), start)) {
            return BE_ERR_INVALID_FORMAT_PARAMETERS;
        }
        frames_.erase(std::next(frame).base());
        return BE_ERR_SUCCESSFUL;
    }
    return BE_ERR_INVALID_FORMAT;
}

} // namespace lameenc
