// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QString>

/// A desktop notification through the org.freedesktop.Notifications service of a D-Bus session
/// bus. Where no bus or no service runs, nothing happens: the message is sent without waiting
/// for an answer, and an error coming back is not read.
class DesktopNotification {
public:
    static constexpr const char* kService = "org.freedesktop.Notifications";
    static constexpr const char* kPath = "/org/freedesktop/Notifications";
    static constexpr const char* kAppName = "wavPress";
    /// How long the desktop shows it: its own default.
    static constexpr int kDefaultTimeout = -1;

    explicit DesktopNotification(QDBusConnection bus = QDBusConnection::sessionBus())
        : bus_(std::move(bus)) {}

    /// Sends a notification titled summary, saying body; false when no bus could be reached.
    bool Send(const QString& summary, const QString& body);

private:
    QDBusConnection bus_;
};
