// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DialogFont.h"

#include <QApplication>
#include <QWidget>

namespace {
const QString kGothicFamily = QStringLiteral("IPAPGothic");
}

QFont DialogFont() {
    // Asked for by its own name: the desktop's family list names it in the desktop's language
    // ("IPA Pゴシック" under a Japanese locale), and there the proportional face would be
    // missed for the fixed-width one. Where it is not installed, the desktop's face stands in.
    QFont font = QApplication::font();
    font.setFamilies({kGothicFamily});
    return font;
}

void UseDialogFont(QWidget* window) {
    window->setFont(DialogFont());
}
