#!/usr/bin/python3
"""Starts the tool under Xvfb once per hostile input and times until its first window shows.

    scripts/hostile-inputs.py [--build DIR] [--race N] [--adapters]

Each input (a FIFO, /dev/zero, a folder, a huge sparse file, a file that grows past its limit
or fails to read where a registry export, CAL file, configuration file, scenario file or bridge
library is expected; a bare library name whose first match is a FIFO) must let a window of the
tool show within a few seconds; the script prints the time for each and fails when one does
not show within 10 s. With --race N it then starts the tool N times more while a FIFO and the
real file are renamed over the bridge library's and the scenario's paths in turn, as fast as
Python can, and prints how often the window showed and the slowest start. With --adapters it
runs the adapter library instead, once per hostile adapter (a FIFO, /dev/zero, a folder, a
symlink loop, a 5,000-byte path and the like where a serial adapter is named; ptys whose far side
floods, answers every command with BEL or hangs up; over-long and non-CAN SocketCAN names): each
must show a window within 10 s and its reason in the status log (the script dismisses the message
boxes and copies the log through its context menu), and end within 5 s of the close box; for the
floods it prints the resident memory after 30 s. Needs Xvfb, xdotool and python3-xlib.
"""
import argparse
import os
import pty
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


class FarSide:
    """The far side of a pty named as an slcan adapter, behaving as `mode` says, on a thread."""

    def __init__(self, mode):
        self.master, slave = pty.openpty()
        self.path = os.ttyname(slave)
        os.close(slave)
        os.set_blocking(self.master, False)
        self.mode, self.stopped = mode, threading.Event()
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def writes(self):
        if self.mode == "endless line":
            chunk = b"t" * 4096
            return lambda _: chunk
        if self.mode == "random bytes":
            return lambda _: os.urandom(1024)  # paced below: about 1 MB/s
        if self.mode == "every identifier":
            frames = [b"t%03X8%s\r" % (i, b"%016X" % i) for i in range(0x800)]
            frames += [b"T%08X0\r" % (i * 0x3FFF) for i in range(0x800)]
            burst = b"".join(frames)
            return lambda _: burst
        return None

    def run(self):
        write = self.writes()
        pace = 0.001 if self.mode == "random bytes" else 0
        while not self.stopped.is_set():
            try:
                if self.mode == "hang-up":
                    if os.read(self.master, 64):
                        os.close(self.master)
                        return
                elif self.mode == "BEL to every command":
                    if os.read(self.master, 256).count(b"\r"):
                        os.write(self.master, b"\a")
                else:
                    os.write(self.master, write(None))
                    if pace:
                        time.sleep(pace)
            except OSError:
                time.sleep(0.01)  # nothing to read yet, or the line discipline is full

    def stop(self):
        self.stopped.set()
        try:
            os.close(self.master)
        except OSError:
            pass


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def close_all(pid, env, timeout):
    """Sends the close box to each window of `pid` until it ends; the seconds it took, or None."""
    started = time.monotonic()
    while time.monotonic() - started < timeout:
        windows = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", "."],
                                 env=env, capture_output=True, text=True).stdout.split()
        for window in reversed(windows):  # message boxes were mapped last
            subprocess.run(["/usr/bin/python3", os.path.join(ROOT, "scripts", "close-window.py"), window],
                           env=env, capture_output=True)
        try:
            os.waitpid(pid, os.WNOHANG)
            os.kill(pid, 0)
        except (ChildProcessError, ProcessLookupError):
            return time.monotonic() - started
        time.sleep(0.2)
    return None


def visible_windows(pid, env):
    """The visible windows of `pid` with their widths."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", "."],
                           env=env, capture_output=True, text=True).stdout.split()
    windows = []
    for window in found:
        shape = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], env=env,
                               capture_output=True, text=True).stdout
        width = [int(line[6:]) for line in shape.splitlines() if line.startswith("WIDTH=")]
        windows.append((window, width[0] if width else 0))
    return windows


def read_clipboard(env, timeout=2.0):
    """The CLIPBOARD selection's text, asked for as any X client does; None when no answer came."""
    from Xlib import X, display
    dpy = display.Display(env["DISPLAY"])
    window = dpy.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    target = dpy.intern_atom("TOLVIK_LOG")
    window.convert_selection(dpy.intern_atom("CLIPBOARD"), dpy.intern_atom("UTF8_STRING"), target, X.CurrentTime)
    dpy.flush()
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        while dpy.pending_events():
            answer = dpy.next_event()
            if answer.type == X.SelectionNotify:
                value = window.get_full_property(target, X.AnyPropertyType) if answer.property != X.NONE else None
                dpy.close()
                return value.value.decode("utf-8", "replace") if value else ""
        time.sleep(0.02)
    dpy.close()
    return None


