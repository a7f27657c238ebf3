// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserActions.h"
#include "WavPressWindowTest.h"

#include "batch/ConversionStart.h"
#include "ui/CID3TagDlg.h"
#include "ui/ElidedLabel.h"
#include "ui/EncodeProgressWindow.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTabBar>
#include <QTreeView>

#include <gtest/gtest.h>

// Also run by ctest with QT_SCALE_FACTOR 1.5 and 2: the windows must be whole at each.
namespace {

bool IsControl(const QWidget& widget) {
    // A spin box's edit field is part of the spin box, which is checked whole.
    if (qobject_cast<const QAbstractSpinBox*>(widget.parentWidget()) != nullptr) {
        return false;
    }
    return qobject_cast<const QAbstractSpinBox*>(&widget) || qobject_cast<const QLabel*>(&widget) ||
           qobject_cast<const ElidedLabel*>(&widget) ||
           qobject_cast<const QAbstractButton*>(&widget) ||
           qobject_cast<const QComboBox*>(&widget) || qobject_cast<const QLineEdit*>(&widget) ||
           qobject_cast<const QAbstractSlider*>(&widget) ||
           qobject_cast<const QGroupBox*>(&widget) || qobject_cast<const QTabBar*>(&widget) ||
           qobject_cast<const QTreeView*>(&widget);
}

std::string Describe(const QWidget& widget) {
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        text = label->text();
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        text = button->text();
    } else if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) {
        text = group->title();
    }
    return std::string(widget.metaObject()->className()) + " " + uitest::Utf8(widget.objectName()) +
           " \"" + uitest::Utf8(text) + "\"";
}

// The room a control's content takes: a push button's style asks for more than its caption
// needs, so that short captions make buttons of one width.
QSize Needed(const QWidget& widget) {
    const QSize hint = widget.minimumSizeHint();
    if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        return {button->fontMetrics().horizontalAdvance(button->text()) + 2 * margin,
                hint.height()};
    }
    return hint;
}

// Every control shown lies inside its parent and its window, has the room its content asks
// for, and covers none of the controls beside it.
void ExpectWhole(const QWidget& window) {
    const QRect inWindow = window.rect();
    std::vector<const QWidget*> controls;
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window) || widget->window() != &window || !IsControl(*widget)) {
            continue;
        }
        const std::string what = Describe(*widget);
        EXPECT_TRUE(widget->parentWidget()->rect().contains(widget->geometry())) << what;
        EXPECT_TRUE(inWindow.contains(QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size())))
            << what;
        const QSize needed = Needed(*widget);
        EXPECT_GE(widget->width(), needed.width()) << what;
        EXPECT_GE(widget->height(), needed.height()) << what;
        controls.push_back(widget);
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            if (controls[i]->parentWidget() == controls[j]->parentWidget()) {
                EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                    << Describe(*controls[i]) << " and " << Describe(*controls[j]);
            }
        }
    }
    EXPECT_GE(controls.size(), 4u);
}

class WindowScale : public WavPressWindowTest {};

TEST_F(WindowScale, EveryWindowIsWhole) {
    if (const QByteArray scale = qgetenv("QT_SCALE_FACTOR"); !scale.isEmpty()) {
        EXPECT_DOUBLE_EQ(Window().devicePixelRatioF(), scale.toDouble());
    }
    // A file left out: the line under the list says so.
    Add({Wave("a.wav"), inputFolder.File("notes.txt")});
    for (const char* encoder : {"LAME Encoder", "OggVorbis Encoder"}) {
        Tabs()->setCurrentIndex(1);
        uitest::ChooseItem(Window().findChild<QComboBox*>(QStringLiteral("encoderList")), encoder);
        for (int tab = 0; tab < Tabs()->count(); ++tab) {
            SCOPED_TRACE(tab);
            Tabs()->setCurrentIndex(tab);
            ExpectWhole(Window());
        }
    }
    FileRow row = Window().Rows().front();
    row[kColumnFolder] = std::string(40, 'f') + "/" + std::string(40, 'g') + "/";
    CID3TagDlg dialog({row}, &Window());
    dialog.show();
    ExpectWhole(dialog);

    // The progress window with one file at a time and with as many blocks as it shows unscrolled.
    const std::optional<ConversionBatch> batch =
        PrepareConversion(Window().Rows(), Window().Settings());
    ASSERT_TRUE(batch.has_value());
    for (const std::size_t jobs : {1, 4}) {
        SCOPED_TRACE(jobs);
        EncodeProgressWindow progress(*batch, jobs, &Window());
        // The blocks of running files.
        for (QWidget* block :
             progress.findChildren<QWidget*>(QRegularExpression(QStringLiteral("^fileBlock")))) {
            block->show();
        }
        progress.show();
        ExpectWhole(progress);
    }
}

} // namespace
