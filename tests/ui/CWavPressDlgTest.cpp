// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserActions.h"
#include "WavPressWindowTest.h"

#include "settings/PresetFile.h"
#include "settings/SettingsFile.h"
#include "support/RecordingMessageBackend.h"
#include "support/WaveTagging.h"
#include "support/WaveWriter.h"
#include "ui/COutFolderPage.h"
#include "ui/CParmSetPage.h"
#include "ui/CVersionPage.h"
#include "ui/CWavPressApp.h"
#include "ui/ElidedLabel.h"
#include "ui/QtText.h"
#include "ui/ToolTips.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <filesystem>

namespace {

using Dialog = CWavPressDlg;

std::vector<std::string> Names(const std::vector<FileRow>& rows) {
    std::vector<std::string> names;
    for (const FileRow& row : rows) {
        names.push_back(row[kColumnName]);
    }
    return names;
}

class CWavPressDlgTest : public WavPressWindowTest {
protected:
    /// Pages by kind; each must exist once.
    template <typename Page> Page* FindPage() const {
        const QList<Page*> pages =
            const_cast<CWavPressDlgTest*>(this)->Window().findChildren<Page*>();
        EXPECT_EQ(pages.size(), 1);
        return pages.value(0);
    }

    void SelectRows(const std::vector<int>& rows) {
        ClickRow(rows.front());
        for (std::size_t i = 1; i < rows.size(); ++i) {
            ClickRow(rows[i], Qt::ControlModifier);
        }
    }
};

TEST_F(CWavPressDlgTest, FirstStartShowsDefaultsUnderTheFirstTab) {
    EXPECT_EQ(Window().windowTitle(), ToQString("wavPress"));
    // It opens at its own layout, which is also the least it can be made.
    EXPECT_EQ(Window().size(), Window().minimumSize());
    EXPECT_GT(Window().maximumWidth(), Window().width());
    EXPECT_TRUE(Window().windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(Window().windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(Window().windowIcon().isNull());

    const EncodeSettings& settings = Window().Settings();
    EXPECT_EQ(settings.OutFolder.OutFolder, FirstStartOutFolder());
    EXPECT_EQ(settings.OutFolder.Preset, 0);
    EXPECT_EQ(settings.OutFolder.IdentityOutFile, 1);
    EXPECT_EQ(settings.OutFolder.EncodeType, 0);
    EXPECT_EQ(settings.LameParm.ConfigKind, 256u);

    ASSERT_EQ(Tabs()->count(), 3);
    EXPECT_EQ(Tabs()->tabText(0), ToQString("出力フォルダ設定"));
    EXPECT_EQ(Tabs()->tabText(1), ToQString("パラメータ設定"));
    EXPECT_EQ(Tabs()->tabText(2), ToQString("バージョン情報"));
    EXPECT_EQ(Tabs()->currentIndex(), 0);

    auto* outFolder = FindPage<COutFolderPage>();
    auto* parameters = FindPage<CParmSetPage>();
    auto* version = FindPage<CVersionPage>();
    EXPECT_TRUE(outFolder->isVisible());
    EXPECT_FALSE(parameters->isVisible());
    EXPECT_FALSE(version->isVisible());
    // One rectangle for all three, 5 pixels below the tab strip, the parameter page's size.
    EXPECT_EQ(outFolder->y(), Tabs()->geometry().bottom() + 1 + 5);
    EXPECT_EQ(outFolder->geometry(), parameters->geometry());
    EXPECT_EQ(outFolder->geometry(), version->geometry());

    EXPECT_TRUE(ConvertButton()->isVisible());
    EXPECT_FALSE(ConvertButton()->isEnabled());
    EXPECT_EQ(ConvertButton()->text(), ToQString("変換"));
    EXPECT_EQ(ExitButton()->text(), ToQString("終了"));

    const std::array<std::pair<const char*, int>, 9> columns{{{"ファイル名", 150},
                                                              {"フォルダ名", 150},
                                                              {"ファイル形式", 140},
                                                              {"タイトル", 150},
                                                              {"アーティスト", 150},
                                                              {"アルバムタイトル", 150},
                                                              {"年", 40},
                                                              {"コメント", 150},
                                                              {"ジャンル", 100}}};
    ASSERT_EQ(List()->columnCount(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(List()->headerItem()->text(i), ToQString(columns[i].first));
        EXPECT_EQ(List()->header()->sectionSize(i), columns[i].second);
    }
    EXPECT_EQ(List()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(List()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(List()->toolTip(), WrapToolTipText(ToQString(CWavPressDlg::kListHint)));

    // Nothing overlaps and nothing sticks out of the fixed window.
    const std::vector<QWidget*> controls{Tabs(), outFolder, List(), ConvertButton(), ExitButton()};
    for (std::size_t i = 0; i < controls.size(); ++i) {
        EXPECT_TRUE(Window().rect().contains(controls[i]->geometry()));
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry())) << i << j;
        }
    }
    for (QPushButton* button : {ConvertButton(), ExitButton()}) {
        EXPECT_GE(button->width(), button->sizeHint().width());
    }
}

TEST_F(CWavPressDlgTest, TabsShowTheirPageAndHideTheOthers) {
    auto* outFolder = FindPage<COutFolderPage>();
    auto* parameters = FindPage<CParmSetPage>();
    auto* version = FindPage<CVersionPage>();
    const auto click = [this](int tab) {
        QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(tab).center());
    };
    click(2);
    EXPECT_TRUE(version->isVisible());
    EXPECT_FALSE(outFolder->isVisible());
    EXPECT_FALSE(parameters->isVisible());
    click(1);
    EXPECT_TRUE(parameters->isVisible());
    EXPECT_FALSE(version->isVisible());
    click(0);
    EXPECT_TRUE(outFolder->isVisible());
    EXPECT_FALSE(parameters->isVisible());
    EXPECT_FALSE(version->isVisible());
}

TEST_F(CWavPressDlgTest, EnterAndEscapeNeitherEndTheWindowNorPressAButton) {
    Add({Wave("a.wav")});
    ASSERT_TRUE(ConvertButton()->isEnabled());
    std::vector<std::pair<QAbstractButton*, std::unique_ptr<QSignalSpy>>> clicks;
    for (QAbstractButton* button : Window().findChildren<QAbstractButton*>()) {
        clicks.emplace_back(button,
                            std::make_unique<QSignalSpy>(button, &QAbstractButton::clicked));
    }
    // A pressed button that opens a dialog must not hold the test up.
    int dialogs = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&dialogs] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++dialogs;
            modal->close();
        }
    });
    closer.start(0);
    for (int tab = 0; tab < Tabs()->count(); ++tab) {
        Tabs()->setCurrentIndex(tab);
        for (QWidget* control : Window().findChildren<QWidget*>()) {
            if (!control->isVisible() || !control->isEnabled() ||
                !(control->focusPolicy() & Qt::TabFocus)) {
                continue;
            }
            control->setFocus();
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                QTest::keyClick(control, key);
            }
            EXPECT_TRUE(Window().isVisible()) << control->metaObject()->className();
        }
    }
    for (const auto& [button, spy] : clicks) {
        EXPECT_EQ(spy->count(), 0) << uitest::Utf8(button->text());
    }
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(List()->RowCount(), 1);

    QTest::mouseClick(ExitButton(), Qt::LeftButton);
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(Window().result(), QDialog::Rejected);
}

