// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogScript.h"
#include "ProgressWatch.h"
#include "WavPressWindowTest.h"

#include "batch/ConversionStart.h"
#include "batch/EncodeBatch.h"
#include "batch/FileRow.h"
#include "encoders/LibraryFolder.h"
#include "platform/CodePage.h"
#include "platform/File.h"
#include "platform/Format.h"
#include "support/Mp3Decoder.h"
#include "support/OggDecoder.h"
#include "support/TempDir.h"
#include "support/WaveWriter.h"
#include "ui/ElidedLabel.h"
#include "ui/EncodeProgressWindow.h"
#include "ui/ProgressBarWidget.h"
#include "ui/QtText.h"
#include "ui/ToolTips.h"

#include <QAccessible>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace {

using testsupport::ReadFileBytes;
using uitest::LabelText;
using uitest::Percent;

constexpr std::uint32_t kRate = 44100;

// Whole conversions started with "変換" of the main window, every dialog answered as a user
// would.
class ConversionTest : public WavPressWindowTest {
protected:
    ConversionTest() {
        Settings().OutFolder.OutFolder = out.Path();
        Settings().OutFolder.IdentityOutFile = 0;
        // The stated window, one file at a time; several at once have a test of their own.
        Settings().OutFolder.Jobs = 1;
    }

    EncodeSettings& Settings() { return Window().Settings(); }

