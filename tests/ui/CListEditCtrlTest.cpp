// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserActions.h"
#include "WavPressWindowTest.h"

#include "ui/QtText.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>

namespace {

class CListEditCtrlTest : public WavPressWindowTest {
protected:
    CListEditCtrlTest() { Add({Wave("a.wav"), Wave("b.wav"), Wave("c.wav")}); }

    /// Double-clicks a cell, scrolled into view, and returns the editor it opened.
    QWidget* Edit(int row, int column) {
        List()->scrollTo(List()->model()->index(row, column));
        DoubleClickCell(row, column);
        return VisibleEditor();
    }
};

TEST_F(CListEditCtrlTest, FileColumnsOpenNoEditor) {
    for (int column : {kColumnName, kColumnFolder, kColumnFormat}) {
        EXPECT_EQ(Edit(1, column), nullptr) << column;
        EXPECT_EQ(List()->EditColumn(), -1);
    }
    // Header clicks do not sort: the rows keep the order they were added in.
    Add({Wave("0.wav")});
    QTest::mouseClick(List()->header()->viewport(), Qt::LeftButton, {},
                      QPoint(List()->header()->sectionViewportPosition(0) + 10, 5));
    EXPECT_EQ(Cell(3, kColumnName), QStringLiteral("0.wav"));
}

TEST_F(CListEditCtrlTest, TypingIsWrittenThroughAndAClickElsewhereEndsTheEdit) {
    auto* editor = qobject_cast<QLineEdit*>(Edit(1, kColumnTitle));
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->hasFocus());
    // The box covers the clicked cell, so that none of the cell's text shows beside it.
    const QRect cell = List()->visualRect(List()->model()->index(1, kColumnTitle));
    EXPECT_EQ(editor->geometry(), cell);

    QTest::keyClicks(editor, QStringLiteral("ab"));
    EXPECT_EQ(Cell(1, kColumnTitle), QStringLiteral("ab"));
    QTest::keyClicks(editor, QStringLiteral("c"));
    EXPECT_EQ(Cell(1, kColumnTitle), QStringLiteral("abc"));
    // Enter ends the edit with the text kept, and does not end the window.
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(Cell(1, kColumnTitle), QStringLiteral("abc"));

    ASSERT_EQ(Edit(1, kColumnTitle), editor);
    ClickRow(2);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(List()->EditRow(), -1);
    EXPECT_EQ(Cell(1, kColumnTitle), QStringLiteral("abc"));
    EXPECT_EQ(Cell(0, kColumnTitle), QString());
    EXPECT_EQ(Cell(2, kColumnTitle), QString());

    // The next edit of the cell starts from its text.
    editor = qobject_cast<QLineEdit*>(Edit(1, kColumnTitle));
    EXPECT_EQ(editor->text(), QStringLiteral("abc"));
}

// The list from the keyboard: F2 and Enter edit the current cell, Escape in an editor undoes
// the edit, Delete removes the selected rows, the menu key and Shift+F10 open the menu below
// the current row, and Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PageDown and Ctrl+PageUp switch tabs.
TEST_F(CListEditCtrlTest, EveryCommandOfTheListIsReachedFromTheKeyboard) {
    List()->SetTagCells(1, {"", "", "", "Title", "", "", "", "", ""});
    ClickRow(1);
    for (const Qt::Key key : {Qt::Key_F2, Qt::Key_Return}) {
        QTest::keyClick(List(), key);
        auto* editor = qobject_cast<QLineEdit*>(VisibleEditor());
        ASSERT_NE(editor, nullptr) << key;
        EXPECT_EQ(List()->EditRow(), 1);
        EXPECT_EQ(List()->EditColumn(), static_cast<int>(kColumnTitle));
        QTest::keyClicks(editor, QStringLiteral("x"));
        EXPECT_EQ(Cell(1, kColumnTitle), QStringLiteral("Titlex"));
        QTest::keyClick(editor, Qt::Key_Escape);
        EXPECT_EQ(VisibleEditor(), nullptr);
        EXPECT_EQ(Cell(1, kColumnTitle), QStringLiteral("Title"));
        EXPECT_TRUE(Window().isVisible());
    }

    const QRect cell = List()->visualRect(List()->currentIndex());
    ASSERT_EQ(List()->currentIndex().row(), 1);
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } menuKeys[] = {{Qt::Key_Menu, Qt::NoModifier}, {Qt::Key_F10, Qt::ShiftModifier}};
    for (const auto& [key, modifiers] : menuKeys) {
        QTest::keyClick(List(), key, modifiers);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << key;
        EXPECT_EQ(menu->pos(), List()->viewport()->mapToGlobal(cell.bottomLeft())) << key;
        menu->close();
    }

    const struct {
        QKeyCombination keys;
        int tab;
    } tabKeys[] = {{Qt::CTRL | Qt::Key_Tab, 1},
                   {Qt::CTRL | Qt::Key_PageDown, 2},
                   {Qt::CTRL | Qt::Key_Tab, 0},
                   {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, 2},
                   {Qt::CTRL | Qt::Key_PageUp, 1}};
    for (const auto& [keys, tab] : tabKeys) {
        QTest::keyClick(List(), keys.key(), keys.keyboardModifiers());
        EXPECT_EQ(Tabs()->currentIndex(), tab);
    }

    ClickRow(2, Qt::ShiftModifier);
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_EQ(List()->RowCount(), 1);
}

