// Renders the windows of wavPress offscreen into PNG files, for the README:
//   wavpress-screenshots FOLDER
// The windows are the program's own, on settings and WAVE files made here; only the folder
// shown in the file list is set to a fixed one, so that the pictures do not change from run
// to run.
#include "settings/EncodeSettings.h"
#include "settings/SettingsLifecycle.h"
#include "ui/CID3TagDlg.h"
#include "ui/CListEditCtrl.h"
#include "ui/CWavPressDlg.h"
#include "ui/QtText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>
#include <cstdio>
#include <memory>
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

// One second of a quiet tone, 16-bit stereo at 44100 Hz: what the list accepts.
bool WriteWave(const QString& path) {
    constexpr std::uint32_t rate = 44100;
    constexpr std::uint32_t frames = rate;
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
    Shots(QString outFolder) : out_(std::move(outFolder)) {}

    bool Prepare() {
        if (!work_.isValid() || !QDir().mkpath(work_.filePath(QStringLiteral("settings")))) {
            return false;
        }
        for (const Track& track : Tracks()) {
            const QString path = work_.filePath(ToQString(track.File));
            if (!WriteWave(path)) {
                return false;
            }
            files_.push_back(ToUtf8(path));
        }
        return true;
    }

    /// The main window over settings with the given encoder, the tracks in its list.
    std::unique_ptr<CWavPressDlg> Window(std::int32_t encodeType) {
        EncodeSettings settings;
        settings.ApplyFirstStartDefaults();
        settings.OutFolder.OutFolder = "/home/user/音楽/mp3";
        settings.OutFolder.EncodeType = encodeType;
        const std::string folder = ToUtf8(work_.filePath(QStringLiteral("settings/")));
        SaveExitSettings(folder, settings, SettingsFileState::Missing);
        auto window = std::make_unique<CWavPressDlg>(folder);
        window->AddDroppedFiles(files_);
        auto* list = window->findChild<CListEditCtrl*>();
        for (int row = 0; row < list->RowCount(); ++row) {
            list->SetTagCells(row, Tracks()[static_cast<std::size_t>(row)].Tags);
            list->topLevelItem(row)->setText(kColumnFolder, ToQString(kShownFolder));
        }
        window->show();
        return window;
    }

    bool Save(QWidget& widget, const char* name) {
        const QString path = QDir(out_).filePath(QLatin1String(name));
        if (!widget.grab().save(path, "PNG")) {
            std::fprintf(stderr, "wavpress-screenshots: cannot write %s\n", ToUtf8(path).c_str());
            return false;
        }
        std::printf("%s\n", ToUtf8(path).c_str());
        return true;
    }

private:
    QString out_;
    QTemporaryDir work_;
    std::vector<std::string> files_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: wavpress-screenshots FOLDER\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    Shots shots(QString::fromLocal8Bit(argv[1]));
    if (!shots.Prepare()) {
        std::fprintf(stderr, "wavpress-screenshots: cannot make the sample files\n");
        return 1;
    }

    bool saved = true;
    {
        const auto window = shots.Window(kEncodeTypeMp3);
        auto* tabs = window->findChild<QTabBar*>();
        saved = shots.Save(*window, "main-window-output-folder.png") && saved;
        tabs->setCurrentIndex(1);
        saved = shots.Save(*window, "main-window-mp3.png") && saved;
        tabs->setCurrentIndex(2);
        saved = shots.Save(*window, "main-window-version.png") && saved;

        CID3TagDlg tagDialog(window->Rows().front(), window.get());
        tagDialog.show();
        saved = shots.Save(tagDialog, "tag-dialog.png") && saved;
    }
    {
        const auto window = shots.Window(kEncodeTypeOgg);
        window->findChild<QTabBar*>()->setCurrentIndex(1);
        saved = shots.Save(*window, "main-window-ogg-vorbis.png") && saved;
    }
    return saved ? 0 : 1;
}
