// One conversion through the window, offscreen, as "変換" runs it: the benchmark's measure of
// what the progress window costs the job against wavpress-cli on the same file. Prints the wall
// and CPU seconds of the conversion itself, without the start of the window system.
//
//     wavpress-window-bench mp3|ogg OUTPUT_FOLDER WAVE_FILE

#include "batch/FileRow.h"
#include "platform/File.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "settings/SettingsLifecycle.h"
#include "ui/QtMessageBackend.h"
#include "ui/WindowConversion.h"

#include <QApplication>
#include <QWidget>

#include <chrono>
#include <cstdio>
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
    if (argc != 4 || (std::strcmp(argv[1], "mp3") != 0 && std::strcmp(argv[1], "ogg") != 0)) {
        std::fputs("usage: wavpress-window-bench mp3|ogg OUTPUT_FOLDER WAVE_FILE\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    platform::MessageBox::SetBackend(std::make_shared<QtMessageBackend>());

    // The same settings as wavpress-cli -y -t KIND -o OUTPUT_FOLDER from the same folder.
    EncodeSettings settings;
    LoadStartupSettings(platform::ExecutableFolder(), settings);
    settings.OutFolder.EncodeType = std::strcmp(argv[1], "ogg") == 0 ? 1 : 0;
    settings.OutFolder.OutFolder = argv[2];
    settings.OutFolder.IdentityOutFile = 0;

    FileRow row;
    if (!TakeWaveFile(argv[3], row)) {
        std::fprintf(stderr, "%s: not a WAVE file the list takes\n", argv[3]);
        return 1;
    }
    QWidget mainWindow;
    mainWindow.show();
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    WindowConversion(mainWindow).Run({row}, settings);
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    std::printf("%.3f %.3f\n", wall.count(), CpuSeconds() - cpuStart);
    return 0;
}
