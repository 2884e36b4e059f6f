#!/usr/bin/env python3
"""Measures the real panel against the receiver simulator: how long it takes to show its
window and to put the first command on the wire, its resident memory after start-up, the
delay from a key-down to the first word spoken for it, the level-poll period while idle and
the CPU it uses while idle. A measurement, not a test: it prints numbers and judges nothing.

    bench/measure_panel.py --build-dir build [--seconds 10] [--keys 6]
"""

import argparse
import os
import statistics
import sys
import time
import wave

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import kestrel_e2e as e2e  # noqa: E402
from panel_session import PanelSession  # noqa: E402

KEYS = ["1", "2", "3", "4", "5", "6", "7", "8", "9", "m"]




def sound_ms(panel, file):
    """How long a played file lasts, in ms (0 for none)."""
    if file == "-":
        return 0
    with wave.open(panel.path(file)) as sound:
        return 1000 * sound.getnframes() / sound.getframerate()


def spread(values, unit="ms"):
    if not values:
        return "none"
    text = f"mean {statistics.mean(values):.0f} {unit}, min {min(values):.0f}, max {max(values):.0f}"
    if len(values) > 1:
        text += f", stdev {statistics.stdev(values):.1f}"
    return text + f" ({len(values)} samples)"


def start_figures(panel, window_seen):
    first_print = panel.wait_journal(lambda e: e.kind == "PRINT").ms
    first_out = panel.wait_journal(lambda e: e.kind == "OUT").ms
    print(f"window drawn and found by xdotool  {window_seen * 1000:6.0f} ms (wall clock from exec)")
    print(f"first text drawn (journal)         {first_print:6d} ms after process start")
    print(f"first command on the wire (OUT)    {first_out:6d} ms after process start")
    connected = panel.wait_sound("connected")
    print(f"start-up over, 'connected' played  {connected.ms:6d} ms after process start")
    print(f"resident memory after start-up     {e2e.memory_kib(panel.pid, 'VmRSS'):6d} KiB "
          f"(peak {e2e.memory_kib(panel.pid, 'VmHWM')} KiB)")


def key_latencies(panel, count):
    """Key-down (journal KEY line) to the first word played for it. The journal writes a
    SOUND line when the play has ended, so the start is that moment less the file's length."""
    to_end, to_start = [], []
    for key in KEYS[:count]:
        panel.wait_idle_polling(polls=1)
        before = len(panel.journal())
        panel.keys(key)
        panel.wait_idle_polling(polls=1)
        entries = panel.journal()[before:]
        down = next(e for e in entries if e.kind == "KEY" and e.fields[0] == "down")
        sound = next(e for e in entries if e.kind == "SOUND" and e.ms >= down.ms)
        to_end.append(sound.ms - down.ms)
        to_start.append(sound.ms - sound_ms(panel, sound.fields[2]) - down.ms)
    print(f"key-down to its first word begins  {spread(to_start)}")
    print(f"key-down to its first word ends    {spread(to_end)}")


def idle_figures(panel, seconds):
    panel.wait_idle_polling(polls=2)
    cpu_start, wall_start = e2e.cpu_seconds(panel.pid), time.monotonic()
    first = len(panel.sim_log())
    time.sleep(seconds)
    cpu = e2e.cpu_seconds(panel.pid) - cpu_start
    wall = time.monotonic() - wall_start
    polls = [entry.ms for entry in panel.sim_log()[first:] if entry.text == "LM"]
    periods = [b - a for a, b in zip(polls, polls[1:])]
    print(f"LM poll period while idle          {spread(periods)}")
    print(f"CPU while idle and polling         {100 * cpu / wall:.2f} % of one core "
          f"({cpu:.2f} s over {wall:.1f} s)")
    print(f"resident memory after idling       {e2e.memory_kib(panel.pid, 'VmRSS'):6d} KiB")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", default="build")
    parser.add_argument("--seconds", type=float, default=10.0)
    parser.add_argument("--keys", type=int, default=6)
    options = parser.parse_args()
    e2e.BUILD_DIR = os.path.abspath(options.build_dir)
    x = e2e.start_xvfb()
    try:
        with PanelSession(x, start=False) as panel:
            begun = time.monotonic()
            panel.start_panel()
            start_figures(panel, time.monotonic() - begun)
            panel.wait_ready()
            idle_figures(panel, options.seconds)
            key_latencies(panel, min(options.keys, len(KEYS)))
            panel.close()
            print(f"exit code                          {panel.exit_code()}")
    finally:
        x.stop()


if __name__ == "__main__":
    main()
