#!/usr/bin/env python3
"""Synthesises the app's short alert sounds into Resources/sounds/ (16-bit mono WAV)."""
import math
import struct
import wave
from pathlib import Path

RATE = 22050
OUT = Path(__file__).resolve().parent.parent / "Resources" / "sounds"

# name: list of (frequency Hz, start s, length s, decay per s); partials overlap.
SOUNDS = {
    "Glass": [(1568, 0.0, 0.6, 7), (3136, 0.0, 0.4, 11)],
    "Hero": [(523, 0.0, 0.25, 6), (659, 0.12, 0.25, 6), (784, 0.24, 0.6, 5)],
    "QuibLockChime": [(880, 0.0, 0.35, 8), (660, 0.15, 0.5, 6)],
    "QuibUnlock": [(660, 0.0, 0.3, 8), (990, 0.12, 0.45, 7)],
    "Funk": [(196, 0.0, 0.35, 9), (233, 0.0, 0.35, 9)],
    "Submarine": [(349, 0.0, 0.7, 4), (698, 0.0, 0.5, 6)],
    "Bottle": [(440, 0.0, 0.3, 12), (880, 0.0, 0.2, 18)],
}


def render(partials):
    length = max(start + duration for _, start, duration, _ in partials) + 0.05
    samples = [0.0] * int(length * RATE)
    for frequency, start, duration, decay in partials:
        first = int(start * RATE)
        for i in range(int(duration * RATE)):
            t = i / RATE
            attack = min(1.0, t / 0.005)
            samples[first + i] += attack * math.exp(-decay * t) * math.sin(2 * math.pi * frequency * t)
    peak = max(abs(s) for s in samples) or 1.0
    return [int(32767 * 0.6 * s / peak) for s in samples]


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    for name, partials in SOUNDS.items():
        with wave.open(str(OUT / f"{name}.wav"), "wb") as out:
            out.setnchannels(1)
            out.setsampwidth(2)
            out.setframerate(RATE)
            out.writeframes(b"".join(struct.pack("<h", s) for s in render(partials)))


if __name__ == "__main__":
    main()
