"""Gives a wlroots compositor (sway) a pointer, as a mouse plugged in would: a virtual pointer
(zwlr_virtual_pointer_manager_v1) created over the Wayland socket of WAYLAND_DISPLAY and kept
for as long as this runs. A headless compositor has no pointer of its own, and without one it
passes no button to a client, so that its own cursor commands (swaymsg 'seat seat0 cursor
press button1') reach nobody. Prints "ready" once the compositor has the pointer, then keeps
it until the compositor ends."""

import os
import socket
import struct
import sys

MANAGER = "zwlr_virtual_pointer_manager_v1"


def message(sender, opcode, payload=b""):
    return struct.pack("<II", sender, (8 + len(payload)) << 16 | opcode) + payload


def string(text):
    data = text.encode() + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


def events(connection):
    """The compositor's events: (sender, opcode, payload), as they come."""
    buffer = b""
    while True:
        while len(buffer) >= 8:
            sender, word = struct.unpack_from("<II", buffer)
            if len(buffer) < word >> 16:
                break
            yield sender, word & 0xFFFF, buffer[8:word >> 16]
            buffer = buffer[word >> 16:]
        data = connection.recv(4096)
        if not data:
            raise ConnectionError("the compositor closed the connection")
        buffer += data


def round_trip(connection, stream, callback):
    """Waits until the compositor has handled every request so far (wl_display.sync)."""
    connection.sendall(message(1, 0, struct.pack("<I", callback)))
    globals_seen = {}
    for sender, opcode, payload in stream:
        if sender == 2 and opcode == 0:  # wl_registry.global: name, interface, version
            name, length = struct.unpack_from("<II", payload)
            globals_seen[payload[8:8 + length - 1].decode()] = name
        elif sender == 1 and opcode == 0:  # wl_display.error
            raise ConnectionError(f"the compositor refused a request: {payload!r}")
        elif sender == callback:
            return globals_seen


connection = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
display = os.environ["WAYLAND_DISPLAY"]
connection.connect(display if display.startswith("/") else
                   os.path.join(os.environ["XDG_RUNTIME_DIR"], display))
stream = events(connection)
connection.sendall(message(1, 1, struct.pack("<I", 2)))  # wl_display.get_registry: 2
found = round_trip(connection, stream, 3)
if MANAGER not in found:
    print(f"error: the compositor has no {MANAGER}", flush=True)
    sys.exit(1)
# wl_registry.bind (name, interface, version, new id 4), then the pointer itself (new id 5),
# on the compositor's default seat.
connection.sendall(message(2, 0, struct.pack("<I", found[MANAGER]) + string(MANAGER) +
                           struct.pack("<II", 1, 4)))
connection.sendall(message(4, 0, struct.pack("<II", 0, 5)))
round_trip(connection, stream, 6)
print("ready", flush=True)
for _ in stream:  # until the compositor closes the connection
    pass
