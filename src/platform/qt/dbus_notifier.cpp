#include "platform/qt/dbus_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QStringList>
#include <QVariantMap>

#include "platform/qt/latin1.h"

namespace kestrix::platform::qt {

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr int kServerDecidesHowLong = -1;
}  // namespace

DBusNotifier::DBusNotifier(const QDBusConnection& bus) : bus_(bus) {}

void DBusNotifier::notify(const std::string& summary, const std::string& body) {
    if (!bus_.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    call << QStringLiteral("Kestrix") << 0U << QStringLiteral("kestrix") << fromBytes(summary) << fromBytes(body)
         << QStringList() << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("kestrix")}}
         << kServerDecidesHowLong;
    call.setAutoStartService(true);
    bus_.asyncCall(call);
}

}  // namespace kestrix::platform::qt
