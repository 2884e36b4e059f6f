"""The panel with files that are not what they should be: a bank too long for its end
marker, a bank of binary garbage, banks that cannot be written (a read-only file, a
read-only folder, a full disk) and a configuration of binary garbage."""

import contextlib
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402
import panel_session  # noqa: E402
from fault_checks import FaultChecks, at_rest, bank_bytes, bank_lines  # noqa: E402
from panel_session import PanelSession  # noqa: E402

TEXT_LIMIT = 254  # characters a line keeps when it is read
CONFIG_SEED = 4
PAGE_PAIR = 8192 - 2  # a bank of this size fits two pages; adding 145.0 needs a third
TWO_ENTRIES = [("145.5", " "), ("146.0", "repeater")]


def run_command(panel, text, last_word, timeout=30):
    """Types a command (keys, then Enter) and waits for its last word; returns the words
    it said."""
    since = panel.journal()[-1].ms + 1
    panel.type_text(text)
    if panel.wait_sound(last_word, since=since, timeout=timeout) is None:
        raise AssertionError(f"no {last_word!r} after {text!r}: {panel.sounds(since=since)}")
    return panel.sounds(since=since)


def vfo_command(frequency):
    """What tuning a three-digit MHz text with a point sends: "VA" with four MHz digits."""
    return "VA0" + frequency + "0" * (9 - len(frequency))


def text_lines(data):
    """The lines of bytes as the panel reads them: CR, LF or CR LF end a line, each keeps at
    most 254 characters."""
    text = data.decode("latin-1").replace("\r\n", "\n").replace("\r", "\n")
    lines = text.split("\n")
    if lines[-1] == "":
        lines.pop()
    return [line[:TEXT_LIMIT] for line in lines]


def is_frequency(line):
    """A frequency line the receiver may be sent: digits with at most one point, at most
    ten digits before it."""
    return (re.fullmatch(r"[0-9]{0,10}(\.[0-9]*)?", line) is not None and
            re.search("[0-9]", line) is not None)


def mount(*arguments):
    """Runs mount; the reason it failed, or "" when it worked."""
    done = subprocess.run(["mount", *arguments], capture_output=True, text=True)
    return "" if done.returncode == 0 else (done.stderr.strip() or "mount failed")


def unmount(folder):
    subprocess.run(["umount", "-l", folder], capture_output=True)


