#!/usr/bin/env python3
"""Speech pacing through speech-dispatcher with Flite, as a listener hears it on the private null
sink of tests/session.sh: the silence between items while the real Orlavo reads the book of
measure_pacing.py through a private speech-dispatcher whose settings choose Flite, against the way
a script would read it, `spd-say -w` for each item and a 100 ms sleep, on the same server and
sink. Flite's own silence before and after its speech counts as gap: it is heard.

Usage: bench/pacing/measure_speechd_pacing.py [path/to/orlavo] [--keep]
       (the program defaults to build/dev/orlavo; runs itself inside tests/session.sh --display)"""

import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.dont_write_bytecode = True
if "ORLAVO_SESSION_DIR" not in os.environ:
    if "--keep" in sys.argv:
        os.environ["ORLAVO_E2E_KEEP"] = "1"
    session = os.path.join(ROOT, "tests", "session.sh")
    os.execv(session, [session, "--display", "--", sys.executable, *sys.argv])

import measure_pacing as pacing  # noqa: E402

e2e = pacing.e2e
ITEMS = pacing.ITEMS
# Flite pauses up to 75 ms between the words of these items; the recording is cut only at longer
# silences. What each item then sounds like is checked against spd-say's reading of it.
e2e.MIN_GAP_S = 0.09
SETTINGS = ['AudioOutputMethod "pulse"', 'AddModule "flite" "sd_flite" "flite.conf"',
            "DefaultModule flite", "DefaultVolume 100"]


def start_speech_dispatcher(folder):
    """A speech-dispatcher of its own, speaking with Flite on the null sink; the desktop settings
    it is given (XDG_CONFIG_HOME) and its address go to every program started after it."""
    config = os.path.join(folder, "config", "speech-dispatcher")
    run = os.path.join(folder, "run")
    os.makedirs(os.path.join(config, "modules"))
    os.mkdir(run, 0o700)
    shutil.copy("/etc/speech-dispatcher/modules/flite.conf", os.path.join(config, "modules"))
    with open(os.path.join(config, "speechd.conf"), "w") as file:
        file.write("\n".join(SETTINGS) + "\n")
    socket = os.path.join(run, "speechd.sock")
    with open(os.path.join(folder, "speechd.log"), "wb") as log:
        server = subprocess.Popen(
            ["speech-dispatcher", "--run-single", "--timeout", "0", "--config-dir", config,
             "--communication-method", "unix_socket", "--socket-path", socket,
             "--pid-file", os.path.join(run, "speechd.pid"), "--log-dir", folder],
            env=dict(os.environ, XDG_RUNTIME_DIR=run, HOME=folder), stdout=log, stderr=log)
    # No client may start a second speech-dispatcher, one without these settings.
    os.environ.update(SPEECHD_ADDRESS=f"unix_socket:{socket}", SPEECHD_CMD="/bin/false",
                      XDG_CONFIG_HOME=os.path.join(folder, "config"))
    deadline = time.monotonic() + 10
    while not os.path.exists(socket):
        if server.poll() is not None or time.monotonic() > deadline:
            stop(server)
            raise SystemExit(f"speech-dispatcher did not start; see {folder}")
        time.sleep(0.1)
    return server


def stop(server):
    server.terminate()
    try:
        server.wait(5)
    except subprocess.TimeoutExpired:
        server.kill()
        server.wait()


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
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("orlavo", nargs="?", default=os.path.join(ROOT, "build", "dev", "orlavo"))
    parser.add_argument("--keep", action="store_true", help="keep the recording and logs")
    args = parser.parse_args()
    if not os.access(args.orlavo, os.X_OK):
        raise SystemExit(f"{args.orlavo}: not a built orlavo program")
    os.environ["ORLAVO_BINARY"] = os.path.abspath(args.orlavo)

    # tests/session.sh ends the command with SIGTERM; the server below must still be stopped.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    folder = os.environ["ORLAVO_SESSION_DIR"]
    server = start_speech_dispatcher(tempfile.mkdtemp(dir=folder, prefix="speechd."))
    recorder = e2e.Recorder(folder)
    orlavo = None
    try:
        orlavo = e2e.Orlavo(folder)
        book = os.path.join(folder, "pacing.txt")
        with open(book, "w", encoding="utf-8") as file:
            file.write("\n".join(ITEMS) + "\n")
        orlavo.load(book)
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
    finally:
        if orlavo is not None:
            orlavo.process.kill()
            orlavo.process.wait()
        stop(server)
        kept = os.path.join(folder, "speechd_pacing.wav") if args.keep else None
        recorder.stop(kept)
        if kept:
            print(f"recording: {kept}")


if __name__ == "__main__":
    main()
