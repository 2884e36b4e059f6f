"""The receiver's link taken away and given back while the panel runs: the loss is said and
the search ends with its finds kept, keys are still served, the panel takes the link back
on its own and gives the receiver its state again; a memory write cut by the loss fails."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402
from fault_checks import FaultChecks, at_rest, bank_bytes, bank_lines  # noqa: E402
from panel_session import PanelSession  # noqa: E402

SEARCH_SIGNALS = "145.1000 120 0 -\n145.3000 120 0 -\n145.6000 120 0 -\n"
NO_SIGNAL_IN_RANGE = "430.0000 120 0 -\n"
FOUND_COUNT_AT = (750, 400)
STATUS_LINE = (270, 320)
LOST_TEXT = "   *** RECEIVER LOST ***  "
WRITTEN_ENTRIES = [("%.1f" % (146 + i / 10), "ch%d" % i) for i in range(30)]


class LinkLoss(FaultChecks):
    def pull_link(self, panel):
        """The receiver goes away: the simulator ends and takes its link with it."""
        since = panel.journal()[-1].ms + 1
        self.assertEqual(panel.stop_simulator(), 0)
        panel.sim.stop()
        return since

    def put_back_link(self, panel):
        since = panel.journal()[-1].ms + 1
        panel._start_simulator()
        self.assertIsNotNone(panel.wait_sound("connected", since=since, timeout=30),
                             "the link was not taken back")
        return since

    def test_the_link_pulled_and_put_back_during_a_search_and_during_a_write(self):
        bank = bank_bytes(bank_lines(WRITTEN_ENTRIES, name="bank21"))
        with PanelSession(self.x, voice_set="short", debug=True, scenario=SEARCH_SIGNALS,
                          files={"bank21.dat": bank}) as panel:
            at_rest(panel)
            panel.keys("r")
            self.assertTrue(panel.wait_sent("VS"), panel.sent())
            self.assertTrue(e2e.wait_for(lambda: self.finds_counted(panel) > 0, timeout=40),
                            "no find: the machine is too slow for this test's timing")

            # Pulled: "lost" once, the search ended with its finds saved and counted.
            pulled = self.pull_link(panel)
            lost = panel.wait_sound("lost", since=pulled, timeout=20)
            self.assertIsNotNone(lost)
            self.assertTrue(e2e.wait_for(lambda: len(panel.sounds(since=lost.ms)) > 1))
            finds = self.finds_counted(panel)
            self.assertEqual(panel.sounds(since=lost.ms), ["lost", *str(finds)])
            lines = panel.file_lines("bank00.dat")
            self.assertEqual(len(lines[4:-1]), 2 * finds, lines)
            self.assertIn(LOST_TEXT, [p.text for p in panel.prints()
                                      if (p.x, p.y) == STATUS_LINE and p.ms >= pulled])
            self.assertIn("receiver lost", panel.trace())

            # Keys are served while the link is away (AM chosen), and nothing is written to it.
            typed = panel.journal()[-1].ms + 1
            panel.keys("F2")
            self.assertIsNotNone(panel.wait_sound("am", since=typed))
            self.assert_not_spinning(panel, seconds=2.0)
            self.assertEqual(panel.sounds(since=pulled).count("lost"), 1)
            # Nothing is asked of the lost receiver: at most a level request a second, to what
            # the link led to (never /dev/ttyS0, which the port name means without its link).
            journal = panel.journal()
            written = [e for e in journal if e.kind == "OUT" and e.ms > lost.ms]
            self.assertLessEqual({e.fields[0] for e in written}, {"LM\r"})
            self.assertLessEqual(len(written), (journal[-1].ms - lost.ms) / 1000 + 1)

            # Put back: the level request first, then the state as at start-up, then polling.
            back = self.put_back_link(panel)
            self.assertTrue(panel.wait_sent("AT0"), panel.sent())
            self.assertTrue(panel.wait_sent("LM", count=3), panel.sent())
            sent = panel.sent()
            self.assertEqual(sent[0], "LM")
            self.assertTrue(sent[1].startswith("VA"), sent)
            self.assertEqual(sent[2:5], ["MD2", "ST012.50", "AT0"])
            self.assertEqual(panel.sounds(since=back), ["connected"])
            self.assertIn(" " * len(LOST_TEXT), [p.text for p in panel.prints()
                                                 if (p.x, p.y) == STATUS_LINE and p.ms >= back])

            # A write cut by the receiver going away ends with "failed", and the link is
            # lost and found again as before.
            started = panel.journal()[-1].ms + 1
            panel.type_text("w21a\n")
            self.assertTrue(panel.wait_sent(lambda c: c.startswith("MXA02"), timeout=60),
                            panel.sent())
            self.pull_link(panel)
            self.assertIsNotNone(panel.wait_sound("failed", since=started, timeout=60))
            self.assertIsNotNone(panel.wait_sound("lost", since=started, timeout=20))
            self.assertNotIn("ok", panel.sounds(since=started))
            self.put_back_link(panel)

            # A whole write to a receiver that is there ends with "ok".
            started = panel.journal()[-1].ms + 1
            panel.type_text("w21a\n")
            self.assertIsNotNone(panel.wait_sound("ok", since=started, timeout=90),
                                 panel.sounds(since=started))
            self.assertEqual(sum(c.startswith("MXA") for c in panel.sent()), 30)
            self.assert_closes_in_order(panel)

    def test_while_the_link_is_lost_keys_that_start_or_report_say_lost(self):
        bank = bank_bytes(bank_lines(WRITTEN_ENTRIES[:3], name="bank07"))
        with PanelSession(self.x, voice_set="short", debug=True, scenario=NO_SIGNAL_IN_RANGE,
                          files={"bank07.dat": bank}) as panel:
            at_rest(panel)
            started = panel.journal()[-1].ms + 1
            panel.keys("r")
            self.assertIsNotNone(panel.wait_sound("act", since=started))
            # The search list cannot be saved when the loss ends the search.
            os.chmod(panel.path("bank00.dat"), 0o444)
            pulled = self.pull_link(panel)
            lost = panel.wait_sound("lost", since=pulled, timeout=20)
            self.assertIsNotNone(lost)
            self.assertIsNotNone(panel.wait_sound("failed", since=lost.ms))
            self.assertEqual(panel.sounds(since=lost.ms), ["lost", "0", "failed"])

            # The search, the memory scan, the list scan and the level: "lost", nothing else.
            for keys in (["r"], ["g"], ["m"], ["b", "0", "7", "Return", "r"]):
                typed = panel.journal()[-1].ms + 1
                panel.keys(*keys)
                self.assertIsNotNone(panel.wait_sound("lost", since=typed),
                                     panel.sounds(since=typed))
            status = self.status(panel)
            self.assertEqual(status[0], "lost", status)
            self.assertNotIn("s", status)
            trace = panel.trace()
            since_loss = trace[trace.index("receiver lost"):]
            self.assertLessEqual({t for t in since_loss if t.startswith("TX=")}, {"TX= LM"})
            self.assertEqual(sum(t.startswith("receiver lost: not sent") for t in trace), 1)

            # Back: nothing was started meanwhile.
            self.put_back_link(panel)
            panel.wait_idle_polling()
            status = self.status(panel)
            self.assertFalse({"srch", "scan", "lost"} & set(status), status)
            self.assertNotIn("VS", panel.sent())  # the receiver's log begins at its return
            self.assert_closes_in_order(panel)

    def status(self, panel):
        """The words V says, through the scan voice's setting, which comes last but one."""
        typed = panel.journal()[-1].ms + 1
        panel.keys("v")

        def said():
            words = panel.sounds(since=typed)
            return words if "svoice" in words[:-1] else None
        words = e2e.wait_for(said, timeout=20)
        self.assertIsNotNone(words, panel.sounds(since=typed))
        return words

    def finds_counted(self, panel):
        counts = [p.text for p in panel.prints() if (p.x, p.y) == FOUND_COUNT_AT]
        return int(counts[-1]) if counts else 0


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