class BankFileFaults(FaultChecks):
    def assert_unchanged(self, panel, name, original):
        with open(panel.path(name), "rb") as bank:
            self.assertEqual(bank.read(), original, name + " was changed")
        self.assert_no_temporary_files(panel.folder)

    def test_a_bank_of_400_lines_without_end_marker_loses_nothing(self):
        shuffle = random.Random(400)
        frequencies = ["%d.%04d" % (430 + i // 20, (i % 20) * 125) for i in range(198)]
        shuffle.shuffle(frequencies)
        entries = [(f, "ch%03d" % i) for i, f in enumerate(frequencies)]
        lines = bank_lines(entries, name="bank07")[:-1]  # 400 lines, no end marker
        self.assertEqual(len(lines), 400)
        original = bank_bytes(lines)
        with PanelSession(self.x, voice_set="short", files={"bank07.dat": original}) as panel:
            at_rest(panel)
            words = run_command(panel, "b07\n", "sel")
            self.assertNotIn("bnf", words)
            self.assertTrue(panel.wait_sent(vfo_command(frequencies[0])))
            # Down from the first entry goes to the last one, on line 398.
            panel.keys("Down")
            self.assertTrue(panel.wait_sent(vfo_command(frequencies[-1])), panel.sent()[-5:])

            # No end marker where a merge looks for it: "n", and the file stays as it was.
            self.assertEqual(run_command(panel, "p07\n", "n")[-1], "n")
            self.assert_unchanged(panel, "bank07.dat", original)

            run_command(panel, "o07\n", "ok")
            ordered = sorted(entries, key=lambda entry: float(entry[0]))
            self.assertEqual(panel.file_lines("bank07.dat"), bank_lines(ordered, name="bank07"))

            run_command(panel, "b07\n", "sel")
            run_command(panel, "k\n", "ok")
            self.assertEqual(panel.file_lines("bank07.dat"),
                             bank_lines(ordered[1:], name="bank07"))
            self.assert_no_temporary_files(panel.folder)
            self.assert_closes_in_order(panel)

    def test_a_bank_of_binary_garbage_is_browsed_and_sorted_without_harm(self):
        noise = random.Random(8600)
        garbage = bytes(noise.randrange(256) for _ in range(3000))
        read = text_lines(garbage)
        self.assertNotIn("9999", read)
        # An entry is tuned only when its frequency line is a frequency; a bank without one
        # is refused.
        tunable = any(is_frequency(line) for line in read[4::2])
        with PanelSession(self.x, voice_set="short", files={"bank08.dat": garbage}) as panel:
            at_rest(panel)
            self.assertNotIn("bnf", run_command(panel, "b08\n", "sel" if tunable else "inv"))
            panel.keys("Up", "Up", "Down", "Down", "Down")
            self.assert_clean_commands(panel)
            run_command(panel, "o08\n", "ok")
            saved = panel.file_lines("bank08.dat")
            self.assertEqual(saved[:4], (read + [""] * 4)[:4])
            self.assertEqual(saved[-1], "9999")
            self.assertEqual(len(saved) % 2, 1)  # header, whole entries, the end marker
            pairs = list(zip(saved[4:-1:2], saved[5:-1:2]))
            loaded = list(zip(read[4::2], (read[5::2] + [""])))
            # The sort moves entries and drops repeats of the same text; it never makes up
            # or loses a different one.
            self.assertEqual(set(pairs), set(loaded))
            self.assert_no_temporary_files(panel.folder)
            self.assert_not_spinning(panel, seconds=1.0)
            self.assert_closes_in_order(panel)

    def test_a_bank_of_control_bytes_and_non_frequencies_sends_only_clean_commands(self):
        entries = [("145.5", "la\x00bel\xff\x1b[2J"), ("\x01\x02garbage", "x"),
                   ("12345678901.5", "y"), ("1.2.3", "z"), ("146.0", "ok\x07")]
        with PanelSession(self.x, voice_set="short",
                          files={"bank05.dat": bank_bytes(bank_lines(entries))}) as panel:
            at_rest(panel)
            run_command(panel, "b05\n", "sel")
            browsed = panel.journal()[-1].ms + 1
            panel.keys("Up", "Up", "Down")
            self.assertTrue(panel.wait_sent(vfo_command("146.0"), count=2), panel.sent())
            self.assertEqual(panel.sounds(since=browsed), ["beep"])  # back at the first
            self.assertEqual(run_command(panel, "w05a\n", "ok").count("inv"), 1)
            # A FIFO under a bank's name is refused at once; nothing waits on it.
            os.mkfifo(panel.path("bank13.dat"))
            run_command(panel, "b13\n", "bnf")

            sent = panel.sent()
            self.assertEqual([c for c in sent if c.startswith("VA")][1:],  # after start-up's
                             [vfo_command(f) for f in ("145.5", "146.0", "145.5", "146.0")])
            self.assertEqual([c for c in sent if c.startswith("MX")],
                             ["MXA00 RF0145500000 ST012500 MD1 TMla bel  [2J ",
                              "MXA04 RF0146000000 ST012500 MD1 TMok" + " " * 10])
            self.assert_clean_commands(panel)
            self.assert_closes_in_order(panel)

    def assert_clean_commands(self, panel):
        """Every command the receiver got is printable ASCII (the resume byte aside)."""
        dirty = [c for c in panel.sent() if c != "\x1e" and
                 any(not " " <= ch <= "~" for ch in c)]
        self.assertEqual(dirty, [])

    def assert_saves_change_nothing(self, panel, number, original):
        """Put, sort and kill on a bank that cannot be written: each says "failed", never
        "ok", and the file keeps every byte."""
        name = "bank%s.dat" % number
        self.assertNotIn("ok", run_command(panel, "p%s\n" % number, "failed"))
        self.assert_unchanged(panel, name, original)
        self.assertNotIn("ok", run_command(panel, "o%s\n" % number, "failed"))
        self.assert_unchanged(panel, name, original)
        run_command(panel, "b%s\n" % number, "sel")
        self.assertNotIn("ok", run_command(panel, "k\n", "failed"))
        self.assert_unchanged(panel, name, original)

    def test_read_only_bank_files_stay_whole(self):
        # bank05.dat is marked read-only (no write permission, which root would override
        # when writing into it); bank06.dat is made immutable, which stops root too.
        original = bank_bytes(bank_lines(TWO_ENTRIES))
        immutable = bank_bytes(bank_lines(TWO_ENTRIES, name="bank06"))
        with PanelSession(self.x, voice_set="short",
                          files={"bank05.dat": original, "bank06.dat": immutable}) as panel:
            os.chmod(panel.path("bank05.dat"), 0o444)
            banks = [("05", original)]
            done = subprocess.run(["chattr", "+i", panel.path("bank06.dat")],
                                  capture_output=True, text=True)
            if done.returncode == 0:
                self.addCleanup(subprocess.run, ["chattr", "-i", panel.path("bank06.dat")],
                                capture_output=True)
                banks.append(("06", immutable))
            else:
                print("  no immutable bank: chattr +i failed:", done.stderr.strip(),
                      file=sys.stderr)
            at_rest(panel)
            for number, content in banks:
                with self.subTest(bank=number):
                    self.assert_saves_change_nothing(panel, number, content)
            self.assert_closes_in_order(panel)

    def test_a_read_only_folder_keeps_its_banks(self):
        original = bank_bytes(bank_lines(TWO_ENTRIES))
        outside = tempfile.mkdtemp(prefix="kestrel-e2e-journal-")
        self.addCleanup(shutil.rmtree, outside, ignore_errors=True)
        with PanelSession(self.x, voice_set="short", files={"bank05.dat": original},
                          start=False) as panel:
            # The journal is written beside the folder, which the panel cannot write.
            os.symlink(os.path.join(outside, "journal.txt"),
                       panel.path(panel_session.JOURNAL_NAME))
            failed = mount("--bind", panel.folder, panel.folder)
            if failed:
                self.skipTest("no bind mount possible here: " + failed)
            try:
                failed = mount("-o", "remount,bind,ro", panel.folder)
                if failed:
                    self.skipTest("no read-only remount possible here: " + failed)
                panel.start_panel()
                at_rest(panel)
                self.assert_saves_change_nothing(panel, "05", original)
                # A bank that is not there cannot be created either; nothing is left behind.
                self.assertNotIn("ok", run_command(panel, "p06\n", "failed"))
                self.assertFalse(os.path.exists(panel.path("bank06.dat")))
                # Nor can a bank be deleted; one that is not there is gone all the same.
                self.assertNotIn("ok", run_command(panel, "d05\n", "failed"))
                self.assert_unchanged(panel, "bank05.dat", original)
                self.assertEqual(run_command(panel, "d09\n", "ok")[-1], "ok")
                self.assert_no_temporary_files(panel.folder)
                self.assert_closes_in_order(panel)
            finally:
                unmount(panel.folder)

    def test_a_full_disk_leaves_the_old_bank_whole(self):
        original = bank_bytes(bank_lines(page_filling_entries()))
        outside = tempfile.mkdtemp(prefix="kestrel-e2e-disk-")
        self.addCleanup(shutil.rmtree, outside, ignore_errors=True)
        disk = os.path.join(outside, "disk")
        os.mkdir(disk)
        failed = mount("-t", "tmpfs", "-o", "size=1m", "tmpfs", disk)
        if failed:
            self.skipTest("no tmpfs can be mounted here: " + failed)
        self.addCleanup(unmount, disk)
        # The journal and the simulator's log stay off the small disk, so they go on.
        for name in (panel_session.JOURNAL_NAME, panel_session.SIM_LOG_NAME):
            os.symlink(os.path.join(outside, name), os.path.join(disk, name))
        with PanelSession(self.x, voice_set="short", files={"bank05.dat": original},
                          folder=disk) as panel:
            at_rest(panel)
            fill_up(disk)
            # The bank grows past the pages it holds: written in place, it would be cut.
            self.assertNotIn("ok", run_command(panel, "p05\n", "failed"))
            self.assert_unchanged(panel, "bank05.dat", original)
            self.assertNotIn("ok", run_command(panel, "o05\n", "failed"))
            self.assert_unchanged(panel, "bank05.dat", original)
            self.assert_closes_in_order(panel)


def page_filling_entries():
    """Sorted entries whose bank file is a few bytes short of two 4 KiB pages, so that one
    more entry needs a third."""
    entries = [("146.%04d" % (i * 50), "label %02d " % i + "x" * 90) for i in range(90)]
    while len(bank_bytes(bank_lines(entries))) > PAGE_PAIR:
        entries.pop()
    frequency, label = entries[-1]
    entries[-1] = (frequency, label + "y" * (PAGE_PAIR - len(bank_bytes(bank_lines(entries)))))
    return entries


def fill_up(folder):
    """Writes a file until the disk under folder has no room left."""
    filler = os.open(os.path.join(folder, "filler"), os.O_WRONLY | os.O_CREAT, 0o644)
    try:
        with contextlib.suppress(OSError):
            while os.write(filler, b"\0" * 4096) > 0:
                pass
    finally:
        os.close(filler)


class ConfigurationFaults(FaultChecks):
    def test_a_configuration_of_binary_garbage_is_read_by_position(self):
        noise = random.Random(CONFIG_SEED)
        garbage = bytes(noise.randrange(256) for _ in range(700))
        lines = (text_lines(garbage) + [""] * 5)[:5]
        port_text, voice_char, debug_char = lines[0][4:], lines[3][6:7], lines[4][6:7]
        port = int(port_text[-1]) if port_text[-1:].isdigit() else 0
        voice_on = voice_char.isdigit() and voice_char != "0"
        debug_on = debug_char == "1"
        with PanelSession(self.x, voice_set="short", config_file=False,
                          files={"KESTREL.CFG": garbage}, start=False) as panel:
            if port not in (0, 1):
                # Never a real serial device: the configured port leads nowhere.
                os.symlink("no-receiver-here", panel.path("COM%d" % port))
            panel.start_panel()
            folder = "wave\\" if voice_on else ""
            self.assertIsNotNone(panel.wait_sound("attoff"), panel.sounds())
            said = [s.path for s in panel.sound_events() if s.word != "shdel"]
            self.assertEqual(said[:4], [folder + w for w in ("kestrel", "4", "point", "0")])
            self.assertEqual(os.path.exists(panel.path("debug1.dat")), debug_on)
            if port == 1:
                at_rest(panel)
                self.assert_closes_in_order(panel)
                return
            # No receiver behind the port: the first key ends the panel with "rnc".
            pressed = panel.journal()[-1].ms + 1
            panel.keys("5")
            self.assertEqual(panel.exit_code(), 0, panel.panel.errors())
            self.assertEqual([s.path for s in panel.sound_events() if s.ms >= pressed],
                             [folder + "rnc"])
            self.assertNotIn("PORT OPENED", panel.sim_events())
            self.assertEqual(panel.journal()[-1].kind, "CLOSE")


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
