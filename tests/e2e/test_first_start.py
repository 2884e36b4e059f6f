"""The first start from the desktop menu (kestrel --user-folder with no KESTREL.CFG): the
panel probes the free USB serial adapters itself. A folder of by-id names stands in for
/dev/serial/by-id (KESTREL_SERIAL_BY_ID); the simulator's terminal is one of its adapters."""

import os
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402
from panel_session import PanelSession  # noqa: E402

ADAPTER = "usb-Sim_AR8600_SIM0001-if00-port0"
HELD = "usb-Other_Device_X1-if00-port0"


class FirstStart(e2e.XvfbTestCase):
    def user_session(self, **options):
        """A session whose folder is the user's Kestrel folder, with an empty by-id folder."""
        root = tempfile.mkdtemp(prefix="kestrel-first-")
        self.addCleanup(shutil.rmtree, root, True)
        user = os.path.join(root, "kestrel")
        self.by_id = os.path.join(root, "by-id")
        os.mkdir(user)
        os.mkdir(self.by_id)
        return PanelSession(self.x, folder=user, config_file=False, sim_link="sim-terminal",
                            panel_args=["--user-folder"], start=False,
                            env={"XDG_DATA_HOME": root, "KESTREL_SERIAL_BY_ID": self.by_id},
                            **options)

    def add_adapter(self, name, device):
        os.symlink(os.path.realpath(device), os.path.join(self.by_id, name))

    def test_a_receiver_on_a_free_adapter_is_found_written_and_connected(self):
        with self.user_session() as panel:
            self.add_adapter(ADAPTER, panel.path("sim-terminal"))
            panel.start_panel()
            panel.wait_ready()
            config = panel.file_lines("KESTREL.CFG")
            self.assertEqual(config[:2], ["Com=COM1", "Baud: 9600"])
            self.assertEqual(os.readlink(panel.path("COM1")), os.path.join(self.by_id, ADAPTER))
            said = ("Receiver found on %s at 9600 baud; KESTREL.CFG and COM1 written" % ADAPTER)
            self.assertIn((0, 460, said), [(p.x, p.y, p.text) for p in panel.prints()])
            self.assertIn("First start: " + said + " (answer LM%000)", panel.trace())
            words = panel.sounds()
            self.assertEqual(words[:4], ["kestrel", "4", "point", "0"])
            self.assertIn("connected", words)
            # The probe asked for the level only, then the panel's start-up began.
            sent = panel.sent()
            self.assertEqual(sent[:2], ["LM", "VA0145000000"])
            panel.close()
            self.assertEqual(panel.exit_code(), 0)

    def test_no_answer_says_so_shows_the_command_and_fails_without_touching_a_held_port(self):
        held_master, held = os.openpty()  # another program holds this adapter
        self.addCleanup(os.close, held_master)
        self.addCleanup(os.close, held)
        os.set_blocking(held_master, False)
        with self.user_session(sim_options=["--silent"]) as panel:
            self.add_adapter(ADAPTER, panel.path("sim-terminal"))
            self.add_adapter(HELD, os.ttyname(held))
            panel.start_panel(wait_window=False)
            self.assertEqual(panel.exit_code(), 1)
            self.assertEqual(panel.sounds(), ["cfnf", "rnf"])
            lines = {(p.x, p.y): p.text for p in panel.prints()}
            self.assertEqual(lines[(0, 30)], "--- KESTREL.CFG file not found ---")
            self.assertEqual(lines[(0, 100)],
                             "panelset --user-folder --device %s --probe" % ADAPTER)
            self.assertEqual(lines[(0, 130)], "receiver not found: no answer at 9600, 19200 "
                                              "or 4800 baud; is it switched on?")
            self.assertEqual(panel.sent(), ["LM", "LM", "LM"])
            self.assertIn("SETTINGS 4800 8N2", panel.sim_events())
            with self.assertRaises(BlockingIOError):
                os.read(held_master, 64)
            self.assertFalse(os.path.lexists(panel.path("KESTREL.CFG")))
            self.assertFalse(os.path.lexists(panel.path("COM1")))


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
