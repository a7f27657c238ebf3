// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

/// An open regular file with the few operations the readers and writers need (a FIFO, a
/// device or a folder is refused at open). Closed on destruction; movable, not copyable.
class File {
public:
    enum class Whence { Begin, Current, End };

    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    /// Opens an existing file for reading.
    bool OpenRead(const std::string& path);
    /// Opens an existing file for writing; never creates it, never truncates it.
    bool OpenWriteExisting(const std::string& path);
    /// Creates the file for writing, emptying an existing one.
    bool Create(const std::string& path);

    bool IsOpen() const { return fd_ >= 0; }
    void Close();

    /// Reads up to size bytes, repeating short reads until size or the end of the file (or the
    /// read end); returns the number read, 0 at the end or on a read error (see LastReadFailed).
    std::size_t Read(void* buffer, std::size_t size);
    /// True when the last Read stopped on an error rather than at the end of the file.
    bool LastReadFailed() const { return readFailed_; }
    /// The system's error number of the last open, read or write, 0 when it succeeded (and for
    /// an open refused because the path is not a regular file, unless it is a folder).
    int LastError() const { return error_; }
    /// Reads stop at this file offset as if the file ended there, until the file is closed.
    void SetReadEnd(std::int64_t offset) { readEnd_ = offset; }
    /// Writes all size bytes; false when any could not be written.
    bool Write(const void* buffer, std::size_t size);
    /// Moves the position; false on failure.
    bool Seek(std::int64_t offset, Whence whence);
    /// The current position, or -1.
    std::int64_t Position() const;
    /// The file's length, or -1.
    std::int64_t Length() const;

private:
    bool OpenRegular(const std::string& path, int flags);

    int fd_ = -1;
    bool readFailed_ = false;
    int error_ = 0;
    std::int64_t readEnd_ = -1; ///< -1: the end of the file
};

/// What tells one file from every other, whatever names lead to it: its device and inode.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

/// The identity of the file at path (symbolic links followed), or nothing when there is none.
std::optional<FileIdentity> IdentifyFile(const std::string& path);

bool FileExists(const std::string& path);
/// Whether anything has the name path: a file, a folder or a symbolic link, dangling or not;
/// whatever a file written there would replace.
bool NameExists(const std::string& path);
/// Creates folder and any missing folder above it, each readable by its owner only; true when
/// folder exists as a folder afterwards.
bool CreateFolders(const std::string& folder);
/// Removes a file; false when there was none or it could not be removed.
bool DeleteFile(const std::string& path);
/// Writes all size bytes to a descriptor, resuming after interruptions; false on any failure.
bool WriteFully(int fd, const void* buffer, std::size_t size);
/// Lets the process hold at least extra more descriptors open than the usual 1024, as far as
/// the system's hard limit allows.
void AllowOpenFiles(std::size_t extra);

} // namespace platform
