#include "AtomicFileWriter.h"

#include "File.h"
#include "Paths.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

// The file the bytes must end up in: a symbolic link is followed, so that a settings file
// linked from elsewhere stays linked; a dangling link is replaced itself.
std::string ResolveTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return path;
    }
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// A name no other writer uses at the same moment: the process, a counter and a retry number.
std::string TemporaryName(std::string_view targetName, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    return "." + std::string(targetName) + "." + std::to_string(::getpid()) + "." +
           std::to_string(counter++) + "." + std::to_string(attempt) + ".tmp";
}

} // namespace

AtomicFileWriter::AtomicFileWriter(std::string path) : target_(std::move(path)) {}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

bool AtomicFileWriter::Open() {
    Discard();
    failed_ = false;
    keptMode_ = -1;
    error_ = 0;
    target_ = ResolveTarget(target_);
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0) {
        // What could not have been truncated in place is not replaced by a rename either.
        if (!S_ISREG(existing.st_mode)) {
            error_ = S_ISDIR(existing.st_mode) ? EISDIR : 0;
            return false;
        }
        if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
            error_ = errno;
            return false;
        }
        keptMode_ = static_cast<int>(existing.st_mode & 07777);
    }
    // The folder is held open: the temporary file is created, renamed and removed in that very
    // folder even when it is renamed meanwhile. A folder that cannot be listed is still usable.
    const std::string folder(FolderOf(target_));
    const char* folderPath = folder.empty() ? "." : folder.c_str();
    folderFd_ = ::open(folderPath, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd_ < 0) {
        folderFd_ = ::open(folderPath, O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    if (folderFd_ < 0) {
        error_ = errno;
        return false;
    }
    constexpr unsigned kAttempts = 100;
    for (unsigned attempt = 0; attempt < kAttempts && fd_ < 0; ++attempt) {
        tempName_ = TemporaryName(NameOf(target_), attempt);
        // 0666 lets the umask decide, as for any newly created file.
        fd_ = ::openat(folderFd_, tempName_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        error_ = errno;
        tempName_.clear();
        Discard();
        return false;
    }
    tempPath_ = folder + tempName_;
    return true;
}

bool AtomicFileWriter::Write(std::string_view bytes) {
    return Write(bytes.data(), bytes.size());
}

bool AtomicFileWriter::Write(const void* bytes, std::size_t size) {
    if (fd_ < 0 || failed_) {
        failed_ = true;
        return false;
    }
    if (!WriteFully(fd_, bytes, size)) {
        error_ = errno;
        failed_ = true;
    }
    return !failed_;
}

bool AtomicFileWriter::Commit() {
    if (fd_ < 0 || failed_) {
        Discard();
        return false;
    }
    // Only now: until here the temporary file stays writable by its path.
    const auto fail = [this] {
        error_ = errno;
        Discard();
        return false;
    };
    if (keptMode_ >= 0 && ::fchmod(fd_, static_cast<mode_t>(keptMode_)) != 0) {
        return fail();
    }
    if (::fsync(fd_) != 0 || ::close(std::exchange(fd_, -1)) != 0) {
        return fail();
    }
    const std::string name(NameOf(target_));
    if (::renameat(folderFd_, tempName_.c_str(), folderFd_, name.c_str()) != 0) {
        return fail();
    }
    tempName_.clear();
    // The new content is in place; syncing the folder only makes the rename itself survive a
    // power cut, so its failure does not undo the replacement.
    ::fsync(folderFd_);
    Discard();
    return true;
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) {
        ::close(std::exchange(fd_, -1));
    }
    if (folderFd_ >= 0) {
        if (!tempName_.empty()) {
            ::unlinkat(folderFd_, tempName_.c_str(), 0);
        }
        ::close(std::exchange(folderFd_, -1));
    }
    tempName_.clear();
    tempPath_.clear();
}

bool ReplaceFileContent(const std::string& path, std::string_view bytes) {
    AtomicFileWriter writer(path);
    return writer.Open() && writer.Write(bytes) && writer.Commit();
}

} // namespace platform
