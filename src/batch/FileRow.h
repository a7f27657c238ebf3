// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/WaveReader.h"
#include "tags/EncodeItem.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

/// Columns of a file-list row, by index.
enum FileColumn : std::size_t {
    kColumnName = 0,   ///< file name with its extension
    kColumnFolder = 1, ///< folder ending in '/', or empty
    kColumnFormat = 2, ///< the sample format, as SampleFormat::Describe gives it
    kColumnTitle = 3,
    kColumnArtist = 4,
    kColumnAlbum = 5,
    kColumnYear = 6,
    kColumnComment = 7,
    kColumnGenre = 8, ///< a genre name, or empty
    kFileColumnCount = 9,
};

/// The nine column texts of one file of the list (UTF-8), and the folder it came with.
struct FileRow : std::array<std::string, kFileColumnCount> {
    /// The folder the file was added with (dropped, chosen or named), as it was given; empty
    /// for a file added on its own.
    std::string AddedFrom{};
};

/// The most a tag column's text holds, in code page 932 bytes, as typed, given or read.
constexpr std::size_t TagTextWidth(std::size_t column) {
    return column == kColumnYear ? kTagYearWidth : kTagTextWidth;
}

/// What TakeWaveFile found out about a file; true when it took it.
struct WaveFileCheck {
    /// The name ends in ".wav" in any case; only then was the file probed.
    bool WaveName = false;
    WaveProbe Probe;

    explicit operator bool() const { return WaveName && Probe.Failure == WaveFailure::None; }
};

/// Whether the text after the last dot of path is "wav" in any case.
bool HasWaveExtension(std::string_view path);

/// Takes a file into a row as the file list does: the name must end in ".wav" (any case) and
/// ProbeWave must accept it. Sets the name, folder and format columns; with readTags, the
/// file's own tags (WaveFileTags) fill the tag columns that are empty, the others stay. A
/// refused file leaves the row as it was.
WaveFileCheck TakeWaveFile(const std::string& path, FileRow& row, bool readTags = true);
