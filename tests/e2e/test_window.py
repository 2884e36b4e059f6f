"""The panel window under a private X server: where it opens, the keys, ticks and close
requests its handler receives, and what it shows."""

import os
import signal
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402

CAPTION = "*** AR8600 Kestrel Front Panel v4.0c***"
KEY_DOWN, KEY_UP, TICK, CLOSE = 256, 257, 275, 32770
SYSTEM_DOWN, SYSTEM_UP = 260, 261


def events(lines):
    """The (ms, message, code) events of panel-look --events output."""
    found = []
    for line in lines:
        fields = line.split("\t")
        if len(fields) == 3 and all(f.lstrip("-").isdigit() for f in fields):
            found.append(tuple(int(f) for f in fields))
    return found


def marks(lines, name):
    return [int(line.split("\t")[1]) for line in lines if line.startswith(name + "\t")]


class PanelWindow(e2e.XvfbTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.program_path = os.path.join(e2e.BUILD_DIR, "tools", "panel-look", "panel-look")

    def start(self, *arguments):
        program = e2e.Program([self.program_path, *arguments], env=self.x.environment())
        self.addCleanup(program.stop)
        self.assertTrue(program.wait_for_line(lambda line: line == "drawn"), "panel-look drew nothing")
        window = e2e.wait_for(lambda: e2e.find_window(CAPTION, self.x.display))
        self.assertIsNotNone(window, "no window named " + CAPTION)
        return program, window

    def assert_closes_on(self, program, request):
        request()
        self.assertEqual(program.wait(10), 0)
        self.assertIn(CLOSE, [message for _, message, _ in events(program.output())])

    def test_window_opens_at_its_place_with_its_client_size(self):
        program, window = self.start("--events")
        self.assertEqual(e2e.window_geometry(window, self.x.display), (250, 100, 950, 500))
        program.signal(signal.SIGTERM)
        self.assertEqual(program.wait(10), 0)

    def test_keys_arrive_as_key_down_then_key_up_with_their_codes(self):
        program, _ = self.start("--events")
        # Xvfb starts with NumLock off: keypad 1 (keycode 87) is End until NumLock is pressed.
        e2e.press_keys("a", "shift+b", "5", "F6", "87", "Num_Lock", "87", "KP_Enter", "period",
                       "Delete", "Prior", "alt+Tab", "F10", display=self.x.display)
        expected = [(KEY_DOWN, 65), (KEY_UP, 65),
                    (KEY_DOWN, 16), (KEY_DOWN, 66), (KEY_UP, 16), (KEY_UP, 66),
                    (KEY_DOWN, 53), (KEY_UP, 53), (KEY_DOWN, 117), (KEY_UP, 117),
                    (KEY_DOWN, 35), (KEY_UP, 35), (KEY_DOWN, 144), (KEY_UP, 144),
                    (KEY_DOWN, 97), (KEY_UP, 97), (KEY_DOWN, 13), (KEY_UP, 13),
                    (KEY_DOWN, 190), (KEY_UP, 190), (KEY_DOWN, 46), (KEY_UP, 46),
                    (KEY_DOWN, 33), (KEY_UP, 33),
                    (SYSTEM_DOWN, 18), (SYSTEM_DOWN, 9), (SYSTEM_UP, 18), (KEY_UP, 9),
                    (SYSTEM_DOWN, 121), (SYSTEM_UP, 121)]

        def keys():
            return [(m, c) for _, m, c in events(program.output())
                    if m in (KEY_DOWN, KEY_UP, SYSTEM_DOWN, SYSTEM_UP)]
        e2e.wait_for(lambda: len(keys()) >= len(expected), timeout=10)
        self.assertEqual(keys(), expected)

    def test_ticks_come_every_100_ms_and_at_most_one_waits(self):
        program, _ = self.start("--events", "--stall", "1000", "--exit-after", "3500")
        self.assertEqual(program.wait(20), 0)
        lines = program.output()
        ticks = [ms for ms, message, code in events(lines) if message == TICK and code == 1]
        stall_end = marks(lines, "stall-end")[0]
        before = [t for t in ticks if t <= marks(lines, "stall-begin")[0]]
        after = [t for t in ticks if t >= stall_end]
        gaps = [b - a for a, b in zip(before, before[1:])]
        self.assertGreaterEqual(len(gaps), 3)
        self.assertAlmostEqual(sum(gaps) / len(gaps), 100, delta=15)
        # The ten ticks missed while the handler slept are not delivered: one was waiting,
        # and the next comes on the timer's own beat.
        self.assertLessEqual(after[0] - stall_end, 30)
        self.assertLessEqual(len([t for t in after if t < stall_end + 95]), 2)
        later = [b - a for a, b in zip(after[1:], after[2:])]
        self.assertAlmostEqual(sum(later) / len(later), 100, delta=15)

    def test_the_close_box_asks_the_program_to_close(self):
        program, window = self.start("--events")
        self.assert_closes_on(program, lambda: e2e.send_close(window, self.x.display))

    def test_sigterm_and_sigint_ask_the_program_to_close(self):
        for number in (signal.SIGTERM, signal.SIGINT):
            program, _ = self.start("--events")
            self.assert_closes_on(program, lambda: program.signal(number))

    def test_the_panel_shows_its_lines_in_their_colours(self):
        self.start()
        path = os.path.join(tempfile.mkdtemp(prefix="kestrel-panel-"), "panel.png")
        e2e.take_screenshot(path, self.x.display)
        print("screenshot:", path)
        image = e2e.Image(path)

        def count(colour, x, y, width, height):
            # Boxes are given in client coordinates; the client area starts at (250, 100).
            return image.count(colour, 250 + x, 100 + y, 250 + x + width, 100 + y + height)
        blue, red, green, white = (0, 0, 255), (255, 0, 0), (0, 255, 0), (255, 255, 255)
        self.assertGreater(count(blue, 300, 150, 300, 70), 1000, "blue frequency at (300, 150)")
        self.assertGreater(count(red, 270, 320, 450, 45), 500, "red status line at (270, 320)")
        self.assertGreater(count(green, 320, 30, 200, 40), 200, "green level bar at (320, 30)")
        self.assertEqual(count(blue, 270, 320, 450, 45), 0)
        self.assertEqual(count(white, 0, 460, 950, 40), 950 * 40, "white background")

    def test_the_panel_comes_back_after_being_covered(self):
        program, _ = self.start("--events")
        cover = e2e.Program([self.program_path, "--scene", "missing"], env=self.x.environment())
        self.addCleanup(cover.stop)
        self.assertTrue(cover.wait_for_line(lambda line: line == "drawn"))
        path = os.path.join(tempfile.mkdtemp(prefix="kestrel-panel-"), "covered.png")
        blue_frequency = (250 + 300, 100 + 150, 250 + 600, 100 + 220)
        self.assertEqual(e2e.Image(e2e.take_screenshot(path, self.x.display)).count(
            (0, 0, 255), *blue_frequency), 0)
        cover.signal(signal.SIGTERM)
        self.assertEqual(cover.wait(10), 0)

        def blue_shown():
            image = e2e.Image(e2e.take_screenshot(path, self.x.display))
            return image.count((0, 0, 255), *blue_frequency) > 1000
        self.assertTrue(e2e.wait_for(blue_shown, timeout=5, interval=0.2))
        self.assertIsNone(program.process.poll())


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