TEST_F(CWavPressDlgTest, ContextMenuOffersEachCommandWhenItWouldDoSomething) {
    Add({Wave("a.wav")});
    for (const bool selected : {false, true}) {
        List()->clearSelection();
        QMenu* menu = OpenContextMenu(selected ? 0 : -1);
        ASSERT_NE(menu, nullptr);
        const QList<QAction*> items = menu->actions();
        ASSERT_EQ(items.size(), 8);
        const std::array<const char*, 8> texts{
            "項目の追加", "項目の変更", "項目の削除", "", selected ? "ID3タグ編集" : "ID3TAG編集",
            "",           "全てを選択", "全てを解除"};
        const std::array<bool, 8> enabled{true,     selected, selected,  true,
                                          selected, true,     !selected, selected};
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(items[i]->isSeparator(), i == 3 || i == 5);
            EXPECT_EQ(items[i]->text(), ToQString(texts[i])) << i;
            EXPECT_EQ(items[i]->isEnabled(), enabled[i]) << i;
        }
        EXPECT_EQ(List()->HasSelection(), selected);
        menu->close();
    }
    Add({Wave("b.wav")});
    List()->clearSelection();
    Choose(OpenContextMenu(-1), Dialog::kSelectAllItem);
    EXPECT_EQ(List()->SelectedRows(), (std::vector<int>{0, 1}));
    Choose(OpenContextMenu(-1), Dialog::kDeselectAllItem);
    EXPECT_FALSE(List()->HasSelection());
}

