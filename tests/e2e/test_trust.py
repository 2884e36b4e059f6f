"""What the panel says, sends and saves is what it did: a key typed while the panel starts,
the bank commands against the receiver's memory and the bank files, a search started from
its start limit and a quit in the middle of it."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402
from fault_checks import FaultChecks, at_rest, bank_bytes, bank_lines  # noqa: E402
from panel_session import PanelSession  # noqa: E402
from test_fault_files import run_command  # noqa: E402
from test_keyboard import entries_of, shown_frequency  # noqa: E402

# Bank 07 holds a repeat, which a sort removes.
REPEATS = [("145.5", "a"), ("145.5", "b"), ("146.0", "c")]
# A channel of the receiver's bank A that nothing here may erase.
MEMORY_A = "MXA00 MP0 RF0150000000 ST012500 AU0 MD1 AT0 TMkeep\n"
# No station between the search limits 145 and 146: the search never halts.
NO_SIGNAL_IN_RANGE = "430.0000 120 0 -\n"
BROWSED = [("145.1", "a"), ("145.2", "b"), ("145.3", "c")]
# Frequency lines the check takes that only a receiver channel's digits can carry right.
ODD_DIGITS = [("00145.5", "zeros"), ("145.1234567", "hertz"), ("12345.5", "too high")]


def commands_since(panel, mark):
    return [c for c in panel.sent()[mark:] if c != "LM"]


def contains_run(words, run):
    return any(words[i:i + len(run)] == run for i in range(len(words)))


class Trust(FaultChecks):
    def test_a_key_typed_during_the_announcement_waits_for_the_receiver(self):
        # The real voice set makes the announcement last a few seconds: the key is taken
        # before the receiver has been asked anything.
        with PanelSession(self.x, voice_set="real") as panel:
            panel.keys("5")
            connected = panel.wait_sound("connected", timeout=40)
            self.assertIsNotNone(connected, panel.sounds())
            self.assertIsNotNone(panel.wait_sound("5", since=connected.ms), panel.sounds())
            self.assertNotIn("rnc", panel.sounds())
            self.assert_closes_in_order(panel)

    def test_bank_commands_send_and_save_what_they_say(self):
        with PanelSession(self.x, voice_set="short", memory_in=MEMORY_A,
                          files={"bank07.dat": bank_bytes(bank_lines(REPEATS, name="bank07"))}
                          ) as panel:
            at_rest(panel)
            # A step typed with a leading point has three kilohertz digits on the wire.
            run_command(panel, "i.5\n", "ok")
            self.assertTrue(panel.wait_sent("ST000.50"), panel.sent()[-3:])

            # Sorting the browsed bank shortens it; browsing follows the new list.
            run_command(panel, "b07\n", "sel")
            run_command(panel, "o07\n", "ok")
            mark = len(panel.sent())
            panel.keys("Up", "Up", "Up")
            panel.wait_idle_polling()
            self.assertEqual(commands_since(panel, mark),
                             ["VA0145.50000", "VA0146.00000", "VA0145.50000"])

            # A sort of a missing bank leaves the browsed one in place: the kill goes to
            # bank 07's own file.
            run_command(panel, "o05\n", "bnf")
            run_command(panel, "k\n", "ok")
            self.assertEqual(entries_of(panel.file_lines("bank07.dat")), [("146.0", "c")])
            self.assertFalse(os.path.exists(panel.path("bank05.dat")))

            # Neither selecting a bank nor a write of a missing one erases receiver memory.
            run_command(panel, "w05a\n", "bnf")
            self.assertEqual([c for c in panel.sent() if c.startswith("MQ")], [])

            # Sub-MHz frequencies reach the receiver's memory with their right ten digits.
            run_command(panel, ".5\n", "ok")
            self.assertTrue(panel.wait_sent("VA0000.50000"))
            run_command(panel, "p06\n", "ok")
            run_command(panel, "1\n", "ok")
            panel.keys("Down")
            self.assertTrue(panel.wait_sent("VA0000.99900"), panel.sent()[-3:])
            run_command(panel, "p06\n", "ok")
            mark = len(panel.sent())
            run_command(panel, "w06a\n", "ok")
            blank_label = " TM" + " " * 12
            self.assertEqual(commands_since(panel, mark), [
                "MQA%%",
                "MXA00 RF0000500000 ST012500 MD1" + blank_label,
                "MXA01 RF0000999000 ST012500 MD1" + blank_label])
            self.assert_closes_in_order(panel)

    def test_files_that_cannot_be_written_are_said_failed_and_digits_sent_are_the_receivers(self):
        files = {"bank07.dat": bank_bytes(bank_lines(BROWSED, name="bank07")),
                 "bank08.dat": bank_bytes(bank_lines(ODD_DIGITS, name="bank08"))}
        with PanelSession(self.x, voice_set="short", debug=True, scenario=NO_SIGNAL_IN_RANGE,
                          files=files) as panel:
            at_rest(panel)
            # Leading zeros do not count, the hertz are rounded, five MHz digits left out.
            mark = len(panel.sent())
            words = run_command(panel, "w08a\n", "ok", timeout=90)
            self.assertEqual(words.count("inv"), 1, words)
            self.assertEqual([c[:18] for c in panel.sent()[mark:] if c.startswith("MX")],
                             ["MXA00 RF0145500000", "MXA01 RF0145123457"])

            # A kill that could not be saved leaves the browsed list whole.
            run_command(panel, "b07\n", "sel")
            panel.keys("Up")
            self.assertTrue(panel.wait_sent("VA0145.20000"), panel.sent()[-3:])
            original = panel.read_file("bank07.dat")
            os.chmod(panel.path("bank07.dat"), 0o444)
            self.assertNotIn("ok", run_command(panel, "k\n", "failed"))
            mark = len(panel.sent())
            panel.keys("Down", "Up")
            panel.wait_idle_polling()
            self.assertEqual(commands_since(panel, mark), ["VA0145.10000", "VA0145.20000"])
            self.assertEqual(panel.read_file("bank07.dat"), original)

            # A typed frequency's leading zero is not sent (and the list is let go).
            run_command(panel, "0145.5\n", "ok")
            self.assertTrue(panel.wait_sent("VA0145.50000"), panel.sent()[-3:])

            # A search list that cannot be saved: its count, then "failed", never "ok".
            for end in ("Return", "q"):
                started = panel.journal()[-1].ms + 1
                panel.keys("r")
                self.assertIsNotNone(panel.wait_sound("act", since=started))
                os.chmod(panel.path("bank00.dat"), 0o444)
                ended = panel.journal()[-1].ms + 1
                panel.keys(end)
                self.assertIsNotNone(panel.wait_sound("failed", since=ended),
                                     panel.sounds(since=ended))
                if end == "Return":
                    panel.wait_idle_polling()
                    self.assertEqual(panel.sounds(since=ended), ["0", "failed"])
                    os.chmod(panel.path("bank00.dat"), 0o644)
            self.assertEqual(panel.exit_code(), 0, panel.panel.errors())
            self.assertEqual(panel.sounds(since=ended), ["0", "failed", "quit"])
            self.assertEqual(panel.trace().count("search list not saved: bank00.dat"), 2)
            self.assertEqual(panel.panel.errors().count("search list not saved"), 2,
                             panel.panel.errors())

    def test_a_search_starts_on_its_start_limit_and_q_ends_it_as_enter_does(self):
        with PanelSession(self.x, voice_set="short", scenario=NO_SIGNAL_IN_RANGE) as panel:
            at_rest(panel)
            run_command(panel, "150\n", "ok")
            started = panel.journal()[-1].ms + 1
            panel.keys("r")
            self.assertIsNotNone(panel.wait_sound("act", since=started))
            self.assertEqual(shown_frequency(panel, since=started), "145.0000")
            asked = panel.journal()[-1].ms + 1
            panel.keys("f")
            self.assertIsNotNone(panel.wait_sound("fm", since=asked), panel.sounds(since=asked))
            self.assertTrue(contains_run(panel.sounds(since=asked), ["1", "4", "5", "point", "0"]),
                            panel.sounds(since=asked))

            # "put" is pending when Q comes: the search ends, its list is saved, the put runs.
            typed = panel.journal()[-1].ms + 1
            panel.keys("p", "0", "5", "q")
            self.assertEqual(panel.exit_code(), 0, panel.panel.errors())
            words = panel.sounds(since=typed)
            self.assertNotIn("inv", words)
            self.assertEqual(words[-1], "ok")
            self.assertEqual(entries_of(panel.file_lines("bank05.dat")), [("145.0", " ")])
            self.assertEqual(panel.file_lines("bank00.dat")[0], "Srchbank")


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
