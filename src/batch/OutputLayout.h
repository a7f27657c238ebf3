// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

/// Where a batch writes each output, fixed when the batch is prepared: the layout
/// (kOutputLayoutFlat, …Tree or …Beside), the output folder and the encoder kind.
class OutputLayout {
public:
    OutputLayout(std::int32_t layout, std::string outFolder, std::int32_t encodeType);

    /// The output of the input at inPath, added to the list with the folder addedFrom (empty for
    /// a file added on its own): the input's name cut after its last dot with "mp3" or "ogg"
    /// appended, in the output folder (relative when it is empty); with the tree layout below
    /// it in the folder named like addedFrom and the input's subfolders of addedFrom; with the
    /// beside layout in the input's own folder.
    std::string OutputPathOf(const std::string& inPath, const std::string& addedFrom) const;

private:
    /// The folders of inPath below the folder it was added with, that folder's own name first;
    /// empty when it was added on its own.
    static std::string TreeFolderOf(const std::string& inPath, const std::string& addedFrom);

    std::int32_t layout_;
    std::string outFolder_;
    std::int32_t encodeType_;
};

/// The place a path names, links of its existing folders followed: two output paths are one
/// file when their places are one, even before either exists.
std::filesystem::path PlaceOf(const std::string& path);
