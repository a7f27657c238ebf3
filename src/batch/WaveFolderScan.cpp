// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveFolderScan.h"

#include "batch/FileRow.h"
#include "batch/OutcomeText.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

WaveFolderScan::WaveFolderScan(const std::string& folder) {
    Scan(folder);
}

bool WaveFolderScan::IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<WaveFolderScan::AddedFile>
WaveFolderScan::ExpandFolders(const std::vector<std::string>& paths, RefusedFiles& refused) {
    std::vector<AddedFile> expanded;
    for (const std::string& path : paths) {
        if (IsFolder(path)) {
            const WaveFolderScan scan(path);
            for (const UnreadableFolder& folder : scan.UnreadableFolders()) {
                refused.Add(folder.Path, OutcomeText::kUnreadableFolder);
            }
            if (scan.Files().empty() && scan.UnreadableFolders().empty()) {
                refused.Add(path, OutcomeText::kNoWaveInFolder);
            }
            for (const std::string& file : scan.Files()) {
                expanded.push_back({file, path});
            }
        } else {
            expanded.push_back({path, {}});
        }
    }
    return expanded;
}

void WaveFolderScan::Scan(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        unreadable_.push_back({folder, errno});
        return;
    }
    struct stat info {};
    if (::fstat(::dirfd(dir), &info) != 0 || !visited_.insert({info.st_dev, info.st_ino}).second) {
        ::closedir(dir);
        return;
    }
    struct Entry {
        std::string Name;
        unsigned char Type;
    };
    std::vector<Entry> entries;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') {
            entries.push_back({entry->d_name, entry->d_type});
        }
    }
    if (errno != 0) {
        unreadable_.push_back({folder, errno});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.Name < b.Name; });

    for (const Entry& entry : entries) {
        const std::string path = platform::JoinFolder(folder, entry.Name);
        // Only a link, or a file system that does not tell, needs a look at what the name is.
        const bool isFolder =
            entry.Type == DT_DIR ||
            ((entry.Type == DT_LNK || entry.Type == DT_UNKNOWN) && IsFolder(path));
        if (isFolder) {
            Scan(path);
        } else if (HasWaveExtension(entry.Name)) {
            files_.push_back(path);
        }
    }
}
