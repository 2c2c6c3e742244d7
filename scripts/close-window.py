#!/usr/bin/env python3
"""Asks an X window to close, as its close box does: a WM_DELETE_WINDOW client message."""
import sys

from Xlib import X, display
from Xlib.protocol import event


def main() -> int:
    if len(sys.argv) != 2:
        print("usage: close-window.py WINDOW_ID", file=sys.stderr)
        return 2
    dpy = display.Display()
    window = dpy.create_resource_object("window", int(sys.argv[1], 0))
    protocols = dpy.intern_atom("WM_PROTOCOLS")
    delete = dpy.intern_atom("WM_DELETE_WINDOW")
    message = event.ClientMessage(window=window, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(message, event_mask=X.NoEventMask)
    dpy.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())
