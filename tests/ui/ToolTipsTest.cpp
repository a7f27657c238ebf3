// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ToolTips.h"

#include "ui/QtText.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QToolTip>

#include <gtest/gtest.h>

TEST(ToolTipsTest, KeepsLineBreaksWrapsLongLinesAndShowsWhileInactive) {
    QWidget window;
    QLabel control(&window);
    const std::string text = "変換したいエンコード処理を指定してください\nMP3でしたらLAME "
                             "Encoderを…\nOggVorbisでしたらOggVorbis Encoderを\n指定してください";
    SetToolTip(&control, text);

    const QString tip = control.toolTip();
    EXPECT_EQ(tip.count(QLatin1Char('\n')) >= 3, true);
    QString joined = tip;
    // Wrapping only adds line breaks (and drops the space a Latin line is broken at).
    EXPECT_EQ(joined.remove(QLatin1Char('\n')).remove(QLatin1Char(' ')),
              ToQString(text).remove(QLatin1Char('\n')).remove(QLatin1Char(' ')));
    const QFontMetrics metrics(QToolTip::font());
    for (const QString& line : tip.split(QLatin1Char('\n'))) {
        EXPECT_LE(metrics.horizontalAdvance(line), kToolTipMaxWidth - 2 * kToolTipMargin)
            << line.toStdString();
    }
    EXPECT_TRUE(window.testAttribute(Qt::WA_AlwaysShowToolTips));
}

TEST(ToolTipsTest, TipTextSitsFivePixelsInsideAndTheWindowKeepsItsFont) {
    QWidget window;
    QFont gothic = window.font();
    gothic.setFamilies({QStringLiteral("IPAPGothic")});
    window.setFont(gothic);
    QWidget box(&window);
    QLabel control(QStringLiteral("c"), &box);
    SetToolTip(&control, "tip");
    window.show();
    QToolTip::showText(QPoint(10, 10), control.toolTip(), &control);
    const QLabel* tip = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QTipLabel") && widget->isVisible()) {
            tip = static_cast<const QLabel*>(widget);
        }
    }
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->contentsRect().left() + tip->margin(), kToolTipMargin);
    EXPECT_EQ(tip->contentsRect().top() + tip->margin(), kToolTipMargin);
    QToolTip::hideText();
    // The tip style must not cut the window's font off from its grandchildren.
    EXPECT_EQ(control.font().families(), gothic.families());
}
