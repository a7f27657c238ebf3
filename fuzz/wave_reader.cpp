// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a WAVE file, through both entry points of the reader.

#include "audio/WaveReader.h"
#include "platform/File.h"
#include "platform/MessageBox.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

class SilentBackend : public platform::MessageBackend {
public:
    platform::MessageAnswer Show(const platform::MessageRequest&) override {
        return platform::MessageAnswer::Ok;
    }
};

// One file in a private folder, rewritten for every input and removed at exit.
class InputFile {
public:
    InputFile() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/wavpress-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        folder_ = pattern;
        path_ = folder_ + "/input.wav";
    }
    ~InputFile() {
        unlink(path_.c_str());
        rmdir(folder_.c_str());
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& Write(const std::uint8_t* data, std::size_t size) {
        platform::File file;
        if (!file.Create(path_) || !file.Write(data, size)) {
            std::abort();
        }
        return path_;
    }

private:
    std::string folder_;
    std::string path_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    [[maybe_unused]] static const bool silenced =
        (platform::MessageBox::SetBackend(std::make_shared<SilentBackend>()), true);
    static InputFile input;
    const std::string& path = input.Write(data, size);

    SampleFormat probed{};
    const bool probeAccepted = ProbeWave(path, probed);

    platform::File file;
    SampleFormat opened{};
    std::uint64_t audioBytes = 0;
    const bool accepted = OpenWave(&file, path.c_str(), audioBytes, opened);
    // Both entry points come to the same verdict on the same bytes.
    if (accepted != probeAccepted || accepted != file.IsOpen()) {
        std::abort();
    }
    if (!accepted) {
        return 0;
    }
    if (probed != opened || !opened.IsSupported()) {
        std::abort();
    }
    // Open at the first audio byte; whole frames within the file, and exactly those are read.
    const std::int64_t position = file.Position();
    if (position < 0 || audioBytes % opened.FrameBytes() != 0 ||
        static_cast<std::uint64_t>(position) + audioBytes > size) {
        std::abort();
    }
    std::uint64_t read = 0;
    std::uint8_t buffer[4096];
    while (const std::size_t got = file.Read(buffer, sizeof buffer)) {
        read += got;
    }
    if (read != audioBytes) {
        std::abort();
    }
    return 0;
}