TEST_F(CWavPressDlgTest, AddTakesSuitableFilesInTheDialogsOrder) {
    const std::string a = Wave("a.wav");
    const std::string upper = Wave("SONG.WAV");
    const std::string nine = Wave("nine.wav", 9);
    const std::string b = Wave("b.wav", 2, 48000);
    const std::string sevenKhz = Wave("low.wav", 2, 7000);
    // The same file under another name is the same file.
    const std::string link = inputFolder.File("link.wav");
    std::filesystem::create_symlink(a, link);
    Add({a, upper, nine, b, inputFolder.File("missing.wav"), sevenKhz, a, link});

    EXPECT_EQ(askedSeveral, std::vector<bool>{true});
    const std::vector<FileRow> rows = Window().Rows();
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"a.wav", "SONG.WAV", "b.wav"}));
    EXPECT_EQ(rows[0], (FileRow{"a.wav", inputFolder.Path(), "16bit Stereo 44100Hz"}));
    EXPECT_EQ(rows[2], (FileRow{"b.wav", inputFolder.Path(), "16bit Stereo 48000Hz"}));
    EXPECT_TRUE(ConvertButton()->isEnabled());
    // A line under the list, no box to close, says what was left out; its tip names the files.
    const auto* line = Window().findChild<ElidedLabel*>(QStringLiteral("outcomeLine"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Text(),
              QStringLiteral("追加しなかったファイル 5 個: 変換できる形式の WAVE "
                             "ファイルとして読めません (2)、ファイルがありません (1)、"
                             "すでにリストにあります (2)"));
    // The tip is wrapped to its width: read without its breaks and blanks.
    QString tip = line->toolTip();
    tip.remove(QLatin1Char('\n')).remove(QLatin1Char(' '));
    for (const char* named : {"nine.wav:変換できる形式の", "missing.wav:ファイルがありません", "low.wav:",
                              "a.wav:すでにリストにあります", "link.wav:すでにリストにあります"}) {
        EXPECT_TRUE(tip.contains(QString::fromUtf8(named))) << named;
    }
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    Add({}); // cancelled
    EXPECT_EQ(List()->RowCount(), 3);
    EXPECT_TRUE(line->Text().isEmpty());
    EXPECT_TRUE(line->toolTip().isEmpty());
}

TEST_F(CWavPressDlgTest, TheFileDialogOffersWaveFilesAndTakesSeveral) {
    Window().SetOpenFileNamesAsker(nullptr);
    Wave("a.wav");
    Wave("b.wav");
    bool asked = false;
    WhenModalOpens([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        asked = true;
        EXPECT_EQ(dialog->nameFilters(), QStringList{ToQString("WAVEファイル(*.wav)")});
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("wav"));
        dialog->setDirectory(ToQString(inputFolder.Path()));
        dialog->selectFile(QStringLiteral("\"b.wav\" \"a.wav\""));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    Choose(OpenContextMenu(-1), Dialog::kAddItem);
    EXPECT_TRUE(asked);
    EXPECT_EQ(Names(Window().Rows()), (std::vector<std::string>{"b.wav", "a.wav"}));
}

// A dropped folder gives its WAVE files (subfolders too, in name order, any case of ".wav"),
// each with the tags it carries itself.
TEST_F(CWavPressDlgTest, DroppedFilesAndFoldersAreAddedInDropOrder) {
    const std::string a = Wave("a.wav");
    const std::string nine = Wave("nine.wav", 9);
    const std::string b = Wave("b.wav");
    std::filesystem::create_directories(inputFolder.File("album/disc 2"));
    const std::string tagged = Wave("album/02.WAV");
    ASSERT_TRUE(testsupport::WriteInfoChunk(tagged, {{"INAM", "二曲目"}, {"IGNR", "Jazz"}}));
    Wave("album/01.wav");
    Wave("album/disc 2/03.wav");
    Wave("album/nine.wav", 9);
    std::filesystem::create_directories(inputFolder.File("empty"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(ToQString(b)), QUrl::fromLocalFile(ToQString(nine)),
                  QUrl::fromLocalFile(ToQString(inputFolder.File("album"))),
                  QUrl::fromLocalFile(ToQString(inputFolder.File("empty"))),
                  QUrl(QStringLiteral("https://example.org/c.wav")),
                  QUrl::fromLocalFile(ToQString(a))});
    QWidget* viewport = List()->viewport();
    const QPoint at = viewport->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &move);
    EXPECT_TRUE(move.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);

    const std::vector<FileRow> rows = Window().Rows();
    EXPECT_EQ(Names(rows),
              (std::vector<std::string>{"b.wav", "01.wav", "02.WAV", "03.wav", "a.wav"}));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[2][kColumnFolder], inputFolder.File("album/"));
    EXPECT_EQ(rows[2][kColumnTitle], "二曲目");
    EXPECT_EQ(rows[2][kColumnGenre], "Jazz");
    EXPECT_EQ(rows[3][kColumnFolder], inputFolder.File("album/disc 2/"));
    EXPECT_EQ(rows[1][kColumnTitle], "");
    EXPECT_TRUE(ConvertButton()->isEnabled());
    EXPECT_EQ(Window().findChild<ElidedLabel*>(QStringLiteral("outcomeLine"))->Text(),
              QStringLiteral("追加しなかったファイル 3 個: フォルダに .wav ファイルがありません "
                             "(1)、変換できる形式の WAVE ファイルとして読めません (2)"));
}

