#include "ui/EncodeProgressWindow.h"
#include "batch/ConversionStart.h"
#include "batch/FileRow.h"
#include "platform/File.h"
#include "support/TempDir.h"
#include "support/WaveWriter.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A hang of the GUI thread must end the run with a message, not stall it.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
              std::unique_lock lock(mutex_);
              if (!finished_.wait_for(lock, limit, [this] { return done_; })) {
                  std::fputs("deadlock: the progress window did not let its job go\n", stderr);
                  std::abort();
              }
          }) {}
    ~Watchdog() {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        finished_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    std::thread thread_;
};

// Starts and cancels of running jobs while the GUI thread is busy and the worker waits for a
// paint: by the buttons (the batch then ends through its event), by a cancel with the window
// going away at once, and by the window going away with no cancel at all.
TEST(EncodeProgressWindowTest, TwoHundredStartsAndCancelsWithTheGuiThreadBusyNeverHang) {
    const Watchdog watchdog(90s);
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
        auto* window = new EncodeProgressWindow(*batches[type], &owner);
        window->show();
        window->Dialog().Start();
        // The GUI thread is busy elsewhere while the job asks for its first paints.
        std::this_thread::sleep_for(std::chrono::microseconds(300 * (i % 5)));
        switch (i % 3) {
        case 0:
            window->CancelAll();
            ASSERT_TRUE(QTest::qWaitFor([&] { return window->Dialog().HasEnded(); }, 10000));
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
