// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QCoreApplication;
class QLocale;

/// Qt's own texts (the buttons of message boxes, the file dialogs, the edit boxes' context
/// menus) in the language of locale, or in Japanese, the language of the program's own texts,
/// when Qt has no translation for it. Installs the translator into app, which owns it; false
/// when not even the Japanese one is installed.
bool InstallQtTranslations(QCoreApplication& app, const QLocale& locale);
