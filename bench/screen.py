"""Direct X11 access for the benchmark: screen pixels read and clicks sent
through Xlib and the XTest extension in this process, so that each look or
click costs well under a millisecond and is timed with the Linux clock
(xdotool and ImageMagick each start a process)."""

import ctypes
import ctypes.util
import time

_ZPIXMAP = 2
_ALL_PLANES = ctypes.c_ulong(0xFFFFFFFF)
POLL_PAUSE = 0.001  # seconds between two looks at the screen


class _XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage, as far as the pixel data needs.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int)]


class XScreen:
    def __init__(self, display_name):
        self.x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.POINTER(_XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XDestroyImage.argtypes = [ctypes.POINTER(_XImage)]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_int, ctypes.c_ulong]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError(f"cannot open display {display_name}")
        self.root = self.x11.XDefaultRootWindow(self.display)

    def grab(self, rect):
        """The raw pixels of a screen rectangle (left, top, right, bottom)."""
        left, top, right, bottom = rect
        image = self.x11.XGetImage(self.display, self.root, left, top, right - left, bottom - top,
                                   _ALL_PLANES, _ZPIXMAP)
        if not image:
            raise RuntimeError("XGetImage failed")
        data = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * (bottom - top))
        self.x11.XDestroyImage(image)
        return data

    def move(self, x, y):
        self.xtst.XTestFakeMotionEvent(self.display, -1, x, y, 0)
        self.x11.XSync(self.display, 0)

    def click(self):
        """Presses and releases the left button where the pointer is; answers
        the moment the press left for the server."""
        self.xtst.XTestFakeButtonEvent(self.display, 1, 1, 0)
        sent = time.perf_counter()
        self.xtst.XTestFakeButtonEvent(self.display, 1, 0, 0)
        self.x11.XFlush(self.display)
        return sent

    def wait_until(self, rect, predicate, timeout):
        """Polls the rectangle until predicate(pixels) holds; answers the
        moment of the look that satisfied it, or None on timeout."""
        deadline = time.perf_counter() + timeout
        while True:
            seen = time.perf_counter()
            if predicate(self.grab(rect)):
                return seen
            if seen > deadline:
                return None
            # A look keeps the X server busy copying pixels; a pause between
            # looks leaves the processors to the programs being measured.
            time.sleep(POLL_PAUSE)

    def wait_stable(self, rect, quiet=0.5, timeout=30):
        """Waits until the rectangle has not changed for `quiet` seconds;
        answers its pixels then."""
        deadline = time.perf_counter() + timeout
        last, since = None, time.perf_counter()
        while time.perf_counter() < deadline:
            now = self.grab(rect)
            if now != last:
                last, since = now, time.perf_counter()
            elif time.perf_counter() - since >= quiet:
                return now
            time.sleep(0.01)
        raise RuntimeError("the screen did not settle")
