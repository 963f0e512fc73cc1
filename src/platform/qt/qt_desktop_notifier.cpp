#include "platform/qt/qt_desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

#include "platform/qt/qt_text.h"

namespace tolvane {

namespace {

// The service's own choice of how long a notice stays.
constexpr int kServerTimeout = -1;

}  // namespace

void QtDesktopNotifier::Notify(const std::string& title, const std::string& body) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"),
      QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  // A service may read the body as markup: a received text must never be.
  call << QStringLiteral("Tolvane") << 0u << QString() << ToQString(title)
       << ToQString(body).toHtmlEscaped() << QStringList() << QVariantMap() << kServerTimeout;
  bus.send(call);
}

}  // namespace tolvane
