// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WindowConversion.h"

#include "batch/ConversionStart.h"
#include "settings/OutFolderParm.h"
#include "ui/EncodeProgressWindow.h"
#include "ui/QtText.h"

#include <QWidget>

#include <optional>

void WindowConversion::Run(const std::vector<FileRow>& rows, const std::vector<WaveProbe>& probes,
                           EncodeSettings& settings) {
    if (IsRunning()) {
        return;
    }
    std::optional<ConversionBatch> batch = PrepareConversion(rows, settings);
    if (!batch) {
        return;
    }
    const auto jobs = static_cast<std::size_t>(JobsInRange(settings.OutFolder.Jobs));
    if (jobs > 1) {
        // The whole batch's progress goes by the audio of its files, as they were listed.
        batch->Probes = probes;
    }
    const QString idleTitle = mainWindow_.windowTitle();
    mainWindow_.setWindowTitle(ToQString(kBusyTitle));
    {
        EncodeProgressWindow window(*batch, jobs, &mainWindow_);
        window_ = &window;
        // The result tells nothing the user has not seen.
        window.Run();
        window_ = nullptr;
    }
    mainWindow_.setWindowTitle(idleTitle);
}

void WindowConversion::EndBatch() {
    if (window_ != nullptr) {
        window_->EndProgram();
    }
}
