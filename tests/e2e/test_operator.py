"""The operator's log and keys against the simulator: hits.csv for search halts (also one
held when the panel quits), a memory-scan stop and a list-scan stop; V, Y and U during a
search send nothing; the text line on a terminal."""

import csv
import io
import os
import pty
import re
import subprocess
import sys
import tempfile
import threading
import time
import unittest
from unittest import mock

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402
from panel_session import PanelSession  # noqa: E402

HEADER = ["start", "end", "duration_s", "frequency_mhz", "mode", "level_raw", "s_reading",
          "hits", "source", "label"]
# The search runs from 145 MHz in 12.5 kHz steps of 50 ms: it reaches 145.25 one second
# after "VS", and 145.625 one and a half seconds after it left 145.25.
TWO_SIGNALS = "145.2500 120 0 -\n145.6250 90 0 -\n"
STEP_MS = 50
# Bank A: five quiet channels, then one with a signal, so the scan is seen running first.
MEMORY_A = "".join("MXA0%d MP0 RF01451%d0000 ST012500 AU0 MD1 AT0 TMquiet\n" % (n, n)
                   for n in range(5)) + "MXA05 MP0 RF0145200000 ST012500 AU0 MD1 AT0 TMsignal\n"
BANK_05 = "".join(line + "\r\n" for line in
                  ["bank05", "FM", "12.5", " ", "145.3", "TOWER, NORTH", "145.4", " ", "9999"])


def hit_rows(panel):
    """The rows of hits.csv after its header (which must be the first line)."""
    text = panel.read_file("hits.csv")
    if text is None:
        return []
    assert "\n" not in text.replace("\r\n", ""), "lines end with CR LF"
    rows = list(csv.reader(io.StringIO(text, newline="")))
    assert rows[0] == HEADER, rows[0]
    return [dict(zip(HEADER, row)) for row in rows[1:]]


class PtyProgram(e2e.Program):
    """A program whose standard output is a pseudo-terminal, read line by line."""

    def __init__(self, command, env=None, cwd=None):
        self._errors = tempfile.TemporaryFile(mode="w+")
        self._master, slave = pty.openpty()
        self.process = subprocess.Popen(command, env=env, cwd=cwd, stdout=slave,
                                        stdin=subprocess.DEVNULL, stderr=self._errors)
        os.close(slave)
        self.lines = []
        self._lock = threading.Lock()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        pending = b""
        while True:
            try:
                chunk = os.read(self._master, 1024)
            except OSError:
                break
            if not chunk:
                break
            pending += chunk
            while b"\n" in pending:
                line, pending = pending.split(b"\n", 1)
                with self._lock:
                    self.lines.append(line.decode("latin-1").rstrip("\r"))

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self._reader.join(timeout=2)
        os.close(self._master)
        self._errors.close()


class OperatorLog(e2e.XvfbTestCase):
    def session(self, **options):
        options.setdefault("voice_set", "short")
        return PanelSession(self.x, **options)

    def test_search_halts_become_lines_and_the_operator_keys_send_nothing(self):
        with self.session(scenario=TWO_SIGNALS, sim_options=["--resume-after", "0"]) as panel:
            panel.wait_ready()
            panel.keys("c", "r")
            self.assertTrue(panel.wait_sent("RX", timeout=20), "the search never halted")
            mark = len(panel.sent())
            panel.keys("v", "y", "u")
            panel.wait_idle_polling(polls=3)
            self.assertEqual(set(panel.sent()[mark:]), {"LM"})
            self.assertIn("tone", panel.sounds())
            self.assertEqual(hit_rows(panel), [], "the signal is still held")
            time.sleep(1.5)
            panel.keys("space")
            self.assertTrue(panel.wait_sent("RX", count=2, timeout=20), "no second halt")
            time.sleep(2.0)
            panel.keys("q")
            self.assertEqual(panel.exit_code(), 0)
            log = {entry.text: entry.ms for entry in reversed(panel.sim_log())}
            first = panel.sim_log()
            vs = log["VS"]
            up = next(e.ms for e in first if e.text == "\x1e")
            ex = next(e.ms for e in first if e.text == "EX")
            rows = hit_rows(panel)
            self.assertEqual([(r["frequency_mhz"], r["source"], r["level_raw"], r["s_reading"],
                               r["hits"], r["mode"], r["label"]) for r in rows],
                             [("145.25", "search", "120", "S9+", "1", "FM", ""),
                              ("145.625", "search", "90", "S7", "1", "FM", "")])
            held = [(up - vs - 20 * STEP_MS) / 1000, (ex - up - 30 * STEP_MS) / 1000]
            for row, expected in zip(rows, held):
                self.assertAlmostEqual(float(row["duration_s"]), expected, delta=0.3)
                self.assertRegex(row["start"], r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}$")
            self.assertEqual(panel.panel.output(), [], "no text line into a pipe")

    def test_a_memory_scan_stop_and_a_list_scan_stop_give_their_lines(self):
        with self.session(scenario="145.2000 120 0 -\n145.3000 100 0 -\n", memory_in=MEMORY_A,
                          files={"bank05.dat": BANK_05}) as panel:
            panel.wait_ready()
            panel.keys("g", "a", "Return")
            self.assertTrue(panel.wait_journal(r"^PRINT\t270\t320\t.*STOPPED", timeout=20))
            panel.wait_idle_polling(polls=2)
            panel.keys("Return")
            self.assertTrue(e2e.wait_for(lambda: len(hit_rows(panel)) == 1, timeout=20))
            panel.keys("b", "0", "5", "Return", "r")
            self.assertTrue(e2e.wait_for(lambda: len(hit_rows(panel)) == 1 and
                                         panel.sounds().count("stop") >= 1, timeout=20))
            panel.wait_idle_polling(polls=2)
            panel.keys("Return")
            self.assertTrue(e2e.wait_for(lambda: len(hit_rows(panel)) == 2, timeout=20))
            rows = hit_rows(panel)
            self.assertEqual([(r["frequency_mhz"], r["source"], r["label"]) for r in rows],
                             [("145.2", "memory scan A05", ""),
                              ("145.3", "list scan 05", "TOWER, NORTH")])
            panel.close()
            self.assertEqual(panel.exit_code(), 0)

    def test_every_announcement_is_a_text_line_on_a_terminal(self):
        with self.session(start=False) as panel:
            with mock.patch.object(e2e, "Program", PtyProgram):
                panel.start_panel(wait_window=False)
            panel.wait_ready()
            panel.keys("f")
            line = panel.panel.wait_for_line(lambda text: re.fullmatch(
                r"\d\d:\d\d:\d\d 145(\.0)? FM", text), timeout=20)
            self.assertIsNotNone(line, panel.panel.output())
            self.assertRegex(panel.panel.output()[0], r"^\d\d:\d\d:\d\d Kestrel 4\.0$")
            self.assertIn("attenuator off", " ".join(panel.panel.output()))
            panel.terminate()
            self.assertEqual(panel.exit_code(), 0)


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