    /// A tone file; the left and right tones tell the channels apart.
    std::string Tone(const std::string& name, double seconds, double leftHz = 440.0,
                     double rightHz = 660.0) {
        const std::string path = inputFolder.File(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        const auto frames = static_cast<std::size_t>(seconds * kRate);
        EXPECT_TRUE(testsupport::WriteWave(
            path, {}, testsupport::StereoTone(kRate, frames, leftHz, rightHz)));
        return path;
    }

    /// The tag cells of a row of the list.
    void Tag(int row, const std::string& title, const std::string& artist,
             const std::string& genre) {
        FileRow cells = List()->Row(row);
        cells[kColumnTitle] = title;
        cells[kColumnArtist] = artist;
        cells[kColumnGenre] = genre;
        List()->SetTagCells(row, cells);
    }

    /// "変換"; returns when the batch is over.
    void Convert(std::int32_t encodeType) {
        Settings().OutFolder.EncodeType = encodeType;
        ASSERT_TRUE(ConvertButton()->isEnabled());
        QTest::mouseClick(ConvertButton(), Qt::LeftButton);
        EXPECT_EQ(Window().windowTitle(), QStringLiteral("wavPress"));
        EXPECT_FALSE(watch.StepsLeft()) << "the batch ended before every step was taken";
    }

    /// While the job of the input is past its first percent and far from its end.
    std::function<bool(EncodeProgressWindow&)> During(const std::string& input) const {
        return [input](EncodeProgressWindow& window) {
            const std::uint64_t percent = Percent(window);
            return window.Batch().TakenItem().InPath == input && percent >= 1 && percent <= 80;
        };
    }

    static void Click(EncodeProgressWindow& window, const char* button) {
        QTest::mouseClick(window.findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
    }

    std::string Out(const std::string& name) const { return out.File(name); }

    testsupport::TempDir out;
    uitest::DialogScript script;
    uitest::ProgressWatch watch;
};

std::string Field(const std::string& text, std::size_t width) {
    const std::string cp932 = platform::Utf8ToCp932(text);
    return cp932 + std::string(width - cp932.size(), ' ');
}

TEST_F(ConversionTest, ConvertsEveryFileOfTheListToMp3AndToOggVorbis) {
    const std::string longFolder = std::string(90, 'f') + "/";
    const std::string one = Tone(longFolder + "one.wav", 0.8, 440, 660);
    const std::string two = Tone("two.wav", 0.6, 550, 330);
    Add({one, two});
    Tag(0, "曲名", "Artist", "Rock");
    Tag(1, "Second", "", "");
    const std::vector<FileRow> listBefore = Window().Rows();
    std::string longLabelShown;
    watch.During(During(one), [&](EncodeProgressWindow& window) {
        EXPECT_EQ(LabelText(window, "outputPath"), ToQString(Out("one.mp3")));
        longLabelShown =
            ToUtf8(window.findChild<ElidedLabel*>(QStringLiteral("inputPath"))->ShownText());
    });
    Convert(kEncodeTypeMp3);

    EXPECT_EQ(watch.shown, 1);
    EXPECT_EQ(watch.mainTitleAtShow, QStringLiteral("wavPress(エンコード中)"));
    EXPECT_EQ(watch.timeAtShow, QStringLiteral("　　　経過時間：00:00　　　　　　予想時間：00:00"));
    // A long path keeps both of its ends around an ellipsis in the middle.
    EXPECT_NE(longLabelShown.find("…"), std::string::npos);
    EXPECT_EQ(longLabelShown.substr(0, 5), one.substr(0, 5));
    EXPECT_TRUE(longLabelShown.ends_with("one.wav"));
    EXPECT_EQ(watch.paintedFull, (std::set<std::string>{one, two}));
    EXPECT_EQ(Window().Rows(), listBefore);
    EXPECT_TRUE(script.boxes.empty());

    const struct {
        std::string name;
        double seconds, leftHz, rightHz;
    } files[] = {{"one", 0.8, 440, 660}, {"two", 0.6, 550, 330}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const DecodedMp3 mp3 = DecodeMp3(Out(file.name + ".mp3"));
        ASSERT_TRUE(mp3.opened);
        ASSERT_EQ(mp3.channels, 2);
        // The info frame tells the decoder the encoder's delay and the last frame's padding.
        EXPECT_EQ(mp3.samples[0].size(), static_cast<std::size_t>(file.seconds * kRate));
        EXPECT_NEAR(ToneFrequency(mp3.samples[1], mp3.rate), file.rightHz, file.rightHz * 0.02);
    }
    const std::string first = ReadFileBytes(Out("one.mp3"));
    ASSERT_GT(first.size(), 128u);
    const std::string tag = first.substr(first.size() - 128);
    EXPECT_EQ(tag.substr(0, 33), "TAG" + Field("曲名", 30));
    EXPECT_EQ(tag.substr(33, 30), Field("Artist", 30));
    EXPECT_EQ(static_cast<unsigned char>(tag[127]), 17);

    watch.paintedFull.clear();
    Convert(kEncodeTypeOgg);
    EXPECT_EQ(watch.shown, 2);
    EXPECT_EQ(watch.paintedFull.size(), 2u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const DecodedOgg ogg = DecodeOgg(Out(file.name + ".ogg"));
        ASSERT_TRUE(ogg.opened);
        ASSERT_EQ(ogg.channels, 2);
        EXPECT_EQ(ogg.totalFrames, static_cast<long long>(file.seconds * kRate));
        EXPECT_NEAR(ToneFrequency(ogg.samples[0], ogg.rate), file.leftHz, file.leftHz * 0.02);
    }
    const DecodedOgg tagged = DecodeOgg(Out("one.ogg"));
    for (const char* comment : {"TITLE=曲名", "ARTIST=Artist", "GENRE=Rock"}) {
        EXPECT_NE(std::find(tagged.comments.begin(), tagged.comments.end(), comment),
                  tagged.comments.end())
            << comment;
    }
    // A conversion writes no settings: they are written when the window ends.
    EXPECT_FALSE(platform::FileExists(settingsFolder.File("opt.ini")));
}

TEST_F(ConversionTest, DroppedNamesThatAreNotUtf8AreShownEscapedAndConvertUnderTheirBytes) {
    // Code page 932 and Latin-1 names, as Windows archives and old disks hold them.
    const std::string cp932 = Tone("\x93\xfa\x96\x7b.wav", 0.3);
    Tone("caf\xe9.wav", 0.3);
    QMimeData data;
    data.setUrls({QUrl::fromEncoded(QByteArray::fromStdString("file://" + inputFolder.Path() +
                                                              "%93%FA%96%7B.wav")),
                  QUrl::fromEncoded(
                      QByteArray::fromStdString("file://" + inputFolder.Path() + "caf%E9.wav"))});
    QWidget* viewport = List()->viewport();
    const QPoint at = viewport->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);

    ASSERT_EQ(List()->RowCount(), 2);
    EXPECT_EQ(Cell(0, kColumnName), QStringLiteral("\\x93\\xFA\\x96{.wav"));
    EXPECT_EQ(Cell(1, kColumnName), QStringLiteral("caf\\xE9.wav"));
    EXPECT_EQ(Cell(1, kColumnFolder), ToQString(inputFolder.Path()));
    // The question before the existing output is replaced names it as the list would.
    Settings().OutFolder.IdentityOutFile = 1;
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("\x93\xfa\x96\x7b.ogg"), "old"));
    script.Click(QMessageBox::Yes);
    QString shownInput;
    watch.During(
        [&](EncodeProgressWindow& window) { return window.Batch().TakenItem().InPath == cp932; },
        [&](EncodeProgressWindow& window) { shownInput = LabelText(window, "inputPath"); });
    Convert(kEncodeTypeOgg);
    EXPECT_EQ(shownInput, ToQString(inputFolder.Path()) + QStringLiteral("\\x93\\xFA\\x96{.wav"));
    ASSERT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(script.boxes[0].title,
              ToQString("保存確認(" + out.Path()) + QStringLiteral("\\x93\\xFA\\x96{.ogg)"));
    EXPECT_EQ(
        script.boxes[0].text,
        QStringLiteral("保存先に同一ファイル名が存在します\n上書きしてもよろしいでしょうか？"));
    EXPECT_TRUE(DecodeOgg(Out("\x93\xfa\x96\x7b.ogg")).opened);
    EXPECT_TRUE(DecodeOgg(Out("caf\xe9.ogg")).opened);
}

