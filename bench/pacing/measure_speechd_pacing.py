#!/usr/bin/env python3
"""Speech pacing through speech-dispatcher with Flite, as a listener hears it on the private null
sink of tests/session.sh: the silence between items while the real Orlavo reads the book of
measure_pacing.py through a private speech-dispatcher whose settings choose Flite, against the way
a script would read it, `spd-say -w` for each item and a 100 ms sleep, on the same server and
sink. Flite's own silence before and after its speech counts as gap: it is heard.

Usage: bench/pacing/measure_speechd_pacing.py [path/to/orlavo] [--keep]
       (the program defaults to build/dev/orlavo; runs itself inside tests/session.sh --display)"""

import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.dont_write_bytecode = True
if "ORLAVO_SESSION_DIR" not in os.environ:
    if "--keep" in sys.argv:
        os.environ["ORLAVO_E2E_KEEP"] = "1"
    session = os.path.join(ROOT, "tests", "session.sh")
    # --speechd: a private speech-dispatcher speaking with Flite on the null sink, whose settings
    # (XDG_CONFIG_HOME) and address reach Orlavo and spd-say alike.
    os.execv(session, [session, "--display", "--speechd", "--", sys.executable, *sys.argv])

import measure_pacing as pacing  # noqa: E402

e2e = pacing.e2e
ITEMS = pacing.ITEMS
# Flite pauses up to 75 ms between the words of these items; the recording is cut only at longer
# silences. What each item then sounds like is checked against spd-say's reading of it.
e2e.MIN_GAP_S = 0.09
def gaps_ms(heard):
    return [(after.start - before.end) * 1000 / e2e.RATE for before, after in zip(heard, heard[1:])]


def read_with_spd_say(recorder):
    """Each item with its own `spd-say -w`, then the pause: the items heard."""
    since = recorder.now()
    for text in ITEMS:
        subprocess.run(["spd-say", "-w", "--", text], check=True)
        time.sleep(0.1)
    heard = recorder.listen(since, len(ITEMS), quiet_s=1.0, timeout=30)
    if len(heard) != len(ITEMS):
        raise SystemExit(f"spd-say: heard {len(heard)} utterances for {len(ITEMS)} items")
    return heard


def report(name, values):
    median, p90 = statistics.median(values), pacing.percentile(values, 0.9)
    print(f"{name:<24} n={len(values):<3} median {median:6.1f} ms   p90 {p90:6.1f} ms   "
          f"min {min(values):6.1f}   max {max(values):6.1f}")
    return median, p90


def main():
    args = pacing.parse_args(__doc__.splitlines()[0])
    with pacing.orlavo_with_the_book(args, "speechd_pacing.wav") as (orlavo, recorder):
        items, orlavo_gaps, _ = pacing.read_whole_book(orlavo, recorder)
        script_items = read_with_spd_say(recorder)

        worst = max(abs(a.sound_s - b.sound_s) for a, b in zip(items, script_items)) * 1000
        print(f"Orlavo {args.orlavo} and spd-say, both through speech-dispatcher with Flite: "
              f"a book of {len(ITEMS)} short items; each item as Orlavo read it within "
              f"{worst:.0f} ms of spd-say's sound for it")
        if worst > 150:
            raise SystemExit("the items were not cut alike; keep the recording (--keep) to see why")
        ours = report("heard gap, Orlavo", orlavo_gaps)
        theirs = report("heard gap, spd-say -w", gaps_ms(script_items))
        print(f"{'spd-say ÷ Orlavo':<24}       median {theirs[0] / ours[0]:6.2f} ×    "
              f"p90 {theirs[1] / ours[1]:6.2f} ×")


if __name__ == "__main__":
    main()