TEST_F(CWavPressDlgTest, FilesOnTheCommandLineAreTakenAsADropOfThem) {
    const std::string a = Wave("a.wav");
    // Code page 932 bytes, as a Windows archive unpacks them.
    const std::string cp932 = Wave("\x93\xfa\x96\x7b.wav");
    const std::string nine = Wave("nine.wav", 9);
    Wave("b.wav");
    std::filesystem::create_directory(inputFolder.File("sub"));
    Wave("sub/c.wav");
    std::filesystem::create_symlink(Wave("target.wav"), inputFolder.File("link.wav"));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(ToQString(inputFolder.Path())));
    const std::unique_ptr<CWavPressDlg> started = CWavPressApp::CreateMainDialog(
        settingsFolder.Path(), {"wavpress", "b.wav", nine, "./link.wav", "sub",
                                ToUtf8(QUrl::fromLocalFile(ToQString(a)).toString()), "missing.wav",
                                cp932, "file://" + inputFolder.Path() + "%93%FA%96%7B.wav"});
    QDir::setCurrent(previous);

    const std::vector<FileRow> rows = started->Rows();
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"b.wav", "link.wav", "c.wav", "a.wav",
                                                     "\x93\xfa\x96\x7b.wav"}));
    const auto* list = started->findChild<CListEditCtrl*>();
    EXPECT_EQ(list->topLevelItem(4)->text(kColumnName), QStringLiteral("\\x93\\xFA\\x96{.wav"));
    // The URL of the code page 932 name led to the file already listed.
    EXPECT_EQ(
        started->findChild<ElidedLabel*>(QStringLiteral("outcomeLine"))->Text(),
        QStringLiteral("追加しなかったファイル 3 個: 変換できる形式の WAVE ファイルとして読めません "
                       "(1)、ファイルがありません (1)、すでにリストにあります (1)"));
    const std::string folder = std::filesystem::canonical(inputFolder.Path()).string() + "/";
    for (const FileRow& row : rows) {
        EXPECT_EQ(row[kColumnFolder], row[kColumnName] == "c.wav" ? folder + "sub/" : folder);
    }
    EXPECT_TRUE(started->findChild<QPushButton*>(QStringLiteral("convertButton"))->isEnabled());
}

// A title frame that inflates to 1 GiB, on the command line: the window starts with the file
// listed and the tags that could be read.
TEST_F(CWavPressDlgTest, ACraftedTagChunkOnTheCommandLineCostsNothing) {
    const std::string crafted = inputFolder.File("crafted.wav");
    ASSERT_TRUE(testsupport::WriteWave(crafted, {}, std::vector<std::int16_t>(64),
                                       testsupport::InflatingTitleChunk("artist")));
    const std::unique_ptr<CWavPressDlg> started =
        CWavPressApp::CreateMainDialog(settingsFolder.Path(), {"wavpress", crafted});
    const std::vector<FileRow> rows = started->Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][kColumnTitle], "");
    EXPECT_EQ(rows[0][kColumnArtist], "artist");
}

