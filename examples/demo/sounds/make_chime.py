#!/usr/bin/env python3
"""Writes chime.wav: a two-note chime, 1.2 s, 8000 samples per second, mono, 8 bits."""
import math
import struct
from pathlib import Path

RATE = 8000
NOTES = [(0.0, 880.0), (0.35, 1318.5)]  # start in seconds, frequency in Hz
LENGTH = 1.2


def sample(t: float) -> float:
    value = 0.0
    for start, freq in NOTES:
        if t >= start:
            age = t - start
            value += 0.45 * math.exp(-4.0 * age) * math.sin(2 * math.pi * freq * age)
    return value


def main() -> None:
    count = int(RATE * LENGTH)
    data = bytes(max(0, min(255, round(128 + 127 * sample(i / RATE)))) for i in range(count))
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE, 1, 8)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    (Path(__file__).parent / "chime.wav").write_bytes(b"RIFF" + struct.pack("<I", len(body)) + body)


if __name__ == "__main__":
    main()
