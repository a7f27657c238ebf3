// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputFolders.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The folders above path, the topmost first ("a/b/c.mp3": "a", "a/b").
std::vector<std::string> FoldersAbove(const std::string& path) {
    std::vector<std::string> folders;
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (path[slash - 1] != '/') {
            folders.push_back(path.substr(0, slash));
        }
    }
    return folders;
}

} // namespace

int OutputFolders::Hold(const std::string& outPath) {
    std::lock_guard lock(mutex_);
    const std::vector<std::string> folders = FoldersAbove(outPath);
    for (const std::string& folder : folders) {
        struct stat info {};
        if (::stat(folder.c_str(), &info) == 0) {
            continue;
        }
        if (abandoned_) {
            return ENOENT;
        }
        if (::mkdir(folder.c_str(), 0777) == 0) {
            made_.try_emplace(folder, 0);
        } else if (errno != EEXIST) {
            const int error = errno;
            ReleaseLocked(outPath);
            return error;
        }
    }
    for (const std::string& folder : folders) {
        if (const auto made = made_.find(folder); made != made_.end()) {
            ++made->second;
        }
    }
    return 0;
}

void OutputFolders::Release(const std::string& outPath) {
    std::lock_guard lock(mutex_);
    const std::vector<std::string> folders = FoldersAbove(outPath);
    for (const std::string& folder : folders) {
        if (const auto made = made_.find(folder); made != made_.end() && made->second > 0) {
            --made->second;
        }
    }
    ReleaseLocked(outPath);
}

void OutputFolders::ReleaseLocked(const std::string& path) {
    const std::vector<std::string> folders = FoldersAbove(path);
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
        const auto made = made_.find(*folder);
        if (made == made_.end() || made->second > 0) {
            continue;
        }
        // A folder that holds a file keeps it, and is no longer one this batch would remove.
        ::rmdir(folder->c_str());
        made_.erase(made);
    }
}

void OutputFolders::Abandon() {
    std::lock_guard lock(mutex_);
    abandoned_ = true;
    // Deepest first: a longer path sorts after the folder it lies in.
    for (auto made = made_.rbegin(); made != made_.rend(); ++made) {
        ::rmdir(made->first.c_str());
    }
    made_.clear();
}
