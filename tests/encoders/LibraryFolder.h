// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "encoders/CDllLoader.h"

#include <string>

/// Loads engine libraries from a chosen folder for the scope's duration.
class LibraryFolder {
public:
    explicit LibraryFolder(const std::string& folder) { CDllLoader::SetFolderForTests(folder); }
    ~LibraryFolder() { CDllLoader::SetFolderForTests({}); }
    LibraryFolder(const LibraryFolder&) = delete;
    LibraryFolder& operator=(const LibraryFolder&) = delete;
};
