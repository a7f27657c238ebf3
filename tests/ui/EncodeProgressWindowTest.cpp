// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/EncodeProgressWindow.h"
#include "batch/ConversionStart.h"
#include "batch/FileRow.h"
#include "platform/File.h"
#include "support/TempDir.h"
#include "support/Watchdog.h"
#include "support/WaveWriter.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Starts and cancels of running jobs while the GUI thread is busy and the worker waits for a
// paint: by the buttons (the batch then ends through its event), by a cancel with the window
// going away at once, and by the window going away with no cancel at all.
TEST(EncodeProgressWindowTest, TwoHundredStartsAndCancelsWithTheGuiThreadBusyNeverHang) {
    const testsupport::Watchdog watchdog(90s, "the progress window did not let its job go");
    testsupport::TempDir in;
    testsupport::TempDir out;
    ASSERT_TRUE(testsupport::WriteWave(in.File("song.wav"), {},
                                       testsupport::StereoTone(44100, 44100, 440, 660)));
    FileRow row;
    ASSERT_TRUE(TakeWaveFile(in.File("song.wav"), row));
    EncodeSettings settings;
    settings.ApplyFirstStartDefaults();
    settings.OutFolder.OutFolder = out.Path();
    settings.OutFolder.IdentityOutFile = 0;
    std::optional<ConversionBatch> batches[2];
    for (const std::int32_t type : {kEncodeTypeMp3, kEncodeTypeOgg}) {
        settings.OutFolder.EncodeType = type;
        batches[type] = PrepareConversion({row}, settings);
        ASSERT_TRUE(batches[type].has_value());
    }
    QWidget owner;
    owner.show();

    for (int i = 0; i < 200; ++i) {
        SCOPED_TRACE(i);
        const int type = i % 2;
        auto* window = new EncodeProgressWindow(*batches[type], 1, &owner);
        window->show();
        window->Batch().Start();
        // The GUI thread is busy elsewhere while the job asks for its first paints.
        std::this_thread::sleep_for(std::chrono::microseconds(300 * (i % 5)));
        switch (i % 3) {
        case 0:
            window->CancelAll();
            ASSERT_TRUE(QTest::qWaitFor([&] { return window->Batch().HasEnded(); }, 10000));
            break;
        case 1:
            window->CancelFile();
            break;
        default:
            break;
        }
        delete window;
        EXPECT_FALSE(platform::FileExists(out.File(type == 0 ? "song.mp3" : "song.ogg")))
            << "a stopped job leaves no output";
    }
}

} // namespace
