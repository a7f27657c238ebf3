#include "ui/ToolTips.h"

#include "ui/QtText.h"

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
