// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserActions.h"
#include "WavPressWindowTest.h"

#include "batch/ConversionStart.h"
#include "ui/CID3TagDlg.h"
#include "ui/EncodeProgressWindow.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

QString ShownValue(const QWidget& control) {
    if (const auto* box = qobject_cast<const QComboBox*>(&control)) {
        return box->currentText();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control)) {
        return edit->text();
    }
    if (const auto* slider = qobject_cast<const QAbstractSlider*>(&control)) {
        return QString::number(slider->value());
    }
    return {};
}

// What a screen reader says of every control the keyboard can reach: a name of its own, not
// the value it shows.
void ExpectEveryControlNamed(const QWidget& window) {
    int controls = 0;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        // The drop-downs' lists are windows of their own; the tab strip's scroll buttons
        // only show when its tabs do not fit.
        if (!(control->focusPolicy() & Qt::TabFocus) || control->focusProxy() != nullptr ||
            control->window() != &window || qobject_cast<QTabBar*>(control->parentWidget())) {
            continue;
        }
        ++controls;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(accessible, nullptr);
        const QString name = accessible->text(QAccessible::Name);
        const QString value = ShownValue(*control);
        const std::string what = control->metaObject()->className() + std::string(" ") +
                                 uitest::Utf8(control->objectName()) + " \"" + uitest::Utf8(value) +
                                 "\"";
        EXPECT_FALSE(name.trimmed().isEmpty()) << what;
        if (!value.isEmpty()) {
            EXPECT_NE(name, value) << what;
        }
        if (qobject_cast<QComboBox*>(control) != nullptr) {
            EXPECT_EQ(accessible->text(QAccessible::Value), value) << what; // still heard
        }
    }
    EXPECT_GT(controls, 5);
}

// A change of colour that is seen at a glance, not a shade.
constexpr int kPlainDifference = 64;

int DifferentPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return a.width() * a.height();
    }
    int different = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int channel =
                std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q))});
            different += channel > kPlainDifference ? 1 : 0;
        }
    }
    return different;
}

// The controls that Tab reaches from the first, in order, once round.
std::vector<QWidget*> TabCycle(QWidget* first) {
    first->setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> cycle{first};
    for (int presses = 0; presses < 100; ++presses) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        if (focused == first) {
            break;
        }
        cycle.push_back(focused);
    }
    return cycle;
}

// Tab reaches every control of the window that can take the focus (of a group of radio buttons,
// the checked one), and each shows plainly that it has the focus.
void ExpectTabReachesAndMarksEveryControl(QWidget& window, QWidget* first) {
    const std::vector<QWidget*> cycle = TabCycle(first);
    std::vector<QImage> focused;
    for (QWidget* control : cycle) {
        control->setFocus(Qt::TabFocusReason);
        focused.push_back(control->grab().toImage());
    }
    for (QWidget* control : window.findChildren<QWidget*>()) {
        const auto* radio = qobject_cast<QRadioButton*>(control);
        if (!control->isVisible() || !control->isEnabled() ||
            !(control->focusPolicy() & Qt::TabFocus) || control->window() != &window ||
            (radio != nullptr && !radio->isChecked()) ||
            qobject_cast<QAbstractSpinBox*>(control->parentWidget()) != nullptr) {
            continue;
        }
        EXPECT_NE(std::find(cycle.begin(), cycle.end(), control), cycle.end())
            << control->metaObject()->className() << " " << uitest::Utf8(control->objectName());
    }
    // Down a column of controls, not across the page and back.
    for (std::size_t i = 0; i < cycle.size(); ++i) {
        for (std::size_t j = i + 1; j < cycle.size(); ++j) {
            const QPoint upper = cycle[i]->mapToGlobal(QPoint(0, 0));
            const QPoint lower = cycle[j]->mapToGlobal(QPoint(0, 0));
            if (cycle[i]->parentWidget() == cycle[j]->parentWidget() && upper.x() == lower.x()) {
                EXPECT_LT(upper.y(), lower.y())
                    << uitest::Utf8(cycle[j]->objectName()) << " comes after "
                    << uitest::Utf8(cycle[i]->objectName());
            }
        }
    }
    for (std::size_t i = 0; i < cycle.size(); ++i) {
        cycle[(i + 1) % cycle.size()]->setFocus(Qt::TabFocusReason);
        EXPECT_GE(DifferentPixels(cycle[i]->grab().toImage(), focused[i]), 30)
            << "no focus mark on " << cycle[i]->metaObject()->className() << " "
            << uitest::Utf8(cycle[i]->objectName());
    }
}

class AccessibilityTest : public WavPressWindowTest {};

TEST_F(AccessibilityTest, EveryControlHasANameOfItsOwn) {
    Add({Wave("a.wav")});
    ExpectEveryControlNamed(Window());
    CID3TagDlg dialog({Window().Rows().front()}, &Window());
    ExpectEveryControlNamed(dialog);
}

TEST_F(AccessibilityTest, TheOutcomeLineAndEachFilesCancelAreNamed) {
    Add({Wave("a.wav"), inputFolder.File("notes.txt")});
    auto* line = Window().findChild<QWidget*>(QStringLiteral("outcomeLine"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(line)->text(QAccessible::Name),
        QStringLiteral("結果：追加しなかったファイル 1 個: 拡張子が .wav ではありません (1)"));

    const std::optional<ConversionBatch> batch =
        PrepareConversion(Window().Rows(), Window().Settings());
    ASSERT_TRUE(batch.has_value());
    EncodeProgressWindow progress(*batch, 3, &Window());
    // The blocks of running files.
    for (QWidget* block :
         progress.findChildren<QWidget*>(QRegularExpression(QStringLiteral("^fileBlock")))) {
        block->show();
    }
    progress.show();
    ExpectEveryControlNamed(progress);
}

TEST_F(AccessibilityTest, TabReachesEveryControlOfEveryPageAndShowsWhereTheFocusIs) {
    {
        SCOPED_TRACE("empty list");
        ExpectTabReachesAndMarksEveryControl(Window(), Tabs());
    }
    Add({Wave("a.wav")});
    for (const char* encoder : {"LAME Encoder", "OggVorbis Encoder"}) {
        Tabs()->setCurrentIndex(1);
        uitest::ChooseItem(Window().findChild<QComboBox*>(QStringLiteral("encoderList")), encoder);
        for (int tab = 0; tab < Tabs()->count(); ++tab) {
            SCOPED_TRACE(tab);
            Tabs()->setCurrentIndex(tab);
            ExpectTabReachesAndMarksEveryControl(Window(), Tabs());
        }
    }
    CID3TagDlg dialog({Window().Rows().front()}, &Window());
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    ExpectTabReachesAndMarksEveryControl(dialog, dialog.focusWidget());
}

} // namespace
