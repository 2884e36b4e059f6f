"""Shared pieces of the end-to-end tests: a private X server, windows, keys, screenshots,
programs whose output lines are collected as they come, and the command line every test
file takes (--build-dir, --source-dir)."""

import argparse
import ctypes
import ctypes.util
import os
import random
import re
import select
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest


BUILD_DIR = None
SOURCE_DIR = None


def parse_arguments():
    """Reads --build-dir and --source-dir into BUILD_DIR and SOURCE_DIR and leaves the rest
    of the command line to unittest."""
    global BUILD_DIR, SOURCE_DIR
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--source-dir", required=True)
    known, rest = parser.parse_known_args()
    sys.argv = [sys.argv[0]] + rest
    BUILD_DIR = os.path.abspath(known.build_dir)
    SOURCE_DIR = os.path.abspath(known.source_dir)
    return BUILD_DIR, SOURCE_DIR


def run_tests():
    """The main of a test file: runs its tests and returns the exit code."""
    parse_arguments()
    program = unittest.main(module="__main__", exit=False, verbosity=2)
    return 0 if program.result.wasSuccessful() else 1



def cpu_seconds(pid):
    """User and system time the process has used so far, in seconds."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def memory_kib(pid, name):
    """A memory figure of /proc/PID/status ("VmRSS", "VmHWM") in KiB; 0 when absent."""
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith(name + ":"):
                return int(line.split()[1])
    return 0


def wait_for(predicate, timeout=10.0, interval=0.02):
    """Calls predicate until it returns something true and returns that; None at timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(interval)


class Xvfb:
    """A private X server on a free display number picked at random (told back through
    -displayfd once it accepts connections)."""

    def __init__(self, width=1280, height=800):
        for _ in range(20):
            if self._start(self._unused_number(), width, height):
                return
        raise RuntimeError("Xvfb did not start")

    @staticmethod
    def _unused_number():
        # A number far above the low ones that other X servers on the machine pick for
        # themselves (-displayfd alone counts up from 0 and takes no lock file, so two test
        # runs started together could end up sharing a display).
        while True:
            number = random.randint(100, 30000)
            if not (os.path.exists(f"/tmp/.X11-unix/X{number}") or
                    os.path.exists(f"/tmp/.X{number}-lock")):
                return number

    def _start(self, wanted, width, height):
        """Starts the server on display :wanted; False when it could not take it."""
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", f":{wanted}", "-displayfd", str(write_end), "-screen", "0",
             f"{width}x{height}x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        # Xvfb writes the display number it took once it accepts connections.
        number = b""
        deadline = time.monotonic() + 30
        with os.fdopen(read_end, "rb", buffering=0) as reader:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                if not select.select([reader], [], [], 1)[0]:
                    continue
                chunk = reader.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.stop()
            return False
        self.display = ":" + number.decode().strip()
        return True

    def environment(self, extra=None):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env.setdefault("SDL_AUDIODRIVER", "dummy")
        env.update(extra or {})
        return env

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


_last_display = None


def start_xvfb():
    """Starts a private X server; the helpers below use it unless given another display."""
    global _last_display
    server = Xvfb()
    _last_display = server.display
    return server


