// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallQtTranslations(QCoreApplication& app, const QLocale& locale) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    for (const QLocale& language : {locale, QLocale(QLocale::Japanese, QLocale::Japan)}) {
        if (translator->load(language, QStringLiteral("qtbase"), QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(translator)) {
            return true;
        }
    }
    delete translator;
    return false;
}
