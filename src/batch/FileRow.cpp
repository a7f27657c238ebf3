// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileRow.h"

#include "platform/Paths.h"
#include "tags/WaveFileTags.h"

#include <algorithm>
#include <cctype>

namespace {

void FillEmpty(std::string& cell, const std::string& value) {
    if (cell.empty()) {
        cell = value;
    }
}

} // namespace

bool HasWaveExtension(std::string_view path) {
    const std::size_t dot = platform::LastDot(path);
    if (dot == std::string_view::npos) {
        return false;
    }
    const std::string_view extension = path.substr(dot + 1);
    return extension.size() == 3 &&
           std::equal(extension.begin(), extension.end(), "wav", [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

WaveFileCheck TakeWaveFile(const std::string& path, FileRow& row, bool readTags) {
    WaveFileCheck check;
    check.WaveName = HasWaveExtension(path);
    if (!check.WaveName) {
        return check;
    }
    // The tags come from the file the probe checked: the path may lead elsewhere by now.
    platform::File file;
    check.Probe = ProbeWave(path, file);
    if (!check) {
        return check;
    }
    row[kColumnFolder] = platform::FolderOf(path);
    row[kColumnName] = platform::NameOf(path);
    row[kColumnFormat] = check.Probe.Format.Describe();
    if (readTags) {
        const EncodeItem tags = WaveFileTags::Read(file);
        FillEmpty(row[kColumnTitle], tags.Title);
        FillEmpty(row[kColumnArtist], tags.Artist);
        FillEmpty(row[kColumnAlbum], tags.Album);
        FillEmpty(row[kColumnYear], tags.Year);
        FillEmpty(row[kColumnComment], tags.Comment);
        FillEmpty(row[kColumnGenre], std::string(GenreName(tags.Genre)));
    }
    return check;
}
