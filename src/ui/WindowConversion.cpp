#include "ui/WindowConversion.h"

#include "batch/ConversionStart.h"
#include "ui/EncodeProgressWindow.h"
#include "ui/QtText.h"

#include <QWidget>

#include <optional>

void WindowConversion::Run(const std::vector<FileRow>& rows, EncodeSettings& settings) {
    if (IsRunning()) {
        return;
    }
    const std::optional<ConversionBatch> batch = PrepareConversion(rows, settings);
    if (!batch) {
        return;
    }
    const QString idleTitle = mainWindow_.windowTitle();
    mainWindow_.setWindowTitle(ToQString(kBusyTitle));
    {
        EncodeProgressWindow window(*batch, &mainWindow_);
        window_ = &window;
        // The result tells nothing the user has not seen.
        window.Run();
        window_ = nullptr;
    }
    mainWindow_.setWindowTitle(idleTitle);
}

void WindowConversion::EndBatch() {
    if (window_ != nullptr) {
        window_->EndBatch();
    }
}
