"""The panel never goes deaf: keys typed during read-outs are all acted on, in order; the
network port answers reads while a word plays; a key cuts the status read-out short; a FIFO
in place of hits.csv and a paused terminal stop nothing; a hang-up ends the panel in order."""

import os
import signal
import socket
import statistics
import subprocess
import sys
import time
import unittest
from unittest import mock

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402
from fault_checks import at_rest  # noqa: E402
from panel_session import PanelSession  # noqa: E402
import test_operator as operator_tests  # noqa: E402  (its classes stay out of this module)

ONE_SIGNAL = "145.2500 120 0 -\n"
STATUS_END = ["svoice", "on"]  # the end of the status read-out, before the level
RIGHT_PRESSES = 30


def ask(client, line):
    """Sends one line and returns (the first line of the answer, seconds it took)."""
    begun = time.monotonic()
    client.sendall(line.encode() + b"\n")
    answer = b""
    while not answer.endswith(b"\n"):
        chunk = client.recv(4096)
        if not chunk:
            raise AssertionError("the panel closed the connection")
        answer += chunk
    return answer.decode().split("\n")[0], time.monotonic() - begun


class Listening(e2e.XvfbTestCase):
    def halted_on_a_signal(self, panel):
        """Starts the search (stop mode) and waits until its halt is held, frequency known."""
        panel.keys("c", "r")
        self.assertTrue(panel.wait_sent("RX", timeout=20), "the search never halted")
        polls = panel.sent().count("LM")
        self.assertTrue(panel.wait_sent("LM", count=polls + 2))

    def test_reads_are_answered_and_keys_kept_while_the_panel_speaks(self):
        with PanelSession(self.x, voice_set="real",
                          panel_args=["--rigctl=127.0.0.1:0"]) as panel:
            listening = panel.wait_journal(r"^RIGCTL\tlisten\t127\.0\.0\.1:\d+$")
            port = int(listening.fields[1].rsplit(":", 1)[1])
            mark = at_rest(panel)
            client = socket.create_connection(("127.0.0.1", port), timeout=10)
            self.addCleanup(client.close)
            panel.keys("v")
            self.assertIsNotNone(panel.wait_journal(r"^SOUND\tsync", since=mark))
            answers = [ask(client, "f") for _ in range(5)]
            self.assertEqual({text for text, _ in answers}, {"145000000"})
            # Each while a word plays (the first would otherwise wait for the whole status).
            times = [took for _, took in answers]
            self.assertLess(statistics.median(times), 0.05, times)
            self.assertLess(max(times), 0.25, times)
            # A key cuts the rest of the status short, and is then acted on.
            panel.keys("f")
            taken = panel.key_downs()[-1].ms + 1
            self.assertIsNotNone(panel.wait_sound("fm", since=taken))
            status = panel.sounds(since=mark)[:len(panel.sounds(since=mark))
                                               - len(panel.sounds(since=taken))]
            self.assertNotIn(STATUS_END[0], status)
            self.assertEqual(panel.sounds(since=taken), ["1", "4", "5", "point", "0", "fm"])

            # Presses typed while a new frequency is read out wait their turn: every one
            # tunes, in order.
            panel.wait_idle_polling()
            mark = len(panel.sent())
            panel.keys("1", "4", "5", "period", "5", "Return", gap=0.05)
            subprocess.run(["xdotool", "key", "--delay", "30", *["Right"] * RIGHT_PRESSES],
                           check=True, env=self.x.environment())
            tunes = lambda c: c.startswith("VA")  # noqa: E731
            self.assertTrue(panel.wait_sent(tunes, count=RIGHT_PRESSES + 1, timeout=60),
                            panel.sent()[mark:])
            panel.wait_idle_polling()
            tuned = [round(float(c[2:]) * 1e4) for c in panel.sent()[mark:] if tunes(c)]
            self.assertEqual(tuned, [1455000 + n for n in range(RIGHT_PRESSES + 1)])
            panel.close()
            self.assertEqual(panel.exit_code(), 0)

    def test_a_fifo_hits_file_and_a_paused_terminal_stop_nothing(self):
        with PanelSession(self.x, voice_set="short", debug=True, scenario=ONE_SIGNAL,
                          sim_options=["--resume-after", "0"], start=False) as panel:
            os.mkfifo(panel.path("hits.csv"))
            with mock.patch.object(e2e, "Program", operator_tests.PtyProgram):
                panel.start_panel(wait_window=False)
            os.write(panel.panel._master, b"\x13")  # Ctrl-S: the terminal takes no output
            panel.wait_ready()
            self.halted_on_a_signal(panel)
            panel.keys("space")  # the hit ends: its line cannot go into a FIFO
            self.assertIsNotNone(panel.wait_sound("failed"))
            polls = panel.sent().count("LM")
            self.assertTrue(panel.wait_sent("LM", count=polls + 3), "polling stopped")
            panel.keys("Return")
            panel.keys("f")
            after = panel.key_downs()[-1].ms
            self.assertIsNotNone(panel.wait_sound("fm", since=after))
            self.assertEqual(panel.sounds().count("failed"), 1)
            self.assertEqual(panel.panel.lines, [], "the paused terminal got a line")
            dropped = [line for line in panel.trace() if line.startswith("text line dropped")]
            self.assertEqual(len(dropped), 1, dropped)
            panel.terminate()
            self.assertEqual(panel.exit_code(), 0)

    def test_a_hang_up_or_an_interrupt_ends_the_panel_in_order(self):
        for number in (signal.SIGHUP, signal.SIGINT):
            with self.subTest(signal=number.name), PanelSession(
                    self.x, voice_set="short", scenario=ONE_SIGNAL,
                    sim_options=["--resume-after", "0"]) as panel:
                panel.wait_ready()
                self.halted_on_a_signal(panel)
                os.kill(panel.pid, number)
                self.assertEqual(panel.exit_code(), 0)
                self.assertEqual(panel.sent()[-1], "EX")
                self.assertEqual([r["frequency_mhz"] for r in operator_tests.hit_rows(panel)],
                                 ["145.25"])
                self.assertEqual(panel.file_lines("bank00.dat")[4:6], ["145.25", " "])


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
