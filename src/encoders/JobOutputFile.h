#pragma once

#include "platform/AtomicFileWriter.h"

#include <cstddef>
#include <optional>
#include <string>

/// The output of one encoding job. Everything, tags included, is written into a hidden
/// temporary file beside the output, which takes the output's place only when Complete
/// succeeds: a job that fails or is stopped, or a process that dies, leaves an earlier output
/// as it was. Its own failures are shown with the jobs' messages, naming the output path.
class JobOutputFile {
public:
    /// Refuses an output that is the input itself (the same file under any name), and
    /// otherwise creates the temporary file; false after the message when either fails.
    bool Create(const std::string& outPath, const std::string& inPath);
    /// Appends bytes; false when any could not be written.
    bool Write(const void* bytes, std::size_t size);
    /// The temporary file, for a writer that changes it in place by its path.
    const std::string& WorkingPath() const;
    /// Flushes the file and puts it in place of the output; false after the write-failure
    /// message when that fails, leaving the earlier output and no temporary file.
    bool Complete();
    /// Removes the temporary file; the earlier output stays as it was.
    void Discard();

private:
    std::string outPath_;
    std::optional<platform::AtomicFileWriter> writer_;
};
