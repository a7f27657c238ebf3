#include "ui/CWavPressApp.h"

#include "platform/MessageBox.h"
#include "settings/SettingsFolder.h"
#include "ui/CWavPressDlg.h"
#include "ui/DropDownAccessible.h"
#include "ui/EndSignals.h"
#include "ui/QtMessageBackend.h"
#include "ui/QtText.h"
#include "ui/QtTranslations.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSessionManager>
#include <QUrl>

#include <memory>

namespace {

// Paths as a drop carries them: absolute. The folder is resolved, the name kept, so that a
// link to a file is listed (and its output named) under the link's name.
std::string DroppedPath(const QString& argument) {
    const QUrl url(argument);
    const QFileInfo file(url.isLocalFile() ? url.toLocalFile() : argument);
    const QString folder = file.absoluteDir().canonicalPath();
    return ToUtf8(folder.isEmpty() ? file.absoluteFilePath()
                                   : QDir(folder).filePath(file.fileName()));
}

} // namespace

CWavPressApp::CWavPressApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("wavPress"));
    setApplicationVersion(QStringLiteral(WAVPRESS_VERSION));
    // Lets the desktop match the window to its menu entry and icon.
    setDesktopFileName(QStringLiteral(WAVPRESS_APP_ID));
    setQuitOnLastWindowClosed(false);
    InstallQtTranslations(*this, QLocale::system());
    DropDownAccessible::Install();
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
    const std::unique_ptr<CWavPressDlg> dialog = CreateMainDialog(SettingsFolder(), arguments());
    dialog_ = dialog.get();
    // The process lives as long as the main window; the session manager's quit also ends it.
    connect(dialog_, &QDialog::finished, this, &QCoreApplication::quit);
    dialog_->show();
    exec();
    dialog_ = nullptr;
    return 0;
}

std::unique_ptr<CWavPressDlg> CWavPressApp::CreateMainDialog(std::string settingsFolder,
                                                             const QStringList& arguments) {
    auto dialog = std::make_unique<CWavPressDlg>(std::move(settingsFolder));
    std::vector<std::string> paths;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        paths.push_back(DroppedPath(arguments[i]));
    }
    dialog->AddDroppedFiles(paths);
    return dialog;
}
