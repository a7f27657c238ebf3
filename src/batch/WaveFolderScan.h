// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/RefusedFiles.h"

#include <set>
#include <string>
#include <vector>

/// The WAVE files of a folder and of its subfolders, as a folder dropped or named adds them:
/// every name ending in ".wav" (any case; the file list tests each one as a single file), depth
/// first, in the byte order of the names within each folder. Hidden names (a leading dot) are
/// left out, as file managers leave them out. Symbolic links are followed, but never into a
/// folder the scan has already been in, so a link loop ends; a folder that cannot be read is
/// passed over and named in UnreadableFolders.
class WaveFolderScan {
public:
    struct UnreadableFolder {
        std::string Path;
        int Error = 0; ///< the system's error number
    };

    /// A file of a drop, and the folder it came with (empty for a file dropped on its own).
    struct AddedFile {
        std::string Path;
        std::string AddedFrom;
        bool operator==(const AddedFile&) const = default;
    };

    explicit WaveFolderScan(const std::string& folder);

    /// The paths found, each the folder's path joined with the names below it.
    const std::vector<std::string>& Files() const { return files_; }
    const std::vector<UnreadableFolder>& UnreadableFolders() const { return unreadable_; }

    /// True when path names a folder (a symbolic link to one included).
    static bool IsFolder(const std::string& path);

    /// Each path as a drop takes it: a folder as its WAVE files, any other path as it is. A
    /// folder that gave no file, and each one that could not be read, goes into refused.
    static std::vector<AddedFile> ExpandFolders(const std::vector<std::string>& paths,
                                                RefusedFiles& refused);

private:
    struct FolderId {
        unsigned long long Device;
        unsigned long long Inode;
        bool operator<(const FolderId& other) const {
            return Device != other.Device ? Device < other.Device : Inode < other.Inode;
        }
    };

    void Scan(const std::string& folder);

    std::vector<std::string> files_;
    std::vector<UnreadableFolder> unreadable_;
    std::set<FolderId> visited_;
};
