// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/GenreChoice.h"

#include "tags/GenreNames.h"
#include "ui/QtText.h"

#include <QAbstractItemView>
#include <QComboBox>

namespace {
constexpr int kShownGenres = 12;
}

void FillGenreNames(QComboBox* box) {
    // A list below the box rather than one over it as tall as the screen: only that kind of
    // list keeps to a number of rows and scrolls with a bar.
    box->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    box->setMaxVisibleItems(kShownGenres);
    box->view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QStringList names;
    names.reserve(static_cast<qsizetype>(GenreNames.size()));
    for (const std::string_view name : GenreNames) {
        names.append(ToQString(name));
    }
    box->addItems(names);
}

void SelectGenreByPrefix(QComboBox* box, const QString& text) {
    int found = -1;
    if (!text.isEmpty()) {
        for (int i = 0; i < box->count(); ++i) {
            if (box->itemText(i).startsWith(text, Qt::CaseInsensitive)) {
                found = i;
                break;
            }
        }
    }
    box->setCurrentIndex(found);
}

QString SelectedGenre(const QComboBox* box) {
    return box->currentIndex() < 0 ? QString() : box->currentText();
}
