// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/ConversionStart.h"
#include "batch/EncodeBatch.h"
#include "batch/FileRow.h"
#include "settings/EncodeSettings.h"
#include "support/RecordingMessageBackend.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace batchtest {

inline constexpr std::uint32_t kRate = 44100;

/// What a batch test converts: tone files, the list's rows of them and the first-start settings
/// writing into an output folder of the test's own; the messages shown meanwhile are recorded.
class BatchInputs : public ::testing::Test {
protected:
    BatchInputs();

    /// A tone file in folder (the input folder when empty); the left and right tones tell files
    /// and channels apart.
    std::string Wave(const std::string& name, double seconds, double leftHz = 440.0,
                     double rightHz = 660.0, const std::string& folder = {});
    /// A row of the file with the given tag texts.
    void Add(const std::string& path, const std::string& title = {}, const std::string& genre = {});
    /// Prepares the rows for the encoder and starts encodeBatch on them.
    void StartBatch(EncodeBatch& encodeBatch, std::int32_t encodeType);

    std::string Out(const std::string& name) const { return out.File(name); }
    static std::vector<BatchItemResult> ResultsOf(const EncodeBatch& encodeBatch);

    testsupport::ScopedMessageRecorder messages;
    testsupport::TempDir in;
    testsupport::TempDir out;
    EncodeSettings settings;
    std::vector<FileRow> rows;
    std::optional<ConversionBatch> prepared;
};

} // namespace batchtest
