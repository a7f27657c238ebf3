// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniText.h"

#include "platform/CodePage.h"
#include "platform/File.h"

#include <cstdint>

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

} // namespace

IniText::LoadResult IniText::Load(const std::string& path) {
    text_.clear();
    platform::File file;
    if (!file.OpenRead(path)) {
        return platform::FileExists(path) ? LoadResult::Unreadable : LoadResult::Missing;
    }
    const std::int64_t length = file.Length();
    if (length > static_cast<std::int64_t>(kMaxBytes)) {
        return LoadResult::TooLarge;
    }
    std::string bytes;
    bytes.reserve(length > 0 ? static_cast<std::size_t>(length) : 0);
    // Up to the end, whatever the length said: the file may grow while it is read.
    char buffer[4096];
    for (;;) {
        const std::size_t got = file.Read(buffer, sizeof buffer);
        if (file.LastReadFailed()) {
            return LoadResult::Unreadable;
        }
        bytes.append(buffer, got);
        if (bytes.size() > kMaxBytes) {
            return LoadResult::TooLarge;
        }
        if (got < sizeof buffer) {
            break;
        }
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
