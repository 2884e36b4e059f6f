"""The network control port at its limits, with raw clients on 127.0.0.1: sets outside the
receiver's range refused and the rest rounded to its 50 Hz steps, the squelch read from the
level polls (by Hamlib's own client too), and a full client table giving way to a
newcomer."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402
from panel_session import PanelSession  # noqa: E402
from test_rigctl import CLIENT_TIMEOUT, Client  # noqa: E402

CLIENTS = 32


class RigControlLimits(e2e.XvfbTestCase):
    def test_sets_within_range_on_50_hz_steps_the_squelch_and_32_clients(self):
        with PanelSession(self.x, voice_set="short", scenario="145.5000 120 0 -\n",
                          panel_args=["--rigctl=127.0.0.1:0"]) as panel:
            panel.wait_ready()
            listening = panel.wait_journal(r"^RIGCTL\tlisten\t127\.0\.0\.1:\d+$")
            port = int(listening.fields[1].rsplit(":", 1)[1])
            first = Client(port)

            # Outside 100 kHz .. 2040 MHz: refused, and nothing reaches the receiver.
            mark = len(panel.sent())
            for wrong in ("2500000000", "2040000050", "50000", "99999"):
                self.assertEqual(first.ask("F " + wrong), ["RPRT -1"], wrong)
            self.assertTrue(panel.wait_sent("LM", count=panel.sent().count("LM") + 2))
            self.assertEqual(set(panel.sent()[mark:]) - {"LM"}, set())

            # The receiver's 50 Hz steps: what is sent is what reads back.
            self.assertEqual(first.ask("F 145500055"), ["RPRT 0"])
            self.assertTrue(panel.wait_sent("VA0145.50005"), panel.sent()[-3:])
            self.assertEqual(first.ask("f"), ["145500050"])

            # The squelch of the last level reply: the signal on 145.5 opens it.
            def squelch_becomes(value):
                return e2e.wait_for(lambda: first.ask("\\get_dcd") == [value],
                                    timeout=CLIENT_TIMEOUT, interval=0.2)
            self.assertEqual(first.ask("F 145500000"), ["RPRT 0"])
            self.assertTrue(squelch_becomes("1"), "the squelch never read open")
            hamlib = subprocess.run(["rigctl", "-m", "2", "-r", "127.0.0.1:%d" % port, "get_dcd"],
                                    capture_output=True, text=True, timeout=60)
            self.assertEqual(hamlib.stdout, "1\n", hamlib.stderr)
            self.assertEqual(first.ask("F 146000000"), ["RPRT 0"])
            self.assertTrue(squelch_becomes("0"), "the squelch never read closed")

            # A full table: the client idle longest gives way to the newcomer.
            others = [Client(port) for _ in range(CLIENTS - 1)]
            for client in others:
                self.assertEqual(client.ask("f"), ["146000000"])
            self.assertEqual(first.ask("v"), ["VFOA"])  # no longer the idlest
            newcomer = Client(port)
            self.assertEqual(newcomer.ask("f"), ["146000000"])
            self.assertTrue(others[0].closed_by_panel(), "the idlest client was kept")
            self.assertEqual(first.ask("f"), ["146000000"])
            self.assertEqual(others[1].ask("f"), ["146000000"])
            for client in [first, newcomer, *others]:
                client.close()
            panel.close()
            self.assertEqual(panel.exit_code(), 0)


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