TEST_F(ConversionTest, ALibraryOfAlbumsFromTheCommandLineConvertsInEveryLayout) {
    // Tracks of one name in every album, each of its own length so that a mix-up shows; the
    // third long enough for its bar to be painted in its middle at the bar's pace.
    const std::vector<std::string> tracks = {
        Tone("lib/A/01.wav", 0.3), Tone("lib/A/02.wav", 0.35), Tone("lib/B/01.wav", 8.0),
        Tone("lib/B/sub/01.wav", 0.45), Tone("solo/03.wav", 0.5)};
    std::map<std::string, std::string> alone;
    for (const std::string& track : tracks) {
        List()->clear();
        Add({track});
        Convert(kEncodeTypeMp3);
        const std::string output = Out(std::filesystem::path(track).stem().string() + ".mp3");
        alone[track] = ReadFileBytes(output);
        std::filesystem::remove(output);
    }
    const std::string lib = inputFolder.File("lib/");
    const struct {
        std::int32_t layout;
        std::vector<std::string> outputs; ///< per track; empty: asked about and kept
    } cases[] = {
        // Every output into the folder: the second album's tracks meet the first's.
        {kOutputLayoutFlat, {Out("01.mp3"), Out("02.mp3"), "", "", Out("03.mp3")}},
        {kOutputLayoutTree,
         {Out("A/01.mp3"), Out("A/02.mp3"), Out("B/01.mp3"), Out("B/sub/01.mp3"), Out("03.mp3")}},
        {kOutputLayoutBeside,
         {lib + "A/01.mp3", lib + "A/02.mp3", lib + "B/01.mp3", lib + "B/sub/01.mp3",
          inputFolder.File("solo/03.mp3")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        Settings().OutFolder.OutputLayout = c.layout;
        List()->clear();
        // As the command line names them: two album folders and a track on its own.
        Window().AddDroppedFiles({lib + "A", lib + "B/", tracks[4]});
        ASSERT_EQ(List()->RowCount(), 5);
        EXPECT_EQ(List()->ToolTipAt(CellCenter(0, kColumnName)),
                  List()->toolTip() + QLatin1Char('\n') +
                      WrapToolTipText(ToQString("追加したフォルダ：" + lib + "A")));
        EXPECT_EQ(List()->ToolTipAt(CellCenter(4, kColumnName)), List()->toolTip());
        std::size_t questions = 0;
        for (const std::string& output : c.outputs) {
            if (output.empty()) {
                script.Click(QMessageBox::No);
                script.Type(std::nullopt);
                ++questions;
            }
        }
        // The progress window shows the whole path of a track that is converted.
        QString outputShown;
        if (!c.outputs[2].empty()) {
            watch.During(During(tracks[2]), [&](EncodeProgressWindow& window) {
                outputShown = LabelText(window, "outputPath");
            });
        }
        script.boxes.clear();
        Convert(kEncodeTypeMp3);
        EXPECT_EQ(script.boxes.size(), questions);
        EXPECT_EQ(outputShown, ToQString(c.outputs[2]));
        for (std::size_t track = 0; track < tracks.size(); ++track) {
            if (!c.outputs[track].empty()) {
                EXPECT_EQ(ReadFileBytes(c.outputs[track]), alone[tracks[track]])
                    << c.outputs[track];
                std::filesystem::remove(c.outputs[track]);
            }
        }
        std::filesystem::remove_all(Out("A"));
        std::filesystem::remove_all(Out("B"));
    }

    // Cancelled in the middle: the folder made for the cancelled track goes again.
    Settings().OutFolder.OutputLayout = kOutputLayoutTree;
    watch.During(During(tracks[2]),
                 [](EncodeProgressWindow& window) { Click(window, "cancelAllButton"); });
    Convert(kEncodeTypeMp3);
    EXPECT_EQ(testsupport::FolderEntries(out.Path()), std::set<std::string>{"A"});
    EXPECT_EQ(testsupport::FolderEntries(Out("A")), (std::set<std::string>{"01.mp3", "02.mp3"}));
}

TEST_F(ConversionTest, AnExistingOutputIsReplacedKeptOrSavedElsewhereAsTheUserAnswers) {
    Settings().OutFolder.IdentityOutFile = 1;
    const std::string older = "an older file";
    Add({Tone("song.wav", 0.5)});

    // Yes: replaced.
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("song.mp3"), older));
    script.Click(QMessageBox::Yes);
    Convert(kEncodeTypeMp3);
    ASSERT_EQ(script.boxes.size(), 1u);
    const auto& question = script.boxes[0];
    EXPECT_EQ(question.title, ToQString("保存確認(" + Out("song.mp3") + ")"));
    EXPECT_EQ(
        question.text,
        QStringLiteral("保存先に同一ファイル名が存在します\n上書きしてもよろしいでしょうか？"));
    EXPECT_EQ(question.icon, QMessageBox::NoIcon);
    EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.ownerClass, QStringLiteral("EncodeProgressWindow"));
    EXPECT_TRUE(question.ownerShown);
    EXPECT_TRUE(DecodeMp3(Out("song.mp3")).opened);

    // No, then a name in the save dialog: an existing name asks first, a name typed without
    // an extension gets the encoder's.
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("song.mp3"), older));
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("taken.mp3"), older));
    script.Click(QMessageBox::No);
    script.Type(QStringLiteral("taken"));
    script.Click(QMessageBox::No);
    script.Type(QStringLiteral("elsewhere"));
    Convert(kEncodeTypeMp3);
    ASSERT_EQ(script.saveDialogs.size(), 2u);
    EXPECT_EQ(script.saveDialogs[0].title, QStringLiteral("名前を付けて保存"));
    EXPECT_EQ(script.saveDialogs[0].filters, QStringList{QStringLiteral("MP3ファイル(*.mp3)")});
    EXPECT_EQ(script.saveDialogs[0].folder + QLatin1Char('/'), ToQString(out.Path()));
    EXPECT_EQ(script.saveDialogs[0].name, QStringLiteral("song.mp3"));
    ASSERT_EQ(script.boxes.size(), 3u);
    EXPECT_EQ(script.boxes[2].title, ToQString("保存確認(" + Out("taken.mp3") + ")"));
    EXPECT_EQ(ReadFileBytes(Out("song.mp3")), older);
    EXPECT_EQ(ReadFileBytes(Out("taken.mp3")), older);
    EXPECT_TRUE(DecodeMp3(Out("elsewhere.mp3")).opened);

    // No, then the save dialog cancelled: the item is skipped; the window came up for the
    // question.
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("song.ogg"), older));
    const int shownBefore = watch.shown;
    script.Click(QMessageBox::No);
    script.Type(std::nullopt);
    Convert(kEncodeTypeOgg);
    EXPECT_EQ(script.saveDialogs.back().filters,
              QStringList{QStringLiteral("OggVorbisファイル(*.ogg)")});
    EXPECT_EQ(ReadFileBytes(Out("song.ogg")), older);
    EXPECT_EQ(watch.shown, shownBefore + 1);
}