// A right-to-left override would show "f‹RLO›evil.wav" as "fvaw.live".
TEST_F(CWavPressDlgTest, BidirectionalControlsInNamesAreShownEscaped) {
    Add({Wave("f\u202Eevil.wav")});
    EXPECT_EQ(List()->topLevelItem(0)->text(kColumnName), QStringLiteral("f\\u202Eevil.wav"));
}

TEST_F(CWavPressDlgTest, ChangeReplacesTheFileAndKeepsPositionAndTags) {
    Add({Wave("a.wav"), Wave("b.wav"), Wave("c.wav")});
    const FileRow tags{"", "", "", "Title", "Artist", "Album", "1999", "Comment", "Rock"};
    List()->SetTagCells(1, tags);
    ClickRow(1);

    answer = {ToQString(Wave("new.wav", 2, 32000))};
    Choose(OpenContextMenu(1), Dialog::kChangeItem);
    EXPECT_EQ(askedSeveral.back(), false);
    const FileRow expected{"new.wav", inputFolder.Path(), "16bit Stereo 32000Hz",
                           "Title",   "Artist",           "Album",
                           "1999",    "Comment",          "Rock"};
    EXPECT_EQ(Window().Rows()[1], expected);
    EXPECT_EQ(Names(Window().Rows()), (std::vector<std::string>{"a.wav", "new.wav", "c.wav"}));

    answer = {ToQString(Wave("nine.wav", 9))};
    Choose(OpenContextMenu(1), Dialog::kChangeItem);
    EXPECT_EQ(Window().Rows()[1], expected);
}

TEST_F(CWavPressDlgTest, DeleteRemovesEverySelectedRow) {
    Add({Wave("0.wav"), Wave("1.wav"), Wave("2.wav"), Wave("3.wav"), Wave("4.wav")});
    SelectRows({2, 3});
    Choose(OpenContextMenu(3), Dialog::kDeleteItem);
    EXPECT_EQ(Names(Window().Rows()), (std::vector<std::string>{"0.wav", "1.wav", "4.wav"}));
    EXPECT_TRUE(ConvertButton()->isEnabled());

    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_A, Qt::ControlModifier);
    Choose(OpenContextMenu(0), Dialog::kDeleteItem);
    EXPECT_EQ(List()->RowCount(), 0);
    EXPECT_FALSE(ConvertButton()->isEnabled());
}

TEST_F(CWavPressDlgTest, AddingAFolderOfTwoThousandFilesStaysQuick) {
    std::vector<std::string> paths;
    for (int i = 0; i < 2000; ++i) {
        paths.push_back(Wave("track" + std::to_string(i) + ".wav"));
    }
    const auto start = std::chrono::steady_clock::now();
    Add(paths);
    QApplication::processEvents();
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    RecordProperty("milliseconds", static_cast<int>(elapsed.count()));
    ASSERT_EQ(List()->RowCount(), 2000);
    EXPECT_EQ(Cell(1999, kColumnName), QStringLiteral("track1999.wav"));
    // Far above the time it takes; only a list that slows down row by row fails.
    EXPECT_LT(elapsed.count(), 5000);
}

/// The settings as this window leaves them in its folder, by each way of ending it.
class ExitTest : public CWavPressDlgTest, public ::testing::WithParamInterface<int> {};

