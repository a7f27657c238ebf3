// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConversionStart.h"

#include "batch/OutputLayout.h"
#include "platform/File.h"
#include "platform/MessageBox.h"
#include "tags/GenreNames.h"

#include <algorithm>
#include <map>

namespace {

void Refuse(const char* text) {
    platform::MessageBox::Show(text, kConversionErrorTitle, platform::MessageIcon::Warning);
}

EncodeItem ItemOf(const FileRow& row) {
    EncodeItem item;
    item.InPath = row[kColumnFolder] + row[kColumnName];
    item.Title = row[kColumnTitle];
    item.Artist = row[kColumnArtist];
    item.Album = row[kColumnAlbum];
    item.Year = row[kColumnYear];
    item.Comment = row[kColumnComment];
    item.Genre = FindGenre(row[kColumnGenre]);
    return item;
}

// An album text of its own, or else the folder, names the album.
std::vector<std::shared_ptr<ReplayGainAlbum>> AlbumsOf(const std::vector<FileRow>& rows) {
    std::map<std::pair<bool, std::string>, std::vector<std::size_t>> members;
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const std::string& album = rows[index][kColumnAlbum];
        members[album.empty() ? std::pair{false, rows[index][kColumnFolder]} : std::pair{true, album}]
            .push_back(index);
    }
    std::vector<std::shared_ptr<ReplayGainAlbum>> albums(rows.size());
    std::size_t largest = 0;
    for (const auto& [name, indices] : members) {
        largest = std::max(largest, indices.size());
        const auto album = std::make_shared<ReplayGainAlbum>(indices.size());
        for (const std::size_t index : indices) {
            albums[index] = album;
        }
    }
    // Each output of an album stays open until the album's end.
    platform::AllowOpenFiles(largest);
    return albums;
}

} // namespace

std::optional<ConversionBatch> PrepareConversion(const std::vector<FileRow>& rows,
                                                 EncodeSettings& settings) {
    if (rows.empty()) {
        Refuse(kNoFilesMessage);
        return std::nullopt;
    }
    ConversionBatch batch;
    batch.Paths.reserve(rows.size());
    batch.Items.reserve(rows.size());
    for (const FileRow& row : rows) {
        batch.Items.push_back(ItemOf(row));
        batch.Paths.push_back(batch.Items.back().InPath);
    }
    batch.Inputs = IdentifyInputs(batch.Paths);

    const std::int32_t preset = settings.OutFolder.Preset;
    if (preset == 0) {
        batch.LameParm = &settings.LameParm;
    } else if (const auto index = PresetIndexInEffect(preset, settings.Presets.size())) {
        settings.LameWork = settings.Presets[*index].Config;
        batch.LameParm = &settings.LameWork;
    } else {
        // A negative value can only come from a hand-edited opt.ini; it names no preset either.
        Refuse(kNoPresetMessage);
        return std::nullopt;
    }

    batch.Ogg = &settings.Ogg;
    batch.IdentityOutFile = &settings.OutFolder.IdentityOutFile;
    batch.EncodeType = settings.OutFolder.EncodeType;
    batch.ReplayGain = settings.OutFolder.ReplayGain == 1;
    if (batch.ReplayGain) {
        batch.Albums = AlbumsOf(rows);
    }
    const OutputLayout layout(settings.OutFolder.OutputLayout, settings.OutFolder.OutFolder,
                              batch.EncodeType);
    batch.OutPaths.reserve(rows.size());
    for (std::size_t index = 0; index < rows.size(); ++index) {
        batch.OutPaths.push_back(layout.OutputPathOf(batch.Paths[index], rows[index].AddedFrom));
    }

    const OggParm& ogg = settings.Ogg;
    if (batch.EncodeType == kEncodeTypeOgg && ogg.MinBitrate != -1 && ogg.MinBitrate < 64000 &&
        ogg.AveBitrate == -1 && ogg.MaxBitrate == -1) {
        Refuse(kOggMinBitrateMessage);
        return std::nullopt;
    }
    return batch;
}

std::vector<std::vector<std::size_t>> FindOutputClashes(const ConversionBatch& batch) {
    std::map<std::string, std::vector<std::size_t>> byOutput;
    std::vector<std::string> order;
    for (std::size_t index = 0; index < batch.OutPaths.size(); ++index) {
        const std::string output = PlaceOf(batch.OutPaths[index]).string();
        std::vector<std::size_t>& items = byOutput[output];
        if (items.empty()) {
            order.push_back(output);
        }
        items.push_back(index);
    }
    std::vector<std::vector<std::size_t>> clashes;
    for (const std::string& output : order) {
        if (byOutput[output].size() > 1) {
            clashes.push_back(std::move(byOutput[output]));
        }
    }
    return clashes;
}