TEST_F(ConversionTest, OneAnswerGoesForEveryFurtherExistingOutputOfTheBatch) {
    Settings().OutFolder.IdentityOutFile = 1;
    Add({Tone("a.wav", 0.3), Tone("b.wav", 0.3), Tone("c.wav", 0.3)});
    const struct {
        const char* caption;
        bool replaced;
        const char* counts;
    } choices[] = {
        {"全てスキップ", false, "変換済み 0, スキップ 3, 失敗 0, キャンセル 0"},
        {"全て上書き", true, "変換済み 3, スキップ 0, 失敗 0, キャンセル 0"},
    };
    for (const auto& choice : choices) {
        SCOPED_TRACE(choice.caption);
        for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
            ASSERT_TRUE(testsupport::WriteFileBytes(Out(name), "older"));
        }
        const std::size_t boxesBefore = script.boxes.size();
        script.ClickCaption(QString::fromUtf8(choice.caption));
        Convert(kEncodeTypeMp3);
        EXPECT_EQ(script.boxes.size(), boxesBefore + 1);
        for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
            EXPECT_EQ(ReadFileBytes(Out(name)) != "older", choice.replaced) << name;
        }
        // The main window tells the batch's counts as wavpress-cli does.
        EXPECT_EQ(Window().findChild<ElidedLabel*>(QStringLiteral("outcomeLine"))->Text(),
                  QStringLiteral("変換が終わりました: ") + QString::fromUtf8(choice.counts));
    }
    EXPECT_TRUE(script.saveDialogs.empty());
}

