#pragma once

#include <string>
#include <vector>

/// The lines of a settings text file (opt.ini, preset.ini), decoded to UTF-8: a file that is
/// valid UTF-8 is taken as it is (a leading byte-order mark is dropped), any other file is
/// read as code page 932, as the Windows program wrote it. CR LF and a bare LF both end a
/// line; the line end is not part of the line.
class IniText {
public:
    /// Reads the whole file; false when it cannot be opened or read, leaving no lines.
    bool Load(const std::string& path);

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};
