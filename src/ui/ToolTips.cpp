// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ToolTips.h"

#include "ui/QtText.h"

#include <QApplication>
#include <QFontMetrics>
#include <QProxyStyle>
#include <QStringList>
#include <QToolTip>
#include <QWidget>

namespace {

int TextWidthLimit() {
    return kToolTipMaxWidth - 2 * kToolTipMargin;
}

QString WrapLine(const QString& line, const QFontMetrics& metrics, int limit) {
    QString wrapped;
    QString current;
    for (const QChar c : line) {
        if (!current.isEmpty() && metrics.horizontalAdvance(current + c) > limit) {
            const qsizetype space = current.lastIndexOf(QLatin1Char(' '));
            if (space > 0) {
                wrapped += current.left(space) + QLatin1Char('\n');
                current = current.mid(space + 1);
            } else {
                wrapped += current + QLatin1Char('\n');
                current.clear();
            }
        }
        current += c;
    }
    return wrapped + current;
}

// The tip label keeps its text one pixel more than this frame width inside its edge. A style
// sheet could do the same, but one set on the application or a window cuts the font's
// inheritance for widgets created below it later, so the dialogs' font would not reach them.
class TipStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_ToolTipLabelFrameWidth) {
            return kToolTipMargin - 1;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

void InstallTipStyle() {
    if (dynamic_cast<TipStyle*>(QApplication::style()) == nullptr) {
        QApplication::setStyle(new TipStyle(QApplication::style()->name()));
    }
}

} // namespace

QString WrapToolTipText(const QString& text) {
    const QFontMetrics metrics(QToolTip::font());
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        line = WrapLine(line, metrics, TextWidthLimit());
    }
    return lines.join(QLatin1Char('\n'));
}

void SetToolTip(QWidget* control, std::string_view utf8Text) {
    InstallTipStyle();
    control->setToolTip(WrapToolTipText(ToQString(utf8Text)));
    control->window()->setAttribute(Qt::WA_AlwaysShowToolTips);
}
