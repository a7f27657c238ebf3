// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/QtTranslations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTranslator>

#include <gtest/gtest.h>

#include <memory>

namespace {

void RemoveTranslators() {
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

QString CancelButtonText() {
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    return buttons.button(QDialogButtonBox::Cancel)->text();
}

QString FirstContextMenuText() {
    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    return menu->actions().value(0)->text();
}

} // namespace

TEST(QtTranslationsTest, QtTextsFollowTheLocaleOrElseJapanese) {
    struct Case {
        QLocale Locale;
        const char* Cancel;
        const char* Undo; ///< the start of the first item of an edit box's context menu
    };
    const Case cases[] = {
        {QLocale::c(), "キャンセル", "元に戻す"},
        {QLocale(QLocale::Japanese, QLocale::Japan), "キャンセル", "元に戻す"},
        // A language of its own that Qt has no translation for.
        {QLocale(QLocale::Swahili, QLocale::Kenya), "キャンセル", "元に戻す"},
        {QLocale(QLocale::German, QLocale::Germany), "Abbrechen", "&Rückgängig"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Locale.name().toStdString());
        ASSERT_TRUE(InstallQtTranslations(*qApp, c.Locale));
        EXPECT_EQ(CancelButtonText(), QString::fromUtf8(c.Cancel));
        EXPECT_TRUE(FirstContextMenuText().startsWith(QString::fromUtf8(c.Undo)))
            << FirstContextMenuText().toStdString();
        RemoveTranslators();
    }
    EXPECT_EQ(CancelButtonText(), QStringLiteral("Cancel"));
}
