#include "JobOutputFile.h"

#include "encoders/JobMessages.h"
#include "platform/File.h"
#include "platform/Format.h"

bool JobOutputFile::Create(const std::string& outPath, const std::string& inPath) {
    Discard();
    outPath_ = outPath;
    // The replacement would put the new file in the input's place; an input linked under the
    // output's name would be lost.
    const auto output = platform::IdentifyFile(outPath);
    if (output && output == platform::IdentifyFile(inPath)) {
        ShowJobError(platform::Format(kOutputIsInput, outPath.c_str(), inPath.c_str()));
        return false;
    }
    writer_.emplace(outPath);
    if (!writer_->Open()) {
        writer_.reset();
        ShowJobError(platform::Format(kOutputOpenFailed, outPath.c_str()));
        return false;
    }
    return true;
}

bool JobOutputFile::Write(const void* bytes, std::size_t size) {
    return writer_ && writer_->Write(bytes, size);
}

const std::string& JobOutputFile::WorkingPath() const {
    static const std::string kNone;
    return writer_ ? writer_->TemporaryPath() : kNone;
}

bool JobOutputFile::Complete() {
    const bool completed = writer_ && writer_->Commit();
    writer_.reset();
    if (!completed) {
        ShowJobError(platform::Format(kOutputWriteFailed, outPath_.c_str()));
    }
    return completed;
}

void JobOutputFile::Discard() {
    writer_.reset();
}
