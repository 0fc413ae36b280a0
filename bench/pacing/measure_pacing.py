#!/usr/bin/env python3
"""Speech pacing as a listener hears it, measured on the real Orlavo under a private virtual
desktop and PulseAudio null sink (the end-to-end harness in tests/e2e):

  heard gap    the silence on the recording between the end of one item's speech and the start
               of the next, over a book of 50 short items read from the first to "The End";
  first audio  the time from the key press that chooses Start Orlavo (an item selected) to the
               first sound on the sink, over several starts.

Usage: bench/pacing/measure_pacing.py [path/to/orlavo] [--starts N] [--keep]
       (the program defaults to build/dev/orlavo; run as root or any user, no display needed)"""

import argparse
import os
import re
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.dont_write_bytecode = True

import audio  # noqa: E402
import desktop  # noqa: E402
from orlavo_app import Orlavo, shared_desktop, write_book  # noqa: E402

ITEMS = [f"Item {number}" for number in range(1, 51)]
GAP_TARGET_MEDIAN_MS, GAP_TARGET_P90_MS, FIRST_TARGET_MS = 150, 180, 150


def percentile(values, fraction):
    ordered = sorted(values)
    position = (len(ordered) - 1) * fraction
    low = int(position)
    high = min(low + 1, len(ordered) - 1)
    return ordered[low] + (ordered[high] - ordered[low]) * (position - low)


def summary(name, values_ms, median_target, p90_target=None):
    median = statistics.median(values_ms)
    p90 = percentile(values_ms, 0.9)
    verdict = "meets" if median <= median_target and (p90_target is None or p90 <= p90_target) \
        else "MISSES"
    targets = f"median <= {median_target} ms" + (f", p90 <= {p90_target} ms" if p90_target else "")
    print(f"{name:<12} n={len(values_ms):<3} median {median:6.1f} ms   p90 {p90:6.1f} ms   "
          f"min {min(values_ms):6.1f}   max {max(values_ms):6.1f}   ({verdict} {targets})")
    return median, p90


def sink_latency_ms(session):
    listing = subprocess.run(["pactl", "list", "sinks"], env=session.env, capture_output=True,
                             text=True).stdout
    found = re.search(r"configured (\d+) usec", listing)
    return int(found.group(1)) / 1000 if found else float("nan")


def read_whole_book(orlavo, recorder):
    """Reads the book from its first item; returns the utterances heard and the gaps between
    consecutive items. "The End" follows the last item without the pause between items and
    may be heard joined to it; it is not part of the pacing."""
    orlavo.select_first_item()
    since = recorder.now_sample()
    orlavo.command("start")
    heard = recorder.wait_for_utterances(since, len(ITEMS), timeout=180, settle_s=1.0)
    if len(heard) not in (len(ITEMS), len(ITEMS) + 1):
        raise SystemExit(f"heard {len(heard)} utterances, expected {len(ITEMS)} items and "
                         f"'The End': {heard}")
    items = heard[: len(ITEMS)]
    gaps = [(after.start - before.end) * 1000 / audio.RATE
            for before, after in zip(items, items[1:])]
    end_gap = None
    if len(heard) == len(ITEMS) + 1:
        end_gap = (heard[-1].start - heard[-2].end) * 1000 / audio.RATE
    return items, gaps, end_gap


def first_audio(orlavo, recorder, starts):
    """Starts reading at item 0 several times; each time stops it after the first item."""
    delays = []
    for _ in range(starts):
        orlavo.select_first_item()
        time.sleep(0.3)
        since = recorder.now_sample()
        orlavo.keys("alt+f", "s")
        time.sleep(0.2)
        chosen_at = orlavo.keys("Return")
        # Stop is queued at once and runs after the first item.
        orlavo.keys("alt+f", "s", "s", "s", "Return")
        heard = recorder.wait_for_utterances(since, 1, timeout=15)
        if not heard:
            raise SystemExit("no sound after Start Orlavo")
        delays.append((recorder.time_of(heard[0].start) - chosen_at) * 1000)
        orlavo.message_box(timeout=15)
        orlavo.dismiss_box()
        recorder.wait_for_silence(since, 0.5, timeout=10)
    return delays


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("orlavo", nargs="?", default=os.path.join(ROOT, "build", "dev", "orlavo"))
    parser.add_argument("--starts", type=int, default=15, help="starts timed for first audio")
    parser.add_argument("--keep", action="store_true", help="keep the recording and logs")
    args = parser.parse_args()
    if not os.access(args.orlavo, os.X_OK):
        raise SystemExit(f"{args.orlavo}: not a built orlavo program")
    if args.keep:
        os.environ["ORLAVO_E2E_KEEP"] = "1"

    session = shared_desktop()
    recorder = audio.Recorder(session.env, desktop.SINK + ".monitor")
    try:
        recorder.wait_started()
        orlavo = Orlavo(session, os.path.abspath(args.orlavo))
        orlavo.focus()
        orlavo.load(write_book(session.folder, "pacing.txt", ITEMS))

        items, gaps, end_gap = read_whole_book(orlavo, recorder)
        delays = first_audio(orlavo, recorder, args.starts)

        lengths = [u.length_s for u in items[:-1]]
        expected = [audio.espeak_length_s(text, session.env) for text in ITEMS[:-1]]
        worst = max(abs(a - b) for a, b in zip(lengths, expected)) * 1000
        print(f"Orlavo {args.orlavo}: a book of {len(ITEMS)} two-word items read to 'The End'; "
              f"items 1-{len(ITEMS) - 1} each within {worst:.0f} ms of espeak-ng's own length")
        summary("heard gap", gaps, GAP_TARGET_MEDIAN_MS, GAP_TARGET_P90_MS)
        if end_gap is None:
            print(f"{'':<12} ('The End' follows the last item with under "
                  f"{audio.MIN_GAP_S * 1000:.0f} ms of silence: heard joined to it)")
        else:
            print(f"{'':<12} (gap before 'The End': {end_gap:.1f} ms)")
        summary("first audio", delays, FIRST_TARGET_MS)
        print(f"{'':<12} (timed to the sample reaching the null sink's monitor, which the sink "
              f"mixes up to its configured latency, {sink_latency_ms(session):.0f} ms, ahead of "
              "its play clock; a sound card adds its own output latency)")
        if args.keep:
            recorder.save(session.path("pacing.wav"))
            print(f"recording: {session.path('pacing.wav')}")
    finally:
        recorder.stop()


if __name__ == "__main__":
    main()
