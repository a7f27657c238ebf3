// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserActions.h"
#include "WavPressWindowTest.h"

#include "ui/CID3TagDlg.h"
#include "ui/QtText.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

/// The tag dialog's controls in their order on the dialog.
struct TagControls {
    explicit TagControls(QWidget* dialog) {
        for (const char* name : {"fileNameText", "folderText", "formatText"}) {
            fileTexts.push_back(dialog->findChild<QLabel*>(QLatin1String(name)));
        }
        tagBoxes = dialog->findChildren<QLineEdit*>();
        genre = dialog->findChild<QComboBox*>();
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            (button->text() == QStringLiteral("OK") ? ok : cancel) = button;
        }
    }
    std::vector<QLabel*> fileTexts; ///< file name, folder, format
    QList<QLineEdit*> tagBoxes;     ///< title, artist, album, year, comment
    QComboBox* genre = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
};

class CID3TagDlgTest : public WavPressWindowTest {
protected:
    CID3TagDlgTest() {
        Add({Wave("0.wav"), Wave("1.wav"), Wave("2.wav")});
        List()->SetTagCells(1, {"", "", "", "Title", "Artist", "Album", "1999", "Comment", "Rock"});
        List()->SetTagCells(2, {"", "", "", "Other", "", "", "", "", "JPop"});
    }

    /// Opens the dialog through the context menu on the selected rows; edit runs on it.
    void EditTags(const std::function<void(QDialog*, TagControls&)>& edit) {
        bool opened = false;
        WhenModalOpens([&](QWidget* modal) {
            auto* dialog = qobject_cast<QDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            opened = true;
            TagControls controls(dialog);
            edit(dialog, controls);
            // Whatever the edit did, the dialog must not stay open past the test.
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                dialog->reject();
            }
        });
        Choose(OpenContextMenu(List()->FirstSelectedRow()), CWavPressDlg::kEditTagItem);
        EXPECT_TRUE(opened);
    }
};

TEST_F(CID3TagDlgTest, ShowsTheSelectedRowAndOkWritesItsTagCells) {
    ClickRow(1);
    const FileRow untouched = Window().Rows()[2];
    EditTags([&](QDialog* dialog, TagControls& controls) {
        EXPECT_EQ(dialog->windowTitle(), ToQString("ID3TAG Ver1編集"));
        QStringList labels;
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            if (label->frameShape() == QFrame::NoFrame) {
                labels.append(label->text());
            }
        }
        EXPECT_EQ(
            labels,
            ToQString(
                "ファイル名|フォルダ名|形式|タイトル|アーティスト|アルバム|年|コメント|ジャンル")
                .split(QLatin1Char('|')));
        ASSERT_EQ(controls.tagBoxes.size(), 5);
        // Framed static texts, not edit boxes that look like the editable ones.
        for (const QLabel* text : controls.fileTexts) {
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(text->frameShadow(), QFrame::Sunken);
            EXPECT_GT(text->frameWidth(), 0);
        }
        EXPECT_EQ(controls.fileTexts[0]->text(), QStringLiteral("1.wav"));
        EXPECT_EQ(controls.fileTexts[1]->text(), ToQString(inputFolder.Path()));
        EXPECT_EQ(controls.fileTexts[2]->text(), QStringLiteral("16bit Stereo 44100Hz"));
        const QStringList shown{QStringLiteral("Title"), QStringLiteral("Artist"),
                                QStringLiteral("Album"), QStringLiteral("1999"),
                                QStringLiteral("Comment")};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(controls.tagBoxes[i]->text(), shown[i]);
        }
        // The first box takes the focus when the window becomes active.
        EXPECT_EQ(dialog->focusWidget(), controls.tagBoxes[0]);
        EXPECT_EQ(controls.genre->count(), 148);
        EXPECT_EQ(controls.genre->currentIndex(), 17);
        EXPECT_FALSE(controls.genre->isEditable());
        uitest::ExpectListOfAboutADozenRowsWithAScrollBar(controls.genre);

        controls.tagBoxes[0]->selectAll();
        Type(controls.tagBoxes[0], ToQString("新しい曲"));
        controls.tagBoxes[3]->clear();
        Type(controls.tagBoxes[3], QStringLiteral("2024"));
        controls.genre->setFocus();
        QTest::keyClick(controls.genre, Qt::Key_End);
        QTest::keyClick(controls.tagBoxes[4], Qt::Key_Return); // the default button
    });
    const FileRow expected{"1.wav",    inputFolder.Path(), "16bit Stereo 44100Hz",
                           "新しい曲", "Artist",           "Album",
                           "2024",     "Comment",          "Synthpop"};
    EXPECT_EQ(Window().Rows()[1], expected);
    EXPECT_EQ(Window().Rows()[2], untouched);
}

