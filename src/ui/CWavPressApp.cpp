// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CWavPressApp.h"

#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "settings/SettingsFolder.h"
#include "ui/CWavPressDlg.h"
#include "ui/DropDownAccessible.h"
#include "ui/EndSignals.h"
#include "ui/QtMessageBackend.h"
#include "ui/QtText.h"
#include "ui/QtTranslations.h"

#include <QLocale>
#include <QSessionManager>
#include <QUrl>

#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {

// Paths as a drop carries them: absolute. The folder is resolved, the name kept, so that a
// link to a file is listed (and its output named) under the link's name. Bytes throughout: a
// name need not be UTF-8.
std::string DroppedPath(const std::string& argument) {
    std::string path = LocalPathOf(QUrl::fromEncoded(QByteArray::fromStdString(argument)));
    if (path.empty()) {
        path = argument;
    }
    if (path.empty()) {
        return path;
    }
    if (path.front() != platform::kPathSeparator) {
        char* current = ::getcwd(nullptr, 0);
        if (current != nullptr) {
            path = platform::JoinFolder(current, path);
            std::free(current);
        }
    }
    while (path.size() > 1 && path.back() == platform::kPathSeparator) {
        path.pop_back();
    }
    const std::string folder(platform::FolderOf(path));
    char* resolved = folder.empty() ? nullptr : ::realpath(folder.c_str(), nullptr);
    if (resolved == nullptr) {
        return path;
    }
    const std::string name(platform::NameOf(path));
    path = platform::JoinFolder(resolved, name);
    std::free(resolved);
    return path;
}

} // namespace

// Qt has taken its own options out of argv by the time the arguments are copied.
CWavPressApp::CWavPressApp(int& argc, char** argv)
    : QApplication(argc, argv), arguments_(argv, argv + argc) {
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
    const std::unique_ptr<CWavPressDlg> dialog = CreateMainDialog(SettingsFolder(), arguments_);
    dialog_ = dialog.get();
    // The process lives as long as the main window; the session manager's quit also ends it.
    connect(dialog_, &QDialog::finished, this, &QCoreApplication::quit);
    dialog_->show();
    exec();
    dialog_ = nullptr;
    return 0;
}

std::unique_ptr<CWavPressDlg>
CWavPressApp::CreateMainDialog(std::string settingsFolder,
                               const std::vector<std::string>& arguments) {
    auto dialog = std::make_unique<CWavPressDlg>(std::move(settingsFolder));
    std::vector<std::string> paths;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        paths.push_back(DroppedPath(arguments[i]));
    }
    dialog->AddDroppedFiles(paths);
    return dialog;
}
