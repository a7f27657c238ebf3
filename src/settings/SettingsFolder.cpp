// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsFolder.h"

#include "platform/File.h"
#include "platform/Paths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace {

// Relative values are ignored, as the XDG base directory rules ask.
const char* AbsoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? value : nullptr;
}

std::string HomeFolder() {
    if (const char* home = AbsoluteVariable("HOME")) {
        return home;
    }
    if (const passwd* entry = ::getpwuid(::getuid());
        entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
        return entry->pw_dir;
    }
    return "/";
}

} // namespace

std::string UserSettingsFolder() {
    const char* configHome = AbsoluteVariable("XDG_CONFIG_HOME");
    const std::string base = configHome != nullptr ? std::string(configHome)
                                                   : platform::JoinFolder(HomeFolder(), ".config");
    return platform::JoinFolder(base, "wavpress/");
}

std::string SettingsFolder() {
    const std::string programFolder = platform::ExecutableFolder();
    if (platform::FileExists(programFolder + kInstalledMarkerName)) {
        return UserSettingsFolder();
    }
    return programFolder;
}
