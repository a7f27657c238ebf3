// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserActions.h"

#include "encoders/LibraryFolder.h"
#include "platform/Paths.h"
#include "support/TempDir.h"
#include "ui/CVersionPage.h"

#include <QGroupBox>
#include <QLabel>

#include <gtest/gtest.h>

#include <optional>
#include <regex>

namespace {

std::string VersionText(const CVersionPage& page) {
    return uitest::Utf8(uitest::Named<QLabel>(page, "versionText")->text());
}

TEST(VersionPage, ShowsTheEngineFoundBesideTheProgramComposedOnce) {
    testsupport::TempDir empty;
    struct Row {
        const char* what;
        std::optional<std::string> folder; // none: the program's own folder
        std::string lameLine;              // a pattern
    };
    const Row rows[] = {
        {"the engine", std::nullopt, R"(Lame DLL ver \d+\.\d+)"},
        {"a stand-in", platform::ExecutableFolder() + "partial/", R"(Lame DLL ver 9\.87)"},
        {"no beVersion", platform::ExecutableFolder() + "noversion/", ""},
        {"no library", empty.Path(), ""},
    };
    for (const Row& row : rows) {
        std::optional<LibraryFolder> folder;
        if (row.folder) {
            folder.emplace(*row.folder);
        }
        CVersionPage page;
        EXPECT_EQ(uitest::Utf8(page.windowTitle()), "バージョン情報");
        EXPECT_EQ(uitest::Utf8(page.findChild<QGroupBox*>()->title()), "バージョン");
        const std::string text = VersionText(page);
        EXPECT_TRUE(std::regex_match(text, std::regex("wavPress ver0\\.8\n" + row.lameLine +
                                                      "\nOggVorbis Encoder ver1\\.0")))
            << row.what << ": " << text;

        // Another library later changes nothing on a page already made.
        folder.reset();
        const LibraryFolder none(empty.Path());
        page.show();
        EXPECT_EQ(VersionText(page), text) << row.what;
    }
}

} // namespace
