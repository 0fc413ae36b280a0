"""A desktop's screen saver on the session bus, as far as Orlavo uses it: it prints "ready" once
it has its name, then each Inhibit and UnInhibit it is asked for, one a line."""

import itertools

from gi.repository import Gio, GLib

INTERFACE = Gio.DBusNodeInfo.new_for_xml("""<node><interface name="org.freedesktop.ScreenSaver">
  <method name="Inhibit"><arg type="s"/><arg type="s"/><arg type="u" direction="out"/></method>
  <method name="UnInhibit"><arg type="u"/></method></interface></node>""").interfaces[0]
cookies = itertools.count(7001)


def called(_connection, _sender, _path, _interface, method, args, invocation):
    if method == "Inhibit":
        cookie = next(cookies)
        print("Inhibit", *args.unpack(), cookie, sep="\t", flush=True)
        invocation.return_value(GLib.Variant("(u)", (cookie,)))
    else:
        print("UnInhibit", *args.unpack(), sep="\t", flush=True)
        invocation.return_value(None)


def connected(connection, _name):
    connection.register_object("/org/freedesktop/ScreenSaver", INTERFACE, called)


Gio.bus_own_name(Gio.BusType.SESSION, "org.freedesktop.ScreenSaver", Gio.BusNameOwnerFlags.NONE,
                 connected, lambda *_: print("ready", flush=True), None)
GLib.MainLoop().run()
