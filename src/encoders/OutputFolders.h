// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <mutex>
#include <string>

/// The folders one batch makes for its outputs, shared by its jobs. A missing folder of an
/// output's path is made (its mode from the umask) only when that output is about to be written,
/// and removed again once no job of the batch holds it and it is empty: a file that is refused,
/// cancelled or fails leaves no folder behind.
class OutputFolders {
public:
    /// Makes the missing folders above outPath and holds them, and those this batch made
    /// before, for that output. 0, or the system's error number of a folder that could not be
    /// made (the folders made on the way are removed again).
    int Hold(const std::string& outPath);
    /// Lets go of what Hold(outPath) held; the folders this batch made that no job holds any
    /// more and that are empty are removed, the deepest first.
    void Release(const std::string& outPath);
    /// Removes every empty folder this batch made and makes no more, for a process that ends
    /// without waiting for its jobs.
    void Abandon();

private:
    /// Removes the folders above path that this batch made, no job holds and are empty.
    void ReleaseLocked(const std::string& path);

    std::mutex mutex_;
    std::map<std::string, int> made_; ///< folders this batch made, and the jobs holding each
    bool abandoned_ = false;
};
