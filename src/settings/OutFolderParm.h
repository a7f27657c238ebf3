// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

/// The most files the window converts at once: the processors online, 1…32.
std::int32_t OnlineJobs();
/// jobs when it lies in 1…OnlineJobs(), otherwise OnlineJobs().
std::int32_t JobsInRange(std::int32_t jobs);

/// Where the outputs go: every one into the output folder, the inputs' folder tree below it, or
/// each beside its input.
inline constexpr std::int32_t kOutputLayoutFlat = 0;
inline constexpr std::int32_t kOutputLayoutTree = 1;
inline constexpr std::int32_t kOutputLayoutBeside = 2;

/// layout when it is one of the three, otherwise kOutputLayoutFlat.
std::int32_t OutputLayoutInRange(std::int32_t layout);

/// 1 for 1, 0 for anything else.
std::int32_t ReplayGainInRange(std::int32_t replayGain);

/// The general options ([OutFolder]).
struct OutFolderParm {
    std::string OutFolder;            ///< folder that receives the outputs (UTF-8)
    std::int32_t Preset = 0;          ///< 0 = LameParm; k >= 1 = the k-th preset
    std::int32_t IdentityOutFile = 0; ///< 1 = ask before replacing an existing output
    std::int32_t EncodeType = 0;      ///< 0 MP3, 1 Ogg Vorbis
    std::int32_t Jobs = OnlineJobs(); ///< files the window converts at once, 1…OnlineJobs()
    std::int32_t OutputLayout = kOutputLayoutFlat; ///< kOutputLayoutFlat, …Tree or …Beside
    std::int32_t ReplayGain = 0;                   ///< 1 = the outputs carry ReplayGain values
};

inline constexpr std::int32_t kEncodeTypeMp3 = 0;
inline constexpr std::int32_t kEncodeTypeOgg = 1;
