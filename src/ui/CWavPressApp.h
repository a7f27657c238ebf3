// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

#include <memory>
#include <string>
#include <vector>

class CWavPressDlg;

/// The window program: the main dialog is its whole life and its only top-level window. Ending
/// signals and the end of the desktop session end it as its own exit button does, so the
/// settings are kept.
class CWavPressApp : public QApplication {
    Q_OBJECT
public:
    CWavPressApp(int& argc, char** argv);

    /// Runs the main dialog until it ends; the process's exit status.
    int Run();

    /// The main dialog of a run started with arguments (the program's name first): settings
    /// in settingsFolder, and the files named after the program's name in the list as if they
    /// had been dropped onto it, so that a file manager's "open with" works. The arguments are
    /// the bytes the program was given (paths need not be UTF-8); file: URLs are taken too.
    static std::unique_ptr<CWavPressDlg>
    CreateMainDialog(std::string settingsFolder, const std::vector<std::string>& arguments);

private:
    const std::vector<std::string> arguments_;
    CWavPressDlg* dialog_ = nullptr;
};
