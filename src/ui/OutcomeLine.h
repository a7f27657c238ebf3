// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/ElidedLabel.h"

#include <string>

class RefusedFiles;

/// The line under the file list that says what became of the last adding of files or the last
/// batch, without a box to close: its text in one line, the details in its tip.
class OutcomeLine : public ElidedLabel {
    Q_OBJECT
public:
    static constexpr const char* kName = "結果";
    static constexpr const char* kBatchEndFormat = "変換が終わりました: %s";

    explicit OutcomeLine(QWidget* parent = nullptr);

    /// The files an adding did not take; nothing when it took them all.
    void ShowRefusals(const RefusedFiles& refused);
    /// The counts of a batch that has ended (OutcomeText::CountsText).
    void ShowBatchEnd(const std::string& countsText);
    /// The text of a batch's end, as the line and a desktop notification say it.
    static std::string BatchEndText(const std::string& countsText);

private:
    void Show(const std::string& text, const std::string& details);
};
