// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

/// Replaces a file's content as a whole. The bytes go to a working file in the target's folder
/// that has no name (O_TMPFILE), which is flushed to disk and put in place over the target only
/// after every byte was written; on any failure the target stays as it was. A process that ends
/// on the way, killed or not, leaves nothing behind. Where the file system cannot create
/// unnamed files, the working file is a hidden one of a short fixed-length name (whatever the
/// target's name, marked as ours until it is put in place), removed on failure; such files of
/// the user's, marked and more than a day old, left by a process that was killed, are removed
/// when a writer first needs one in their folder. A target that is a symbolic link is replaced
/// behind the link, unless the kernel's protection of sticky folders would not follow that link
/// for open (another user's link in a shared folder): then nothing is written; an existing
/// target's permission bits are kept.
/// Not copyable; discards an uncommitted working file on destruction.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    /// Creates the working file; false when it cannot be created, or when the target exists
    /// but is not a regular file this process may write (it is not to be replaced then).
    bool Open();
    /// Appends bytes to the working file; false when any could not be written, which also
    /// makes Commit fail.
    bool Write(std::string_view bytes);
    bool Write(const void* bytes, std::size_t size);
    /// Overwrites bytes written before, from offset on, through the open file (never by its
    /// path); false like Write.
    bool WriteAt(std::uint64_t offset, const void* bytes, std::size_t size);
    /// Flushes the bytes written so far to disk, so that a later Commit has little left to
    /// flush; false like Write.
    bool Sync();
    /// The working file's name in its folder, should the process end now without Commit or
    /// Discard; empty when it has none (the usual case: nothing would be left).
    const std::string& LeftoverPath() const { return leftoverPath_; }
    /// The system's error number of the call that made Open, Write or Commit fail (0 when there
    /// was none, as for a target that is not a regular file).
    int LastError() const { return error_; }
    /// Flushes and closes the working file and puts it in place over the target; true when the
    /// target now holds exactly the written bytes. On false nothing of the attempt remains.
    bool Commit();
    /// Abandons the attempt: the working file is removed, the target is untouched.
    void Discard();

    /// While set, Open acts as on a file system without unnamed files. Tests only.
    static void SetUnnamedFilesUnsupportedForTests(bool unsupported);

private:
    bool OpenNamed();
    bool LinkUnnamed();

    std::string target_;
    int folderFd_ = -1;
    std::string folder_;   ///< as given, ending in '/' or empty
    std::string tempName_; ///< a name of the working file in the folder held open, if any
    std::string procPath_; ///< the unnamed file's path through /proc, to link it by
    std::string leftoverPath_;
    int fd_ = -1;
    bool failed_ = false;
    int keptMode_ = -1; ///< permission bits of the target it replaces, -1 for a new file
    int error_ = 0;
};

/// Replaces the content of the file at path with bytes through an AtomicFileWriter.
bool ReplaceFileContent(const std::string& path, std::string_view bytes);

} // namespace platform
