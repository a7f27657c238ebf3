// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "encoders/OutputFolders.h"
#include "encoders/ReplayGainAlbum.h"
#include "lame_enc/BladeMP3EncDLL.h"
#include "platform/File.h"
#include "settings/OggParm.h"
#include "tags/EncodeItem.h"

#include <memory>
#include <string>
#include <vector>

/// An input of a batch and the file it is.
struct BatchInput {
    std::string Path;
    platform::FileIdentity Identity;
};

/// Everything one job reads, held by the job for its run: the item (input path and tag values),
/// the output path and the settings of both kinds of job, each reading its own.
struct EncodeJobInput {
    EncodeItem Item;
    std::string OutPath;
    BE_CONFIG LameParm{}; ///< the MP3 parameters in effect (LameParm or the preset's copy)
    OggParm Ogg;
    bool Id3v2 = true;       ///< MP3 outputs begin with an ID3v2.3 tag beside their ID3v1 record
    bool ReplayGain = false; ///< the output carries the ReplayGain values measured while encoding
    /// The inputs of the whole batch, shared by its jobs: no output may be one of them.
    std::shared_ptr<const std::vector<BatchInput>> BatchInputs;
    /// The folders the batch makes for its outputs; without it none is made.
    std::shared_ptr<OutputFolders> Folders;
    /// The album the item belongs to, with ReplayGain: the output waits there for the album's
    /// values. Without it the output takes its track values alone.
    std::shared_ptr<ReplayGainAlbum> Album;
};

/// The files at paths (links followed), those that exist.
std::shared_ptr<const std::vector<BatchInput>>
IdentifyInputs(const std::vector<std::string>& paths);