TEST_F(ConversionTest, CancelButtonEscapeAndCloseBoxStopTheCurrentFileOnly) {
    const struct {
        const char* way;
        std::function<void(EncodeProgressWindow&)> press;
        bool stops;
    } ways[] = {
        {"button", [](EncodeProgressWindow& window) { Click(window, "cancelButton"); }, true},
        {"Escape", [](EncodeProgressWindow& window) { QTest::keyClick(&window, Qt::Key_Escape); },
         true},
        {"close box", [](EncodeProgressWindow& window) { window.close(); }, true},
        // Enter would press the hidden OK: nothing.
        {"Enter", [](EncodeProgressWindow& window) { QTest::keyClick(&window, Qt::Key_Return); },
         false},
    };
    const std::string one = Tone("one.wav", 2.0);
    Add({one, Tone("two.wav", 0.4), Tone("three.wav", 0.3)});
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        watch.During(During(one), way.press);
        Convert(kEncodeTypeMp3);
        EXPECT_EQ(platform::FileExists(Out("one.mp3")), !way.stops);
        EXPECT_TRUE(DecodeMp3(Out("two.mp3")).opened);
        EXPECT_TRUE(DecodeMp3(Out("three.mp3")).opened);
        for (const char* name : {"one.mp3", "two.mp3", "three.mp3"}) {
            std::filesystem::remove(Out(name));
        }
    }
}

TEST_F(ConversionTest, CancelAllEndsTheBatchAndTheTitleReturns) {
    const std::string one = Tone("one.wav", 2.0);
    Add({one, Tone("two.wav", 0.3)});
    watch.During(During(one), [this](EncodeProgressWindow& window) {
        EXPECT_EQ(Window().windowTitle(), QStringLiteral("wavPress(エンコード中)"));
        Click(window, "cancelAllButton");
    });
    Convert(kEncodeTypeOgg);
    EXPECT_FALSE(platform::FileExists(Out("one.ogg")));
    EXPECT_FALSE(platform::FileExists(Out("two.ogg")));
    EXPECT_TRUE(Window().isVisible());
}

TEST_F(ConversionTest, TheTimeLabelCountsTheTicksOfTheRunningFile) {
    const std::string one = Tone("one.wav", 2.0);
    Add({one});
    QString afterTicks;
    watch.During(During(one), [&](EncodeProgressWindow& window) {
        auto* timer = window.findChild<QTimer*>();
        ASSERT_TRUE(timer->isActive());
        EXPECT_EQ(timer->interval(), 1000);
        // Three periods of the window's own timer, without waiting three seconds for them.
        for (int tick = 0; tick < 3; ++tick) {
            QTimerEvent event(timer->timerId());
            QCoreApplication::sendEvent(timer, &event);
        }
        afterTicks = LabelText(window, "time");
    });
    Convert(kEncodeTypeMp3);
    const QRegularExpression format(
        QStringLiteral("^　　　経過時間：00:03　　　　　　予想時間：(\\d\\d):(\\d\\d)$"));
    const QRegularExpressionMatch match = format.match(afterTicks);
    ASSERT_TRUE(match.hasMatch()) << afterTicks.toStdString();
    // Three seconds for a part of the file: the whole is expected to take longer.
    EXPECT_GT(match.captured(1).toInt() * 60 + match.captured(2).toInt(), 3);
}

