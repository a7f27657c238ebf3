// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFileWriter.h"

#include "File.h"
#include "Paths.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

std::atomic<bool> unnamedUnsupportedForTests{false};

// Named working files: the prefix and a fixed number of random letters and digits, so that the
// name stays short whatever the target's and is none a user would choose. The name alone proves
// nothing: a working file also carries a mark of ours until it takes the target's place.
constexpr std::string_view kWorkingPrefix = ".wavpress-";
constexpr std::size_t kWorkingRandomLength = 10;
constexpr const char* kWorkingMark = "user.wavpress";
constexpr std::string_view kWorkingMarkValue = "working";
constexpr std::time_t kStaleAge = 24 * 60 * 60;
constexpr unsigned kNameAttempts = 100;

bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsWorkingName(std::string_view name) {
    if (name.size() != kWorkingPrefix.size() + kWorkingRandomLength ||
        !name.starts_with(kWorkingPrefix)) {
        return false;
    }
    for (const char c : name.substr(kWorkingPrefix.size())) {
        if (!IsAsciiAlnum(c)) {
            return false;
        }
    }
    return true;
}

std::string WorkingName() {
    static constexpr std::string_view kLetters =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    thread_local std::mt19937 engine{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    std::string name(kWorkingPrefix);
    for (std::size_t i = 0; i < kWorkingRandomLength; ++i) {
        name += kLetters[pick(engine)];
    }
    return name;
}

bool HasWorkingMark(int fd) {
    char value[16];
    const ssize_t size = ::fgetxattr(fd, kWorkingMark, value, sizeof value);
    return size >= 0 &&
           std::string_view(value, static_cast<std::size_t>(size)) == kWorkingMarkValue;
}

// Whether the entry is a working file of ours that a killed process left: our name, our mark,
// our user, a regular file (never a link or a folder), older than any job that may still be
// writing one (a writer touches its file all the time).
bool IsStaleWorkingFile(int folderFd, const char* name, std::time_t staleBefore) {
    if (!IsWorkingName(name)) {
        return false;
    }
    const int fd = ::openat(folderFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    const bool stale = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                       info.st_uid == ::geteuid() && info.st_mtime < staleBefore &&
                       HasWorkingMark(fd);
    ::close(fd);
    return stale;
}

void RemoveStaleWorkingFiles(int folderFd) {
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0) {
        return;
    }
    DIR* folder = ::fdopendir(listFd);
    if (folder == nullptr) {
        ::close(listFd);
        return;
    }
    const std::time_t staleBefore = std::time(nullptr) - kStaleAge;
    while (const dirent* entry = ::readdir(folder)) {
        if (IsStaleWorkingFile(folderFd, entry->d_name, staleBefore)) {
            ::unlinkat(folderFd, entry->d_name, 0);
        }
    }
    ::closedir(folder);
}

// Once per folder and process: a batch's outputs share their folder.
void RemoveStaleWorkingFilesOnce(int folderFd, const std::string& folder) {
    static std::mutex mutex;
    static std::set<std::string> cleaned;
    std::lock_guard lock(mutex);
    if (cleaned.insert(folder).second) {
        RemoveStaleWorkingFiles(folderFd);
    }
}

// A path that opens the file behind fd, or empty where /proc does not provide one.
std::string ProcPathOf(int fd) {
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    struct stat byPath {};
    struct stat byFd {};
    if (::stat(path.c_str(), &byPath) != 0 || ::fstat(fd, &byFd) != 0 ||
        byPath.st_dev != byFd.st_dev || byPath.st_ino != byFd.st_ino) {
        return {};
    }
    return path;
}

// As the kernel's protection of sticky folders (fs.protected_symlinks) decides for open: a
// link in a sticky, world-writable folder is followed only by its owner, or when the folder's
// owner owns the link too. Another user's link there must not lead our bytes elsewhere.
bool MayFollowLink(const std::string& path, const struct stat& link) {
    struct stat folder {};
    const std::string folderPath(FolderOf(path));
    if (::stat(folderPath.empty() ? "." : folderPath.c_str(), &folder) != 0) {
        return false;
    }
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

// The file the bytes must end up in: a symbolic link is followed, so that a settings file
// linked from elsewhere stays linked; a dangling link is replaced itself. Nothing for a link
// that may not be followed.
std::optional<std::string> ResolveTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return path;
    }
    if (!MayFollowLink(path, info)) {
        return std::nullopt;
    }
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

} // namespace

