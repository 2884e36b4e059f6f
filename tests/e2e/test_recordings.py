"""Recordings of hits through SDL's disk audio driver, which reads the sound input from a
raw file: a search halts while a 1 kHz tone comes in; the hit's recording is the hit's
duration plus the two seconds before it, holds the tone, is named in hits.csv, and J says
the hit and plays it."""

import csv
import ctypes
import ctypes.util
import io
import math
import os
import struct
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402
from panel_session import PanelSession  # noqa: E402

RATE = 16000
# The search runs from 145 MHz in 12.5 kHz steps of 50 ms: it halts on 145.75 three seconds
# after "VS", so the input has run longer than the two seconds kept before the halt.
SCENARIO = "145.7500 120 0 -\n"
INPUT_NAME = "System audio capture device"  # the disk driver's one input


def tone(seconds, hertz=1000, amplitude=8000):
    return b"".join(struct.pack("<h", int(amplitude * math.sin(2 * math.pi * hertz * i / RATE)))
                    for i in range(int(seconds * RATE)))


class SfInfo(ctypes.Structure):
    _fields_ = [("frames", ctypes.c_int64), ("samplerate", ctypes.c_int),
                ("channels", ctypes.c_int), ("format", ctypes.c_int),
                ("sections", ctypes.c_int), ("seekable", ctypes.c_int)]


def decode(path):
    """The samples and rate of a recording, read with libsndfile."""
    lib = ctypes.CDLL(ctypes.util.find_library("sndfile"))
    lib.sf_open.restype = ctypes.c_void_p
    lib.sf_readf_short.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_int64]
    lib.sf_readf_short.restype = ctypes.c_int64
    lib.sf_close.argtypes = [ctypes.c_void_p]
    info = SfInfo()
    handle = lib.sf_open(path.encode(), 0x10, ctypes.byref(info))
    assert handle, "libsndfile cannot read " + path
    samples = (ctypes.c_short * info.frames)()
    count = lib.sf_readf_short(handle, samples, info.frames)
    lib.sf_close(handle)
    return list(samples[:count]), info.samplerate


def strongest_frequency(samples, rate):
    """The strongest of 50 Hz steps up to 4 kHz in the middle second (Goertzel)."""
    middle = samples[len(samples) // 2 - rate // 2:][:rate]
    best, best_power = 0, -1.0
    for hertz in range(50, 4001, 50):
        coefficient = 2 * math.cos(2 * math.pi * hertz / rate)
        s1 = s2 = 0.0
        for x in middle:
            s1, s2 = x + coefficient * s1 - s2, s1
        power = s1 * s1 + s2 * s2 - coefficient * s1 * s2
        if power > best_power:
            best, best_power = hertz, power
    return best


class Recordings(e2e.XvfbTestCase):
    def test_a_hit_is_recorded_named_in_the_hit_log_and_played_back_with_j(self):
        env = {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": "/dev/null"}
        with PanelSession(self.x, voice_set="short", scenario=SCENARIO, start=False,
                          sim_options=["--resume-after", "0"],
                          files={"tone.raw": tone(40)}, env=env) as panel:
            env["SDL_DISKAUDIOFILEIN"] = panel.path("tone.raw")
            subprocess.run([os.path.join(panel.build_dir, "panelset"), "--audio-in", INPUT_NAME],
                           cwd=panel.folder, check=True, capture_output=True, timeout=30)
            panel.start_panel()
            panel.wait_ready()
            panel.keys("c", "r")  # stop mode: the search stays on the signal until Space
            self.assertTrue(panel.wait_sent("RX", timeout=30), "the search never halted")
            time.sleep(1.5)
            panel.keys("space")
            self.assertTrue(e2e.wait_for(lambda: panel.read_file("hits.csv"), timeout=30))
            panel.keys("Return")
            rows = list(csv.DictReader(io.StringIO(panel.read_file("hits.csv"), newline="")))
            self.assertEqual(len(rows), 1, rows)
            name = rows[0]["recording"]
            self.assertRegex(name, r"^\d{8}-\d{6}_145\.7500\.opus$")
            path = panel.path(os.path.join("recordings", name))
            self.assertTrue(e2e.wait_for(lambda: os.path.exists(path), timeout=20))
            samples, rate = decode(path)
            self.assertEqual(rate, RATE)
            self.assertAlmostEqual(len(samples) / rate, float(rows[0]["duration_s"]) + 2.0,
                                   delta=0.3)
            self.assertEqual(strongest_frequency(samples, rate), 1000)

            panel.wait_idle_polling()
            since = panel.journal()[-1].ms
            panel.keys("j")
            played = panel.wait_journal(r"^SOUND\tasync\trecordings\\" + name.replace(".", r"\.") +
                                        r"\trecordings/", since=since, timeout=30)
            self.assertIsNotNone(played, "J did not play the recording")
            said = panel.sounds(since=since)
            self.assertEqual(said[:6], ["1", "4", "5", "point", "7", "5"])
            self.assertEqual(said[-1], name, "the recording plays after the words")
            self.assertIn(said[-2], ("second", "seconds", "minute", "minutes"))
            panel.close()
            self.assertEqual(panel.exit_code(), 0)


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
