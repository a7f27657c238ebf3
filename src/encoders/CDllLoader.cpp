// SPDX-License-Identifier: GPL-3.0-or-later
#include "CDllLoader.h"

#include "platform/Paths.h"

#include <dlfcn.h>
#include <mutex>

namespace {

std::mutex folderMutex;
std::string folderForTests;

std::string LibraryFolder() {
    std::lock_guard lock(folderMutex);
    return folderForTests.empty() ? platform::ExecutableFolder() : folderForTests;
}

// Callers name the library as the program always has ("lame_enc.dll").
std::string SharedObjectName(const std::string& fileName) {
    constexpr std::string_view dll = ".dll";
    if (fileName.size() >= dll.size() &&
        fileName.compare(fileName.size() - dll.size(), dll.size(), dll) == 0) {
        return fileName.substr(0, fileName.size() - dll.size()) + ".so";
    }
    return fileName;
}

} // namespace

CDllLoader::~CDllLoader() {
    Unload();
}

bool CDllLoader::Load(const std::string& fileName) {
    Unload();
    // A full path: dlopen searches nowhere else, so a library of the same name on the
    // system's search path is never taken instead.
    const std::string path = platform::JoinFolder(LibraryFolder(), SharedObjectName(fileName));
    library_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return library_ != nullptr;
}

void CDllLoader::Unload() {
    if (library_ != nullptr) {
        ::dlclose(library_);
        library_ = nullptr;
    }
}

void* CDllLoader::GetEntry(const char* name) const {
    if (library_ == nullptr || name == nullptr) {
        return nullptr;
    }
    return ::dlsym(library_, name);
}

void CDllLoader::SetFolderForTests(const std::string& folder) {
    std::lock_guard lock(folderMutex);
    folderForTests = folder;
}