void AtomicFileWriter::SetUnnamedFilesUnsupportedForTests(bool unsupported) {
    unnamedUnsupportedForTests.store(unsupported);
}

AtomicFileWriter::AtomicFileWriter(std::string path) : target_(std::move(path)) {}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

bool AtomicFileWriter::Open() {
    Discard();
    failed_ = false;
    keptMode_ = -1;
    error_ = 0;
    const std::optional<std::string> target = ResolveTarget(target_);
    if (!target) {
        error_ = EACCES;
        return false;
    }
    target_ = *target;
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
    // The folder is held open: the working file is created, put in place and removed in that
    // very folder even when it is renamed meanwhile. A folder that cannot be listed is still
    // usable.
    folder_ = FolderOf(target_);
    const char* folderPath = folder_.empty() ? "." : folder_.c_str();
    folderFd_ = ::open(folderPath, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd_ < 0) {
        folderFd_ = ::open(folderPath, O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    if (folderFd_ < 0) {
        error_ = errno;
        return false;
    }
    if (!unnamedUnsupportedForTests.load()) {
        // 0666 lets the umask decide, as for any newly created file.
        fd_ = ::openat(folderFd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            error_ = errno;
            Discard();
            return false;
        }
        // Without a path through /proc the file could not be given its name at the end.
        procPath_ = fd_ >= 0 ? ProcPathOf(fd_) : std::string();
        if (!procPath_.empty()) {
            return true;
        }
        if (fd_ >= 0) {
            ::close(std::exchange(fd_, -1));
        }
    }
    return OpenNamed();
}

bool AtomicFileWriter::OpenNamed() {
    // Only where working files need names can a killed process have left one.
    RemoveStaleWorkingFilesOnce(folderFd_, folder_);
    for (unsigned attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
        tempName_ = WorkingName();
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
    leftoverPath_ = folder_ + tempName_;
    // Where the file system keeps no marks, no leftover will ever be taken for ours.
    ::fsetxattr(fd_, kWorkingMark, kWorkingMarkValue.data(), kWorkingMarkValue.size(), 0);
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

// A name cannot be linked over an existing file: the unnamed file gets a hidden name first,
// which the rename then puts over the target in one step.
bool AtomicFileWriter::LinkUnnamed() {
    for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = WorkingName();
        if (::linkat(AT_FDCWD, procPath_.c_str(), folderFd_, name.c_str(), AT_SYMLINK_FOLLOW) ==
            0) {
            tempName_ = std::move(name);
            leftoverPath_ = folder_ + tempName_;
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

bool AtomicFileWriter::Sync() {
    if (fd_ < 0 || failed_) {
        return false;
    }
    if (::fdatasync(fd_) != 0) {
        error_ = errno;
        failed_ = true;
        return false;
    }
    return true;
}

bool AtomicFileWriter::Commit() {
    if (fd_ < 0 || failed_) {
        Discard();
        return false;
    }
    const auto fail = [this] {
        error_ = errno;
        Discard();
        return false;
    };
    if (keptMode_ >= 0 && ::fchmod(fd_, static_cast<mode_t>(keptMode_)) != 0) {
        return fail();
    }
    // The finished file is the user's, not a working file of ours.
    if (::fremovexattr(fd_, kWorkingMark) != 0 && errno != ENODATA && errno != ENOTSUP) {
        return fail();
    }
    if (::fsync(fd_) != 0) {
        return fail();
    }
    if (tempName_.empty() && !LinkUnnamed()) {
        return fail();
    }
    if (::close(std::exchange(fd_, -1)) != 0) {
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
    procPath_.clear();
    leftoverPath_.clear();
}

bool AtomicFileWriter::WriteAt(std::uint64_t offset, const void* bytes, std::size_t size) {
    if (fd_ < 0 || failed_) {
        failed_ = true;
        return false;
    }
    const auto* next = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd_, next, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error_ = n < 0 ? errno : ENOSPC;
            failed_ = true;
            return false;
        }
        next += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool ReplaceFileContent(const std::string& path, std::string_view bytes) {
    AtomicFileWriter writer(path);
    return writer.Open() && writer.Write(bytes) && writer.Commit();
}

} // namespace platform
