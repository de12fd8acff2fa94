#!/usr/bin/env python3
"""Writes a sine tone into a PulseAudio pipe source at its real sample rate.

usage: tone-writer.py FIFO FREQUENCY[,FREQUENCY...] PEAK[,PEAK...] [RATE]

With several frequencies or peaks it starts with the first of each and moves
on to the next at each SIGUSR1 (a list that runs out keeps its last value), so
that a test can change the tone while it plays; a peak of 0 writes digital
silence, every sample exactly 0.

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
    fifo = sys.argv[1]
    frequencies = [float(f) for f in sys.argv[2].split(",")]
    peaks = [float(p) for p in sys.argv[3].split(",")]
    rate = int(sys.argv[4]) if len(sys.argv) > 4 else 44100
    chunk = rate // 100
    # One period of whole samples would drift; keep a running phase instead.
    steps = [2.0 * math.pi * f / rate for f in frequencies]
    stage = [0]

    def next_stage(_signum, _frame):
        stage[0] += 1

    signal.signal(signal.SIGUSR1, next_stage)
    phase = 0.0
    out = os.open(fifo, os.O_WRONLY)
    next_time = time.monotonic()
    while True:
        step = steps[min(stage[0], len(steps) - 1)]
        peak = peaks[min(stage[0], len(peaks) - 1)]
        samples = []
        for _ in range(chunk):
            samples.append(int(round(peak * math.sin(phase))))
            phase += step
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