TEST_F(CListEditCtrlTest, RowsKeepTheirHeightWhileTheFileNameIsScrolledAway) {
    const int height = List()->visualItemRect(List()->topLevelItem(0)).height();
    List()->horizontalScrollBar()->setValue(List()->horizontalScrollBar()->maximum());
    ASSERT_LE(List()->header()->sectionViewportPosition(kColumnName) +
                  List()->header()->sectionSize(kColumnName),
              0);
    for (const int column : {static_cast<int>(kColumnComment), static_cast<int>(kColumnGenre)}) {
        QWidget* editor = Edit(0, column);
        ASSERT_NE(editor, nullptr);
        if (auto* box = qobject_cast<QLineEdit*>(editor)) {
            QTest::keyClicks(box, QStringLiteral("x"));
        }
        ClickRow(2);
        for (int row = 0; row < List()->RowCount(); ++row) {
            EXPECT_EQ(List()->visualItemRect(List()->topLevelItem(row)).height(), height)
                << row << " after editing column " << column;
        }
    }
}

TEST_F(CListEditCtrlTest, DoubleClickAfterScrollingEditsTheClickedRow) {
    std::vector<std::string> more;
    for (int file = 0; file < 40; ++file) {
        more.push_back(Wave("more" + std::to_string(file) + ".wav"));
    }
    Add(more);
    List()->scrollToItem(List()->topLevelItem(30), QAbstractItemView::PositionAtTop);
    ASSERT_GT(List()->verticalScrollBar()->value(), 0);
    List()->horizontalScrollBar()->setValue(List()->horizontalScrollBar()->maximum());
    const int row = 32;
    DoubleClickCell(row, kColumnComment);
    auto* editor = qobject_cast<QLineEdit*>(VisibleEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(List()->EditRow(), row);
    EXPECT_EQ(List()->EditColumn(), static_cast<int>(kColumnComment));
    QTest::keyClicks(editor, QStringLiteral("x"));
    EXPECT_EQ(Cell(row, kColumnComment), QStringLiteral("x"));

    // Scrolling with the scroll bar ends the edit.
    List()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(List()->EditRow(), -1);
}

struct LimitCase {
    std::size_t column;
    std::string before;
    std::string typed;
    std::string after;
};

std::string Repeated(const std::string& text, std::size_t times) {
    std::string repeated;
    for (std::size_t i = 0; i < times; ++i) {
        repeated += text;
    }
    return repeated;
}

class ByteLimitTest : public CListEditCtrlTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(ByteLimitTest, RefusesWhatWouldPassTheFieldsCodePage932Width) {
    const LimitCase& limit = GetParam();
    auto* editor = qobject_cast<QLineEdit*>(Edit(0, static_cast<int>(limit.column)));
    ASSERT_NE(editor, nullptr);
    Type(editor, ToQString(limit.before));
    ASSERT_EQ(Cell(0, static_cast<int>(limit.column)), ToQString(limit.before));
    Type(editor, ToQString(limit.typed));
    EXPECT_EQ(Cell(0, static_cast<int>(limit.column)), ToQString(limit.after));
    EXPECT_EQ(editor->text(), ToQString(limit.after));
}

INSTANTIATE_TEST_SUITE_P(Fields, ByteLimitTest,
                         ::testing::Values(
                             // A full text, one byte more refused.
                             LimitCase{kColumnTitle, std::string(kTagTextWidth, 'a'), "b",
                                       std::string(kTagTextWidth, 'a')},
                             // Japanese characters take two bytes; the one past the end is refused,
                             // as is the half of one.
                             LimitCase{kColumnArtist, Repeated("あ", kTagTextWidth / 2), "た",
                                       Repeated("あ", kTagTextWidth / 2)},
                             LimitCase{kColumnAlbum, std::string(kTagTextWidth - 1, 'a'), "あb",
                                       std::string(kTagTextWidth - 1, 'a') + "b"},
                             // The list's year takes any 4 bytes.
                             LimitCase{kColumnYear, "ab1", "23", "ab12"},
                             LimitCase{kColumnYear, "あ", "いう", "あい"},
                             // Half-width katakana take one byte each, as in code page 932.
                             LimitCase{kColumnComment, std::string(kTagTextWidth - 5, 'a'),
                                       "ｱｲｳｴｵｶ", std::string(kTagTextWidth - 5, 'a') + "ｱｲｳｴｵ"}));

TEST_F(CListEditCtrlTest, PastedAndComposedTextIsCutBetweenCharacters) {
    auto* editor = qobject_cast<QLineEdit*>(Edit(0, kColumnTitle));
    ASSERT_NE(editor, nullptr);
    // Five bytes left: two Japanese characters fit, the third does not.
    const std::string typed(kTagTextWidth - 5, '0');
    QTest::keyClicks(editor, ToQString(typed));
    QApplication::clipboard()->setText(ToQString("あいう"));
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Cell(0, kColumnTitle), ToQString(typed + "あい"));

    // An input method's composition ends in a commit, which is cut like a paste.
    const std::string oneLeft(kTagTextWidth - 1, '0');
    editor->setText(ToQString(oneLeft));
    QInputMethodEvent preedit(ToQString("かな"), {});
    QApplication::sendEvent(editor, &preedit);
    EXPECT_EQ(Cell(0, kColumnTitle), ToQString(oneLeft));
    QInputMethodEvent commit;
    commit.setCommitString(ToQString("仮名"));
    QApplication::sendEvent(editor, &commit);
    EXPECT_EQ(Cell(0, kColumnTitle), ToQString(oneLeft));
    const std::string twoLeft(kTagTextWidth - 2, '0');
    editor->setText(ToQString(twoLeft));
    QApplication::sendEvent(editor, &commit);
    EXPECT_EQ(Cell(0, kColumnTitle), ToQString(twoLeft + "仮"));
}

