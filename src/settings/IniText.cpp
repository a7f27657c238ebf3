#include "IniText.h"

#include "platform/CodePage.h"
#include "platform/File.h"

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

} // namespace

IniText::LoadResult IniText::Load(const std::string& path) {
    text_.clear();
    platform::File file;
    if (!file.OpenRead(path)) {
        return platform::FileExists(path) ? LoadResult::Unreadable : LoadResult::Missing;
    }
    // One byte past the limit tells a file at the limit from a larger one, also one that grows
    // while it is read.
    std::string bytes(kMaxBytes + 1, '\0');
    bytes.resize(file.Read(bytes.data(), bytes.size()));
    if (file.LastReadFailed()) {
        return LoadResult::Unreadable;
    }
    if (bytes.size() > kMaxBytes) {
        return LoadResult::TooLarge;
    }
    if (!platform::IsValidUtf8(bytes)) {
        // A lead byte right before a line end stands alone, so the line end survives.
        text_ = platform::Cp932ToUtf8(bytes);
        return LoadResult::Loaded;
    }
    text_ = std::move(bytes);
    if (std::string_view(text_).starts_with(kUtf8ByteOrderMark)) {
        text_.erase(0, kUtf8ByteOrderMark.size());
    }
    return LoadResult::Loaded;
}
