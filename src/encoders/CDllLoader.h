// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

/// Loads a shared library that lies beside the executable, and nowhere else.
class CDllLoader {
public:
    CDllLoader() = default;
    virtual ~CDllLoader();
    CDllLoader(const CDllLoader&) = delete;
    CDllLoader& operator=(const CDllLoader&) = delete;

    /// Unloads any library, then loads fileName from the executable's folder (a ".dll" suffix
    /// names the ".so" of the same name). False, holding no library, when that fails.
    bool Load(const std::string& fileName);
    void Unload();
    /// The named entry point, or nullptr when no library is loaded or it lacks the name.
    void* GetEntry(const char* name) const;

    /// Replaces the executable's folder as the place libraries are loaded from; an empty folder
    /// restores it. Tests only.
    static void SetFolderForTests(const std::string& folder);

private:
    void* library_ = nullptr;
};
