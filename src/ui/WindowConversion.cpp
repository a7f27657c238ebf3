// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WindowConversion.h"

#include "batch/ConversionStart.h"
#include "batch/OutcomeText.h"
#include "settings/OutFolderParm.h"
#include "ui/DesktopNotification.h"
#include "ui/EncodeProgressWindow.h"
#include "ui/OutcomeLine.h"
#include "ui/QtText.h"

#include <QWidget>

#include <optional>

std::optional<std::string> WindowConversion::Run(const std::vector<FileRow>& rows,
                                                 const std::vector<WaveProbe>& probes,
                                                 EncodeSettings& settings) {
    if (IsRunning()) {
        return std::nullopt;
    }
    std::optional<ConversionBatch> batch = PrepareConversion(rows, settings);
    if (!batch) {
        return std::nullopt;
    }
    const auto jobs = static_cast<std::size_t>(JobsInRange(settings.OutFolder.Jobs));
    if (jobs > 1) {
        // The whole batch's progress goes by the audio of its files, as they were listed.
        batch->Probes = probes;
    }
    const QString idleTitle = mainWindow_.windowTitle();
    mainWindow_.setWindowTitle(ToQString(kBusyTitle));
    std::string counts;
    bool unseen = false;
    {
        EncodeProgressWindow window(*batch, jobs, &mainWindow_);
        window_ = &window;
        // The result tells nothing the counts do not.
        window.Run();
        window_ = nullptr;
        counts = OutcomeText::CountsText(OutcomeText::CountResults(window.Batch().Results()));
        unseen = window.EndedUnseen();
    }
    mainWindow_.setWindowTitle(idleTitle);
    if (unseen) {
        DesktopNotification().Send(QLatin1String(DesktopNotification::kAppName),
                                   ToQString(OutcomeLine::BatchEndText(counts)));
    }
    return counts;
}

void WindowConversion::EndBatch() {
    if (window_ != nullptr) {
        window_->EndProgram();
    }
}
