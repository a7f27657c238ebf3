// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsFolder.h"
#include "settings/EncodeSettings.h"
#include "settings/SettingsLifecycle.h"
#include "support/ScopedVariable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace {

using testsupport::ScopedVariable;
using testsupport::TempDir;

TEST(SettingsFolderTest, InstalledProgramsUseTheUserConfigurationFolder) {
    const passwd* entry = ::getpwuid(::getuid());
    ASSERT_NE(entry, nullptr);
    const std::string fromPasswd = std::string(entry->pw_dir) + "/.config/wavpress/";
    struct Case {
        const char* configHome;
        const char* home;
        std::string expected;
    };
    const Case cases[] = {
        {"/xdg/設定", "/home/a", "/xdg/設定/wavpress/"},
        {"/xdg/", "/home/a", "/xdg/wavpress/"},
        {nullptr, "/home/a", "/home/a/.config/wavpress/"},
        {"", "/home/a/", "/home/a/.config/wavpress/"},
        // Relative values are not paths anyone can rely on; they are ignored.
        {"conf", "/home/a", "/home/a/.config/wavpress/"},
        {nullptr, nullptr, fromPasswd},
        {nullptr, "home", fromPasswd},
    };
    for (const Case& c : cases) {
        const ScopedVariable configHome("XDG_CONFIG_HOME", c.configHome);
        const ScopedVariable home("HOME", c.home);
        EXPECT_EQ(UserSettingsFolder(), c.expected)
            << (c.configHome ? c.configHome : "(unset)") << ", " << (c.home ? c.home : "(unset)");
    }
}

TEST(SettingsFolderTest, TheFirstSaveCreatesTheFolderForItsOwnerOnly) {
    namespace fs = std::filesystem;
    TempDir dir;
    EncodeSettings settings;
    settings.ApplyFirstStartDefaults();
    const std::string folder = dir.File("config/wavpress/");
    EXPECT_TRUE(SaveExitSettings(folder, settings, SettingsFileState::Missing));
    EXPECT_TRUE(fs::is_regular_file(folder + "opt.ini"));
    for (const std::string& created : {dir.File("config"), folder}) {
        EXPECT_EQ(fs::status(created).permissions(), fs::perms::owner_all) << created;
    }

    // A file where the folder should be: nothing is written, and it is said.
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File("plain"), "x"));
    EXPECT_FALSE(
        SaveExitSettings(dir.File("plain/wavpress/"), settings, SettingsFileState::Missing));
}

} // namespace
