#!/usr/bin/env python3
"""The program's first start, from launch until its window is on the X server, for two builds
side by side (e.g. before and after a change), interleaved, as medians and their ratio.
Not a test. Run by hand under X, e.g.
    DISPLAY=:5 python3 bench/first_start/first_start.py OLD/bin/orvel-bluray-player \\
        build/bin/orvel-bluray-player 9
Each start gets a runtime folder of its own, so it is always the first instance."""
import os
import statistics
import subprocess
import sys
import tempfile
import time

TITLE = b'"Orvel BluRay Player"'


def window_up():
    tree = subprocess.run(["xwininfo", "-root", "-children"], capture_output=True).stdout
    return TITLE in tree


def first_start(program):
    with tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime)
        start = time.monotonic()
        player = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        try:
            while not window_up():
                if time.monotonic() - start > 30 or player.poll() is not None:
                    return None
                time.sleep(0.002)
            return (time.monotonic() - start) * 1000
        finally:
            player.terminate()
            player.wait(10)
            while window_up():
                time.sleep(0.01)


def main():
    first, second = sys.argv[1], sys.argv[2]
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 9
    times = {first: [], second: []}
    for _ in range(rounds):
        for program in (first, second):
            elapsed = first_start(program)
            if elapsed is not None:
                times[program].append(elapsed)
    a, b = statistics.median(times[first]), statistics.median(times[second])
    print(f"window on screen after, median of {rounds}:")
    print(f"  {first}: {a:.1f} ms")
    print(f"  {second}: {b:.1f} ms  ({b / a:.2f} x the first)")


if __name__ == "__main__":
    main()
