#!/usr/bin/env python3
"""Speech pacing as a listener hears it, measured on the real Orlavo under a private virtual
desktop and PulseAudio null sink (tests/session.sh and the end-to-end harness in tests/e2e):

  heard gap    the silence on the recording between the end of one item's speech and the start
               of the next, over a book of 50 short items read from the first to "The End";
  first audio  the time from the key press that chooses Start Orlavo (an item selected) to the
               first sound on the sink, over several starts.

Usage: bench/pacing/measure_pacing.py [path/to/orlavo] [--starts N] [--keep]
       (the program defaults to build/dev/orlavo; run as root or any user, no display needed:
       it runs itself inside tests/session.sh --display)"""

import argparse
import contextlib
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
if "ORLAVO_SESSION_DIR" not in os.environ:
    # The harness reaches the services it finds in the environment as it is imported.
    if "--keep" in sys.argv:
        os.environ["ORLAVO_E2E_KEEP"] = "1"
    session = os.path.join(ROOT, "tests", "session.sh")
    os.execv(session, [session, "--display", "--", sys.executable, *sys.argv])

import orlavo_e2e as e2e  # noqa: E402

# The pause between items is what is measured here, so the recording is cut only at silences
# longer than any espeak-ng leaves between the words of an item.
e2e.MIN_GAP_S = 0.075

# Plainly English, so that Orlavo reads it with the same voice as espeak-ng's command does.
ITEMS = [f"This is item {number}" for number in range(1, 51)]
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


def sink_latency_ms():
    listing = subprocess.run(["pactl", "list", "sinks"], capture_output=True, text=True).stdout
    found = re.search(r"configured (\d+) usec", listing)
    return int(found.group(1)) / 1000 if found else float("nan")


def read_whole_book(orlavo, recorder):
    """Reads the book from its first item; returns the utterances heard and the gaps between
    consecutive items. "The End" follows the last item without the pause between items and
    may be heard joined to it; it is not part of the pacing."""
    select_first_item(orlavo)
    since = recorder.now()
    orlavo.command("start")
    heard = recorder.listen(since, len(ITEMS), quiet_s=1.0, timeout=180)
    if len(heard) not in (len(ITEMS), len(ITEMS) + 1):
        raise SystemExit(f"heard {len(heard)} utterances, expected {len(ITEMS)} items and "
                         f"'The End': {heard}")
    items = heard[: len(ITEMS)]
    gaps = [(after.start - before.end) * 1000 / e2e.RATE
            for before, after in zip(items, items[1:])]
    end_gap = None
    if len(heard) == len(ITEMS) + 1:
        end_gap = (heard[-1].start - heard[-2].end) * 1000 / e2e.RATE
    return items, gaps, end_gap


def select_first_item(orlavo):
    orlavo.keys("Home", "space")
    orlavo.highlighted(0)


def first_audio(orlavo, recorder, starts):
    """Starts reading at item 0 several times; each time stops it after the first item."""
    delays = []
    for _ in range(starts):
        select_first_item(orlavo)
        time.sleep(0.3)
        since = recorder.now()
        orlavo.keys("alt+f", "s")
        time.sleep(0.2)
        chosen_at = orlavo.keys("Return")
        # Stop is queued at once and runs after the first item.
        orlavo.keys("alt+f", "s", "s", "s", "Return")
        heard = recorder.listen(since, 1, quiet_s=0, timeout=15)
        if not heard:
            raise SystemExit("no sound after Start Orlavo")
        delays.append((heard[0].start - recorder.sample_at(chosen_at)) * 1000 / e2e.RATE)
        orlavo.message_box(timeout=15)
        orlavo.dismiss_box()
        recorder.listen(since, quiet_s=0.5, timeout=10)
    return delays


def parse_args(description, *extra):
    """The program to measure and --keep, plus each (flags, options) of `extra`."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("orlavo", nargs="?", default=os.path.join(ROOT, "build", "dev", "orlavo"))
    parser.add_argument("--keep", action="store_true", help="keep the recording and logs")
    for flags, options in extra:
        parser.add_argument(*flags, **options)
    args = parser.parse_args()
    if not os.access(args.orlavo, os.X_OK):
        raise SystemExit(f"{args.orlavo}: not a built orlavo program")
    os.environ["ORLAVO_BINARY"] = os.path.abspath(args.orlavo)
    return args


@contextlib.contextmanager
def orlavo_with_the_book(args, recording):
    """Orlavo started with the book of ITEMS loaded, and the sink being recorded; both are ended
    afterwards, the recording kept under `recording` with --keep."""
    folder = os.environ["ORLAVO_SESSION_DIR"]
    recorder = e2e.Recorder(folder)
    orlavo = None
    try:
        orlavo = e2e.Orlavo(folder)
        book = os.path.join(folder, "pacing.txt")
        with open(book, "w", encoding="utf-8") as file:
            file.write("\n".join(ITEMS) + "\n")
        orlavo.load(book)
        yield orlavo, recorder
    finally:
        if orlavo is not None:
            orlavo.process.kill()
            orlavo.process.wait()
        kept = os.path.join(folder, recording) if args.keep else None
        recorder.stop(kept)
        if kept:
            print(f"recording: {kept}")


def main():
    args = parse_args(__doc__.splitlines()[0],
                      (["--starts"], dict(type=int, default=15, help="starts timed for first audio")))
    with orlavo_with_the_book(args, "pacing.wav") as (orlavo, recorder):
        items, gaps, end_gap = read_whole_book(orlavo, recorder)
        delays = first_audio(orlavo, recorder, args.starts)

        lengths = [u.sound_s for u in items[:-1]]
        expected = [e2e.espeak_sound_s(text) for text in ITEMS[:-1]]
        worst = max(abs(a - b) for a, b in zip(lengths, expected)) * 1000
        print(f"Orlavo {args.orlavo}: a book of {len(ITEMS)} short items read to 'The End'; "
              f"items 1-{len(ITEMS) - 1} each within {worst:.0f} ms of espeak-ng's own length")
        summary("heard gap", gaps, GAP_TARGET_MEDIAN_MS, GAP_TARGET_P90_MS)
        if end_gap is None:
            print(f"{'':<12} ('The End' follows the last item with under "
                  f"{e2e.MIN_GAP_S * 1000:.0f} ms of silence: heard joined to it)")
        else:
            print(f"{'':<12} (gap before 'The End': {end_gap:.1f} ms)")
        summary("first audio", delays, FIRST_TARGET_MS)
        print(f"{'':<12} (timed to the sample reaching the null sink's monitor, which the sink "
              f"mixes up to its configured latency, {sink_latency_ms():.0f} ms, ahead of "
              "its play clock; a sound card adds its own output latency)")


if __name__ == "__main__":
    main()
