// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchInputs.h"

#include "support/WaveWriter.h"

namespace batchtest {

BatchInputs::BatchInputs() {
    settings.ApplyFirstStartDefaults();
    settings.OutFolder.OutFolder = out.Path();
    settings.OutFolder.IdentityOutFile = 0;
}

std::string BatchInputs::Wave(const std::string& name, double seconds, double leftHz,
                              double rightHz, const std::string& folder) {
    const std::string path = folder.empty() ? in.File(name) : folder + "/" + name;
    const auto frames = static_cast<std::size_t>(seconds * kRate);
    EXPECT_TRUE(
        testsupport::WriteWave(path, {}, testsupport::StereoTone(kRate, frames, leftHz, rightHz)));
    return path;
}

void BatchInputs::Add(const std::string& path, const std::string& title, const std::string& genre) {
    FileRow row;
    ASSERT_TRUE(TakeWaveFile(path, row));
    row[kColumnTitle] = title;
    row[kColumnGenre] = genre;
    rows.push_back(row);
}

void BatchInputs::StartBatch(EncodeBatch& encodeBatch, std::int32_t encodeType) {
    settings.OutFolder.EncodeType = encodeType;
    prepared = PrepareConversion(rows, settings);
    ASSERT_TRUE(prepared.has_value());
    encodeBatch.SetBatch(*prepared);
    encodeBatch.Start();
}

std::vector<BatchItemResult> BatchInputs::ResultsOf(const EncodeBatch& encodeBatch) {
    std::vector<BatchItemResult> results;
    for (const BatchItemReport& report : encodeBatch.Results()) {
        results.push_back(report.Result);
    }
    return results;
}

} // namespace batchtest
