#pragma once

#include <QDBusConnection>
#include <QString>

#include "platform/services.h"

namespace kestrix::platform::qt {

// Notifications through the desktop's notification service (org.freedesktop.Notifications on the
// session bus). The call is sent without waiting for the answer, so a slow or missing service
// never holds the program; without a bus nothing is sent.
class DBusNotifier final : public DesktopNotifier {
public:
    explicit DBusNotifier(const QDBusConnection& bus = QDBusConnection::sessionBus());
    void notify(const std::string& summary, const std::string& body) override;

private:
    QDBusConnection bus_;
};

}  // namespace kestrix::platform::qt
