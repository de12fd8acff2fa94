#!/usr/bin/env python3
"""Writes a sine tone into a PulseAudio pipe source at its real sample rate.

usage: tone-writer.py FIFO FREQUENCY[,FREQUENCY...] PEAK [RATE]

With several frequencies it starts with the first and moves on to the next at
each SIGUSR1, so that a test can change the tone while it plays.

Pacing matters: the pipe source turns whatever is written into audio at once,
so the writer keeps itself on the wall clock in 10 ms chunks and, if it falls
behind, drops the lost time instead of catching up in a burst.
"""
import math
import os
import signal
import struct
import sys
import time


def main():
    fifo, peak = sys.argv[1], float(sys.argv[3])
    frequencies = [float(f) for f in sys.argv[2].split(",")]
    rate = int(sys.argv[4]) if len(sys.argv) > 4 else 44100
    chunk = rate // 100
    # One period of whole samples would drift; keep a running phase instead.
    steps = [2.0 * math.pi * f / rate for f in frequencies]
    current = [0]

    def next_frequency(_signum, _frame):
        current[0] = min(current[0] + 1, len(steps) - 1)

    signal.signal(signal.SIGUSR1, next_frequency)
    phase = 0.0
    out = os.open(fifo, os.O_WRONLY)
    next_time = time.monotonic()
    while True:
        samples = []
        for _ in range(chunk):
            samples.append(int(round(peak * math.sin(phase))))
            phase += steps[current[0]]
            if phase > 2.0 * math.pi:
                phase -= 2.0 * math.pi
        os.write(out, struct.pack("<%dh" % chunk, *samples))
        next_time += chunk / rate
        delay = next_time - time.monotonic()
        if delay > 0:
            time.sleep(delay)
        elif delay < -0.05:
            next_time = time.monotonic()


if __name__ == "__main__":
    try:
        main()
    except (BrokenPipeError, KeyboardInterrupt):
        pass
