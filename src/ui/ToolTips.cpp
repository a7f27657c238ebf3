#include "ui/ToolTips.h"

#include "ui/QtText.h"

#include <QApplication>
#include <QFontMetrics>
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

void InstallTipStyle() {
    static bool installed = false;
    if (installed || qApp == nullptr) {
        return;
    }
    installed = true;
    // The tip label adds a margin of one pixel more than its frame and padding; one pixel of
    // each puts the text 5 pixels inside the tip's edge.
    qApp->setStyleSheet(
        qApp->styleSheet() +
        QStringLiteral("QToolTip { padding: 1px; border: 1px solid palette(dark); }"));
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