class XvfbTestCase(unittest.TestCase):
    """The base of a test class whose tests share one private X server, `x`, started before
    the first test of the class and stopped after the last."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.x = start_xvfb()
        cls.addClassCleanup(cls.x.stop)


def _display_env(display):
    return {**os.environ, "DISPLAY": display or _last_display}


def find_window(name, display=None):
    """The id of the first window whose name holds the text, or None."""
    # xdotool takes a regular expression; the name is meant literally.
    result = subprocess.run(["xdotool", "search", "--name", re.escape(name)], capture_output=True,
                            text=True, env=_display_env(display))
    ids = result.stdout.split()
    return int(ids[0]) if ids else None


def window_geometry(window_id, display=None):
    """(x, y, width, height) of a window from xwininfo."""
    output = subprocess.run(["xwininfo", "-id", str(window_id)], capture_output=True, text=True,
                            env=_display_env(display), check=True).stdout
    fields = {}
    for line in output.splitlines():
        key, _, value = line.strip().partition(":")
        fields[key] = value.strip()
    return (int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"]),
            int(fields["Width"]), int(fields["Height"]))


def press_keys(*keys, display=None):
    """Types keys with xdotool: keysym names ("a", "F6", "Num_Lock") or keycodes ("87").
    Keypad keys go by keycode: a keypad keysym makes xdotool toggle NumLock itself."""
    subprocess.run(["xdotool", "key", "--delay", "50", *keys], check=True,
                   env=_display_env(display))


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


def send_close(window_id, display=None):
    """Sends the window the WM_DELETE_WINDOW message a window manager sends for its close
    box. (Destroying the window instead, as `xdotool windowclose` does, pulls it away under
    the program's feet.)"""
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                ctypes.POINTER(_XEvent)]
    xlib.XFlush.argtypes = [ctypes.c_void_p]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = display or _last_display
    connection = xlib.XOpenDisplay(display.encode())
    if not connection:
        raise RuntimeError("cannot open display " + display)
    try:
        event = _XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window_id
        event.xclient.message_type = xlib.XInternAtom(connection, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = xlib.XInternAtom(connection, b"WM_DELETE_WINDOW", 0)
        event.xclient.data[1] = 0  # CurrentTime
        if not xlib.XSendEvent(connection, window_id, 0, 0, ctypes.byref(event)):
            raise RuntimeError("XSendEvent failed")
        xlib.XFlush(connection)
    finally:
        xlib.XCloseDisplay(connection)


def take_screenshot(path, display=None):
    """Saves the whole screen (what the X server shows) to path; any format import knows."""
    subprocess.run(["import", "-window", "root", path], check=True, env=_display_env(display))
    return path


class Image:
    """An RGB picture read through ImageMagick as binary PPM; pixel(x, y) -> (r, g, b)."""

    def __init__(self, path):
        data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True,
                              check=True).stdout
        fields, position = [], 0
        while len(fields) < 4:
            while data[position:position + 1].isspace():
                position += 1
            if data[position:position + 1] == b"#":
                position = data.index(b"\n", position) + 1
                continue
            end = position
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[position:end])
            position = end
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[position + 1:]

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.pixels[at:at + 3])

    def count(self, colour, left, top, right, bottom):
        """How many pixels of exactly this colour the box [left, right) x [top, bottom) holds."""
        return sum(1 for y in range(top, bottom) for x in range(left, right)
                   if self.pixel(x, y) == colour)


class Program:
    """A program whose standard output is read line by line as it comes, each line with
    the moment it arrived."""

    def __init__(self, command, env=None, cwd=None):
        self._errors = tempfile.TemporaryFile(mode="w+")
        self.process = subprocess.Popen(command, env=env, cwd=cwd, stdout=subprocess.PIPE,
                                        stderr=self._errors, text=True, bufsize=1)
        self.lines = []
        self._lock = threading.Lock()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        for line in self.process.stdout:
            with self._lock:
                self.lines.append(line.rstrip("\n"))

    def errors(self):
        """What the program wrote to standard error so far."""
        self._errors.seek(0)
        return self._errors.read()

    def output(self):
        with self._lock:
            return list(self.lines)

    def wait_for_line(self, predicate, timeout=10.0):
        """The first line that satisfies predicate, waiting for it to come; None at timeout."""
        def found():
            return next((line for line in self.output() if predicate(line)), None)
        return wait_for(found, timeout)

    def signal(self, number=signal.SIGTERM):
        self.process.send_signal(number)

    def wait(self, timeout=10.0):
        try:
            code = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        self._reader.join(timeout=2)
        return code

    def stop(self):
        """Kills the program if it still runs and releases its pipes."""
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self._reader.join(timeout=2)
        self.process.stdout.close()
        self._errors.close()
