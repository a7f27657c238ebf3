// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputLayout.h"

#include "platform/Paths.h"
#include "settings/OutFolderParm.h"

#include <filesystem>
#include <utility>

OutputLayout::OutputLayout(std::int32_t layout, std::string outFolder, std::int32_t encodeType)
    : layout_(OutputLayoutInRange(layout)), outFolder_(std::move(outFolder)),
      encodeType_(encodeType) {}

std::string OutputLayout::OutputPathOf(const std::string& inPath,
                                       const std::string& addedFrom) const {
    std::string name(platform::NameOf(inPath));
    const std::size_t dot = platform::LastDot(name);
    if (dot != std::string::npos) {
        name.resize(dot + 1);
    }
    name += encodeType_ == kEncodeTypeOgg ? "ogg" : "mp3";
    switch (layout_) {
    case kOutputLayoutTree:
        return platform::JoinFolder(
            platform::JoinFolder(outFolder_, TreeFolderOf(inPath, addedFrom)), name);
    case kOutputLayoutBeside:
        return std::string(platform::FolderOf(inPath)) + name;
    default:
        return platform::JoinFolder(outFolder_, name);
    }
}

std::string OutputLayout::TreeFolderOf(const std::string& inPath, const std::string& addedFrom) {
    std::string added = addedFrom;
    while (added.size() > 1 && added.back() == platform::kPathSeparator) {
        added.pop_back();
    }
    if (added.empty()) {
        return {};
    }
    const std::string below = platform::JoinFolder(added, "");
    if (!inPath.starts_with(below)) {
        return {};
    }
    // The folder's own name keeps two album folders added side by side apart; "." and ".."
    // stand for the folder they name.
    std::error_code error;
    std::filesystem::path place = std::filesystem::absolute(added, error).lexically_normal();
    if (!place.has_filename()) {
        place = place.parent_path();
    }
    const std::string subfolders(platform::FolderOf(inPath.substr(below.size())));
    return platform::JoinFolder(place.filename().string(), subfolders);
}

std::filesystem::path PlaceOf(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) {
        return std::filesystem::path(path).lexically_normal();
    }
    const std::filesystem::path place = std::filesystem::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : place;
}
