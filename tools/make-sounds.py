#!/usr/bin/env python3
"""Writes the alarm sounds into the folder given: 1.wav (the default, a
two-note chime), 2.wav (three rising notes), 3.wav (a soft bell). Each is a
sum of decaying sine partials, 16-bit mono at 22,050 Hz."""
import math
import os
import struct
import sys
import wave

RATE = 22050


def note(frequency, start, length, volume=0.5, partials=((1, 1.0), (2, 0.35), (3, 0.12)), decay=3.5):
    return (frequency, start, length, volume, partials, decay)


def render(notes, seconds):
    samples = [0.0] * int(RATE * seconds)
    for frequency, start, length, volume, partials, decay in notes:
        first = int(start * RATE)
        for i in range(int(length * RATE)):
            t = i / RATE
            attack = min(1.0, t / 0.005)
            envelope = attack * math.exp(-decay * t)
            value = sum(weight * math.sin(2 * math.pi * frequency * k * t) for k, weight in partials)
            if first + i < len(samples):
                samples[first + i] += volume * envelope * value
    peak = max(1e-9, max(abs(s) for s in samples))
    return [int(32767 * 0.8 * s / peak) for s in samples]


def write(path, samples):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(struct.pack("<%dh" % len(samples), *samples))


folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)
write(os.path.join(folder, "1.wav"), render([note(880.0, 0.0, 1.2), note(659.25, 0.35, 1.3)], 1.7))
write(os.path.join(folder, "2.wav"),
      render([note(523.25, 0.0, 0.8), note(659.25, 0.2, 0.8), note(783.99, 0.4, 1.2)], 1.7))
write(os.path.join(folder, "3.wav"),
      render([note(1046.5, 0.0, 2.0, partials=((1, 1.0), (2.76, 0.3), (5.4, 0.1)), decay=2.0)], 2.1))
