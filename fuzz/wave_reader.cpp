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

    WaveFormat probed{};
    const bool probeAccepted = ProbeWave(path, probed);

    platform::File file;
    WaveFormat opened{};
    std::uint64_t audioBytes = 0;
    if (OpenWave(&file, path.c_str(), audioBytes, opened)) {
        // Accepted: open at the first audio byte, and that byte count is what remains.
        const std::int64_t position = file.Position();
        if (!file.IsOpen() || position < 0 ||
            position + static_cast<std::int64_t>(audioBytes) != static_cast<std::int64_t>(size)) {
            std::abort();
        }
        // Both entry points apply the same format tests to the same bytes.
        if (!probeAccepted || std::memcmp(&probed, &opened, sizeof probed) != 0) {
            std::abort();
        }
    } else if (file.IsOpen()) {
        std::abort();
    }
    return 0;
}
