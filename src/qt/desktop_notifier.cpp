// SPDX-License-Identifier: MIT
#include "qt/desktop_notifier.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>

namespace orvane2 {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr qsizetype kKeptIds = 32;

QDBusMessage Call(const QString& method)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, method);
    call.setAutoStartService(false);
    return call;
}

// The "image-data" hint: width, height, row stride, alpha, bits per sample, channels,
// and the pixels as RGBA bytes.
QVariant ImageData(const QImage& image)
{
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    QDBusArgument data;
    data.beginStructure();
    data << rgba.width() << rgba.height() << static_cast<int>(rgba.bytesPerLine()) << true << 8 << 4
         << QByteArray(reinterpret_cast<const char*>(rgba.constBits()), static_cast<int>(rgba.sizeInBytes()));
    data.endStructure();
    return QVariant::fromValue(data);
}

}  // namespace

DesktopNotifier::DesktopNotifier()
    : watcher_(kService, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForOwnerChange)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this, &DesktopNotifier::ServiceChanged);
    bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this, SLOT(ActionInvoked(uint, QString)));
    ServiceChanged();
}

void DesktopNotifier::ServiceChanged()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    running_ = bus.interface()->isServiceRegistered(kService);
    shown_.clear();
    if (!running_)
        return;
    // Whether the text is read as markup decides whether "<" and "&" must be escaped.
    auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(Call(QStringLiteral("GetCapabilities"))), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<QStringList> reply = *call;
        if (reply.isValid())
            markup_ = reply.value().contains(QStringLiteral("body-markup"));
        call->deleteLater();
    });
}

void DesktopNotifier::Show(const QString& title, const QString& text, const QImage& image)
{
    QDBusMessage notify = Call(QStringLiteral("Notify"));
    const QVariantMap hints = {
        {QStringLiteral("desktop-entry"), QGuiApplication::desktopFileName()},
        {QStringLiteral("image-data"), ImageData(image)},
    };
    // The default action is what a click on the notification does.
    const QStringList actions = {QStringLiteral("default"), QStringLiteral("Показать окно")};
    notify << QCoreApplication::applicationName() << 0u << QGuiApplication::desktopFileName() << title
           << (markup_ ? text.toHtmlEscaped() : text) << actions << hints << -1;
    auto* pending = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(notify), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<uint> reply = *call;
        // A service may close a notification before or after it says it was clicked:
        // the latest few ids are kept whatever their state.
        if (reply.isValid())
            shown_.append(reply.value());
        if (shown_.size() > kKeptIds)
            shown_.removeFirst();
        call->deleteLater();
    });
}

void DesktopNotifier::ActionInvoked(uint id, const QString& action)
{
    if (action == QLatin1String("default") && shown_.contains(id))
        emit Clicked();
}

}  // namespace orvane2
