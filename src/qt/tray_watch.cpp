// SPDX-License-Identifier: MIT
#include "qt/tray_watch.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QTimer>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace orvane2 {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
constexpr int kBusTimeoutMs = 1000;

template <typename Reply>
using XReply = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_connection_t* X11Connection()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* c, const QByteArray& name)
{
    const XReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr),
        &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The X screen the program runs on, as $DISPLAY names it: its tray manager owns the
// selection _NET_SYSTEM_TRAY_S<screen>.
int ScreenNumber()
{
    char* host = nullptr;
    int display = 0, screen = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) == 0)
        return 0;
    std::free(host);
    return screen;
}

xcb_window_t RootWindow(xcb_connection_t* c, int screen)
{
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screen && it.rem > 1; ++i)
        xcb_screen_next(&it);
    return it.data != nullptr ? it.data->root : xcb_window_t{XCB_WINDOW_NONE};
}

// Adds events to what this client hears of a window, keeping what Qt asked for.
void Listen(xcb_connection_t* c, xcb_window_t window, uint32_t events)
{
    const XReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr), &std::free);
    if (!attributes)
        return;  // the window is gone already
    const uint32_t mask = attributes->your_event_mask | events;
    // Checked, so that a window destroyed meanwhile costs no error in Qt's event stream.
    std::free(xcb_request_check(c, xcb_change_window_attributes_checked(c, window, XCB_CW_EVENT_MASK, &mask)));
}

}  // namespace

TrayWatch::TrayWatch()
    : watcher_(kWatcherService, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForOwnerChange)
{
    connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this, &TrayWatch::Report);
    QDBusConnection::sessionBus().connect(kWatcherService, kWatcherPath, kWatcherService,
                                          QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(Report()));
    if (xcb_connection_t* c = X11Connection()) {
        const int screen = ScreenNumber();
        selection_ = Atom(c, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen));
        managerAtom_ = Atom(c, "MANAGER");
        // A new tray manager announces itself to the root window's structure listeners.
        Listen(c, RootWindow(c, screen), XCB_EVENT_MASK_STRUCTURE_NOTIFY);
        qGuiApp->installNativeEventFilter(this);
    }
    CheckXEmbed();
    CheckStatusNotifierHost();
}

TrayWatch::~TrayWatch()
{
    if (qGuiApp != nullptr)
        qGuiApp->removeNativeEventFilter(this);
}

bool TrayWatch::Present() const
{
    const bool statusNotifier = protocol_ != Protocol::XEmbed && statusNotifierHost_;
    const bool xembed = protocol_ != Protocol::StatusNotifier && manager_ != XCB_WINDOW_NONE;
    return statusNotifier || xembed;
}

void TrayWatch::Commit()
{
    if (protocol_ == Protocol::Either)
        protocol_ = statusNotifierHost_ ? Protocol::StatusNotifier : Protocol::XEmbed;
}

bool TrayWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7F) {
        case XCB_CLIENT_MESSAGE: {
            const auto* announce = reinterpret_cast<const xcb_client_message_event_t*>(event);
            if (announce->type == managerAtom_ && announce->data.data32[1] == selection_)
                Report();
            break;
        }
        case XCB_DESTROY_NOTIFY:
            if (manager_ != XCB_WINDOW_NONE &&
                reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window == manager_)
                Report();
            break;
        default:
            break;
    }
    return false;  // Qt's own tray icon follows the same events
}

void TrayWatch::Report()
{
    if (reportPending_)
        return;
    reportPending_ = true;
    QTimer::singleShot(0, this, [this] {
        reportPending_ = false;
        CheckXEmbed();
        CheckStatusNotifierHost();
        emit Changed();
    });
}

void TrayWatch::CheckXEmbed()
{
    xcb_connection_t* c = X11Connection();
    if (c == nullptr || selection_ == XCB_ATOM_NONE)
        return;
    const XReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection_), nullptr), &std::free);
    manager_ = owner ? owner->owner : xcb_window_t{XCB_WINDOW_NONE};
    if (manager_ != XCB_WINDOW_NONE)
        Listen(c, manager_, XCB_EVENT_MASK_STRUCTURE_NOTIFY);  // to hear of its destruction
}

void TrayWatch::CheckStatusNotifierHost()
{
    statusNotifierHost_ = false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kWatcherService))
        return;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcherService, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, kBusTimeoutMs);
    statusNotifierHost_ = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
                          qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

}  // namespace orvane2
