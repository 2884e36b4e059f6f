"""Keys answered at once: a key that finds the panel at rest is served without waiting for
the timer to come round, yet the wire, the words and the texts are those of the timer's
beat. The same keys, typed at random moments of the level poll, are sent to a panel on the
fixed beat (KESTREL_TICKS=fixed) and to one answering at once; both must say, send and
draw the same things in the same order once repeated idle polls count as one."""

import os
import random
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402
from panel_session import PanelSession  # noqa: E402

LEVEL_REQUEST = "LM\r"
LEVEL_BAR = (320, 30)
# Digits and Enter tune (VA, ST), F reads the frequency out, A toggles the attenuator (AT),
# M reads the level, F3 sets a mode (MD), Page Up steps (VA).
SCRIPT = ["1", "4", "5", "period", "5", "Return", "f", "a", "m", "F3", "Prior", "a", "f"]


def happenings(panel):
    """What the panel did after its first key, in order: commands on the wire, words and
    texts. A level request followed at once by its bar is one poll; polls in a row count
    as one, since how many come between two keys is a matter of time. Ends with the last
    whole poll."""
    journal = panel.journal()
    first_key = next(e.ms for e in journal if e.kind == "KEY" and e.fields[0] == "down")
    items = []
    for entry in journal:
        if entry.kind == "OUT":
            items.append(("OUT", entry.fields[0]))
        elif entry.kind == "SOUND" and entry.fields[0] != "stop":
            items.append(("SAY", entry.fields[1], entry.ms))
        elif entry.kind == "PRINT":
            x, y = int(entry.fields[0]), int(entry.fields[1])
            items.append(("PRINT", x, y, entry.fields[5], entry.fields[6]))
    # Folds each level request with its bar into one poll.
    folded = []
    for item in items:
        if (item[0] == "PRINT" and item[1:3] == LEVEL_BAR and folded and
                folded[-1] == ("OUT", LEVEL_REQUEST)):
            folded[-1] = ("POLL", item[4])
        else:
            folded.append(item)
    collapsed = []
    for item in folded:
        if not (item[0] == "POLL" and collapsed and collapsed[-1] == item):
            collapsed.append(item)
    # From the first key's word (the journal notes a word once played) to the last poll.
    start = next(i for i, item in enumerate(collapsed)
                 if item[0] == "SAY" and item[2] >= first_key)
    end = max(i for i, item in enumerate(collapsed) if item[0] == "POLL")
    return [item[:2] if item[0] == "SAY" else item for item in collapsed[start:end + 1]]


class KeyTiming(e2e.XvfbTestCase):
    def run_script(self, ticks, seed):
        """Types the script, each key once the panel is polling at rest again and after a
        random wait of up to a whole poll, and returns what the panel did."""
        saved = os.environ.get("KESTREL_TICKS")
        os.environ["KESTREL_TICKS"] = ticks
        try:
            with PanelSession(self.x, voice_set="short") as panel:
                panel.wait_ready()
                jitter = random.Random(seed)
                for key in SCRIPT:
                    time.sleep(jitter.uniform(0.0, 0.35))
                    panel.keys(key, gap=0)
                    panel.wait_idle_polling(polls=2)
                # The poll after the last key's words has drawn its bar once a third has
                # gone out.
                panel.wait_idle_polling(polls=3)
                done = happenings(panel)
                panel.close()
                self.assertEqual(panel.exit_code(), 0)
                return done
        finally:
            if saved is None:
                os.environ.pop("KESTREL_TICKS", None)
            else:
                os.environ["KESTREL_TICKS"] = saved

    def test_keys_answered_at_once_keep_the_wire_words_and_texts_of_the_fixed_beat(self):
        seed = random.randrange(1 << 30)
        print("seed:", seed)
        fixed = self.run_script("fixed", seed)
        prompt = self.run_script("prompt", seed)
        words = [item[1] for item in prompt if item[0] == "SAY"]
        self.assertIn("wave\\point", words, "the keys were answered")
        self.assertIn(("OUT", "AT1\r"), prompt)
        self.maxDiff = None
        self.assertEqual(prompt, fixed)


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
