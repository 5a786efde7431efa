#include "ResumeWatcher.h"

#include <QDBusConnection>

namespace caraudio::app {

ResumeWatcher::ResumeWatcher(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return;
    listening_ =
        bus.connect("org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                    "PrepareForSleep", this, SLOT(OnPrepareForSleep(bool)));
}

void ResumeWatcher::OnPrepareForSleep(bool sleeping) {
    if (!sleeping) emit resumed();
}

}  // namespace caraudio::app
