// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/EncodeBatch.h"
#include "batch/FileRow.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

/// The words both front ends use for what became of files: why an input was not added, and
/// what a batch did with each item.
class OutcomeText {
public:
    static constexpr const char* kNotWav = "拡張子が .wav ではありません";
    static constexpr const char* kUnreadableFolder = "フォルダを読めません";
    static constexpr const char* kNoWaveInFolder = "フォルダに .wav ファイルがありません";
    static constexpr const char* kMissing = "ファイルがありません";
    static constexpr const char* kNotRegular = "通常のファイルではありません";
    static constexpr const char* kCannotOpen = "ファイルを開けません";
    static constexpr const char* kNotAcceptedWave = "変換できる形式の WAVE ファイルとして読めません";
    static constexpr const char* kAlreadyListed = "すでにリストにあります";

    /// Items per result, indexed by BatchItemResult.
    using Counts = std::array<std::size_t, 4>;

    /// Why TakeWaveFile refused a file; nullptr when it took it.
    static const char* RefusalReason(const WaveFileCheck& check);

    /// "変換済み", "スキップ", "失敗" or "キャンセル".
    static const char* ResultLabel(BatchItemResult result);
    static Counts CountResults(const std::vector<BatchItemReport>& reports);
    /// "変換済み 2, スキップ 0, 失敗 1, キャンセル 0".
    static std::string CountsText(const Counts& counts);
};
