// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusServiceWatcher>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

namespace orvane2 {

// The desktop's notification service (org.freedesktop.Notifications on the session bus:
// GNOME, KDE, dunst, mako...). Notifications carry the program's name, its desktop entry
// and an image, and offer the default action, which the service invokes when the user
// clicks one. Nothing waits for the service: calls go out and their answers come back
// through the event loop.
class DesktopNotifier final : public QObject {
    Q_OBJECT
public:
    DesktopNotifier();

    // A service runs on the session bus now. One that is merely installed, and would be
    // started by the bus on demand, does not count: no call starts it.
    bool Running() const { return running_; }
    void Show(const QString& title, const QString& text, const QImage& image);

signals:
    // The user clicked one of the program's notifications.
    void Clicked();

private slots:
    void ActionInvoked(uint id, const QString& action);

private:
    void ServiceChanged();

    QDBusServiceWatcher watcher_;
    bool running_ = false;
    bool markup_ = true;  // the service reads the text as markup (most do)
    QList<uint> shown_;   // ids of the program's latest notifications, newest last
};

}  // namespace orvane2
