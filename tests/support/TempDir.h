// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <set>
#include <string>

namespace testsupport {

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    /// The folder, ending in '/'.
    const std::string& Path() const { return path_; }
    /// Path() + name.
    std::string File(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

/// The names in a folder, hidden ones included.
std::set<std::string> FolderEntries(const std::string& folder);

/// The whole content of a file (empty when it cannot be read).
std::string ReadFileBytes(const std::string& path);
/// Replaces a file's content; true when every byte was written.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

} // namespace testsupport
