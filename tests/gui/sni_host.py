#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# A StatusNotifierItem host for tests, on the session bus. Without arguments it owns the
# watcher and a host name, prints "ready", then "registered SERVICE" and "unregistered
# SERVICE" as items come and go. With arguments it asks the item SERVICE: get PROPERTY (of
# a tooltip, its title) | menu (the shown items of its exported menu, "ID LABEL") |
# activate X Y | click ID (in the exported menu).
import os, sys
from gi.repository import Gio, GLib

bus = Gio.bus_get_sync(Gio.BusType.SESSION)
SNI, WATCHER, MENU = "org.kde.StatusNotifierItem", "org.kde.StatusNotifierWatcher", "com.canonical.dbusmenu"
if len(sys.argv) > 1:
    sys.excepthook = lambda kind, error, trace: print(" ".join(sys.argv[2:]) + ":", error, file=sys.stderr)
    def call(path, iface, method, sig, *args):
        return bus.call_sync(sys.argv[1], path, iface, method, GLib.Variant(sig, args), None, 0, 5000, None).unpack()
    def get(name):
        return call("/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get", "(ss)", SNI, name)[0]
    command, args = sys.argv[2], sys.argv[3:]
    if command == "get":
        print(get(args[0])[2] if args[0] == "ToolTip" else get(args[0]))
    elif command == "activate":
        call("/StatusNotifierItem", SNI, "Activate", "(ii)", int(args[0]), int(args[1]))
    elif command == "menu":
        for id, props, _ in call(get("Menu"), MENU, "GetLayout", "(iias)", 0, -1, [])[1][2]:
            props.get("visible", True) and print(id, props.get("label"))
    elif command == "click":
        call(get("Menu"), MENU, "Event", "(isvu)", int(args[0]), "clicked", GLib.Variant("i", 0), 0)
    sys.exit()
items = []
XML = f"""<node><interface name="{WATCHER}">
  <method name="RegisterStatusNotifierItem"><arg type="s"/></method><method name="RegisterStatusNotifierHost"><arg type="s"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/><property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal><signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/></interface></node>"""
def tell(event, service):
    bus.emit_signal(None, "/StatusNotifierWatcher", WATCHER, "StatusNotifierItem" + event, GLib.Variant("(s)", (service,)))
    print(event.lower(), service, flush=True)
def on_method(conn, sender, path, iface, method, args, invocation):
    service = args.unpack()[0]
    if method == "RegisterStatusNotifierItem":  # a service name, or an object path of the sender
        items.append(sender if service.startswith("/") else service)
        tell("Registered", items[-1])
    invocation.return_value(None)
def on_owner(conn, sender, path, iface, signal, args):
    name, _, owner = args.unpack()
    if name in items and not owner:
        items.remove(name)
        tell("Unregistered", name)
bus.register_object("/StatusNotifierWatcher", Gio.DBusNodeInfo.new_for_xml(XML).interfaces[0], on_method,
                    lambda conn, sender, path, iface, name: {"RegisteredStatusNotifierItems": GLib.Variant("as", items),
                    "IsStatusNotifierHostRegistered": GLib.Variant("b", True), "ProtocolVersion": GLib.Variant("i", 0)}[name], None)
bus.signal_subscribe("org.freedesktop.DBus", "org.freedesktop.DBus", "NameOwnerChanged", None, None, 0, on_owner)
for name in (WATCHER, f"org.kde.StatusNotifierHost-{os.getpid()}"):
    bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                  GLib.Variant("(su)", (name, 4)), None, 0, -1, None)
print("ready", flush=True)
GLib.MainLoop().run()
