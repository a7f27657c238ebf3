// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ProgramIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// Outside any namespace, as Q_INIT_RESOURCE requires; the resource lives in a static library
// and is linked only when something refers to it.
static void InitIconResource() {
    Q_INIT_RESOURCE(wavpress);
}

QIcon ProgramIcon() {
    InitIconResource();
    QSvgRenderer renderer(QStringLiteral(":/icons/wavpress.svg"));
    QIcon icon;
    if (!renderer.isValid()) {
        return icon;
    }
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
