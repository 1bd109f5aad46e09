#!/usr/bin/env python3
"""A window manager of a few lines that keeps windows on the screen the way KWin does, for the tests.

A window that lies wholly on the screen and asks to be moved partly off it with a plain configure request
is pulled back onto the screen; when that leaves it where it was, it hears nothing, as under KWin and
Mutter. A move asked for with the EWMH's _NET_MOVERESIZE_WINDOW is carried out as asked, as KWin does. It
draws no frames and manages nothing else. It runs until it is ended with a signal.

Usage: onscreen_wm.py   (on $DISPLAY)
"""

import ctypes
import ctypes.util
import sys

MAP_REQUEST, CONFIGURE_REQUEST, CLIENT_MESSAGE = 20, 23, 33
SUBSTRUCTURE_NOTIFY_MASK, SUBSTRUCTURE_REDIRECT_MASK = 1 << 19, 1 << 20
CW_X, CW_Y = 1 << 0, 1 << 1
CW_WIDTH, CW_HEIGHT = 1 << 2, 1 << 3
MOVERESIZE_X, MOVERESIZE_Y = 1 << 8, 1 << 9
XA_ATOM, XA_WINDOW = 4, 33
PROP_MODE_REPLACE = 0


class MapRequest(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("parent", ctypes.c_ulong), ("window", ctypes.c_ulong)]


class ConfigureRequest(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("parent", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("above", ctypes.c_ulong), ("detail", ctypes.c_int),
                ("value_mask", ctypes.c_ulong)]


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("map", MapRequest), ("configure", ConfigureRequest),
                ("message", ClientMessage), ("pad", ctypes.c_long * 24)]


class WindowChanges(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("sibling", ctypes.c_ulong), ("stack_mode", ctypes.c_int)]


def load_xlib():
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XDisplayWidth.argtypes = xlib.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    xlib.XCreateSimpleWindow.restype = ctypes.c_ulong
    xlib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + \
        [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
    xlib.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int,
                                     ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
    xlib.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(Event)]
    xlib.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    xlib.XMoveWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int]
    xlib.XConfigureWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint, ctypes.POINTER(WindowChanges)]
    xlib.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong)] + \
        [ctypes.POINTER(ctypes.c_int)] * 2 + [ctypes.POINTER(ctypes.c_uint)] * 4
    xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XFlush.argtypes = [ctypes.c_void_p]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return xlib


def geometry(xlib, display, window):
    root, x, y = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_int()
    width, height, border, depth = ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint()
    xlib.XGetGeometry(display, window, ctypes.byref(root), ctypes.byref(x), ctypes.byref(y), ctypes.byref(width),
                      ctypes.byref(height), ctypes.byref(border), ctypes.byref(depth))
    return x.value, y.value, width.value, height.value


def on_screen(x, y, width, height, screen):
    return x >= 0 and y >= 0 and x + width <= screen[0] and y + height <= screen[1]


def kept_on_screen(request, current, screen):
    """KWin's rule for a plain configure request: a window wholly on the screen stays wholly on it."""
    x = request.x if request.value_mask & CW_X else current[0]
    y = request.y if request.value_mask & CW_Y else current[1]
    width = request.width if request.value_mask & CW_WIDTH else current[2]
    height = request.height if request.value_mask & CW_HEIGHT else current[3]
    if on_screen(*current, screen) and not on_screen(x, y, width, height, screen):
        x = min(max(x, 0), max(screen[0] - width, 0))
        y = min(max(y, 0), max(screen[1] - height, 0))
    return x, y


def signed32(value):
    """A 32-bit item of a client message: root coordinates may be negative."""
    value &= 0xFFFFFFFF
    return value - (1 << 32) if value >= 1 << 31 else value


def main():
    xlib = load_xlib()
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("onscreen_wm: cannot open the display")
    root = xlib.XDefaultRootWindow(display)
    screen = (xlib.XDisplayWidth(display, 0), xlib.XDisplayHeight(display, 0))
    atom = lambda name: xlib.XInternAtom(display, name.encode(), 0)
    moveresize = atom("_NET_MOVERESIZE_WINDOW")

    # Only one client may redirect the root window's children: with another manager running this fails
    # and Xlib ends the process.
    xlib.XSelectInput(display, root, SUBSTRUCTURE_REDIRECT_MASK | SUBSTRUCTURE_NOTIFY_MASK)
    xlib.XSync(display, 0)

    # Announced last, so that a client that sees it finds the manager running (see xsession.py).
    check = xlib.XCreateSimpleWindow(display, root, -1, -1, 1, 1, 0, 0, 0)
    check_id = ctypes.c_ulong(check)
    supported = (ctypes.c_ulong * 1)(moveresize)
    xlib.XChangeProperty(display, check, atom("_NET_SUPPORTING_WM_CHECK"), XA_WINDOW, 32, PROP_MODE_REPLACE,
                         ctypes.byref(check_id), 1)
    xlib.XChangeProperty(display, root, atom("_NET_SUPPORTED"), XA_ATOM, 32, PROP_MODE_REPLACE, supported, 1)
    xlib.XChangeProperty(display, root, atom("_NET_SUPPORTING_WM_CHECK"), XA_WINDOW, 32, PROP_MODE_REPLACE,
                         ctypes.byref(check_id), 1)
    xlib.XFlush(display)

    event = Event()
    while True:
        xlib.XNextEvent(display, ctypes.byref(event))
        if event.type == MAP_REQUEST:
            xlib.XMapWindow(display, event.map.window)
        elif event.type == CONFIGURE_REQUEST:
            request = event.configure
            x, y = kept_on_screen(request, geometry(xlib, display, request.window), screen)
            changes = WindowChanges(x=x, y=y, width=request.width, height=request.height,
                                    border_width=request.border_width, sibling=request.above,
                                    stack_mode=request.detail)
            xlib.XConfigureWindow(display, request.window, request.value_mask | CW_X | CW_Y, ctypes.byref(changes))
        elif event.type == CLIENT_MESSAGE and event.message.message_type == moveresize:
            flags, wanted_x, wanted_y = (signed32(value) for value in event.message.data[:3])
            x, y, _, _ = geometry(xlib, display, event.message.window)
            xlib.XMoveWindow(display, event.message.window, wanted_x if flags & MOVERESIZE_X else x,
                             wanted_y if flags & MOVERESIZE_Y else y)
        xlib.XFlush(display)


if __name__ == "__main__":
    main()
