#include "ui/CWavPressApp.h"

#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "ui/CWavPressDlg.h"
#include "ui/EndSignals.h"
#include "ui/QtMessageBackend.h"

#include <QSessionManager>

#include <memory>

CWavPressApp::CWavPressApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("wavPress"));
    setApplicationVersion(QStringLiteral(WAVPRESS_VERSION));
    setQuitOnLastWindowClosed(false);
    platform::MessageBox::SetBackend(std::make_shared<QtMessageBackend>());

    // Installed before the dialog exists, so that a signal that comes while it is being built
    // waits in the pipe instead of ending the process.
    auto* endSignals = new EndSignals(this);
    connect(endSignals, &EndSignals::EndRequested, this, [this] {
        if (dialog_ != nullptr) {
            dialog_->OnEndRequest();
        }
    });
    // The session manager may end the process without another word after this.
    connect(this, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        if (dialog_ != nullptr) {
            dialog_->SaveSettings();
        }
    });
}

int CWavPressApp::Run() {
    CWavPressDlg dialog(platform::ExecutableFolder());
    dialog_ = &dialog;
    // The process lives as long as the main window; the session manager's quit also ends it.
    connect(&dialog, &QDialog::finished, this, &QCoreApplication::quit);
    dialog.show();
    exec();
    dialog_ = nullptr;
    return 0;
}
