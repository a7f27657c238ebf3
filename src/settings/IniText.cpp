#include "IniText.h"

#include "platform/CodePage.h"
#include "platform/File.h"

#include <string_view>

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    platform::File file;
    if (!file.OpenRead(path)) {
        return false;
    }
    char buffer[4096];
    for (;;) {
        const std::size_t got = file.Read(buffer, sizeof buffer);
        bytes.append(buffer, got);
        if (got < sizeof buffer) {
            // A folder opens but cannot be read; treat it like a file that does not open.
            return !file.LastReadFailed();
        }
    }
}

} // namespace

bool IniText::Load(const std::string& path) {
    lines_.clear();
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        return false;
    }
    std::string_view rest(bytes);
    const bool utf8 = platform::IsValidUtf8(rest);
    if (utf8 && rest.starts_with(kUtf8ByteOrderMark)) {
        rest.remove_prefix(kUtf8ByteOrderMark.size());
    }
    // Lines are split on the raw bytes: a code page 932 lead byte right before a line end
    // must not swallow the line end during conversion.
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        lines_.push_back(utf8 ? std::string(line) : platform::Cp932ToUtf8(line));
    }
    return true;
}
