// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the windows of wavPress offscreen into PNG files, for the README:
//   wavpress-screenshots FOLDER [SCALE]
// With a SCALE other than 1, as on a screen of that many device pixels to a pixel: the main
// window only, under each of its tabs, into files named with "-x" and the scale.
// The windows are the program's own, on settings and WAVE files made here. The folder shown in
// the file list of the main window is set to a fixed one, so that those pictures do not change
// from run to run; the progress window shows a real conversion, cancelled once it is pictured.
#include "audio/WaveReader.h"
#include "batch/ConversionStart.h"
#include "settings/EncodeSettings.h"
#include "settings/SettingsLifecycle.h"
#include "ui/CID3TagDlg.h"
#include "ui/CListEditCtrl.h"
#include "ui/CWavPressDlg.h"
#include "ui/ElidedLabel.h"
#include "ui/EncodeProgressWindow.h"
#include "ui/ProgressBarWidget.h"
#include "ui/QtText.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kShownFolder = "/home/user/音楽/";

struct Track {
    const char* File;
    FileRow Tags; ///< the tag columns only
};

const std::vector<Track>& Tracks() {
    static const std::vector<Track> tracks = {
        {"01 朝の光.wav", {"", "", "", "朝の光", "山田 花子", "四季", "2024", "", "JPop"}},
        {"02 Summer Rain.wav",
         {"", "", "", "Summer Rain", "The Lanterns", "Weather", "2023", "live", "Rock"}},
        {"03 秋の夜長.wav", {"", "", "", "秋の夜長", "山田 花子", "四季", "2024", "", "JPop"}},
        {"04 Snowfall.wav", {}},
    };
    return tracks;
}

