// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <string>
#include <string_view>

class QUrl;

/// The one crossing between the core's UTF-8 texts and Qt's strings.
QString ToQString(std::string_view utf8);
std::string ToUtf8(const QString& text);

/// A file's name or folder, whatever its bytes, as the window shows it: as the terminal program
/// prints it (platform::EscapeControls), so that bytes that are not UTF-8 show instead of being
/// lost. Never to be turned back into a path.
QString ToShownName(std::string_view name);
/// A message's text with the names in it shown as ToShownName shows them, its line breaks and
/// tabs kept.
QString ToShownText(std::string_view text);
/// The bytes of the local path that url names, bytes that are not UTF-8 included (as %XX in the
/// URL); empty when it names no local file.
std::string LocalPathOf(const QUrl& url);