TEST_F(CListEditCtrlTest, GenreDropDownSelectsByPrefixAndAChoiceEndsTheEdit) {
    auto* genre = qobject_cast<QComboBox*>(Edit(0, kColumnGenre));
    ASSERT_NE(genre, nullptr);
    ASSERT_EQ(genre->count(), 148);
    EXPECT_EQ(genre->currentIndex(), -1); // an empty cell selects nothing
    ClickRow(1);
    EXPECT_FALSE(genre->isVisible());
    EXPECT_EQ(Cell(0, kColumnGenre), QString());

    List()->topLevelItem(0)->setText(kColumnGenre, QStringLiteral("rock"));
    genre = qobject_cast<QComboBox*>(Edit(0, kColumnGenre));
    EXPECT_EQ(genre->currentIndex(), 17);
    EXPECT_EQ(genre->currentText(), QStringLiteral("Rock"));

    // An arrow key in the closed drop-down is a choice.
    QTest::keyClick(genre, Qt::Key_Down);
    EXPECT_EQ(Cell(0, kColumnGenre), QStringLiteral("Techno"));
    EXPECT_FALSE(genre->isVisible());
    EXPECT_EQ(List()->EditColumn(), -1);

    // Opening the list does not end the edit; a click on a name in it is a choice.
    genre = qobject_cast<QComboBox*>(Edit(1, kColumnGenre));
    uitest::ExpectListOfAboutADozenRowsWithAScrollBar(genre);
    EXPECT_EQ(List()->EditRow(), 1);
    uitest::ChooseItem(genre, "Jazz");
    EXPECT_EQ(Cell(1, kColumnGenre), QStringLiteral("Jazz"));
    EXPECT_EQ(List()->EditColumn(), -1);
}

} // namespace
