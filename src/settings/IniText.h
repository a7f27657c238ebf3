// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// A settings text file (opt.ini, preset.ini), decoded to UTF-8: a file that is valid UTF-8 is
/// taken as it is (a leading byte-order mark is dropped), any other file is read as code page
/// 932, as the Windows program wrote it. CR LF and a bare LF both end a line; the line end is
/// not part of the line. The lines are handed out one by one from the decoded text, so reading
/// costs the file's bytes and nothing per line.
class IniText {
public:
    /// A larger file is no settings file of ours.
    static constexpr std::size_t kMaxBytes = std::size_t{1} << 20;

    enum class LoadResult {
        Loaded,
        Missing,    ///< there is no file at the path
        Unreadable, ///< a file is there but could not be opened or read
        TooLarge,   ///< more than kMaxBytes
    };

    /// Reads the whole file; anything but Loaded leaves no lines.
    LoadResult Load(const std::string& path);

    /// Calls handle(line) for every line in file order.
    template <typename Handler> void ForEachLine(Handler&& handle) const {
        std::string_view rest(text_);
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
            if (line.ends_with('\r')) {
                line.remove_suffix(1);
            }
            handle(line);
        }
    }

private:
    std::string text_;
};
