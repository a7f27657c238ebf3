// SPDX-License-Identifier: GPL-3.0-or-later
// One conversion through the window, on the display QT_QPA_PLATFORM names (offscreen when it is
// unset): the main window on its first start, the files in its list, JOBS files at once, "変換"
// once the window is on the screen. The benchmark's measure of what the progress window costs
// the jobs against wavpress-cli on the same files. Prints the wall and CPU seconds of the
// conversion itself, from "変換" to the end of the batch.
//
//     wavpress-window-bench mp3|ogg OUTPUT_FOLDER JOBS WAVE_FILE...

#include "platform/MessageBox.h"
#include "ui/CListEditCtrl.h"
#include "ui/CWavPressDlg.h"
#include "ui/QtMessageBackend.h"
#include "ui/QtText.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/resource.h>

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    const int jobs = argc >= 5 ? std::atoi(argv[3]) : 0;
    if (jobs < 1 || (std::strcmp(argv[1], "mp3") != 0 && std::strcmp(argv[1], "ogg") != 0)) {
        std::fputs("usage: wavpress-window-bench mp3|ogg OUTPUT_FOLDER JOBS WAVE_FILE...\n",
                   stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    platform::MessageBox::SetBackend(std::make_shared<QtMessageBackend>());

    // A settings folder of its own, empty: the first-start settings wavpress-cli has too, with
    // the choices of wavpress-cli -y -t KIND -o OUTPUT_FOLDER.
    const QTemporaryDir settingsFolder;
    CWavPressDlg window(ToUtf8(settingsFolder.path()) + "/");
    OutFolderParm& general = window.Settings().OutFolder;
    general.EncodeType = std::strcmp(argv[1], "ogg") == 0 ? 1 : 0;
    general.OutFolder = argv[2];
    general.IdentityOutFile = 0;
    general.Jobs = jobs;
    for (int arg = 4; arg < argc; ++arg) {
        if (const char* refused = window.findChild<CListEditCtrl*>()->AddFileEntry(argv[arg], -1)) {
            std::fprintf(stderr, "%s: %s\n", argv[arg], refused);
            return 1;
        }
    }
    window.show();
    // As a user presses it: on a window already drawn.
    const auto shown = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!window.windowHandle()->isExposed() && std::chrono::steady_clock::now() < shown) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    QCoreApplication::processEvents();

    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    window.OnConvert();
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    std::printf("%.3f %.3f\n", wall.count(), CpuSeconds() - cpuStart);
    return 0;
}
