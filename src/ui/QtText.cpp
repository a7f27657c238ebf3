// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/QtText.h"

#include "platform/CodePage.h"

#include <QUrl>

QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToUtf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString ToShownName(std::string_view name) {
    return ToQString(platform::EscapeControls(name, false));
}

QString ToShownText(std::string_view text) {
    return ToQString(platform::EscapeControls(text, true));
}

std::string LocalPathOf(const QUrl& url) {
    if (!url.isLocalFile()) {
        return {};
    }
    // The encoded form keeps what a decoded QString could not hold.
    const QByteArray path =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return std::string(path.constData(), static_cast<std::size_t>(path.size()));
}