def status_log(pid, env):
    """Dismisses the message boxes in front of the main dialog (as a technician would), then takes
    the status log's lines through its context menu's "Copy all"; (main window, lines)."""
    end = time.monotonic() + 5
    while time.monotonic() < end:
        windows = visible_windows(pid, env)
        main = [window for window, width in windows if width >= 500]
        boxes = [window for window, width in windows if width < 500]
        if main and not boxes:
            subprocess.run(["xdotool", "mousemove", "--window", main[0], "60", "100", "click", "3"], env=env)
            time.sleep(0.5)
            subprocess.run(["xdotool", "key", "a"], env=env)
            time.sleep(0.3)
            return main[0], (read_clipboard(env) or "").splitlines()
        for box in boxes:
            subprocess.run(["/usr/bin/python3", os.path.join(ROOT, "scripts", "close-window.py"), box],
                           env=env, capture_output=True)
        time.sleep(0.2)
    return None, []


def adapter_cases(build, work, base):
    """Runs the adapter library on each hostile adapter; the number of cases that failed."""
    os.makedirs(f"{work}/adapter")
    loop = f"{work}/adapter/loop"
    os.symlink(loop, loop)
    plain = write(f"{work}/adapter/plain.txt", "t1C810\r")
    cases = [
        ("serial adapter is a FIFO", fifo(f"{work}/adapter/fifo"), None),
        ("serial adapter is /dev/zero", "/dev/zero", None),
        ("serial adapter is /dev/null", "/dev/null", None),
        ("serial adapter is a regular file", plain, None),
        ("serial adapter is a folder", work, None),
        ("serial adapter is a symlink loop", loop, None),
        ("serial adapter path of 5,000 bytes", "/" + "d" * 4999, None),
        ("pty: endless line without CR", None, "endless line"),
        ("pty: 1 MB/s of random bytes", None, "random bytes"),
        ("pty: BEL to every command", None, "BEL to every command"),
        # Every node seems to answer here, so the link comes up: the log shows the flood's keys.
        ("pty: frames with every identifier", None, "every identifier"),
        ("pty: closes right after the open", None, "hang-up"),
        ("socketcan: name longer than an interface name", "socketcan:" + "c" * 40, None),
        ("socketcan:lo", "socketcan:lo", None),
    ]
    library = os.path.join(build, "bin", "libtolvikcan.so")
    failed = 0
    for name, device, mode in cases:
        far = FarSide(mode) if mode else None
        adapter = device if device and device.startswith("socketcan:") else f"slcan:{far.path if far else device}"
        env = dict(base, TOLVIK_BRIDGE_LIBRARY=library, TOLVIK_CAN_ADAPTER=adapter, QT_FORCE_STDERR_LOGGING="1")
        errors = tempfile.TemporaryFile()
        started = time.monotonic()
        tool = subprocess.Popen([os.path.join(build, "bin", "tolvik")], env=env,
                                stdout=subprocess.DEVNULL, stderr=errors)
        shown = first_window(tool.pid, env, 10)
        elapsed = time.monotonic() - started
        rss = ""
        if shown and mode and mode != "hang-up" and mode != "BEL to every command":
            time.sleep(30)
            rss = f", RSS after 30 s {resident_kib(tool.pid) // 1024} MiB"
        lines = status_log(tool.pid, env)[1] if shown else []
        closed = close_all(tool.pid, env, 5) if shown else None
        if closed is None:
            tool.kill()
        tool.wait()
        if far:
            far.stop()
        # The reason: what the library said, and the scan's line; the Part's own lines are not.
        said = [line for line in lines if not line.startswith("Using adapter")
                and ("slcan:" in line or "socketcan:" in line or "answered the scan" in line
                     or "Adapter name" in line)]
        if mode == "every identifier" and "Key up" in lines:
            said = [f"connected; {lines.count('Key up')} lines \"Key up\" of the flood's key frames"]
        errors.seek(0)
        stderr = errors.read().decode(errors="replace").splitlines()
        reason = " / ".join(said) if said else "NO REASON IN THE LOG (stderr ended: %r)" % (stderr[-4:] or "")
        ok = shown and closed is not None and bool(said)
        failed += not ok
        window = f"window after {elapsed:.2f} s" if shown else f"NO WINDOW within 10 s (exit status {tool.returncode})"
        ending = f"closed in {closed:.2f} s" if closed is not None else "NOT CLOSED within 5 s"
        shown_reason = reason if len(reason) <= 240 else reason[:120] + " [...] " + reason[-120:]
        print(f"{name}: {window}, {ending}{rss}; reason: {shown_reason}", flush=True)
    return failed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "default"))
    parser.add_argument("--race", type=int, default=0, metavar="N")
    parser.add_argument("--adapters", action="store_true", help="hostile CAN adapters instead of files")
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
    # Xvfb picks a free display and writes its number to the pipe: a display number chosen here
    # could be another program's, whose server may go away in the middle of the run. Without
    # -noreset the server resets whenever its last client leaves, and a start at that moment fails.
    reader, writer = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(writer), "-noreset", "-screen", "0", "800x600x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(writer,))
    os.close(writer)
    with os.fdopen(reader) as numbers:
        number = numbers.readline().strip()
    base = dict(os.environ, DISPLAY=f":{number}", TOLVIK_BENCH_SCENARIO=quick)
    for name in ("TOLVIK_REGISTRY", "TOLVIK_BRIDGE_LIBRARY", "QT_QPA_PLATFORM", "LD_LIBRARY_PATH"):
        base.pop(name, None)
    failed = 0
    try:
        time.sleep(1)
        if args.adapters:
            cases = []
            failed += adapter_cases(args.build, work, base)
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
