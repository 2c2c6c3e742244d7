#!/usr/bin/python3
"""Start-up time to the mapped window: Tolvik on the demo bench against a bare Qt dialog
with one list, alternated, both under one Xvfb. Run by hand:

    perf/startup/startup.py <build folder with bin/tolvik> <bare dialog program> [runs]

Tolvik runs on bench/scenarios/demo.txt.

Each run starts the program, waits for X to map its top-level window (MapNotify on the root
window), and ends it. Prints the median of each and their ratio.
"""
import os
import statistics
import subprocess
import sys
import time

from Xlib import X, display


def wait_for_map(screen_display, timeout=30.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        while screen_display.pending_events():
            event = screen_display.next_event()
            if event.type == X.MapNotify:
                return time.monotonic()
        time.sleep(0.0005)
    raise RuntimeError("no window was mapped")


def one_run(command, env, screen_display):
    while screen_display.pending_events():
        screen_display.next_event()
    start = time.monotonic()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        mapped = wait_for_map(screen_display)
    finally:
        process.terminate()
        process.wait(10)
    return mapped - start


def main():
    build, bare = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 20
    number = 90 + os.getpid() % 100
    xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(1)
        env = dict(os.environ, DISPLAY=f":{number}")
        env.pop("QT_QPA_PLATFORM", None)
        env["TOLVIK_BENCH_SCENARIO"] = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                                    "bench", "scenarios", "demo.txt")
        screen_display = display.Display(f":{number}")
        screen_display.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
        screen_display.sync()
        tolvik = [os.path.join(build, "bin", "tolvik")]
        times = {"tolvik": [], "bare": []}
        one_run(tolvik, env, screen_display)  # warm the file cache for both
        one_run([bare], env, screen_display)
        for _ in range(runs):
            times["tolvik"].append(one_run(tolvik, env, screen_display))
            times["bare"].append(one_run([bare], env, screen_display))
        tolvik_median = statistics.median(times["tolvik"])
        bare_median = statistics.median(times["bare"])
        print(f"runs: {runs} each, alternated")
        print(f"tolvik: median {tolvik_median * 1000:.1f} ms")
        print(f"bare dialog: median {bare_median * 1000:.1f} ms")
        print(f"ratio: {tolvik_median / bare_median:.2f}")
    finally:
        xvfb.terminate()
        xvfb.wait(10)


if __name__ == "__main__":
    main()
