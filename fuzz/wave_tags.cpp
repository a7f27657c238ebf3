// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a WAVE file's tag chunks, through the reader of a file's own tags.

#include "platform/CodePage.h"
#include "platform/File.h"
#include "tags/WaveFileTags.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

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

    platform::File Write(const std::uint8_t* data, std::size_t size) {
        platform::File file;
        if (!file.Create(path_) || !file.Write(data, size) || !file.OpenRead(path_)) {
            std::abort();
        }
        return file;
    }

private:
    std::string folder_;
    std::string path_;
};

// Every text is what an editor could hold: UTF-8 within its width in code page 932 bytes.
void CheckText(const std::string& text, std::size_t width) {
    if (!platform::IsValidUtf8(text) || platform::Utf8ToCp932(text).size() > width) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static InputFile input;
    platform::File file = input.Write(data, size);
    const EncodeItem item = WaveFileTags::Read(file);
    CheckText(item.Title, kTagTextWidth);
    CheckText(item.Artist, kTagTextWidth);
    CheckText(item.Album, kTagTextWidth);
    CheckText(item.Comment, kTagTextWidth);
    const bool fourDigits =
        item.Year.size() == 4 && std::all_of(item.Year.begin(), item.Year.end(),
                                             [](char c) { return c >= '0' && c <= '9'; });
    if (!(item.Year.empty() || fourDigits) || (item.Genre >= 148 && item.Genre != NoGenre)) {
        std::abort();
    }
    return 0;
}
