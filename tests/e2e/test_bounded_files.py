"""Files that would cost the panel its time or its memory: a compressed word file whose
bytes hide many minutes of sound, a hit log ending in a torn line, and a hit log of 64 GiB
(sparse) that is put aside under its date."""

import csv
import io
import os
import re
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402
from panel_session import PanelSession  # noqa: E402
from test_operator import HEADER  # noqa: E402

# Always on, inside the search's 145..146 MHz: every search halts there.
SIGNAL = "145.2500 120 0 -\n"
WHOLE_LINE = "2026-12-07T14:30:07.250,2026-12-07T14:30:09.750,2.5,145.25,FM,120,S9+,1,search,"
TORN_LINE = "2026-12-07T14:31:07.250,2026-12-07T14:31:09.750,2.5,145.25,FM,120,S9+,2,sea"
SPARSE_BYTES = 64 << 30


def ima_adpcm_wav(blocks=100, rate=4000):
    """Silence in IMA-ADPCM: 512-byte blocks of 1017 four-bit samples each, 51 KB that
    decode to 25 s at 4 kHz."""
    samples_per_block, block_bytes = 1017, 512
    fmt = struct.pack("<HHIIHHHH", 0x11, 1, rate, rate * block_bytes // samples_per_block,
                      block_bytes, 4, 2, samples_per_block)
    fact = struct.pack("<I", blocks * samples_per_block)
    data = bytes(blocks * block_bytes)
    chunks = (b"fmt " + struct.pack("<I", len(fmt)) + fmt +
              b"fact" + struct.pack("<I", len(fact)) + fact +
              b"data" + struct.pack("<I", len(data)) + data)
    return b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks


def csv_rows(panel):
    """The rows of hits.csv; none while it is still the huge one."""
    path = panel.path("hits.csv")
    if not os.path.exists(path) or os.path.getsize(path) > 1 << 20:
        return []
    return list(csv.reader(io.StringIO(panel.read_file("hits.csv"), newline="")))


class BoundedFiles(e2e.XvfbTestCase):
    def halt_and_end_search(self, panel):
        """Starts a search, waits for its halt on the signal and ends it with Enter."""
        asked = panel.sent().count("RX")
        panel.keys("r")
        self.assertTrue(panel.wait_sent("RX", count=asked + 1, timeout=30), "no halt")
        panel.keys("Return")

    def test_compressed_words_torn_and_huge_hit_logs(self):
        torn = "\r\n".join([",".join(HEADER), WHOLE_LINE, TORN_LINE])
        with PanelSession(self.x, voice_set="short", debug=True, scenario=SIGNAL,
                          files={"hits.csv": torn}, start=False) as panel:
            with open(panel.path("wave/fm.wav"), "wb") as word:
                word.write(ima_adpcm_wav())
            panel.start_panel()
            panel.wait_ready()

            # The compressed word is refused at once, as an over-long one is.
            asked = panel.journal()[-1].ms + 1
            panel.keys("f")
            said = panel.wait_sound("fm", since=asked, timeout=30)
            self.assertIsNotNone(said, panel.sounds(since=asked))
            self.assertEqual(said.fields[2], "-", "the compressed word was played")
            self.assertIn("sound refused: wave/fm.wav: not PCM (format 17)", panel.trace())

            # After a torn last line the new record starts a line of its own; the torn
            # line is not a halt.
            panel.keys("c")
            self.halt_and_end_search(panel)
            self.assertTrue(e2e.wait_for(lambda: len(csv_rows(panel)) == 4, timeout=30),
                            panel.read_file("hits.csv"))
            rows = csv_rows(panel)
            self.assertEqual(rows[:3], [HEADER, WHOLE_LINE.split(","), TORN_LINE.split(",")])
            self.assertEqual(len(rows[3]), len(HEADER), rows[3])
            self.assertEqual(dict(zip(HEADER, rows[3]))["hits"], "2")

            # A log past 50 MB is put aside under its date, and a new one begun.
            with open(panel.path("hits.csv"), "r+b") as log:
                log.truncate(SPARSE_BYTES)
            self.halt_and_end_search(panel)
            self.assertTrue(e2e.wait_for(lambda: len(csv_rows(panel)) == 2, timeout=30),
                            "no new hits.csv")
            rows = csv_rows(panel)
            self.assertEqual(rows[0], HEADER)
            self.assertEqual(dict(zip(HEADER, rows[1]))["hits"], "1")
            aside = [name for name in os.listdir(panel.folder)
                     if re.fullmatch(r"hits-\d{8}\.csv", name)]
            self.assertEqual(len(aside), 1, os.listdir(panel.folder))
            self.assertEqual(os.path.getsize(panel.path(aside[0])), SPARSE_BYTES)
            self.assertIn("145.25", panel.file_lines("bank00.dat"))
            panel.close()
            self.assertEqual(panel.exit_code(), 0, panel.panel.errors())


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
