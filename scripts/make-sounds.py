#!/usr/bin/env python3
"""Writes the program's own feedback sounds, resources/beep.wav and resources/click.wav.

Both are short 16-bit mono PCM files made from decaying sine tones, so they are the same on every
run. Run it again only to change the sounds, and commit the result.
"""
import math
import pathlib
import struct
import wave

RATE = 44100


def tone(partials, seconds, attack, decay):
    """Sum of (frequency, level) sine partials with a short attack and an exponential decay."""
    samples = []
    for i in range(int(RATE * seconds)):
        t = i / RATE
        envelope = min(1.0, t / attack) * math.exp(-t / decay)
        value = sum(level * math.sin(2 * math.pi * freq * t) for freq, level in partials)
        samples.append(envelope * value)
    # A few milliseconds of fade-out: no click at the end.
    fade = int(RATE * 0.004)
    for i in range(fade):
        samples[-1 - i] *= i / fade
    return samples


def write(path, samples, peak=0.5):
    top = max(abs(s) for s in samples) or 1.0
    frames = b"".join(struct.pack("<h", round(s / top * peak * 32767)) for s in samples)
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


def main():
    resources = pathlib.Path(__file__).resolve().parent.parent / "resources"
    # Start of a save: a soft bell-like A5 with a quiet octave above it.
    write(resources / "beep.wav", tone([(880, 1.0), (1760, 0.25)], 0.18, 0.005, 0.06))
    # End of a save: a short high tick, like a camera shutter.
    write(resources / "click.wav", tone([(2400, 1.0), (3600, 0.4)], 0.04, 0.001, 0.008))


if __name__ == "__main__":
    main()
