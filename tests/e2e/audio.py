"""What a listener hears: records the private sound server's null sink and cuts the recording into
utterances at silences, and measures espeak-ng's own synthesis of a text the same way so the two
can be compared.

The recording is kept in memory with the arrival time of every block, so a sample's position can be
turned into the moment it reached the sink's monitor (used to time the first word after a key
press)."""

import array
import os
import subprocess
import tempfile
import threading
import time
import wave

RATE = 22050  # espeak-ng's own rate; the null sink runs at it too, so nothing is resampled.
WINDOW = RATE // 200  # 5 ms: fine enough for the 100 ms pauses being measured.
# A window is sound when its peak is above about -40 dBFS. espeak-ng's silences are digital zeros
# and its quietest phonemes peak far above this, so the level only decides where a word's fade
# ends, to within a window.
LEVEL = 330
# A silence at least this long separates two utterances. espeak-ng's longest gap inside a phrase
# without punctuation (stop-consonant closures) is under 50 ms; Orlavo's pause between items is
# at least 100 ms, so 75 ms splits items and never words.
MIN_GAP_S = 0.075


class Utterance:
    def __init__(self, start, end):
        self.start = start  # first sound sample
        self.end = end  # one past the last sound sample

    @property
    def start_s(self):
        return self.start / RATE

    @property
    def end_s(self):
        return self.end / RATE

    @property
    def length_s(self):
        return (self.end - self.start) / RATE

    def __repr__(self):
        return f"Utterance({self.start_s:.3f}s..{self.end_s:.3f}s, {self.length_s:.3f}s)"


def utterances(samples, min_gap_s=MIN_GAP_S, first=0, last=None):
    """Cuts samples[first:last] into utterances: runs of sound windows separated by at least
    min_gap_s of silence. A run still sounding at the end of the range is included."""
    last = len(samples) if last is None else last
    min_gap = max(1, round(min_gap_s * RATE / WINDOW))
    found = []
    start = None
    end = None
    quiet = 0
    for w in range(first, last - WINDOW + 1, WINDOW):
        block = samples[w : w + WINDOW]
        loud = max(block) > LEVEL or -min(block) > LEVEL
        if loud:
            if start is None:
                start = w
            end = w + WINDOW
            quiet = 0
        elif start is not None:
            quiet += 1
            if quiet >= min_gap:
                found.append(Utterance(start, end))
                start = None
    if start is not None:
        found.append(Utterance(start, end))
    return found


def read_wav(path):
    with wave.open(path, "rb") as wav:
        if wav.getsampwidth() != 2 or wav.getnchannels() != 1:
            raise ValueError(f"{path}: expected 16-bit mono")
        if wav.getframerate() != RATE:
            raise ValueError(f"{path}: expected {RATE} Hz, got {wav.getframerate()}")
        samples = array.array("h")
        samples.frombytes(wav.readframes(wav.getnframes()))
        return samples


def write_wav(path, samples):
    with wave.open(path, "wb") as wav:
        wav.setnchannels(1)
        wav.setsampwidth(2)
        wav.setframerate(RATE)
        wav.writeframes(samples.tobytes())


_reference_cache = {}


def espeak_length_s(text, env=None):
    """How long espeak-ng speaks text with its default voice, leading and trailing silence left
    out: the same engine and voice Orlavo uses, synthesised by the engine's own command."""
    if text not in _reference_cache:
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "reference.wav")
            subprocess.run(["espeak-ng", "-w", path, "--", text], check=True, env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            found = utterances(read_wav(path))
        if not found:
            raise AssertionError(f"espeak-ng made no sound for {text!r}")
        _reference_cache[text] = (found[-1].end - found[0].start) / RATE
    return _reference_cache[text]


class Recorder:
    """Records the sink's monitor for as long as it runs. Started before Orlavo so that nothing
    Orlavo plays is missed; the sink sends silence while nobody plays, so the recording's clock
    is the wall clock."""

    def __init__(self, env, device):
        self._process = subprocess.Popen(
            ["parecord", "--raw", f"--device={device}", "--format=s16le", f"--rate={RATE}",
             "--channels=1", "--latency-msec=10"],
            env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, start_new_session=True)
        self.pid = self._process.pid
        self._lock = threading.Lock()
        self._bytes = bytearray()
        # The smallest (arrival time - position) seen: the moment sample 0 reached us, give or
        # take one block of the 10 ms latency asked for.
        self._origin = None
        self._thread = threading.Thread(target=self._pump, daemon=True)
        self._thread.start()

    def _pump(self):
        fd = self._process.stdout.fileno()
        while True:
            block = os.read(fd, 4096)
            now = time.monotonic()
            if not block:
                return
            with self._lock:
                self._bytes += block
                origin = now - (len(self._bytes) // 2) / RATE
                if self._origin is None or origin < self._origin:
                    self._origin = origin

    def wait_started(self, timeout=10):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            with self._lock:
                if len(self._bytes) >= 2 * WINDOW * 10:
                    return
            if self._process.poll() is not None:
                raise RuntimeError("parecord ended before recording anything")
            time.sleep(0.02)
        raise RuntimeError("parecord recorded nothing")

    def samples(self):
        with self._lock:
            data = bytes(self._bytes[: len(self._bytes) // 2 * 2])
        samples = array.array("h")
        samples.frombytes(data)
        return samples

    def now_sample(self):
        """The position recorded up to now."""
        with self._lock:
            return len(self._bytes) // 2

    def time_of(self, sample):
        """The monotonic time at which sample reached the monitor."""
        with self._lock:
            return self._origin + sample / RATE

    def sample_at(self, moment):
        with self._lock:
            return max(0, round((moment - self._origin) * RATE))

    def heard_since(self, sample, min_gap_s=MIN_GAP_S):
        return utterances(self.samples(), min_gap_s, first=sample)

    def wait_for_utterances(self, since, count, timeout, settle_s=0.0):
        """Waits until count utterances have been heard after sample since and the last of them
        has been followed by silence (so it is complete); returns what was heard."""
        deadline = time.monotonic() + timeout
        while True:
            samples = self.samples()
            found = utterances(samples, first=since)
            if len(found) >= count:
                tail = len(samples) - found[-1].end
                if tail >= (MIN_GAP_S + settle_s) * RATE:
                    return found
            if time.monotonic() > deadline:
                return found
            time.sleep(0.05)

    def wait_for_start(self, since, count, timeout):
        """Waits until the count-th utterance after sample since has begun."""
        deadline = time.monotonic() + timeout
        while True:
            found = utterances(self.samples(), first=since)
            if len(found) >= count:
                return found
            if time.monotonic() > deadline:
                raise AssertionError(f"heard {len(found)} utterances, waited for {count}")
            time.sleep(0.02)

    def wait_for_silence(self, since, seconds, timeout):
        """Waits until the last seconds of the recording (after since) are silent; returns what
        was heard after since."""
        deadline = time.monotonic() + timeout
        while True:
            samples = self.samples()
            found = utterances(samples, first=since)
            end = found[-1].end if found else since
            if len(samples) - end >= seconds * RATE:
                return found
            if time.monotonic() > deadline:
                return found
            time.sleep(0.05)

    def ended(self):
        """parecord's exit status if it has ended, else None."""
        return self._process.poll()

    def save(self, path):
        write_wav(path, self.samples())

    def stop(self):
        if self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(timeout=3)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait()
        self._thread.join(timeout=3)
        self._process.stdout.close()
