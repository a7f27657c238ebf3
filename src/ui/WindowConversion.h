// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/FileRow.h"
#include "settings/EncodeSettings.h"

#include <optional>
#include <string>
#include <vector>

class EncodeProgressWindow;
class QWidget;

/// "変換" of the main window: turns the list's rows into a batch (refusing an empty list and
/// two bad settings with a message), and runs it under the modal progress window while the main
/// window's title says the program is encoding; the title it had comes back after. The list and
/// the settings are left as they were, apart from the MP3 working copy that holds the preset in
/// effect. A batch that ends while no window of the program is active is told by a desktop
/// notification.
class WindowConversion {
public:
    static constexpr const char* kBusyTitle = "wavPress(エンコード中)";

    explicit WindowConversion(QWidget& mainWindow) : mainWindow_(mainWindow) {}

    /// Returns when the batch is over, with its counts (OutcomeText::CountsText), or at once
    /// after a refusal, with nothing. probes: each row's, as the list found it.
    std::optional<std::string> Run(const std::vector<FileRow>& rows,
                                   const std::vector<WaveProbe>& probes, EncodeSettings& settings);

    /// True while a batch runs.
    bool IsRunning() const { return window_ != nullptr; }
    /// The program is ending: the running batch ends as by "全てキャンセル", without another
    /// question; Run returns once the running job has stopped and removed its output.
    void EndBatch();

private:
    QWidget& mainWindow_;
    EncodeProgressWindow* window_ = nullptr;
};
