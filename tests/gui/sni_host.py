#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# A StatusNotifierItem host for tests, on the session bus: it owns a host name and the
# watcher, then prints "registered SERVICE" and "unregistered SERVICE" as items come and go
# (an item that registers by object path is named by its connection's unique name).
import os
from gi.repository import Gio, GLib

bus, items, WATCHER = Gio.bus_get_sync(Gio.BusType.SESSION), [], "org.kde.StatusNotifierWatcher"
XML = f"""<node><interface name="{WATCHER}"><method name="RegisterStatusNotifierItem"><arg type="s"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/></interface></node>"""
def on_register(conn, sender, path, iface, method, args, invocation):  # RegisterStatusNotifierItem
    items.append(sender if args[0].startswith("/") else args[0])
    print("registered", items[-1], flush=True)
    invocation.return_value(None)
def on_owner(conn, sender, path, iface, signal, args):
    name, _, owner = args.unpack()
    if name in items and not owner:
        items.remove(name)
        print("unregistered", name, flush=True)
bus.register_object("/StatusNotifierWatcher", Gio.DBusNodeInfo.new_for_xml(XML).interfaces[0], on_register,
                    lambda conn, sender, path, iface, name: GLib.Variant("as", items) if name.startswith("Registered")
                    else GLib.Variant("b", True), None)
bus.signal_subscribe("org.freedesktop.DBus", "org.freedesktop.DBus", "NameOwnerChanged", None, None, 0, on_owner)
for name in (f"org.kde.StatusNotifierHost-{os.getpid()}", WATCHER):  # the test waits for the watcher
    Gio.bus_own_name_on_connection(bus, name, Gio.BusNameOwnerFlags.DO_NOT_QUEUE, None, None)
GLib.MainLoop().run()
