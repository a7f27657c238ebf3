// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutcomeText.h"

#include "platform/Format.h"

#include <cerrno>

const char* OutcomeText::RefusalReason(const WaveFileCheck& check) {
    if (check) {
        return nullptr;
    }
    if (!check.WaveName) {
        return kNotWav;
    }
    if (check.Probe.Failure == WaveFailure::M1) {
        const int error = check.Probe.Error;
        return error == ENOENT ? kMissing : error == 0 ? kNotRegular : kCannotOpen;
    }
    return kNotAcceptedWave;
}

const char* OutcomeText::ResultLabel(BatchItemResult result) {
    switch (result) {
    case BatchItemResult::Converted:
        return "変換済み";
    case BatchItemResult::Skipped:
        return "スキップ";
    case BatchItemResult::Failed:
        return "失敗";
    case BatchItemResult::Cancelled:
        return "キャンセル";
    }
    return "";
}

OutcomeText::Counts OutcomeText::CountResults(const std::vector<BatchItemReport>& reports) {
    Counts counts{};
    for (const BatchItemReport& report : reports) {
        ++counts[static_cast<std::size_t>(report.Result)];
    }
    return counts;
}

std::string OutcomeText::CountsText(const Counts& counts) {
    return platform::Format(
        "%s %zu, %s %zu, %s %zu, %s %zu", ResultLabel(BatchItemResult::Converted), counts[0],
        ResultLabel(BatchItemResult::Skipped), counts[1], ResultLabel(BatchItemResult::Failed),
        counts[2], ResultLabel(BatchItemResult::Cancelled), counts[3]);
}