TEST_F(ConversionTest, RefusalsShowTheirMessageOverTheMainWindowAndRunNothing) {
    Add({Tone("one.wav", 0.3)});
    const struct {
        const char* refusal;
        std::function<void()> setUp;
        std::int32_t encodeType;
        const char* text;
    } cases[] = {
        {"preset past the list",
         [this] {
             Settings().OutFolder.Preset = static_cast<std::int32_t>(Settings().Presets.size()) + 1;
         },
         kEncodeTypeOgg, kNoPresetMessage},
        {"Ogg minimum bitrate alone",
         [this] {
             Settings().OutFolder.Preset = 0;
             Settings().Ogg.MinBitrate = 32000;
             Settings().Ogg.AveBitrate = -1;
             Settings().Ogg.MaxBitrate = -1;
         },
         kEncodeTypeOgg, kOggMinBitrateMessage},
    };
    const auto expectRefusal = [this](const char* text) {
        ASSERT_EQ(script.boxes.size(), 1u);
        EXPECT_EQ(script.boxes[0].title, QStringLiteral("エラー"));
        EXPECT_EQ(script.boxes[0].text, ToQString(text));
        EXPECT_EQ(script.boxes[0].icon, QMessageBox::Warning);
        EXPECT_EQ(script.boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        EXPECT_EQ(script.boxes[0].owner, &Window());
        EXPECT_EQ(watch.shown, 0);
        EXPECT_EQ(Window().windowTitle(), QStringLiteral("wavPress"));
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refusal);
        c.setUp();
        // As the window system does once the last box has gone.
        QApplication::setActiveWindow(&Window());
        script.boxes.clear();
        script.Click(QMessageBox::Ok);
        Convert(c.encodeType);
        expectRefusal(c.text);
    }
    EXPECT_FALSE(platform::FileExists(Out("one.mp3")));
    EXPECT_FALSE(platform::FileExists(Out("one.ogg")));

    // The empty list: "変換" is disabled then, but the handler refuses all the same.
    ClickRow(0);
    Choose(OpenContextMenu(0), CWavPressDlg::kDeleteItem);
    ASSERT_EQ(List()->RowCount(), 0);
    EXPECT_FALSE(ConvertButton()->isEnabled());
    QApplication::setActiveWindow(&Window());
    script.boxes.clear();
    script.Click(QMessageBox::Ok);
    Window().OnConvert();
    expectRefusal(kNoFilesMessage);
}

TEST_F(ConversionTest, MessagesOfTheJobsAreRealBoxesAndTheBatchGoesOn) {
    Add({Tone("one.wav", 0.3), Tone("two.wav", 0.3)});
    {
        // Without the engine library every MP3 item fails at once: the window never shows.
        const testsupport::TempDir noLibrary;
        const LibraryFolder folder(noLibrary.Path());
        script.Click(QMessageBox::Ok);
        script.Click(QMessageBox::Ok);
        Convert(kEncodeTypeMp3);
        ASSERT_EQ(script.boxes.size(), 2u);
        EXPECT_EQ(script.boxes[1].title, QStringLiteral("Information"));
        EXPECT_EQ(script.boxes[1].text, QStringLiteral("lame_enc.dllが読込めませんでした"));
        EXPECT_EQ(script.boxes[1].icon, QMessageBox::Information);
        EXPECT_EQ(watch.shown, 0);
    }

    // An output that cannot be created (its folder would be below a file): the job's box comes
    // from its worker, with no owner.
    script.boxes.clear();
    ASSERT_TRUE(testsupport::WriteFileBytes(out.File("missing"), ""));
    Settings().OutFolder.OutFolder = out.File("missing/");
    script.Click(QMessageBox::Ok);
    script.Click(QMessageBox::Ok);
    Convert(kEncodeTypeOgg);
    ASSERT_EQ(script.boxes.size(), 2u);
    EXPECT_EQ(script.boxes[0].title, QStringLiteral("エラー"));
    EXPECT_EQ(script.boxes[0].text,
              ToQString(platform::Format(
                  "出力ファイル(%s)のオープンに失敗しました\n他のソフトで使用されている可能性があり"
                  "ますので\n他のソフトを終了してから再度変換ボタンのクリックを\nお願いいたします",
                  out.File("missing/one.ogg").c_str())));
    EXPECT_EQ(script.boxes[0].icon, QMessageBox::Warning);
    EXPECT_EQ(script.boxes[0].owner, nullptr);
}

// A signal or the end of the session during a batch: the batch is cancelled (the running job
// stopped and its output removed) and only then the window ends.
TEST_F(ConversionTest, AnEndRequestDuringAJobStopsTheBatchThenEndsTheWindow) {
    const std::string one = Tone("one.wav", 2.0);
    Add({one, Tone("two.wav", 0.3)});
    bool ranWhileConverting = false;
    watch.During(During(one), [&](EncodeProgressWindow&) {
        Window().OnEndRequest();
        ranWhileConverting = Window().isVisible();
    });
    Convert(kEncodeTypeMp3);
    EXPECT_TRUE(ranWhileConverting) << "the window waits for the batch to stop";
    EXPECT_FALSE(Window().isVisible());
    EXPECT_FALSE(platform::FileExists(Out("one.mp3")));
    EXPECT_FALSE(platform::FileExists(Out("two.mp3")));
}

