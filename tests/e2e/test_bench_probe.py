"""bench/probe-hostile places the stations of its long search where that search can halt:
on the search's own steps between its limits, however many stations it places."""

import importlib.machinery
import importlib.util
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrel_e2e as e2e  # noqa: E402

PROBE = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))), "bench", "probe-hostile")


def load_probe():
    loader = importlib.machinery.SourceFileLoader("probe_hostile", PROBE)
    spec = importlib.util.spec_from_loader("probe_hostile", loader)
    module = importlib.util.module_from_spec(spec)
    loader.exec_module(module)
    return module


class ProbeStations(unittest.TestCase):
    def test_every_station_stands_on_a_step_between_the_search_limits(self):
        probe = load_probe()
        for count in (1, 14, 72, 73, 77, 99, 200):
            frequencies = probe.station_frequencies(count)
            self.assertEqual(len(frequencies), count)
            for text in frequencies:
                steps = (float(text) - probe.SEARCH_START_MHZ) / probe.SEARCH_STEP_MHZ
                self.assertAlmostEqual(steps, round(steps), places=6, msg=text)
                self.assertTrue(probe.FIRST_STATION_MHZ <= float(text) <=
                                probe.SEARCH_END_MHZ, text)
            self.assertEqual(len(set(frequencies)), min(count, 77), count)


if __name__ == "__main__":
    sys.exit(e2e.run_tests())