// A quiet tone, 16-bit stereo at 44100 Hz: what the list accepts.
bool WriteWave(const QString& path, std::uint32_t seconds) {
    constexpr std::uint32_t rate = 44100;
    const std::uint32_t frames = rate * seconds;
    QByteArray bytes;
    const auto put32 = [&bytes](std::uint32_t value) {
        const std::uint32_t little = qToLittleEndian(value);
        bytes.append(reinterpret_cast<const char*>(&little), 4);
    };
    const auto put16 = [&bytes](std::uint16_t value) {
        const std::uint16_t little = qToLittleEndian(value);
        bytes.append(reinterpret_cast<const char*>(&little), 2);
    };
    bytes.append("RIFF");
    put32(36 + frames * 4);
    bytes.append("WAVEfmt ");
    put32(16);
    put16(1);
    put16(2);
    put32(rate);
    put32(rate * 4);
    put16(4);
    put16(16);
    bytes.append("data");
    put32(frames * 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const auto sample = static_cast<std::int16_t>(3000 * std::sin(i * 0.0627));
        put16(static_cast<std::uint16_t>(sample));
        put16(static_cast<std::uint16_t>(sample));
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class Shots {
public:
    Shots(QString outFolder, QString suffix)
        : out_(std::move(outFolder)), suffix_(std::move(suffix)) {}

    bool Prepare() {
        if (!work_.isValid() || !QDir().mkpath(work_.filePath(QStringLiteral("settings")))) {
            return false;
        }
        // The first three files are long enough for the progress window to be seen in their
        // middle, side by side.
        std::uint32_t seconds = 180;
        for (const Track& track : Tracks()) {
            const QString path = work_.filePath(ToQString(track.File));
            if (!WriteWave(path, seconds)) {
                return false;
            }
            files_.push_back(ToUtf8(path));
            seconds = seconds > 120 ? seconds - 30 : 1;
        }
        return true;
    }

    /// The main window over settings with the given encoder, the tracks in its list. For a
    /// conversion the list shows the files where they are and the outputs go into the work
    /// folder.
    std::unique_ptr<CWavPressDlg> Window(std::int32_t encodeType, bool forConversion = false,
                                         std::int32_t jobs = 1) {
        EncodeSettings settings;
        settings.ApplyFirstStartDefaults();
        settings.OutFolder.OutFolder = forConversion ? ToUtf8(work_.path()) : "/home/user/音楽/mp3";
        settings.OutFolder.EncodeType = encodeType;
        settings.OutFolder.Jobs = jobs;
        const std::string folder = ToUtf8(work_.filePath(QStringLiteral("settings/")));
        SaveExitSettings(folder, settings, SettingsFileState::Missing);
        auto window = std::make_unique<CWavPressDlg>(folder);
        window->AddDroppedFiles(files_);
        auto* list = window->findChild<CListEditCtrl*>();
        for (int row = 0; row < list->RowCount(); ++row) {
            list->SetTagCells(row, Tracks()[static_cast<std::size_t>(row)].Tags);
            if (!forConversion) {
                list->topLevelItem(row)->setText(kColumnFolder, ToQString(kShownFolder));
            }
        }
        window->show();
        return window;
    }

    bool Save(QWidget& widget, const char* name) {
        const QString path =
            QDir(out_).filePath(QLatin1String(name) + suffix_ + QStringLiteral(".png"));
        if (!widget.grab().save(path, "PNG")) {
            std::fprintf(stderr, "wavpress-screenshots: cannot write %s\n", ToUtf8(path).c_str());
            return false;
        }
        std::printf("%s\n", ToUtf8(path).c_str());
        return true;
    }

private:
    QString out_;
    QString suffix_;
    QTemporaryDir work_{QDir::tempPath() + QStringLiteral("/wavpress-XXXXXX")};
    std::vector<std::string> files_;
};

/// Pictures the progress window once its bar is painted well into the first file and the
/// time has been shown, then cancels the batch.
class ProgressShot : public QObject {
public:
    ProgressShot(Shots& shots, const char* name) : shots_(shots), name_(name) {
        qApp->installEventFilter(this);
    }
    ~ProgressShot() override { qApp->removeEventFilter(this); }

    bool Saved() const { return saved_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* bar =
            event->type() == QEvent::Paint ? qobject_cast<ProgressBarWidget*>(watched) : nullptr;
        auto* window =
            bar != nullptr ? qobject_cast<EncodeProgressWindow*>(bar->window()) : nullptr;
        if (window == nullptr || taken_ || !Ready(*window)) {
            return false;
        }
        taken_ = true;
        // Right after the paint, not inside it.
        QMetaObject::invokeMethod(
            window,
            [this, window] {
                saved_ = shots_.Save(*window, name_);
                window->CancelAll();
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    static bool Ready(EncodeProgressWindow& window) {
        const std::uint64_t percent = window.Batch().Slot(0).ProgressBar().Percent();
        // Several files at once: each has its block.
        for (std::size_t slot = 0; slot < window.Batch().SlotCount(); ++slot) {
            if (!window.Batch().Slot(slot).IsBusy()) {
                return false;
            }
        }
        const auto* time = window.findChild<ElidedLabel*>(QStringLiteral("time"));
        const bool timeShown =
            time != nullptr && time->Text() != ToQString(EncodeProgressWindow::kTimePlaceholder);
        // A machine that converts the file within the first second still gets its picture.
        return (timeShown && percent >= 40) || percent >= 90;
    }

    Shots& shots_;
    const char* name_;
    bool taken_ = false;
    bool saved_ = false;
};

} // namespace

int main(int argc, char** argv) {
    const QString scale = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("1");
    bool isNumber = false;
    const double factor = scale.toDouble(&isNumber);
    if (argc < 2 || argc > 3 || !isNumber || factor <= 0) {
        std::fprintf(stderr, "usage: wavpress-screenshots FOLDER [SCALE]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const bool scaled = factor != 1.0;
    if (scaled) {
        qputenv("QT_SCALE_FACTOR", scale.toLocal8Bit());
    }
    QApplication app(argc, argv);
    Shots shots(QString::fromLocal8Bit(argv[1]), scaled ? QStringLiteral("-x") + scale : QString());
    if (!shots.Prepare()) {
        std::fprintf(stderr, "wavpress-screenshots: cannot make the sample files\n");
        return 1;
    }

    bool saved = true;
    {
        const auto window = shots.Window(kEncodeTypeMp3);
        auto* tabs = window->findChild<QTabBar*>();
        saved = shots.Save(*window, "main-window-output-folder") && saved;
        tabs->setCurrentIndex(1);
        saved = shots.Save(*window, "main-window-mp3") && saved;
        tabs->setCurrentIndex(2);
        saved = shots.Save(*window, "main-window-version") && saved;
        if (!scaled) {
            CID3TagDlg tagDialog({window->Rows().front()}, window.get());
            tagDialog.show();
            saved = shots.Save(tagDialog, "tag-dialog") && saved;
            // Several rows: what they share, and （複数の値） where they differ.
            CID3TagDlg severalDialog(window->Rows(), window.get());
            severalDialog.show();
            saved = shots.Save(severalDialog, "tag-dialog-several") && saved;
            // Made larger, the list takes the room.
            tabs->setCurrentIndex(0);
            window->resize(window->size() + QSize(360, 220));
            saved = shots.Save(*window, "main-window-enlarged") && saved;
        }
    }
    {
        const auto window = shots.Window(kEncodeTypeOgg);
        window->findChild<QTabBar*>()->setCurrentIndex(1);
        saved = shots.Save(*window, "main-window-ogg-vorbis") && saved;
    }
    if (!scaled) {
        {
            const auto window = shots.Window(kEncodeTypeMp3, true);
            ProgressShot progress(shots, "progress-window");
            window->OnConvert();
            saved = progress.Saved() && saved;
        }
        // Three side by side, whatever the machine's cores would allow.
        const auto window = shots.Window(kEncodeTypeMp3, true);
        std::optional<ConversionBatch> batch =
            PrepareConversion(window->Rows(), window->Settings());
        if (!batch) {
            return 1;
        }
        for (const std::string& path : batch->Paths) {
            batch->Probes.push_back(ProbeWave(path));
        }
        EncodeProgressWindow jobs(*batch, 3, window.get());
        ProgressShot progress(shots, "progress-window-jobs");
        jobs.Run();
        saved = progress.Saved() && saved;
    }
    return saved ? 0 : 1;
}