TEST_F(ConversionTest, AnEndRequestDuringAQuestionAnswersItAsByCancelAndAsksNoMore) {
    Settings().OutFolder.IdentityOutFile = 1;
    const std::string older = "an older file";
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("one.mp3"), older));
    Add({Tone("one.wav", 0.3), Tone("two.wav", 0.3)});
    script.Act([this](QMessageBox*) { Window().OnEndRequest(); });
    Convert(kEncodeTypeMp3);
    EXPECT_EQ(script.boxes.size(), 1u);
    EXPECT_TRUE(script.saveDialogs.empty());
    EXPECT_EQ(ReadFileBytes(Out("one.mp3")), older);
    EXPECT_FALSE(platform::FileExists(Out("two.mp3")));
    EXPECT_FALSE(Window().isVisible());
}

// Two files at a time: a block per running file over the batch line. The questions come one at
// a time in list order while the other job goes on; "キャンセル" stops every file being
// converted and the batch goes on with the rest; the outputs are those of one at a time.
TEST_F(ConversionTest, TwoJobsAskInListOrderCancelTheRunningFilesAndConvertTheRest) {
    Settings().OutFolder.Jobs = 2;
    const std::vector<std::string> names{"a", "b", "c", "d"};
    std::vector<std::string> inputs;
    for (const std::string& name : names) {
        // Long enough that both jobs are seen running on a loaded machine.
        inputs.push_back(Tone(name + ".wav", 12.0));
    }
    Add(inputs);

    // Questions for b and d: b is asked while a converts, d after c has started.
    Settings().OutFolder.IdentityOutFile = 1;
    for (const char* name : {"b.mp3", "d.mp3"}) {
        ASSERT_TRUE(testsupport::WriteFileBytes(Out(name), "older"));
    }
    script.Click(QMessageBox::Yes);
    script.Click(QMessageBox::Yes);
    bool sideBySide = false;
    watch.During(
        [](EncodeProgressWindow& window) {
            return window.Batch().Slot(0).IsBusy() && window.Batch().Slot(1).IsBusy();
        },
        [&](EncodeProgressWindow& window) {
            sideBySide = true;
            EXPECT_NE(window.InputText(0), window.InputText(1));
            // A screen reader hears each bar's percentage and each path after its caption.
            const auto bars = window.findChildren<ProgressBarWidget*>();
            ASSERT_EQ(bars.size(), 3);
            for (ProgressBarWidget* bar : bars) {
                QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(bar);
                ASSERT_NE(shown, nullptr);
                EXPECT_EQ(shown->role(), QAccessible::ProgressBar);
                ASSERT_NE(shown->valueInterface(), nullptr);
                EXPECT_EQ(shown->valueInterface()->currentValue().toULongLong(), bar->Percent());
                EXPECT_FALSE(shown->text(QAccessible::Name).isEmpty());
            }
            const auto* input = window.findChild<ElidedLabel*>(QStringLiteral("inputPath"));
            EXPECT_EQ(QAccessible::queryAccessibleInterface(const_cast<ElidedLabel*>(input))
                          ->text(QAccessible::Name),
                      QStringLiteral("入力ファイル：") + window.InputText(0));
        });
    Convert(kEncodeTypeMp3);
    ASSERT_EQ(script.boxes.size(), 2u);
    EXPECT_EQ(script.boxes[0].title, ToQString("保存確認(" + Out("b.mp3") + ")"));
    EXPECT_EQ(script.boxes[1].title, ToQString("保存確認(" + Out("d.mp3") + ")"));
    EXPECT_TRUE(sideBySide);
    std::vector<std::string> sideBySideOutputs;
    for (const std::string& name : names) {
        sideBySideOutputs.push_back(ReadFileBytes(Out(name + ".mp3")));
        EXPECT_TRUE(DecodeMp3(Out(name + ".mp3")).opened) << name;
    }

    // One at a time writes the same files.
    Settings().OutFolder.Jobs = 1;
    Settings().OutFolder.IdentityOutFile = 0;
    Convert(kEncodeTypeMp3);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(ReadFileBytes(Out(names[i] + ".mp3")), sideBySideOutputs[i]) << names[i];
    }

    // Cancel while a and b run: both stop and leave nothing, c and d are converted.
    Settings().OutFolder.Jobs = 2;
    watch.During(
        [&](EncodeProgressWindow& window) {
            return window.InputText(0) == ToQString(inputs[0]) &&
                   window.InputText(1) == ToQString(inputs[1]) && window.Batch().Slot(0).IsBusy() &&
                   window.Batch().Slot(1).IsBusy() &&
                   window.Batch().Slot(1).ProgressBar().Percent() >= 1;
        },
        [](EncodeProgressWindow& window) { Click(window, "cancelButton"); });
    Convert(kEncodeTypeOgg);
    EXPECT_FALSE(platform::FileExists(Out("a.ogg")));
    EXPECT_FALSE(platform::FileExists(Out("b.ogg")));
    EXPECT_TRUE(DecodeOgg(Out("c.ogg")).opened);
    EXPECT_TRUE(DecodeOgg(Out("d.ogg")).opened);
}

