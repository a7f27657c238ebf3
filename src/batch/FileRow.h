#pragma once

#include <array>
#include <cstddef>
#include <string>

/// Columns of a file-list row, by index.
enum FileColumn : std::size_t {
    kColumnName = 0,   ///< file name with its extension
    kColumnFolder = 1, ///< folder ending in '/', or empty
    kColumnFormat = 2, ///< "16bit Stereo %dHz"
    kColumnTitle = 3,
    kColumnArtist = 4,
    kColumnAlbum = 5,
    kColumnYear = 6,
    kColumnComment = 7,
    kColumnGenre = 8, ///< a genre name, or empty
    kFileColumnCount = 9,
};

/// The nine column texts of one file of the list (UTF-8).
using FileRow = std::array<std::string, kFileColumnCount>;

/// Takes a file into a row as the file list does: the name must end in ".wav" (lower case,
/// after the last dot) and ProbeWave must accept it. Sets the name, folder and format columns
/// and keeps the tag columns; a refused file leaves the row as it was and returns false.
bool TakeWaveFile(const std::string& path, FileRow& row);
