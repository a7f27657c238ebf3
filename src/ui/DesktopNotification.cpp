// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DesktopNotification.h"

#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

bool DesktopNotification::Send(const QString& summary, const QString& body) {
    if (!bus_.isConnected()) {
        return false;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kPath),
                                       QLatin1String(kService), QStringLiteral("Notify"));
    call << QLatin1String(kAppName) << 0U << QString() << summary << body << QStringList()
         << QVariantMap() << kDefaultTimeout;
    // No answer is awaited: a missing service must not hold the window up.
    return bus_.send(call);
}