// What decides the desktop notification: whether any window of the program was active as the
// batch ended.
TEST_F(ConversionTest, TheWindowTellsWhetherItsBatchEndedUnseen) {
    Add({Tone("a.wav", 1.0)});
    for (const bool away : {false, true}) {
        SCOPED_TRACE(away);
        const std::optional<ConversionBatch> batch = PrepareConversion(Window().Rows(), Settings());
        ASSERT_TRUE(batch.has_value());
        EncodeProgressWindow progress(*batch, 1, &Window());
        watch.During([](EncodeProgressWindow&) { return true; },
                     [away](EncodeProgressWindow& window) {
                         QApplication::setActiveWindow(away ? nullptr : &window);
                     });
        progress.Run();
        EXPECT_FALSE(watch.StepsLeft());
        EXPECT_EQ(progress.EndedUnseen(), away);
    }
}

TEST_F(ConversionTest, EachRunningFileIsCancelledAloneAndItsBlockLeavesWhenItEnds) {
    Settings().OutFolder.Jobs = 2;
    const std::vector<std::string> inputs{Tone("a.wav", 4.0), Tone("b.wav", 4.0)};
    Add(inputs);
    const auto block = [](EncodeProgressWindow& window, std::size_t slot) {
        return window.findChild<QWidget*>(QStringLiteral("fileBlock%1").arg(slot));
    };
    std::size_t slotOfB = 0;
    watch.During(
        [](EncodeProgressWindow& window) {
            return window.Batch().Slot(0).IsBusy() && window.Batch().Slot(1).IsBusy() &&
                   window.Batch().Slot(0).ProgressBar().Percent() >= 1 &&
                   window.Batch().Slot(1).ProgressBar().Percent() >= 1;
        },
        [&](EncodeProgressWindow& window) {
            EXPECT_TRUE(window.findChild<QPushButton*>(QStringLiteral("cancelButton"))
                            ->toolTip()
                            .contains(QStringLiteral("すべて")));
            slotOfB = window.Batch().Slot(1).Item().InPath == inputs[1] ? 1 : 0;
            EXPECT_TRUE(block(window, 0)->isVisible());
            EXPECT_TRUE(block(window, 1)->isVisible());
            auto* cancel = block(window, slotOfB)->findChild<QPushButton*>();
            EXPECT_EQ(cancel->text(), QStringLiteral("中止"));
            EXPECT_EQ(cancel->accessibleName(), QStringLiteral("b.wav の変換を中止"));
            QTest::mouseClick(cancel, Qt::LeftButton);
        });
    // While a goes on, b's block is gone.
    watch.During([&](EncodeProgressWindow& window) { return window.Batch().DoneCount() == 1; },
                 [&](EncodeProgressWindow& window) {
                     EXPECT_FALSE(block(window, slotOfB)->isVisible());
                     EXPECT_TRUE(block(window, 1 - slotOfB)->isVisible());
                 });
    Convert(kEncodeTypeOgg);
    EXPECT_TRUE(DecodeOgg(Out("a.ogg")).opened);
    EXPECT_FALSE(platform::FileExists(Out("b.ogg")));
    EXPECT_EQ(Window().findChild<ElidedLabel*>(QStringLiteral("outcomeLine"))->Text(),
              QStringLiteral("変換が終わりました: 変換済み 1, スキップ 0, 失敗 0, キャンセル 1"));
}

} // namespace
