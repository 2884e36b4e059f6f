"""The panel from its start to its end: the receiver brought into a known state, the
announcement, the screen, the trace, the missing configuration, speech switched off and a
port with no receiver behind it."""

import datetime
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402
from panel_session import PanelSession  # noqa: E402

BLACK, BLUE = 0, 16711680
START_COMMANDS = ["VA0145000000", "MD1", "ST012.50", "AT0"]
START_WORDS = ["kestrel", "4", "point", "0", "1", "4", "5", "point", "0", "shdel", "fm",
               "shdel", "attoff"]
TRACE_HEADER = re.compile(r"KESTREL 4\.0c  (\d\d-\d\d-\d{4})   \d\d:\d\d:\d\d")
OLD_TRACE = "an old trace line\r\n"


def commands_before_first_poll(sent):
    return sent[:sent.index("LM")] if "LM" in sent else sent


def field_text(prints, y, colour):
    """What a line of the screen reads: the texts printed on it in that colour, joined."""
    return "".join(p.text for p in prints if p.y == y and p.colour == colour)


class StartUp(e2e.XvfbTestCase):
    def test_start_up_brings_the_receiver_into_a_known_state_and_close_ends_it(self):
        today = datetime.date.today()
        with PanelSession(self.x, debug=True, files={"debug1.dat": OLD_TRACE}) as panel:
            panel.wait_ready()
            sent = panel.sent()
            self.assertEqual(commands_before_first_poll(sent), START_COMMANDS)
            self.assertIn("PORT OPENED", panel.sim_events())
            self.assertIn("SETTINGS 9600 8N2", panel.sim_events())

            words = panel.sounds(pauses=True)
            self.assertEqual(words[:len(START_WORDS) + 1], START_WORDS + ["connected"])
            for sound in panel.sound_events():
                self.assertTrue(sound.path.startswith("wave\\"), sound)
                self.assertNotEqual(sound.file, "-", sound)
            # "connected" comes with the first answer read, after the first level request.
            journal = panel.journal()
            first_answer = next(e.ms for e in journal if e.kind == "IN")
            first_poll = next(e.ms for e in journal if e.kind == "OUT" and e.fields == ["LM\r"])
            connected = panel.wait_sound("connected").ms
            self.assertGreater(connected, first_answer)
            self.assertGreater(connected, first_poll)
            self.assertEqual(words.count("connected"), 1)

            self.assert_start_screen(panel.prints())
            self.assert_start_trace(panel.trace(), today)

            panel.wait_idle_polling()
            panel.close()
            self.assertEqual(panel.exit_code(), 0)
            self.assertEqual(panel.sent()[-1], "EX")
            self.assertEqual(panel.sim_events()[-1], "PORT CLOSED")
            self.assertNotIn("TX= EX", panel.trace())
            self.assertEqual(panel.journal()[-1].kind, "CLOSE")

    def assert_start_screen(self, prints):
        title = prints[0]
        self.assertEqual((title.x, title.y, title.text), (270, 0, "*** Kestrel V 4.0c ***"))
        frequency = [p for p in prints if p.y == 150 and p.colour == BLUE]
        self.assertEqual((frequency[0].x, frequency[0].text), (300, "145.0"))
        self.assertEqual((frequency[0].face, frequency[0].points, frequency[0].weight),
                         ("Ariel", 50, 700))
        self.assertEqual(field_text(prints, 150, BLUE).rstrip(), "145.0000")
        mode = [p for p in prints if (p.x, p.y) == (380, 80)]
        self.assertEqual([(p.text, p.points, p.colour) for p in mode], [("FM      ", 50, BLACK)])
        settings = {p.x: p for p in prints if p.y == 250}
        self.assertEqual({x: settings[x].text.rstrip() for x in settings},
                         {80: "145", 300: "12.5", 500: "CONT", 750: "146"})
        for p in settings.values():
            self.assertEqual((p.face, p.points, p.weight, p.colour), ("Ariel", 30, 700, BLACK))

    def assert_start_trace(self, trace, today):
        header = TRACE_HEADER.fullmatch(trace[0])
        self.assertIsNotNone(header, trace[0])
        # Around midnight the trace may be a day older than the test's start.
        self.assertIn(header.group(1), {d.strftime("%d-%m-%Y") for d in
                                        (today, today + datetime.timedelta(days=1))})
        self.assertEqual(trace[1:5], ["TX= " + c for c in START_COMMANDS])
        self.assertNotIn(OLD_TRACE.strip(), trace)
        self.assertIn("RX= LM", [line[:6] for line in trace])

    def test_without_a_configuration_it_says_so_and_ends_without_touching_a_port(self):
        with PanelSession(self.x, config_file=False, start=False) as panel:
            panel.start_panel(wait_window=False)
            self.assertEqual(panel.exit_code(), 0)
            lines = {(p.x, p.y): p.text for p in panel.prints()}
            self.assertEqual(lines[(0, 30)], "--- KESTREL.CFG file not found ---")
            self.assertEqual(lines[(0, 60)], "please run the 'PANELSET' program")
            self.assertEqual(panel.sounds(pauses=True), ["cfnf"])
            self.assertNotEqual(panel.sound_events()[0].file, "-")
            self.assertEqual([e.kind for e in panel.journal() if e.kind in ("OUT", "IN")], [])
            self.assertEqual(panel.journal()[-1].kind, "CLOSE")
            self.assertEqual(panel.stop_simulator(), 0)
            self.assertEqual(panel.sent(), [])
            self.assertNotIn("PORT OPENED", panel.sim_events())
            self.assertIsNone(panel.read_file("debug1.dat"))

    def test_with_speech_off_only_the_pauses_play_and_an_old_trace_stays(self):
        with PanelSession(self.x, voice=False, files={"debug1.dat": OLD_TRACE}) as panel:
            panel.wait_ready()
            self.assertEqual(commands_before_first_poll(panel.sent()), START_COMMANDS)
            sounds = panel.sound_events()
            self.assertEqual([s.word for s in sounds][:len(START_WORDS) + 1],
                             START_WORDS + ["connected"])
            for sound in sounds:
                if sound.word == "shdel":
                    self.assertEqual(sound.path, "wave\\shdel")
                    self.assertNotEqual(sound.file, "-")
                else:
                    self.assertNotIn("\\", sound.path)
                    self.assertEqual(sound.file, "-", sound)
            panel.close()
            self.assertEqual(panel.exit_code(), 0)
            self.assertEqual(panel.read_file("debug1.dat"), OLD_TRACE)

    def test_a_port_with_no_receiver_behind_it_still_runs_and_closes(self):
        for ending in ("close box", "SIGTERM"):
            with self.subTest(ending=ending), PanelSession(
                    self.x, port=5, simulator=False, debug=True, voice_set="short") as panel:
                mode_field = panel.wait_journal(r"^PRINT\t380\t80\t.*\tFM      $", timeout=30)
                self.assertIsNotNone(mode_field, "start-up did not finish")
                # The poll runs with nothing to answer: its requests only reach the trace.
                self.assertTrue(e2e.wait_for(
                    lambda: (panel.trace() or []).count("TX= LM") >= 2, timeout=10))
                self.assertTrue(panel.running())
                panel.close() if ending == "close box" else panel.terminate()
                self.assertEqual(panel.exit_code(), 0)
                kinds = [e.kind for e in panel.journal()]
                self.assertNotIn("OUT", kinds)
                self.assertNotIn("IN", kinds)
                self.assertEqual(kinds[-1], "CLOSE")
                self.assertNotIn("connected", panel.sounds())
                # The trace says why the port did not open, and still shows what would
                # have been sent.
                self.assertEqual(panel.trace()[1], "Port COM5 not opened: ./COM5: no such device")
                self.assertEqual(panel.trace()[2:6], ["TX= " + c for c in START_COMMANDS])


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
