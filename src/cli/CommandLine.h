// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/FileRow.h"
#include "settings/EncodeSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

/// What the command line asks for.
enum class CliCommand { Convert, ShowSettings, Help, Version };

/// The options of one run; each one that is set overrides the stored settings for this run.
struct CliOptions {
    CliCommand Command = CliCommand::Convert;
    std::optional<std::int32_t> EncodeType;
    std::optional<std::string> OutFolder;
    std::optional<std::int32_t> OutputLayout;
    std::optional<std::int32_t> ReplayGain;
    std::optional<std::int32_t> Preset;
    bool Overwrite = false;
    bool Quiet = false;
    /// MP3 outputs get the ID3v1 record only: byte for byte the files of a tagger-free player.
    bool NoId3v2 = false;
    /// The WAVE files' own tags are not read: only the options give tag texts.
    bool NoWaveTags = false;
    /// Files converted at the same time; unset: one per online processor.
    std::optional<int> Jobs;
    /// Tag texts by file-list column (title … genre name); they replace the WAVE file's own.
    std::array<std::optional<std::string>, kFileColumnCount> Tags;
    std::vector<std::string> Files;
};

/// The most files -j lets run at the same time.
inline constexpr int kMaxJobs = 256;

/// -j's default: the processors online, within 1…kMaxJobs.
int DefaultJobs();

/// Reads argv into options. On a usage error returns false with error set to a message that
/// names the fault; warnings (a tag text cut to its field) are appended to warnings.
bool ParseCommandLine(int argc, char** argv, CliOptions& options, std::string& error,
                      std::vector<std::string>& warnings);

/// Puts the options that override stored settings into settings.
void ApplyOptions(const CliOptions& options, EncodeSettings& settings);

/// Fills the tag columns of a row from the options.
void ApplyTags(const CliOptions& options, FileRow& row);

/// The text of -h.
std::string UsageText();

/// The text of -V.
inline constexpr const char* kVersionText = "wavPress ver0.8";
