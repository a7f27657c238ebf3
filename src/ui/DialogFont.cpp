// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DialogFont.h"

#include <QApplication>
#include <QFontDatabase>
#include <QWidget>

namespace {
const QString kGothicFamily = QStringLiteral("IPAPGothic");
}

QFont DialogFont() {
    QFont font = QApplication::font();
    if (QFontDatabase::families().contains(kGothicFamily)) {
        font.setFamilies({kGothicFamily});
    }
    return font;
}

void UseDialogFont(QWidget* window) {
    window->setFont(DialogFont());
}
