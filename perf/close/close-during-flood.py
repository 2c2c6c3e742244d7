#!/usr/bin/python3
"""Close-box requests at random moments while the bench floods Tolvik, counting the ones that work.

    perf/close/close-during-flood.py [-n RUNS] [--build DIR] [--flood STATEMENT] [--latest SECONDS]
                                     [--associate]

Runs the tool RUNS times under its own Xvfb with a bench scenario that floods the bus, asks its
window to close as a window manager's close box does (WM_DELETE_WINDOW) at a random moment from
the window's appearance up to --latest seconds later, and waits for the process to end. A
request that has not ended the process within 5 s counts as lost; a second one is then sent and
the process killed if that fails too. With --associate the request comes while the association
runs (Alt+A pressed first, the wireless remote never pairs, so the window stays open 20 s). Prints one summary line (also when stopped early with
SIGTERM or Ctrl-C, then for the runs done); needs Xvfb, xdotool, python3-xlib.
"""
import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from Xlib import X, display
from Xlib.protocol import event

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def request_close(dpy, window_id):
    window = dpy.create_resource_object("window", window_id)
    message = event.ClientMessage(
        window=window,
        client_type=dpy.intern_atom("WM_PROTOCOLS"),
        data=(32, [dpy.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]),
    )
    window.send_event(message, event_mask=X.NoEventMask)
    dpy.flush()


def find_window(pid, env, timeout):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", "^Tolvik$"],
                               env=env, capture_output=True, text=True).stdout.split()
        if found:
            return int(found[0])
        time.sleep(0.02)
    return None


def associate(pid, window, env):
    """Presses Alt+A in the window and waits for the wait dialog beside it."""
    subprocess.run(["xdotool", "windowfocus", "--sync", str(window)], env=env, capture_output=True)
    subprocess.run(["xdotool", "key", "--clearmodifiers", "alt+a"], env=env, capture_output=True)
    end = time.monotonic() + 5
    while time.monotonic() < end:
        shown = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", "."],
                               env=env, capture_output=True, text=True).stdout.split()
        if len(shown) >= 2:
            return True
        time.sleep(0.02)
    return False


def ended(process, timeout):
    try:
        process.wait(timeout=timeout)
        return True
    except subprocess.TimeoutExpired:
        return False


def percentile(values, p):
    if not values:
        return 0.0
    values = sorted(values)
    return values[min(len(values) - 1, int(p * len(values)))]


def stop(*_):
    raise KeyboardInterrupt


def main():
    signal.signal(signal.SIGTERM, stop)
    parser = argparse.ArgumentParser()
    parser.add_argument("-n", type=int, default=100)
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "default"))
    parser.add_argument("--flood", default="flood 18000 3600000 mixed")
    parser.add_argument("--latest", type=float, default=2.0)
    parser.add_argument("--associate", action="store_true")
    args = parser.parse_args()

    tool = os.path.join(args.build, "bin", "tolvik")
    work = tempfile.mkdtemp(prefix="tolvik-close-")
    scenario = os.path.join(work, "flood.txt")
    with open(scenario, "w") as f:
        # The signal PDO already valid and mapped: no node restart pauses before the window.
        f.write("tpdo3-cob-id 0x3C8\ntpdo3-mapped 1\n" + args.flood + "\n")
        if args.associate:
            f.write("insert-batteries-when-window-opens off\n")
    number = random.randrange(100, 400)
    xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "800x600x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env = dict(os.environ, DISPLAY=f":{number}", TOLVIK_BENCH_SCENARIO=scenario)
    env.pop("TOLVIK_REGISTRY", None)
    env.pop("QT_QPA_PLATFORM", None)
    counts = {"closed": 0, "lost": 0, "second": 0, "killed": 0, "nowindow": 0}
    latencies = []
    appear = []
    process = None
    try:
        for _ in range(50):
            if subprocess.run(["xdpyinfo"], env=env, capture_output=True).returncode == 0:
                break
            time.sleep(0.1)
        dpy = display.Display(f":{number}")
        for run in range(args.n):
            if run % 50 == 0:
                print(f"{run} runs, {counts['lost']} lost", file=sys.stderr, flush=True)
            started = time.monotonic()
            process = subprocess.Popen([tool], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            window = find_window(process.pid, env, 10)
            if window is None:
                counts["nowindow"] += 1
                process.kill()
                process.wait()
                continue
            appear.append(time.monotonic() - started)
            if args.associate and not associate(process.pid, window, env):
                counts["nowindow"] += 1
                process.kill()
                process.wait()
                continue
            time.sleep(random.uniform(0, args.latest))
            asked = time.monotonic()
            request_close(dpy, window)
            if ended(process, 5):
                counts["closed"] += 1
                latencies.append(time.monotonic() - asked)
                continue
            counts["lost"] += 1
            print(f"run {run}: close lost", file=sys.stderr, flush=True)
            request_close(dpy, window)
            if ended(process, 5):
                counts["second"] += 1
            else:
                counts["killed"] += 1
                process.kill()
                process.wait()
        dpy.close()
    except KeyboardInterrupt:
        pass
    finally:
        if process and process.poll() is None:
            process.kill()
            process.wait()
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)
    runs = counts["closed"] + counts["lost"] + counts["nowindow"]
    print(f"{runs} runs ({args.flood}{', during the association' if args.associate else ''}): {counts['closed']} closed at the first request, "
          f"{counts['lost']} lost ({counts['second']} closed at the second, {counts['killed']} killed), "
          f"{counts['nowindow']} without a window; close took p50 {percentile(latencies, 0.5) * 1000:.0f} ms, "
          f"p99 {percentile(latencies, 0.99) * 1000:.0f} ms, max {max(latencies, default=0) * 1000:.0f} ms; "
          f"window appeared p50 {percentile(appear, 0.5):.2f} s, max {max(appear, default=0):.2f} s")
    return 0 if counts["lost"] == 0 and counts["nowindow"] == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
