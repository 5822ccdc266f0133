// Desktop notifications on a session bus of the test's own: a private dbus-daemon on a socket in
// a temporary folder, and the test playing the desktop's notification service.

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "gui_test_support.h"
#include "platform/qt/dbus_notifier.h"

namespace kestrix::platform::qt {
namespace {

// Takes every call to the notification service and answers it with a notification's id.
class NotificationService final : public QDBusVirtualObject {
public:
    QList<QDBusMessage> calls;
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        calls.append(message);
        connection.send(message.createReply(QVariantList{QVariant::fromValue(7U)}));
        return true;
    }
};

TEST(DBusNotifier, ANotificationIsANotifyCallToTheDesktopsService) {
    gui_test::application();
    QTemporaryDir dir;
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                  QStringLiteral("--address=unix:dir=") + dir.path()});
    ASSERT_TRUE(daemon.waitForStarted()) << "dbus-daemon is needed (scripts/install-deps.sh)";
    ASSERT_TRUE(daemon.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    {
        QDBusConnection service = QDBusConnection::connectToBus(address, QStringLiteral("service"));
        NotificationService server;
        ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.Notifications")));
        ASSERT_TRUE(service.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), &server));

        DBusNotifier notifier(QDBusConnection::connectToBus(address, QStringLiteral("program")));
        notifier.notify("Receiver alarm", "73408K on Com1: HEALTH MONITOR [ ALARM ] \xB0");
        ASSERT_TRUE(gui_test::serveEventsUntil([&] { return !server.calls.isEmpty(); }));
        const QDBusMessage call = server.calls.front();
        EXPECT_EQ(call.interface(), "org.freedesktop.Notifications");
        EXPECT_EQ(call.member(), "Notify");
        EXPECT_EQ(call.signature(), "susssasa{sv}i");
        const QList<QVariant> args = call.arguments();
        ASSERT_EQ(args.size(), 8);
        EXPECT_EQ(args[0].toString(), "Kestrix");
        EXPECT_EQ(args[1].toUInt(), 0U);  // a new notification, replacing none
        EXPECT_EQ(args[3].toString(), "Receiver alarm");
        EXPECT_EQ(args[4].toString(), QString::fromLatin1("73408K on Com1: HEALTH MONITOR [ ALARM ] \xB0"));
        EXPECT_EQ(args[7].toInt(), -1);  // the desktop decides how long it stays
        EXPECT_EQ(qdbus_cast<QVariantMap>(args[6]).value("desktop-entry").toString(), "kestrix");
        service.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    QDBusConnection::disconnectFromBus(QStringLiteral("program"));
    daemon.terminate();
    daemon.waitForFinished();
}

}  // namespace
}  // namespace kestrix::platform::qt
