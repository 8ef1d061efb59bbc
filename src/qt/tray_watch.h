// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractNativeEventFilter>
#include <QDBusServiceWatcher>
#include <QObject>

#include <cstdint>

namespace orvane2 {

// Tells whether the desktop has a notification area, and when that changes, without
// waking the program while nothing changes: a StatusNotifierItem host is followed on the
// session bus (its watcher's name and its host-registered signal), an XEmbed tray manager
// (X11 only) through the X server's selection events.
//
// Qt chooses the protocol of a QSystemTrayIcon once, when the first is created: the
// StatusNotifierItem when a host is registered then, else XEmbed; and it keeps that
// choice for the rest of the process. So no QSystemTrayIcon may be made (and
// QSystemTrayIcon::isSystemTrayAvailable not be asked) before Present() is true, and
// once the icon is made, Commit() narrows Present() to the protocol Qt took.
class TrayWatch final : public QObject, private QAbstractNativeEventFilter {
    Q_OBJECT
public:
    TrayWatch();
    ~TrayWatch() override;

    bool Present() const;
    // A StatusNotifierItem host is registered (an icon made now uses the protocol).
    bool StatusNotifierHost() const { return statusNotifierHost_; }
    // The icon is about to be made: from now on only its protocol counts.
    void Commit();

signals:
    // Present() may have changed; sent from the event loop, never from inside a caller.
    void Changed();

private slots:
    // Looks again, once the event that led here is handled, and tells.
    void Report();

private:
    enum class Protocol { Either, StatusNotifier, XEmbed };

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    // Asks the X server for the tray manager and follows its window's destruction.
    void CheckXEmbed();
    void CheckStatusNotifierHost();

    Protocol protocol_ = Protocol::Either;
    bool statusNotifierHost_ = false;
    bool reportPending_ = false;
    QDBusServiceWatcher watcher_;
    // X11 only: the tray manager selection and the window that owns it (0 when none).
    std::uint32_t selection_ = 0, managerAtom_ = 0, manager_ = 0;
};

}  // namespace orvane2
