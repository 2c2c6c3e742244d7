#!/usr/bin/env python3
"""Asks an X window to close, as its close box does: a WM_DELETE_WINDOW client message.

Refuses a window that is not mapped: Qt's hidden client leader window carries the application's
name ("tolvik"), and xdotool's name search ignores case, so a search for the title may return it
first; a close sent there is silently ignored."""
import sys

from Xlib import X, display
from Xlib.protocol import event


def main() -> int:
    if len(sys.argv) != 2:
        print("usage: close-window.py WINDOW_ID", file=sys.stderr)
        return 2
    dpy = display.Display()
    window = dpy.create_resource_object("window", int(sys.argv[1], 0))
    if window.get_attributes().map_state != X.IsViewable:
        print(f"close-window.py: window {sys.argv[1]} is not mapped; no close sent", file=sys.stderr)
        return 1
    protocols = dpy.intern_atom("WM_PROTOCOLS")
    delete = dpy.intern_atom("WM_DELETE_WINDOW")
    message = event.ClientMessage(window=window, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(message, event_mask=X.NoEventMask)
    dpy.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())
