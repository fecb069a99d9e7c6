"""Types keys through mutter's own input path, as a keyboard on a GNOME desktop does: one
RemoteDesktop session over D-Bus, opened at start and kept for as long as this runs (the
compositor ends a session when its client goes). Prints "ready" once the session has started,
then reads lines "KEYCODE down|up" (KEYCODE as Linux's input events number keys: 1 is
Escape) from standard input and answers "ok" to each, or "error: ..." and ends when one
fails."""

import sys

from gi.repository import Gio, GLib

SERVICE = "org.gnome.Mutter.RemoteDesktop"
SESSION = SERVICE + ".Session"
TIMEOUT_MS = 30000  # a busy headless mutter stalls for seconds

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)


def call(path, interface, method, arguments=None, reply=None):
    reply_type = GLib.VariantType(reply) if reply else None
    return bus.call_sync(SERVICE, path, interface, method, arguments, reply_type,
                         Gio.DBusCallFlags.NONE, TIMEOUT_MS, None)


try:
    session = call("/org/gnome/Mutter/RemoteDesktop", SERVICE, "CreateSession", None,
                   "(o)")[0]
    call(session, SESSION, "Start")
    print("ready", flush=True)
    for line in sys.stdin:
        keycode, state = line.split()
        call(session, SESSION, "NotifyKeyboardKeycode",
             GLib.Variant("(ub)", (int(keycode), state == "down")))
        print("ok", flush=True)
except (GLib.Error, ValueError) as error:
    print("error:", error, flush=True)
    sys.exit(1)