TEST_P(ExitTest, WritesTheSettingsOnceHoweverTheWindowEnds) {
    const bool withPresets = GetParam() % 2 == 1;
    EncodeSettings& settings = Window().Settings();
    settings.OutFolder.OutFolder = "/music/out";
    settings.OutFolder.EncodeType = 1;
    if (withPresets) {
        settings.Presets.push_back({"FM", BE_CONFIG{}});
    }
    switch (GetParam() / 2) {
    case 0:
        QTest::mouseClick(ExitButton(), Qt::LeftButton);
        break;
    case 1:
        Window().close(); // the close box and the window menu
        break;
    default:
        Window().OnEndRequest(); // a signal or the end of the session
        break;
    }
    EXPECT_FALSE(Window().isVisible());
    const std::string expectedSettings = RenderSettings(settings);
    const std::string expectedPresets = RenderPresets(settings.Presets);

    Window().SaveSettings();
    EXPECT_EQ(testsupport::ReadFileBytes(settingsFolder.File("opt.ini")), expectedSettings);
    EXPECT_EQ(std::filesystem::exists(settingsFolder.File("preset.ini")), withPresets);
    if (withPresets) {
        EXPECT_EQ(testsupport::ReadFileBytes(settingsFolder.File("preset.ini")), expectedPresets);
    }
    // Unchanged settings are not written a second time; changed ones are.
    std::filesystem::remove(settingsFolder.File("opt.ini"));
    Window().SaveSettings();
    EXPECT_FALSE(std::filesystem::exists(settingsFolder.File("opt.ini")));
    settings.OutFolder.IdentityOutFile = 0;
    Window().SaveSettings();
    EXPECT_EQ(testsupport::ReadFileBytes(settingsFolder.File("opt.ini")), RenderSettings(settings));
}

INSTANTIATE_TEST_SUITE_P(EveryEnd, ExitTest, ::testing::Range(0, 6));

TEST(CWavPressDlgLifetimeTest, DestroyingTheWindowWritesItsSettings) {
    testsupport::TempDir folder;
    EncodeSettings expected;
    {
        CWavPressDlg window(folder.Path());
        window.Settings().OutFolder.Preset = 3;
        expected = window.Settings();
    }
    EXPECT_EQ(testsupport::ReadFileBytes(folder.File("opt.ini")), RenderSettings(expected));
    EXPECT_FALSE(std::filesystem::exists(folder.File("preset.ini")));

    // The next start reads what the last one wrote.
    CWavPressDlg next(folder.Path());
    EXPECT_EQ(next.Settings().OutFolder.Preset, 3);
}

// Made larger, the window gives the room to the list and keeps the buttons in its corner; it
// opens again as large and where it was left, with the list's columns as they were.
TEST_F(CWavPressDlgTest, TheWindowGrowsAndOpensAgainAsItWasLeft) {
    const QSize natural = Window().size();
    const QRect list = List()->geometry();
    const int buttonGap = Window().width() - ExitButton()->geometry().right();
    Window().resize(natural + QSize(200, 150));
    EXPECT_EQ(List()->geometry(), list.adjusted(0, 0, 200, 150));
    EXPECT_EQ(Window().width() - ExitButton()->geometry().right(), buttonGap);
    EXPECT_GT(ExitButton()->geometry().top(), List()->geometry().bottom());
    Window().resize(natural - QSize(100, 100));
    EXPECT_EQ(Window().size(), natural);

    Window().resize(natural + QSize(200, 150));
    Window().move(60, 40);
    List()->header()->resizeSection(kColumnFolder, 333);
    const QPoint place = Window().pos();
    QTest::mouseClick(ExitButton(), Qt::LeftButton);
    CWavPressDlg again(settingsFolder.Path());
    EXPECT_EQ(again.size(), natural + QSize(200, 150));
    EXPECT_EQ(again.pos(), place);
    EXPECT_EQ(again.findChild<CListEditCtrl*>()->header()->sectionSize(kColumnFolder), 333);
}

// A settings folder that cannot hold files (its name is taken by a file): "終了" says so, in
// Japanese, naming the file; an end asked for by a signal or the session says nothing.
TEST(CWavPressDlgLifetimeTest, TheUserIsToldWhenTheSettingsCannotBeSaved) {
    testsupport::TempDir folder;
    ASSERT_TRUE(testsupport::WriteFileBytes(folder.File("taken"), "a file"));
    const std::string settingsFolder = folder.File("taken") + "/";
    testsupport::ScopedMessageRecorder messages;
    for (const bool byUser : {true, false}) {
        CWavPressDlg window(settingsFolder);
        window.show();
        window.Settings().OutFolder.Preset = 2;
        if (byUser) {
            QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("exitButton")),
                              Qt::LeftButton);
        } else {
            window.OnEndRequest();
        }
        EXPECT_FALSE(window.isVisible());
    }
    const auto requests = messages->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].text.rfind(
                  "設定ファイル(" + settingsFolder + "opt.ini)を保存できませんでした\n", 0),
              0u)
        << requests[0].text;
}

} // namespace
