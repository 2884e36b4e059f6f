"""The simulator's terminal after a panel was killed: a panel that opened it for its own
use only (TIOCEXCL) and died before it could give that up must not lock the next one out.
Only root may open an exclusive terminal, so the simulator and both panels run as nobody."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402

NOBODY = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
# A panel's open: exclusive use, then (the first time) killed before it closes.
OPEN_AS_PANEL = """
import fcntl, os, signal, sys, termios
fd = os.open("COM1", os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
fcntl.ioctl(fd, termios.TIOCEXCL)
os.write(fd, b"LM\\r")
print("opened", flush=True)
if sys.argv[1] == "die":
    os.kill(os.getpid(), signal.SIGKILL)
"""


@unittest.skipUnless(os.geteuid() == 0 and shutil.which("setpriv"),
                     "needs root to run the programs as nobody")
class SimulatorTerminal(unittest.TestCase):
    def test_the_next_panel_gets_in_after_one_was_killed(self):
        folder = tempfile.mkdtemp(prefix="kestrel-sim-")
        self.addCleanup(shutil.rmtree, folder, True)
        os.chmod(folder, 0o777)
        sim = e2e.Program(NOBODY + [os.path.join(e2e.BUILD_DIR, "tools", "receiver-sim",
                                                 "receiver-sim"), "--log", "sim.log"],
                          cwd=folder)
        self.addCleanup(sim.stop)
        self.assertTrue(sim.wait_for_line(lambda line: line.startswith("/dev/"), timeout=20),
                        sim.errors())

        def panel(how):
            return subprocess.run(NOBODY + [sys.executable, "-c", OPEN_AS_PANEL, how],
                                  cwd=folder, capture_output=True, text=True, timeout=30)

        killed = panel("die")
        self.assertEqual(killed.stdout, "opened\n", killed.stderr)

        def log():
            with open(os.path.join(folder, "sim.log")) as lines:
                return lines.read()
        self.assertTrue(e2e.wait_for(lambda: "PORT CLOSED" in log(), timeout=20), log())
        self.assertTrue(e2e.wait_for(lambda: "TERMINAL /dev/pts/" in log(), timeout=20), log())
        following = panel("live")
        self.assertEqual(following.stdout, "opened\n", following.stderr)
        self.assertTrue(e2e.wait_for(lambda: log().count("\tLM") == 2, timeout=20), log())


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
