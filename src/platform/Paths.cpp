// SPDX-License-Identifier: GPL-3.0-or-later
#include "Paths.h"

#include <climits>
#include <unistd.h>

namespace platform {

std::string_view FolderOf(std::string_view path) {
    const std::size_t slash = path.rfind(kPathSeparator);
    return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
}

std::string_view NameOf(std::string_view path) {
    return path.substr(FolderOf(path).size());
}

std::size_t LastDot(std::string_view text) {
    return text.rfind('.');
}

std::string JoinFolder(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != kPathSeparator) {
        path.push_back(kPathSeparator);
    }
    path.append(name);
    return path;
}

std::string ExecutableFolder() {
    std::string buffer(PATH_MAX, '\0');
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0) {
        return "./";
    }
    buffer.resize(static_cast<std::size_t>(length));
    return std::string(FolderOf(buffer));
}

} // namespace platform
