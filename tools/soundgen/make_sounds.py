#!/usr/bin/env python3
"""Makes the program's four event sounds (short 16-bit mono WAV files).

The sounds are plain sums of sine tones with soft attacks and decays, so
they are the program's own and come out the same byte for byte on every run:
    python3 tools/soundgen/make_sounds.py Sound
"""
import math
import struct
import sys
import wave
from pathlib import Path

RATE = 22050


def tone(freq, ms, volume=0.5, decay=6.0):
    n = int(RATE * ms / 1000)
    attack = max(1, int(RATE * 0.005))
    out = []
    for i in range(n):
        t = i / RATE
        env = min(1.0, i / attack) * math.exp(-decay * t / (ms / 1000))
        # A little of the octave above makes it a chime rather than a beep.
        s = math.sin(2 * math.pi * freq * t) + 0.3 * math.sin(4 * math.pi * freq * t)
        out.append(volume * env * s / 1.3)
    return out


def notes(seq, gap_ms=0):
    out = []
    for freq, ms in seq:
        out += tone(freq, ms)
        out += [0.0] * int(RATE * gap_ms / 1000)
    return out


SOUNDS = {
    "OpenKavetChat.wav": notes([(523.25, 140), (659.25, 140), (783.99, 260)]),
    "NewUserConnect.wav": notes([(659.25, 110), (880.0, 180)]),
    "UserDisconnect.wav": notes([(880.0, 110), (587.33, 180)]),
    "NewMessage.wav": tone(1046.5, 220, volume=0.45, decay=5.0),
}


def write(path, samples):
    frames = b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32767)) for s in samples)
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else "Sound")
    folder.mkdir(parents=True, exist_ok=True)
    for name, samples in SOUNDS.items():
        write(folder / name, samples)


if __name__ == "__main__":
    main()
