#include "ui/GenreChoice.h"

#include "tags/GenreNames.h"
#include "ui/QtText.h"

#include <QComboBox>

void FillGenreNames(QComboBox* box) {
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
