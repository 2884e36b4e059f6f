"""The panel driven from the keyboard against the receiver simulator: a typed frequency, the
handshake, a search in both modes, the receiver's memory scan with a passed channel, the
bank commands and their files, writing a bank into the receiver, the raw test command and
quitting with a command pending."""

import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402
from panel_session import PanelSession  # noqa: E402

BLACK, RED, BLUE = 0, 255, 16711680
KEYPAD_ENTER = "104"  # by keycode: a keypad keysym makes xdotool toggle NumLock
STOPPED = "      *** STOPPED ***  "
START_WORDS = ["kestrel", "4", "point", "0", "1", "4", "5", "point", "0", "fm", "attoff",
               "connected"]
# Two signals inside the search range 145-146 MHz, both on the 12.5 kHz grid.
TWO_SIGNALS = "145.2500 120 0 -\n145.6250 90 0 -\n"
# Bank A of the receiver: three channels; only the second carries a signal.
MEMORY_A = ("MXA00 MP0 RF0145100000 ST012500 AU0 MD1 AT0 TMfirst\n"
            "MXA01 MP0 RF0145200000 ST012500 AU0 MD1 AT0 TMsecond\n"
            "MXA02 MP0 RF0145300000 ST012500 AU0 MD1 AT0 TMthird\n")


def bank_file(*entries, name="bank05", mode="FM", step="12.5"):
    """The text of a bank file holding the entries (frequency, label) given."""
    lines = [name, mode, step, " "]
    for frequency, label in entries:
        lines += [frequency, label]
    return "".join(line + "\r\n" for line in lines + ["9999"])


def entries_of(lines):
    """The (frequency, label) entries of a bank file's lines, up to the end marker."""
    end = lines.index("9999")
    return [(lines[i], lines[i + 1]) for i in range(4, end, 2)]


def commands(sent):
    """The commands other than the level request."""
    return [c for c in sent if c != "LM"]


def without_polls(trace):
    """The trace without the level requests and the answers read."""
    return [line for line in trace if line != "TX= LM" and not line.startswith("RX= ")]


def runs_of(lines, size):
    return [lines[i:i + size] for i in range(len(lines))]


def shown_frequency(panel, since=0):
    """What the frequency field reads after the last time it was drawn."""
    prints = [p for p in panel.prints() if p.y == 150 and p.x >= 300 and p.ms >= since]
    starts = [i for i, p in enumerate(prints) if p.x == 300 and p.colour == BLUE]
    if not starts:
        return None
    return "".join(p.text for p in prints[starts[-1]:] if p.colour == BLUE).rstrip()


