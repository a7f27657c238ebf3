// SPDX-License-Identifier: GPL-3.0-or-later
// What reading a settings file costs, measured on files made to cost the most: the peak memory
// the reading adds and its time, in a child process of its own.

#include "settings/EncodeSettings.h"
#include "settings/PresetFile.h"
#include "settings/SettingsFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testsupport::TempDir;

constexpr long kMaxPeakKib = 50 * 1024;
constexpr double kMaxSeconds = 1.0;
constexpr std::size_t kMiB = std::size_t{1} << 20;

struct Cost {
    long peakKib = 0; ///< growth of the peak resident memory while reading
    double seconds = 0;
    bool expected = false; ///< the reader's verdict was the one expected
};

std::optional<Cost> MeasureInChild(const std::function<bool()>& read) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        return std::nullopt;
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        ::alarm(20);
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        const auto start = std::chrono::steady_clock::now();
        Cost cost;
        cost.expected = read();
        cost.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        cost.peakKib = after.ru_maxrss - before.ru_maxrss;
        const bool sent = ::write(pipeFds[1], &cost, sizeof cost) == sizeof cost;
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeFds[1]);
    Cost cost;
    const bool received = ::read(pipeFds[0], &cost, sizeof cost) == sizeof cost;
    ::close(pipeFds[0]);
    int status = 0;
    const bool ended =
        ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return received && ended ? std::optional<Cost>(cost) : std::nullopt;
}

// Writes piece repeated until the file holds bytes bytes, without holding the file in memory.
void WriteRepeated(const std::string& path, const std::string& head, const std::string& piece,
                   std::size_t bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << head;
    std::string block;
    while (block.size() < 64 * 1024) {
        block += piece;
    }
    for (std::size_t written = head.size(); written < bytes;) {
        const std::size_t n = std::min(block.size(), bytes - written);
        out.write(block.data(), static_cast<std::streamsize>(n));
        written += n;
    }
    ASSERT_TRUE(out.good());
}

struct CostCase {
    const char* name;
    const char* file; ///< "opt.ini" or "preset.ini"
    std::string head;
    std::string piece;
    std::size_t bytes;
    bool read; ///< whether the reader takes it for a settings file
};

class SettingsReadCost : public ::testing::TestWithParam<CostCase> {};

TEST_P(SettingsReadCost, StaysWithinFiftyMegabytesAndASecond) {
    const CostCase& c = GetParam();
    TempDir dir;
    WriteRepeated(dir.File(c.file), c.head, c.piece, c.bytes);
    const bool settings = std::string(c.file) == kSettingsFileName;
    const auto cost = MeasureInChild([&] {
        if (settings) {
            EncodeSettings loaded;
            const SettingsFileState state = LoadSettings(dir.Path(), loaded);
            return (state == SettingsFileState::Read) == c.read;
        }
        PresetList presets;
        return LoadPresets(dir.Path(), presets) == c.read && presets.empty() != c.read;
    });
    ASSERT_TRUE(cost.has_value());
    EXPECT_TRUE(cost->expected);
    std::printf("[ measured ] %s (%zu bytes): peak +%ld KiB, %.3f s\n", c.name, c.bytes,
                cost->peakKib, cost->seconds);
    EXPECT_LT(cost->peakKib, kMaxPeakKib);
    EXPECT_LT(cost->seconds, kMaxSeconds);
}

INSTANTIATE_TEST_SUITE_P(
    PathologicalFiles, SettingsReadCost,
    ::testing::Values(
        CostCase{"PresetsOf20MBOfBrackets", kPresetFileName, "", "[\n", 20'000'000, false},
        CostCase{"SettingsOf100MBOfEmptyLines", kSettingsFileName, "", "\n", 100'000'000, false},
        CostCase{"PresetsOf1MiBOfBrackets", kPresetFileName, "", "[\n", kMiB, false},
        CostCase{"PresetsOfOneLongNameCarriedOver", kPresetFileName,
                 "[\nName=" + std::string(kMiB / 2, 'n') + "\n", "[\n", kMiB, false},
        CostCase{"PresetsOfFewLongNames", kPresetFileName, "",
                 "[\nName=" + std::string(64 * 1024, 'n') + "\n", kMiB - 64 * 1024, true},
        CostCase{"PresetsOfManyKeys", kPresetFileName, "[\n", "Bitrate=192\n", kMiB, true},
        CostCase{"SettingsOf1MiBOfEmptyLines", kSettingsFileName, "[OGG Parm]\n", "\n", kMiB, true},
        CostCase{"SettingsOfShortLinesBeforeAnyHeader", kSettingsFileName, "", "x=\n", kMiB, false},
        CostCase{"SettingsOfKeysBeforeAnyHeader", kSettingsFileName, "", "Mode=1\n", kMiB, true},
        CostCase{"SettingsOf1MiBOfHeaders", kSettingsFileName, "", "[OutFolder]\n[LAME Parm]\n",
                 kMiB, true},
        CostCase{"SettingsOfOneLongFolder", kSettingsFileName, "[OutFolder]\nOutFolder=", "/x",
                 kMiB, true},
        CostCase{"SettingsInCodePage932", kSettingsFileName, "[OutFolder]\nOutFolder=", "\xb1",
                 kMiB, true}),
    [](const auto& param) { return std::string(param.param.name); });

} // namespace
