// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DesktopNotification.h"
#include "support/ExternalProgram.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QTest>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>
#include <string>

namespace {

// The desktop's notification service, as far as the program uses it.
class NotificationsService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList received; ///< app name, summary, body of each notification

public Q_SLOTS:
    uint Notify(const QString& appName, uint, const QString&, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap&, int) {
        received << appName << summary << body;
        return static_cast<uint>(received.size());
    }
};

// A session bus of the test's own, ended with the test.
class PrivateBus {
public:
    PrivateBus() {
        const std::string daemon = testsupport::FindProgram("dbus-daemon");
        if (daemon.empty()) {
            return;
        }
        const testsupport::ProgramRun run = testsupport::RunExternal(
            daemon, {"--session", "--fork", "--print-address=1", "--print-pid=1"});
        std::istringstream lines(run.output);
        std::getline(lines, address);
        lines >> pid;
    }
    ~PrivateBus() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
        }
    }
    std::string address;
    pid_t pid = 0;
};

TEST(DesktopNotificationTest, TheServiceOfTheBusIsToldAndNoBusMeansNothing) {
    const PrivateBus bus;
    if (bus.pid <= 0) {
        GTEST_SKIP() << "dbus-daemon is not installed";
    }
    const QString address = QString::fromStdString(bus.address);
    QDBusConnection serviceSide =
        QDBusConnection::connectToBus(address, QStringLiteral("notifications"));
    NotificationsService service;
    ASSERT_TRUE(serviceSide.registerObject(QLatin1String(DesktopNotification::kPath), &service,
                                           QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(serviceSide.registerService(QLatin1String(DesktopNotification::kService)));

    const QDBusConnection program =
        QDBusConnection::connectToBus(address, QStringLiteral("program"));
    EXPECT_TRUE(DesktopNotification(program).Send(QStringLiteral("wavPress"),
                                                  QStringLiteral("変換が終わりました")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !service.received.isEmpty(); }, 10000));
    EXPECT_EQ(service.received, (QStringList{QStringLiteral("wavPress"), QStringLiteral("wavPress"),
                                             QStringLiteral("変換が終わりました")}));

    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("none"));
    EXPECT_FALSE(DesktopNotification(none).Send(QStringLiteral("wavPress"), QStringLiteral("x")));
    QDBusConnection::disconnectFromBus(QStringLiteral("notifications"));
    QDBusConnection::disconnectFromBus(QStringLiteral("program"));
    QDBusConnection::disconnectFromBus(QStringLiteral("none"));
}

} // namespace

#include "DesktopNotificationTest.moc"
