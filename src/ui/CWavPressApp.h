#pragma once

#include <QApplication>

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

private:
    CWavPressDlg* dialog_ = nullptr;
};
