"""What every fault test asks of the panel after the fault: it still runs without spinning,
it closes in order with exit code 0, and a bank file is either the old one or a whole new
one."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402

LEVEL_BAR = (320, 30)
SCANNING_BAR = ">" + " " * 26
GREEN = 65280
# At rest the panel wakes ten times a second and does almost nothing; a loop that spins
# takes a whole core.
BUSY_SHARE = 0.25


def at_rest(panel):
    """Waits until the panel is connected and polls with no key pending, and returns a
    journal time after everything it has said so far."""
    panel.wait_ready()
    panel.wait_idle_polling()
    return panel.journal()[-1].ms + 1


def cpu_share(pid, seconds=3.0):
    """The share of one core the process used over the next `seconds`."""
    start, begun = e2e.cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    return (e2e.cpu_seconds(pid) - start) / (time.monotonic() - begun)


def level_bar(cells):
    """The level bar as printed for a level of `cells` cells (level / 12)."""
    return "*" * cells + ">" + " " * 17


def bank_lines(entries, name="bank05", mode="FM", step="12.5"):
    """The lines of a bank file holding the given (frequency, label) entries."""
    lines = [name, mode, step, " "]
    for frequency, label in entries:
        lines += [frequency, label]
    return lines + ["9999"]


def bank_bytes(lines):
    return "".join(line + "\r\n" for line in lines).encode("latin-1")


class FaultChecks(e2e.XvfbTestCase):
    """Assertions shared by the fault tests, which share one X server per class; each test's
    run time goes to standard error."""

    def setUp(self):
        self._begun = time.monotonic()

    def tearDown(self):
        print(f"  {self._testMethodName}: {time.monotonic() - self._begun:.1f} s",
              file=sys.stderr)

    def assert_not_spinning(self, panel, seconds=3.0):
        self.assertTrue(panel.running(), "the panel has ended: " + panel.panel.errors())
        share = cpu_share(panel.pid, seconds)
        self.assertLess(share, BUSY_SHARE, f"the panel uses {share:.0%} of a core at rest")

    def assert_closes_in_order(self, panel):
        """The close box ends the panel with exit code 0 and the window closed last."""
        self.assertTrue(panel.running(), "the panel has ended: " + panel.panel.errors())
        panel.close()
        self.assertEqual(panel.exit_code(), 0, panel.panel.errors())
        self.assertEqual(panel.journal()[-1].kind, "CLOSE")

    def assert_level_bar_shown(self, panel, text, since=0, timeout=10.0):
        shown = panel.wait_journal(
            lambda e: e.kind == "PRINT" and e.fields[:2] == [str(c) for c in LEVEL_BAR] and
            e.fields[6] == text, timeout=timeout, since=since)
        self.assertIsNotNone(shown, f"no level bar {text!r}; bars: " + repr(
            sorted({p.text for p in panel.prints() if (p.x, p.y) == LEVEL_BAR})))

    def assert_no_temporary_files(self, folder):
        left = [name for name in os.listdir(folder) if name.endswith(".tmp")]
        self.assertEqual(left, [], "temporary files left behind")
