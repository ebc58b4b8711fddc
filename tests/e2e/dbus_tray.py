#!/usr/bin/env python3
"""Tavrin in a notification area that speaks D-Bus (StatusNotifierItem).

On a private session bus, a small watcher stands for the desktop's host and
records the icon that registers; no XEmbed tray runs. ContextMenu is answered
within 200 ms and the menu opens where the host asked, or at the pointer when
it gave (0, 0). The close button hides the window and the host's Activate
brings it back. The menu the icon exports holds the tray menu's items, and its
退出 clicked ends the program with 0.

usage: python3 -m tests.e2e.dbus_tray <tavrin binary> <skin folder>
"""

import sys
import threading
import time

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

from tests.support.xsession import CLOSE_BUTTON, main, require, wait_for

WATCHER, ITEM, MENU = "org.kde.StatusNotifierWatcher", "org.kde.StatusNotifierItem", "com.canonical.dbusmenu"
# The host's point, where the pointer is, and where the menu's top left must be.
POPUPS = [((400, 300), (700, 500), (400, 300)), ((0, 0), (700, 500), (700, 500))]


class Watcher(dbus.service.Object):
    """The host's side: a host is there, and the items that register are kept."""

    def __init__(self, bus):
        super().__init__(dbus.service.BusName(WATCHER, bus), "/StatusNotifierWatcher")
        self.items = []

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender):
        self.items.append((sender, service) if service.startswith("/") else (service, "/StatusNotifierItem"))

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"IsStatusNotifierHostRegistered": True, "ProtocolVersion": 0,
                "RegisteredStatusNotifierItems": dbus.Array([s + p for s, p in self.items], "s")}


def start_watcher(s):
    """A private session bus with a watcher on it, and a connection of the test's own to call the program."""
    address = s.start_bus()
    # The watcher answers from a thread of its own; the test's calls block on the other connection.
    watcher = Watcher(dbus.bus.BusConnection(address, mainloop=dbus.mainloop.glib.DBusGMainLoop()))
    threading.Thread(target=GLib.MainLoop().run, daemon=True).start()
    return watcher, dbus.bus.BusConnection(address)


def session(s, binary, skin):
    s.lay_out(binary, skin)
    s.make_home()
    s.start_x(tray=None)
    watcher, bus = start_watcher(s)
    s.start()
    service, path = wait_for(lambda: watcher.items, 20, "the icon to register")[0]

    def call(path, interface, method, signature="", *args):
        return bus.call_blocking(service, path, interface, method, signature, args, timeout=2)

    tip = call(path, dbus.PROPERTIES_IFACE, "Get", "ss", ITEM, "ToolTip")
    require(tip[2] == "Velmora", "the icon's tip is %r", tip[2])
    # The menus while the window is settled: without a window manager, Qt closes a popup at once when it opens
    # as the focus of a window just brought back is still on its way (the application is inactive a moment).
    for asked, pointer, want in POPUPS:
        s.xdo("mousemove", *pointer)
        started = time.monotonic()
        call(path, ITEM, "ContextMenu", "ii", *asked)
        took = time.monotonic() - started
        require(took < 0.2, "ContextMenu%s was answered after %.2f s", asked, took)
        menu = wait_for(s.menus, 10, "the menu for ContextMenu%s" % (asked,)).pop()
        require(s.geometry(menu)[:2] == want, "ContextMenu%s opened the menu at %s", asked, s.geometry(menu)[:2])
        s.key("Escape")
        wait_for(lambda: not s.menus(), 10, "Escape to close the menu")

    s.click(CLOSE_BUTTON)
    wait_for(lambda: not s.shown(s.main), 20, "the close button to hide the window")
    call(path, ITEM, "Activate", "ii", 0, 0)
    wait_for(lambda: s.shown(s.main), 10, "Activate to bring the window back")
    menu_path = call(path, dbus.PROPERTIES_IFACE, "Get", "ss", ITEM, "Menu")
    items = call(menu_path, MENU, "GetLayout", "iias", 0, -1, [])[1][2]
    shown = [(p.get("type", "standard"), p.get("label")) for _, p, _ in items]
    require(shown == [("standard", "关于"), ("separator", None), ("standard", "打开网址"), ("standard", "退出")],
            "the exported menu holds %s", shown)
    call(menu_path, MENU, "Event", "isvu", items[3][0], "clicked", "", 0)
    s.expect_exit(10, "退出 clicked in the exported menu")


if __name__ == "__main__":
    sys.exit(main(__doc__, {"dbus_tray": session}, tools=("dbus-daemon",)))