class Keyboard(e2e.XvfbTestCase):
    def session(self, **options):
        options.setdefault("voice_set", "short")
        return PanelSession(self.x, **options)

    def finish(self, panel, key=None):
        """Closes the panel (or lets a key end it) and checks that it ended well."""
        if key:
            panel.keys(key)
        else:
            panel.close()
        self.assertEqual(panel.exit_code(), 0)
        self.assertEqual(panel.sent()[-1], "EX")

    def test_a_typed_frequency_is_tuned_and_the_step_sent_again(self):
        with self.session(voice_set="real", debug=True) as panel:
            panel.wait_ready()
            mark = len(panel.sent())
            first_key = len(panel.journal())
            panel.keys("1", "4", "5", "period", "5", "Return")
            panel.wait_idle_polling()
            since = panel.journal()[first_key].ms
            self.assertEqual(panel.sounds(since=since), ["1", "4", "5", "point", "5", "ok"])
            self.assertEqual(commands(panel.sent()[mark:]), ["VA0145.50000", "ST012.50"])
            self.assertEqual(shown_frequency(panel), "145.5000")
            journal = panel.journal()
            ok = next(e.ms for e in journal if e.kind == "SOUND" and e.fields[1].endswith("ok"))
            step = next(e.ms for e in journal if e.kind == "OUT" and e.fields == ["ST012.50\r"]
                        and e.ms >= since)
            self.assertGreaterEqual(ok, step, "ok is said once the step has gone out")
            self.assertIn(["**1", "**4", "**5", "**.", "**5", "**C/R", "TX= VA0145.50000",
                           "TX= ST012.50"], runs_of(without_polls(panel.trace()), 8))
            # Enter blanks the lower part of the panel before it tunes.
            cleared = {(p.x, p.y) for p in panel.prints() if p.ms >= since and not p.text.strip()}
            self.assertLessEqual({(150, 300), (0, 350), (300, 400), (300, 450)}, cleared)

            # The next digit starts a new frequency; page up adds the step; F6 is CW.
            mark = len(panel.sent())
            panel.keys("1", "4", "6", KEYPAD_ENTER, "Page_Up", "F6")
            panel.wait_idle_polling()
            self.assertEqual(commands(panel.sent()[mark:]),
                             ["VA0146000000", "ST012.50", "VA0146.01250", "MD5"])
            self.assertEqual(shown_frequency(panel), "146.0125")
            self.assertEqual([p.text for p in panel.prints() if (p.x, p.y) == (380, 80)][-1],
                             "CW " + " " * 6)
            self.finish(panel)

    def test_a_key_before_any_answer_ends_the_panel_with_rnc(self):
        with self.session(sim_options=["--silent"]) as panel:
            self.assertIsNotNone(panel.wait_journal(r"^PRINT\t380\t80\t.*\tFM      $"))
            self.assertTrue(panel.wait_sent("LM", count=2), "the poll did not run")
            panel.keys("1")
            self.assertEqual(panel.exit_code(), 0)
            words = panel.sounds()
            self.assertEqual(words[-1], "rnc")
            self.assertNotIn("connected", words)
            # The key itself was not acted on: no echo of the digit after the start.
            self.assertEqual(words.count("1"), 1)
            self.assertEqual(panel.sent()[-1], "EX")

    def test_the_first_late_answer_connects_and_keys_are_taken_after_it(self):
        with self.session(sim_options=["--reply-delay", "700"]) as panel:
            panel.wait_ready()
            journal = panel.journal()
            first_in = next(e.ms for e in journal if e.kind == "IN")
            self.assertGreater(panel.wait_sound("connected").ms, first_in)
            panel.keys("m")
            panel.wait_idle_polling(polls=3)
            words = panel.sounds()
            self.assertEqual(words.count("connected"), 1)
            self.assertEqual(words[words.index("connected") + 1:][:2], ["s", "0"])
            self.assertNotIn("rnc", words)
            self.finish(panel)

    def search_session(self, stop_mode):
        panel = self.enterContext(self.session(scenario=TWO_SIGNALS, debug=True))
        panel.wait_ready()
        if stop_mode:
            panel.keys("c")
        panel.keys("r")
        self.assertTrue(panel.wait_sent("VS"), "the search was not started")
        sent = panel.sent()
        self.assertEqual(commands(sent[sent.index("VB0146000000") - 1:sent.index("VS") + 1]),
                         ["VA0145000000", "VB0146000000", "ST012.50", "MD1", "VS"])
        return panel

    def test_a_search_in_continue_mode_counts_its_finds_and_lets_the_receiver_go_on(self):
        panel = self.search_session(stop_mode=False)
        # Both signals found, each told to go on after five level polls.
        self.assertTrue(panel.wait_sent("\x1e", count=4, timeout=40), panel.sent()[-20:])
        sent = panel.sent()
        first_up = sent.index("\x1e")
        asked = max(i for i in range(first_up) if sent[i] == "RX")
        self.assertEqual(sent[asked + 1:first_up], ["LM"] * 5)
        self.assertEqual(sent[first_up + 1], "\x1e")
        self.assertFalse([line for line in panel.trace() if "\x1e" in line])
        words = panel.sounds()
        self.assertEqual(words[words.index("srch"):words.index("act") + 1],
                         ["srch", "fm", "act"])
        after = words[words.index("act") + 1:]
        self.assertEqual([w for w in after if w in ("1", "2", "stop")][:2], ["1", "2"])
        founds = [p for p in panel.prints() if (p.x, p.y) == (20, 400)]
        self.assertEqual([(p.text, p.colour) for p in founds][:1], [("Found", RED)])
        # Enter ends the search, saves the list and says the count.
        mark = len(panel.sound_events())
        panel.keys("Return")
        panel.wait_idle_polling()
        self.assertEqual([s.word for s in panel.sound_events()[mark:]][:1], ["2"])
        self.assertEqual(panel.file_lines("bank00.dat"),
                         ["Srchbank", "FM", "12.5", " ", "145.25", " ", "145.625", " ", "9999"])
        self.finish(panel)

    def test_a_search_in_stop_mode_says_stop_and_stays_halted(self):
        panel = self.search_session(stop_mode=True)
        self.assertIn("stmode", panel.sounds())
        self.assertIsNotNone(panel.wait_sound("stop", timeout=30))
        self.assertTrue(panel.wait_sent("RX", timeout=10))
        asked = len(panel.sent())
        self.assertTrue(panel.wait_sent(lambda c: c == "LM", count=panel.sent().count("LM") + 8,
                                        timeout=20))
        self.assertNotIn("\x1e", panel.sent())
        self.assertEqual(set(panel.sent()[asked:]), {"LM"}, "the search stays halted")
        self.assertEqual([p for p in panel.prints() if (p.x, p.y) == (20, 400)], [])
        self.assertIn(STOPPED, [p.text for p in panel.prints() if (p.x, p.y) == (270, 320)])
        panel.keys("Return")
        panel.wait_idle_polling()
        self.assertEqual(entries_of(panel.file_lines("bank00.dat")), [("145.25", " ")])
        self.finish(panel)

    def test_a_memory_scan_passes_a_channel_and_gives_it_back_at_the_end(self):
        # Each channel holds the scan a second, so the panel sees it running before it stops
        # on the signal of the second channel, however the polls fall.
        with self.session(scenario="145.2000 120 0 -\n", memory_in=MEMORY_A,
                          sim_options=["--scan-channel", "1000"]) as panel:
            panel.wait_ready()
            mark = len(panel.sent())
            panel.keys("g", "a", "Return")
            self.assertTrue(panel.wait_sent("MSA", count=2))
            self.assertEqual(commands(panel.sent()[mark:]), ["LC1", "MAA", "MSA", "MSA"])
            words = panel.sounds()
            self.assertEqual(words[words.index("radbank"):][:3], ["radbank", "a", "fm"])
            stopped = panel.wait_journal(r"^PRINT\t270\t320\t.*\t" + re.escape(STOPPED) + "$",
                                         timeout=20)
            self.assertIsNotNone(stopped, "the scan never stopped on the signal")
            scan = [s for s in panel.sound_events() if s.word == "scan"]
            self.assertEqual([s.kind for s in scan][:1], ["async"], "scan is announced")
            mark = len(panel.sent())
            panel.keys("p")
            self.assertTrue(panel.wait_sent("MS"))
            self.assertEqual(commands(panel.sent()[mark:]), ["MR", "MP1", "MS"])
            self.assertIn("pass", panel.sounds())
            mark = len(panel.sent())
            panel.keys("Return")
            panel.wait_idle_polling()
            back = commands(panel.sent()[mark:])
            self.assertEqual(back[:2], ["MRA01", "MP0"])
            self.assertEqual(back[3:], ["MD1"])
            # The frequency typed or shown last is tuned again.
            self.assertTrue(back[2].startswith("VA0145."), back)
            self.assertIn("exitscan", panel.sounds())
            self.assertNotIn("ok", panel.sounds())
            self.finish(panel)
            self.assertEqual(panel.stop_simulator(), 0)
            memory = panel.read_file("memory-out.txt")
            self.assertIn("MXA01 MP0 RF0145200000", memory)

    def test_put_sort_and_transfer_keep_bank_files(self):
        with self.session() as panel:
            panel.wait_ready()
            panel.keys("p", "0", "5", KEYPAD_ENTER)
            panel.wait_idle_polling()
            self.assertEqual(panel.sounds()[-8:],
                             ["put", "0", "5", "bnf", "create", "0", "5", "ok"])
            self.assertEqual(panel.file_lines("bank05.dat"),
                             ["bank05", "FM", "12.5", " ", "145.0", " ", "9999"])
            for typed in ("145.5\n", "144.2\n"):
                panel.type_text(typed)
                panel.keys("p", "0", "5", "Return")
            panel.type_text("p05\n")  # 144.2 once more: not added again
            panel.wait_idle_polling()
            self.assertEqual(entries_of(panel.file_lines("bank05.dat")),
                             [("145.0", " "), ("145.5", " "), ("144.2", " ")])

            panel.type_text("o05\n")
            panel.wait_idle_polling()
            self.assertEqual(panel.sounds()[-4:], ["sort", "0", "5", "ok"])
            self.assertEqual(entries_of(panel.file_lines("bank05.dat")),
                             [("144.2", " "), ("145.0", " "), ("145.5", " ")])

            panel.type_text("t0506\n")
            panel.wait_idle_polling()
            self.assertEqual(panel.sounds()[-10:], ["transfer", "0", "5", "0", "6", "bnf",
                                                    "create", "0", "6", "ok"])
            copied = panel.file_lines("bank06.dat")
            self.assertEqual(copied[:4], ["bank0506", "FM", "12.5", " "])
            self.assertEqual(entries_of(copied), entries_of(panel.file_lines("bank05.dat")))
            self.finish(panel)

    def test_a_selected_bank_is_browsed_and_an_entry_killed(self):
        bank = bank_file(("144.2", "low"), ("145.0", "mid"), ("145.5", "high"), mode="AM",
                         step="25")
        with self.session(files={"bank05.dat": bank}) as panel:
            panel.wait_ready()
            mark = len(panel.sent())
            panel.type_text("b05\n")
            panel.wait_idle_polling()
            self.assertEqual(commands(panel.sent()[mark:]),
                             ["VA0144.20000", "MD2", "ST025000"])
            self.assertEqual(panel.sounds()[-5:], ["bank", "0", "5", "am", "sel"])
            self.assertEqual(shown_frequency(panel), "144.2000")

            mark, sounds = len(panel.sent()), len(panel.sounds())
            panel.keys("Up", "Up", "Up", "Down")
            panel.wait_idle_polling()
            self.assertEqual(commands(panel.sent()[mark:]),
                             ["VA0145.00000", "VA0145.50000", "VA0144.20000", "VA0145.50000"])
            self.assertEqual(panel.sounds()[sounds:], ["beep"])
            labels = [p.text for p in panel.prints() if (p.x, p.y) == (300, 370) and p.text.strip()]
            self.assertEqual(labels[-4:], ["mid", "high", "low", "high"])

            # Killing the last entry moves to the entry before it.
            mark = len(panel.sent())
            panel.keys("k", "Return")
            panel.wait_idle_polling()
            self.assertEqual(panel.sounds()[-2:], ["kill", "ok"])
            self.assertEqual(commands(panel.sent()[mark:]), ["VA0145.00000"])
            self.assertEqual(entries_of(panel.file_lines("bank05.dat")),
                             [("144.2", "low"), ("145.0", "mid")])
            self.finish(panel)

    def test_write_programs_a_bank_into_the_receivers_memory(self):
        bank = bank_file(("144.2", "low"), ("145.5", "a label longer than twelve"))
        memory = "MXA07 MP0 RF0150000000 ST012500 AU0 MD1 AT0 TMold\n"
        with self.session(files={"bank05.dat": bank}, memory_in=memory) as panel:
            panel.wait_ready()
            mark = len(panel.sent())
            panel.keys("w", "0", "5", "a", "Return")
            panel.wait_idle_polling()
            self.assertEqual(panel.sounds()[-8:],
                             ["write", "fromb", "0", "5", "torb", "a", "wait", "ok"])
            self.assertEqual(commands(panel.sent()[mark:]), [
                "MQA%%",
                "MXA00 RF0144200000 ST012500 MD1 TMlow" + " " * 9,
                "MXA01 RF0145500000 ST012500 MD1 TMa label long"])
            self.finish(panel)
            self.assertEqual(panel.stop_simulator(), 0)
            memory_out = panel.read_file("memory-out.txt").splitlines()
            channels = [line for line in memory_out if line.startswith("MXA")]
            self.assertEqual(len(channels), 2, memory_out)
            self.assertTrue(channels[0].startswith("MXA00 MP0 RF0144200000 ST012500"))
            self.assertTrue(channels[0].rstrip().endswith("TMlow"))
            self.assertTrue(channels[1].startswith("MXA01 MP0 RF0145500000"))
            self.assertTrue(channels[1].rstrip().endswith("TMa label long"))

    def test_the_raw_test_command_shows_the_receivers_answer(self):
        with self.session(debug=True) as panel:
            panel.wait_ready()
            panel.keys("x", "r", "x", "Return")
            line = panel.wait_journal(r"^PRINT\t0\t0\tARIEL\t10\t700\t0\tTX=RX RX=")
            self.assertIsNotNone(line, "no test line at the top left")
            self.assertIn("RF0145000000", line.fields[6])
            self.assertTrue(line.fields[6].endswith(" " * 22))
            self.assertIn("RX", panel.sent())
            self.assertIn("test", panel.sounds())
            self.assertIn(["**X", "**R", "**X", "**C/R", "TX= RX"],
                          runs_of(without_polls(panel.trace()), 5))
            self.finish(panel)

    def test_quit_runs_the_pending_delete_and_ends(self):
        with self.session(files={"bank07.dat": bank_file(("145.5", " "), name="bank07"),
                                 "bank08.dat": bank_file(name="bank08")}) as panel:
            panel.wait_ready()
            panel.keys("d", "0", "7")
            self.finish(panel, key="q")
            self.assertEqual(panel.sounds()[-4:], ["delete", "0", "7", "ok"])
            self.assertIsNone(panel.read_file("bank07.dat"))
            self.assertIsNotNone(panel.read_file("bank08.dat"))


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