// Three rows at once: fields that agree show their value, the others "（複数の値）" in grey; OK
// writes what the user changed, and only that, into every row.
TEST_F(CID3TagDlgTest, SeveralRowsShowWhatTheyShareAndTakeOnlyWhatWasChanged) {
    List()->SetTagCells(0, {"", "", "", "Zero", "Artist", "", "1999", "", "Rock"});
    const std::vector<FileRow> before = Window().Rows();
    ClickRow(0);
    ClickRow(2, Qt::ShiftModifier);
    EditTags([&](QDialog* dialog, TagControls& controls) {
        const QString several = ToQString(CID3TagDlg::kSeveralValues);
        EXPECT_EQ(controls.fileTexts[0]->text(), several);
        EXPECT_EQ(controls.fileTexts[2]->text(), QStringLiteral("16bit Stereo 44100Hz"));
        for (QLineEdit* box : controls.tagBoxes) {
            EXPECT_EQ(box->text(), QString());
            EXPECT_EQ(box->placeholderText(), several);
        }
        EXPECT_EQ(controls.genre->currentIndex(), -1);
        EXPECT_EQ(controls.genre->placeholderText(), several);
        Type(controls.tagBoxes[2], ToQString("アルバム"));
        Type(controls.tagBoxes[4], QStringLiteral("note"));
        QTest::mouseClick(controls.ok, Qt::LeftButton);
        EXPECT_FALSE(dialog->isVisible());
    });
    const std::vector<FileRow> after = Window().Rows();
    for (std::size_t row = 0; row < 3; ++row) {
        FileRow expected = before[row];
        expected[kColumnAlbum] = "アルバム";
        expected[kColumnComment] = "note";
        EXPECT_EQ(after[row], expected) << row;
    }
}

TEST_F(CID3TagDlgTest, CancelEscapeAndTheCloseBoxTouchNothing) {
    ClickRow(1);
    const std::vector<FileRow> before = Window().Rows();
    const std::vector<std::function<void(QDialog*, TagControls&)>> endings{
        [](QDialog*, TagControls& controls) { QTest::mouseClick(controls.cancel, Qt::LeftButton); },
        [](QDialog*, TagControls& controls) {
            QTest::keyClick(controls.tagBoxes[0], Qt::Key_Escape);
        },
        [](QDialog* dialog, TagControls&) { dialog->close(); },
    };
    for (const auto& end : endings) {
        EditTags([&](QDialog* dialog, TagControls& controls) {
            Type(controls.tagBoxes[1], QStringLiteral("changed"));
            controls.genre->setCurrentIndex(0);
            end(dialog, controls);
        });
        EXPECT_EQ(Window().Rows(), before);
    }
}

TEST_F(CID3TagDlgTest, AnEndOfTheProgramClosesTheDialogAsCancelThenTheWindow) {
    ClickRow(1);
    const std::vector<FileRow> before = Window().Rows();
    EditTags([&](QDialog* dialog, TagControls& controls) {
        Type(controls.tagBoxes[0], QStringLiteral("changed"));
        Window().OnEndRequest();
        EXPECT_FALSE(dialog->isVisible());
    });
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(Window().Rows(), before);
}

TEST_F(CID3TagDlgTest, BoxesKeepTheFieldLimitsAndTheYearTakesDigitsOnly) {
    ClickRow(0);
    EditTags([&](QDialog* dialog, TagControls& controls) {
        for (QLineEdit* box : controls.tagBoxes) {
            EXPECT_TRUE(box->text().isEmpty());
        }
        EXPECT_EQ(controls.genre->currentIndex(), -1);
        const auto full = static_cast<qsizetype>(kTagTextWidth);
        Type(controls.tagBoxes[0], QString(full, QLatin1Char('t')) + QStringLiteral("x"));
        EXPECT_EQ(controls.tagBoxes[0]->text(), QString(full, QLatin1Char('t')));
        // A long Japanese title is kept whole.
        Type(controls.tagBoxes[2], ToQString("アルバム名アルバム名アルバム名アル"));
        EXPECT_EQ(controls.tagBoxes[2]->text(), ToQString("アルバム名アルバム名アルバム名アル"));
        Type(controls.tagBoxes[3], QStringLiteral("2a0-2٣45"));
        EXPECT_EQ(controls.tagBoxes[3]->text(), QStringLiteral("2024"));
        dialog->accept();
    });
    const FileRow expected{"0.wav",
                           inputFolder.Path(),
                           "16bit Stereo 44100Hz",
                           std::string(kTagTextWidth, 't'),
                           "",
                           "アルバム名アルバム名アルバム名アル",
                           "2024",
                           "",
                           ""};
    EXPECT_EQ(Window().Rows()[0], expected); // no genre chosen stays no genre
}

TEST(CID3TagDlgAloneTest, ShowsAnOverlongCellAsItIs) {
    // Cells written elsewhere than by the editors are shown, not cut; only typing is held.
    const std::string year = "2024年";
    CID3TagDlg dialog({FileRow{"a.wav", "/", "16bit Stereo 44100Hz", "", "", "", year, "", ""}});
    dialog.accept();
    EXPECT_EQ(dialog.Rows().front()[kColumnYear], year);
}

} // namespace
