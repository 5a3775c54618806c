#!/usr/bin/env python3
"""Clicks the left mouse button at screen positions X Y [X Y ...] on $DISPLAY (through the XTest
extension), for the unattended demo run. With --move the pointer only moves to the positions;
with --key the arguments are key names instead (for example End Return), pressed in turn."""
import ctypes
import sys
import time

x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                      ctypes.c_ulong]
xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
x11.XStringToKeysym.restype = ctypes.c_ulong
x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
x11.XKeysymToKeycode.restype = ctypes.c_ubyte
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("demo-click: no display")
args = sys.argv[1:]
if args and args[0] == "--key":
    for name in args[1:]:
        code = x11.XKeysymToKeycode(display, x11.XStringToKeysym(name.encode()))
        xtst.XTestFakeKeyEvent(display, code, 1, 0)
        x11.XFlush(display)
        time.sleep(0.05)
        xtst.XTestFakeKeyEvent(display, code, 0, 0)
        x11.XFlush(display)
        time.sleep(0.5)
    x11.XCloseDisplay(display)
    sys.exit(0)
move_only = bool(args) and args[0] == "--move"
if move_only:
    args = args[1:]
for pair in range(0, len(args) - 1, 2):
    x, y = int(args[pair]), int(args[pair + 1])
    xtst.XTestFakeMotionEvent(display, -1, x, y, 0)
    x11.XFlush(display)
    time.sleep(0.2)
    if move_only:
        continue
    xtst.XTestFakeButtonEvent(display, 1, 1, 0)
    x11.XFlush(display)
    time.sleep(0.1)
    xtst.XTestFakeButtonEvent(display, 1, 0, 0)
    x11.XFlush(display)
    time.sleep(1.0)
x11.XCloseDisplay(display)
