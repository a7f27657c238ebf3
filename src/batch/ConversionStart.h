// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/FileRow.h"
#include "encoders/EncodeJobInput.h"
#include "lame_enc/BladeMP3EncDLL.h"
#include "settings/EncodeSettings.h"
#include "settings/OggParm.h"
#include "tags/EncodeItem.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

/// Title and texts of the refusals of a conversion start.
inline constexpr const char* kConversionErrorTitle = "エラー";
inline constexpr const char* kNoFilesMessage = "エンコードするファイルが存在しません\n音声ファイル"
                                               "を追加後に変換ボタンのクリックをお願いします　";
inline constexpr const char* kNoPresetMessage = "Presetの設定がありません\n";
inline constexpr const char* kOggMinBitrateMessage =
    "OggVorbisの設定に誤りがあります\n最小ビットレートのみを指定する場合には\n64 "
    "Kbps以上を指定するようにお願いいたします";

/// Everything an EncodeBatch runs on: the batch's own lists and references into the settings,
/// which must stay unchanged while the batch runs.
struct ConversionBatch {
    std::vector<std::string> Paths;    ///< one InPath per item
    std::vector<EncodeItem> Items;     ///< same order and length as Paths
    std::vector<std::string> OutPaths; ///< where the layout puts each item's output
    BE_CONFIG* LameParm = nullptr;     ///< LameParm, or LameWork holding the preset in effect
    const OggParm* Ogg = nullptr;
    const std::int32_t* IdentityOutFile = nullptr;
    std::int32_t EncodeType = 0;
    bool Id3v2 = true;       ///< MP3 outputs begin with an ID3v2.3 tag beside their ID3v1 record
    bool ReplayGain = false; ///< the outputs carry their measured ReplayGain values
    /// The files of Paths as found when the batch was prepared: no output may be one of them.
    std::shared_ptr<const std::vector<BatchInput>> Inputs;
    /// The folders made for the outputs, shared by the batch's jobs.
    std::shared_ptr<OutputFolders> Folders = std::make_shared<OutputFolders>();
    /// With ReplayGain, each item's album: the items of one non-empty album text, or, where the
    /// text is empty, of one folder. Empty without ReplayGain.
    std::vector<std::shared_ptr<ReplayGainAlbum>> Albums;
    /// Each item's probe from when it was listed, for the progress of the whole batch, which
    /// goes by audio time whatever the formats; empty when the front end shows none.
    std::vector<WaveProbe> Probes;
};

/// Turns the file list's rows and the settings into a batch, or refuses with a warning message
/// ("エラー") and returns nothing. With a preset in effect its record is copied into
/// settings.LameWork; LameParm is never changed.
std::optional<ConversionBatch> PrepareConversion(const std::vector<FileRow>& rows,
                                                 EncodeSettings& settings);

/// Items of a batch whose output paths name one place, as groups of item indices in list order;
/// empty when every item has an output of its own.
std::vector<std::vector<std::size_t>> FindOutputClashes(const ConversionBatch& batch);
