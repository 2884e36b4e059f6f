"""The panel reaching the simulator through a real ser2net in raw mode, on 127.0.0.1 only:
COM1 is a link to "tcp:127.0.0.1:PORT" (made by panelset --device) and ser2net serves the
simulator's pseudo-terminal there. The road (tune, mode, a search halt recorded) must look
on the wire and in the files exactly as over a serial line."""

import os
import shutil
import signal
import socket
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402
from panel_session import PanelSession  # noqa: E402

SER2NET = shutil.which("ser2net") or shutil.which("ser2net", path="/usr/sbin:/sbin")
SIM_LINK = "receiver-pty"
ONE_SIGNAL = "145.2500 120 0 -\n"
CONFIG = """%YAML 1.1
---
connection: &receiver
    accepter: tcp,127.0.0.1,{port}
    enable: on
    connector: serialdev,{device},9600n82,local
    options:
      kickolduser: true
"""


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def commands(sent):
    return [c for c in sent if c != "LM"]


class Ser2net:
    """ser2net in the foreground with a configuration of its own in the session folder."""

    def __init__(self, folder, device):
        self.folder = folder
        self.port = free_port()
        self.config = os.path.join(folder, "ser2net.yaml")
        with open(self.config, "w") as out:
            out.write(CONFIG.format(port=self.port, device=device))
        self.program = None

    def start(self):
        # -n: stay in the foreground; -u: no UUCP lock files (nothing to write in /var/lock).
        self.program = e2e.Program([SER2NET, "-n", "-u", "-c", self.config], cwd=self.folder)
        if not e2e.wait_for(self._listening, timeout=20):
            raise RuntimeError("ser2net does not listen: " + self.program.errors())

    def _listening(self):
        if self.program.process.poll() is not None:
            raise RuntimeError("ser2net ended: " + self.program.errors())
        with socket.socket() as client:
            return client.connect_ex(("127.0.0.1", self.port)) == 0

    def kill(self):
        if self.program is not None:
            self.program.stop()
            self.program = None


@unittest.skipUnless(SER2NET, "ser2net is not installed (scripts/install-deps installs it)")
class OverSer2net(e2e.XvfbTestCase):
    def start(self, **options):
        """The simulator behind ser2net, COM1 linked to it over TCP, then the panel."""
        panel = self.enterContext(PanelSession(self.x, sim_link=SIM_LINK, voice_set="short",
                                               debug=True, start=False, **options))
        self.server = Ser2net(panel.folder, os.path.realpath(panel.path(SIM_LINK)))
        self.addCleanup(self.server.kill)
        self.server.start()
        target = "tcp:127.0.0.1:%d" % self.server.port
        done = subprocess.run([os.path.join(panel.build_dir, "panelset"), "--device", target],
                              cwd=panel.folder, capture_output=True, text=True, timeout=30)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(os.readlink(panel.path("COM1")), target)
        panel.start_panel()
        panel.wait_ready()
        return panel

    def search_until_found(self, panel):
        panel.keys("r")
        self.assertTrue(panel.wait_sent("VS"), "the search was not started")
        self.assertTrue(panel.wait_sent("\x1e", timeout=40), panel.sent()[-20:])

    def test_tune_mode_and_a_search_go_over_tcp_as_over_a_serial_line(self):
        panel = self.start(scenario=ONE_SIGNAL)
        mark = len(panel.sent())
        panel.keys("1", "4", "5", "period", "5", "Return", "F2")
        panel.wait_idle_polling()
        self.assertEqual(commands(panel.sent()[mark:]), ["VA0145.50000", "ST012.50", "MD2"])
        self.search_until_found(panel)
        panel.keys("Return")
        panel.wait_idle_polling()
        self.assertEqual(panel.file_lines("bank00.dat"),
                         ["Srchbank", "AM", "12.5", " ", "145.25", " ", "9999"])
        self.assertIn("TX= MD2", panel.trace())
        panel.close()
        self.assertEqual(panel.exit_code(), 0)
        self.assertTrue(panel.wait_sent("EX"))
        # Every byte the panel wrote reached the receiver unchanged and in order.
        written = panel.written().replace("\x1e", "\x1e\r")
        self.assertEqual([c for c in written.split("\r") if c], panel.sent())

    def test_ser2net_gone_mid_search_is_a_lost_port_and_found_again(self):
        panel = self.start(scenario=ONE_SIGNAL)
        self.search_until_found(panel)
        self.server.kill()
        self.assertIsNotNone(panel.wait_sound("lost", timeout=20), panel.sounds()[-10:])
        # A search list may stand from an earlier search: the one saved at the loss holds the find.
        saved = lambda: (os.path.exists(panel.path("bank00.dat"))
                         and panel.file_lines("bank00.dat")[4:6] == ["145.25", " "])
        self.assertTrue(e2e.wait_for(saved, timeout=20), "the search list was not saved")
        self.server.start()
        connected = panel.sounds().count("connected")
        self.assert_found_again_and_closed(panel, connected)

    def assert_found_again_and_closed(self, panel, connected):
        """"connected" said once more, polling going on, then an orderly end."""
        self.assertTrue(e2e.wait_for(lambda: panel.sounds().count("connected") > connected,
                                     timeout=30), "the receiver was not found again")
        polls = panel.sent().count("LM")
        self.assertTrue(panel.wait_sent("LM", count=polls + 3, timeout=20))
        panel.close()
        self.assertEqual(panel.exit_code(), 0)

    def test_ser2net_stopped_with_the_connection_open_is_lost_and_found_after_it_goes_on(self):
        panel = self.start()
        panel.wait_idle_polling()
        connected = panel.sounds().count("connected")
        pid = self.server.program.process.pid
        os.kill(pid, signal.SIGSTOP)
        stopped = time.monotonic()
        try:
            self.assertIsNotNone(panel.wait_sound("lost", timeout=20), panel.sounds()[-10:])
            self.assertLess(time.monotonic() - stopped, 7.0)
        finally:
            os.kill(pid, signal.SIGCONT)
        self.assert_found_again_and_closed(panel, connected)


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
