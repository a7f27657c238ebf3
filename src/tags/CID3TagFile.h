// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

/// The ID3 version 1.0 record: 128 bytes at the very end of an MP3 file.
class CID3TagFile {
public:
    static constexpr std::size_t kRecordSize = 128;

    virtual ~CID3TagFile() = default;

    /// Fills record (128 bytes) with "TAG", the five texts converted to code page 932, each cut
    /// to its field width on a character boundary and padded with spaces, and the genre byte.
    unsigned char* MakeRecord(unsigned char* record, std::string_view title,
                              std::string_view artist, std::string_view album,
                              std::string_view year, std::string_view comment,
                              std::uint8_t genre) const;

    /// Reads the file's last 128 bytes into buffer; true when they begin with "TAG". A file
    /// shorter than 128 bytes counts as untagged.
    bool HasTag(const std::string& path, unsigned char* buffer) const;

    /// Replaces the record at the end of an existing file, or appends one; never creates a file.
    bool WriteRecord(const std::string& path, const unsigned char* record) const;
};
