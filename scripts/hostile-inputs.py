#!/usr/bin/python3
"""Starts the tool under Xvfb once per hostile input and times until its first window shows.

    scripts/hostile-inputs.py [--build DIR] [--race N]

Each input (a FIFO, /dev/zero, a folder, a huge sparse file, a file that grows past its limit
or fails to read where a registry export, CAL file, configuration file, scenario file or bridge
library is expected; a bare library name whose first match is a FIFO) must let a window of the
tool show within a few seconds; the script prints the time for each and fails when one does
not show within 10 s. With --race N it then starts the tool N times more while a FIFO and the
real file are renamed over the bridge library's and the scenario's paths in turn, as fast as
Python can, and prints how often the window showed and the slowest start. Needs Xvfb and xdotool.
"""
import argparse
import os
import random
import socket
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def export(keys):
    text = "REGEDIT4\r\n"
    for key, values in keys.items():
        text += f"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quarn Corporation\\Install Data\\{key}]\r\n"
        for name, value in values.items():
            text += f'"{name}"="{value}"\r\n'
    return text


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)
    return path


def fifo(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    os.mkfifo(path)
    return path


def sparse(path, size):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.truncate(size)
    return path


def link(path, target):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    os.symlink(target, path)
    return path


class Swapper:
    """Renames a FIFO and a hard link to `real` over `path` in turn until stopped."""

    def __init__(self, path, real):
        self.path, self.real, self.swaps = path, real, 0
        os.link(real, path)
        self.stopped = threading.Event()
        self.thread = threading.Thread(target=self.run)
        self.thread.start()

    def run(self):
        while not self.stopped.is_set():
            temporary = f"{self.path}.next"
            if self.swaps % 2 == 0:
                os.mkfifo(temporary)
            else:
                os.link(self.real, temporary)
            os.rename(temporary, self.path)
            self.swaps += 1

    def stop(self):
        self.stopped.set()
        self.thread.join()


def race(build, work, base, starts):
    """Starts the tool `starts` times while both paths are swapped; False when a start hung."""
    os.makedirs(f"{work}/race")
    real = f"{work}/race/bench.so"
    subprocess.run(["cp", os.path.join(build, "bin", "libtolvikbench.so"), real], check=True)
    swappers = [Swapper(f"{work}/race/libq.so", real),
                Swapper(f"{work}/race/scenario.txt", base["TOLVIK_BENCH_SCENARIO"])]
    env = dict(base, TOLVIK_BRIDGE_LIBRARY=f"{work}/race/libq.so", TOLVIK_BENCH_SCENARIO=f"{work}/race/scenario.txt")
    shown, slowest = 0, 0.0
    try:
        for _ in range(starts):
            started = time.monotonic()
            tool = subprocess.Popen([os.path.join(build, "bin", "tolvik")], env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if first_window(tool.pid, env, 10):
                shown += 1
                slowest = max(slowest, time.monotonic() - started)
            tool.kill()
            tool.wait()
    finally:
        for swapper in swappers:
            swapper.stop()
    swaps = sum(swapper.swaps for swapper in swappers)
    print(f"race: {shown} of {starts} starts showed a window (slowest {slowest:.2f} s) during {swaps} swaps",
          flush=True)
    return shown == starts


def first_window(pid, env, timeout):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", "."],
                               env=env, capture_output=True, text=True).stdout.split()
        if found:
            return True
        time.sleep(0.02)
    return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "default"))
    parser.add_argument("--race", type=int, default=0, metavar="N")
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="tolvik-hostile-")
    host = socket.gethostname()
    older = export({"Vistrel": {"TargetDir": f"{work}/vistrel"}})
    newer = export({"JVR": {"TargetDir": f"{work}/jvr", "ProgramDataDir": f"{work}/data"}})
    quick = write(f"{work}/quick.txt", "tpdo3-cob-id 0x3C8\ntpdo3-mapped 1\n")  # no start-up pauses
    cases = [
        ("no hostile input (the peer)", {}),
        ("registry export is a FIFO", {"TOLVIK_REGISTRY": fifo(f"{work}/reg/fifo.reg")}),
        ("registry export is /dev/zero", {"TOLVIK_REGISTRY": "/dev/zero"}),
        ("registry export is a folder", {"TOLVIK_REGISTRY": work}),
        ("registry export is 1 GiB", {"TOLVIK_REGISTRY": sparse(f"{work}/reg/huge.reg", 1 << 30)}),
        ("scenario file is a FIFO", {"TOLVIK_BENCH_SCENARIO": fifo(f"{work}/scenario/fifo.txt")}),
        ("scenario file is /dev/zero", {"TOLVIK_BENCH_SCENARIO": "/dev/zero"}),
        ("scenario file is a folder", {"TOLVIK_BENCH_SCENARIO": work}),
        ("bridge library is a FIFO", {"TOLVIK_BRIDGE_LIBRARY": fifo(f"{work}/lib/libfifo.so")}),
        ("bridge library is /dev/zero", {"TOLVIK_BRIDGE_LIBRARY": "/dev/zero"}),
        ("CAL file is a FIFO", {"TOLVIK_REGISTRY": write(f"{work}/reg/older.reg", older),
                                "_make": lambda: fifo(f"{work}/vistrel/cfg/{host}.1")}),
        ("MainUI.exe.config is a FIFO", {"TOLVIK_REGISTRY": write(f"{work}/reg/newer.reg", newer),
                                         "_make": lambda: fifo(f"{work}/jvr/bin/MainUI.exe.config")}),
        ("MainUI.exe.config is 1 GiB", {"TOLVIK_REGISTRY": write(f"{work}/reg/newer2.reg", newer),
                                        "_make": lambda: sparse(f"{work}/jvr/bin/MainUI.exe.config", 1 << 30)}),
        ("MainUI.exe.config grows past its limit", {"TOLVIK_REGISTRY": write(f"{work}/reg/newer3.reg", newer),
                                                    "_make": lambda: link(f"{work}/jvr/bin/MainUI.exe.config",
                                                                          "/proc/self/pagemap")}),
        ("MainUI.exe.config fails to read", {"TOLVIK_REGISTRY": write(f"{work}/reg/newer4.reg", newer),
                                             "_make": lambda: link(f"{work}/jvr/bin/MainUI.exe.config",
                                                                   "/proc/self/mem")}),
        ("registry export grows past its limit", {"TOLVIK_REGISTRY": "/proc/self/pagemap"}),
        ("bare library name, a FIFO first in LD_LIBRARY_PATH",
         {"TOLVIK_BRIDGE_LIBRARY": os.path.basename(fifo(f"{work}/ldpath/libq.so")),
          "LD_LIBRARY_PATH": f"{work}/ldpath"}),
    ]
    number = random.randrange(600, 800)
    xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "800x600x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    base = dict(os.environ, DISPLAY=f":{number}", TOLVIK_BENCH_SCENARIO=quick)
    for name in ("TOLVIK_REGISTRY", "TOLVIK_BRIDGE_LIBRARY", "QT_QPA_PLATFORM", "LD_LIBRARY_PATH"):
        base.pop(name, None)
    failed = 0
    try:
        time.sleep(1)
        for name, settings in cases:
            make = settings.pop("_make", None)
            if make:
                for path in (f"{work}/vistrel", f"{work}/jvr"):
                    subprocess.run(["rm", "-rf", path])
                make()
            env = dict(base, **settings)
            started = time.monotonic()
            tool = subprocess.Popen([os.path.join(args.build, "bin", "tolvik")], env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            shown = first_window(tool.pid, env, 10)
            elapsed = time.monotonic() - started
            tool.kill()
            tool.wait()
            failed += not shown
            print(f"{name}: {'window after %.2f s' % elapsed if shown else 'NO WINDOW within 10 s'}", flush=True)
        if args.race:
            failed += not race(args.build, work, base, args.race)
    finally:
        xvfb.terminate()
        xvfb.wait()
        subprocess.run(["rm", "-rf", work])
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
