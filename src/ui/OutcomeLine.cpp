// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/OutcomeLine.h"

#include "batch/RefusedFiles.h"
#include "platform/Format.h"
#include "ui/Caption.h"
#include "ui/QtText.h"
#include "ui/ToolTips.h"

OutcomeLine::OutcomeLine(QWidget* parent) : ElidedLabel(QString(), parent) {
    NameControl(this, kName);
}

void OutcomeLine::ShowRefusals(const RefusedFiles& refused) {
    if (refused.Empty()) {
        Show({}, {});
        return;
    }
    Show(refused.Summary(), refused.Details());
}

void OutcomeLine::ShowBatchEnd(const std::string& countsText) {
    Show(BatchEndText(countsText), {});
}

std::string OutcomeLine::BatchEndText(const std::string& countsText) {
    return platform::Format(kBatchEndFormat, countsText.c_str());
}

void OutcomeLine::Show(const std::string& text, const std::string& details) {
    SetText(ToShownText(text));
    // The line may be cut short: the reader hears it whole.
    setAccessibleName(ToQString(kName) + QStringLiteral("：") + ToShownText(text));
    SetToolTip(this, details);
}
