// SPDX-License-Identifier: GPL-3.0-or-later
#include "File.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

File::~File() {
    Close();
}

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), readEnd_(std::exchange(other.readEnd_, -1)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        readEnd_ = std::exchange(other.readEnd_, -1);
    }
    return *this;
}

bool File::OpenRead(const std::string& path) {
    return OpenRegular(path, O_RDONLY);
}

bool File::OpenWriteExisting(const std::string& path) {
    return OpenRegular(path, O_WRONLY);
}

bool File::Create(const std::string& path) {
    return OpenRegular(path, O_WRONLY | O_CREAT | O_TRUNC);
}

bool File::OpenRegular(const std::string& path, int flags) {
    Close();
    error_ = 0;
    // Non-blocking, so that a FIFO or a device at the path cannot stall the open; only
    // regular files are ours to read and write.
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd_ < 0) {
        error_ = errno;
        return false;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK) != 0) {
        error_ = S_ISDIR(info.st_mode) ? EISDIR : 0;
        Close();
        return false;
    }
    return true;
}

void File::Close() {
    readEnd_ = -1;
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

std::size_t File::Read(void* buffer, std::size_t size) {
    readFailed_ = false;
    error_ = 0;
    if (readEnd_ >= 0) {
        const std::int64_t position = Position();
        const std::int64_t left = position >= 0 && position < readEnd_ ? readEnd_ - position : 0;
        size =
            static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(size), left));
    }
    std::size_t done = 0;
    auto* bytes = static_cast<char*>(buffer);
    while (done < size) {
        const ssize_t n = ::read(fd_, bytes + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            readFailed_ = true;
            error_ = errno;
            break;
        }
    }
    return done;
}

bool File::Write(const void* buffer, std::size_t size) {
    const bool written = WriteFully(fd_, buffer, size);
    error_ = written ? 0 : errno;
    return written;
}

bool WriteFully(int fd, const void* buffer, std::size_t size) {
    const auto* bytes = static_cast<const char*>(buffer);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool File::Seek(std::int64_t offset, Whence whence) {
    const int how = whence == Whence::Begin ? SEEK_SET
                    : whence == Whence::End ? SEEK_END
                                            : SEEK_CUR;
    return ::lseek(fd_, static_cast<off_t>(offset), how) >= 0;
}

std::int64_t File::Position() const {
    return ::lseek(fd_, 0, SEEK_CUR);
}

std::int64_t File::Length() const {
    struct stat info {};
    return ::fstat(fd_, &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
}

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino)};
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool NameExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool CreateFolders(const std::string& folder) {
    std::size_t end = 0;
    do {
        end = folder.find('/', end + 1);
        if (::mkdir(folder.substr(0, end).c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    } while (end != std::string::npos);
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool DeleteFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

void AllowOpenFiles(std::size_t extra) {
    constexpr rlim_t kUsual = 1024;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return;
    }
    const rlim_t wanted = std::min(kUsual + static_cast<rlim_t>(extra), limit.rlim_max);
    if (limit.rlim_cur < wanted) {
        limit.rlim_cur = wanted;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace platform
