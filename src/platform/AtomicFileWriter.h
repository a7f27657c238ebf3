#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

/// Replaces a file's content as a whole. The bytes go to a hidden temporary file in the
/// target's folder, which is flushed to disk and renamed over the target only after every byte
/// was written; on any failure the target stays as it was and the temporary file is removed,
/// and a process killed on the way leaves at most that temporary file. A target that is a
/// symbolic link is replaced behind the link; an existing target's permission bits are kept.
/// Not copyable; discards an uncommitted temporary on destruction.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    /// Creates the temporary file; false when it cannot be created, or when the target exists
    /// but is not a regular file this process may write (it is not to be replaced then).
    bool Open();
    /// Appends bytes to the temporary file; false when any could not be written, which also
    /// makes Commit fail.
    bool Write(std::string_view bytes);
    bool Write(const void* bytes, std::size_t size);
    /// The open temporary file, for writers that change it in place by its path before Commit
    /// (empty when none is open).
    const std::string& TemporaryPath() const { return tempPath_; }
    /// The system's error number of the call that made Open, Write or Commit fail (0 when there
    /// was none, as for a target that is not a regular file).
    int LastError() const { return error_; }
    /// Flushes and closes the temporary file and renames it over the target; true when the
    /// target now holds exactly the written bytes. On false nothing of the attempt remains.
    bool Commit();
    /// Abandons the attempt: the temporary file is removed, the target is untouched.
    void Discard();

private:
    std::string target_;
    int folderFd_ = -1;
    std::string tempName_; ///< in the folder held open
    std::string tempPath_;
    int fd_ = -1;
    bool failed_ = false;
    int keptMode_ = -1; ///< permission bits of the target it replaces, -1 for a new file
    int error_ = 0;
};

/// Replaces the content of the file at path with bytes through an AtomicFileWriter.
bool ReplaceFileContent(const std::string& path, std::string_view bytes);

} // namespace platform
