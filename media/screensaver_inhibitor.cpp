#include "media/screensaver_inhibitor.h"

#include "media/media_logging.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace duvara {

namespace {
const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");
} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QObject *parent)
    : QObject(parent)
{ }

ScreenSaverInhibitor::~ScreenSaverInhibitor()
{
    setInhibited(false);
}

void ScreenSaverInhibitor::setInhibited(bool inhibited)
{
    if (m_wanted == inhibited)
        return;
    m_wanted = inhibited;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    if (inhibited) {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                           QStringLiteral("Inhibit"));
        call << QStringLiteral("Duvara") << QStringLiteral("Playing a video");
        auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher *finished) {
                    QDBusPendingReply<quint32> reply = *finished;
                    finished->deleteLater();
                    if (reply.isError()) {
                        qCDebug(lcMedia)
                            << "screen saver not inhibited:" << reply.error().message();
                        return;
                    }
                    m_cookie = reply.value();
                    m_haveCookie = true;
                    // Playback stopped while the answer was on its way.
                    if (!m_wanted) {
                        m_wanted = true;
                        setInhibited(false);
                    }
                });
    } else if (m_haveCookie) {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                           QStringLiteral("UnInhibit"));
        call << m_cookie;
        bus.asyncCall(call);
        m_haveCookie = false;
    }
}

} // namespace duvara
