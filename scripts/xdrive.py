"""Drives the real lintari on a virtual X display, for scripts/drills and
scripts/bench-program: a Xvfb of its own, the modem simulator on a
pseudo-terminal, a demo hive, clicks on the controls at the positions the
design table gives, the message boxes read through LINTARI_MESSAGE_LOG and
dismissed with the keyboard, and the process's CPU use, wake-ups and memory
from /proc.

Needs xdotool (scripts/install-deps --drills), Xvfb and python3; no other
packages.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
TITLE = "Lintari v 5.20"
FIRMWARE = "84a"
CLASS_KEY = r"SYSTEM\CurrentControlSet\Control\Class\{4D36E96D-E325-11CE-BFC1-08002BE10318}"
TICKS_PER_SECOND = os.sysconf("SC_CLK_TCK")

# Where a tab sheet's (0, 0) lies in the main window: the page control's own
# position (3, 3) from the design, plus its frame and the height of its tab
# row. Measured under Xvfb with Qt's default style and fonts; a click that
# misses shows as a request the simulator never received, which the callers
# check.
PAGE_ORIGIN = (5, 28)


def fail(message):
    print(f"{Path(sys.argv[0]).name}: {message}", file=sys.stderr)
    sys.exit(1)


def wait_until(condition, seconds, step=0.05):
    """Polls `condition` until it gives a true value or `seconds` pass; gives
    that value, or None."""
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(step)


def build(build_dir, targets):
    """A Release build without sanitizers, tests left out."""
    subprocess.run(
        ["cmake", "-S", str(ROOT), "-B", str(build_dir), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
         "-DLINTARI_SANITIZE=OFF", "-DLINTARI_TESTS=OFF"],
        check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(build_dir), "-j2", "--target", *targets], check=True,
                   stdout=subprocess.DEVNULL)


def check_tools():
    for tool in ("Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            fail(f"{tool} is missing: run scripts/install-deps --drills")


# --------------------------------------------------------------------------
# The design table: where each control of the main window lies.

_CONTROL = re.compile(r'\{\.name = "(\w+)", \.kind = Kind::(\w+), \.parent = "(\w*)"(.*)')


def _field(rest, name):
    match = re.search(rf"\.{name} = (-?\d+)", rest)
    return int(match.group(1)) if match else 0


class Design:
    """The main window's controls as src/app/design.cpp lays them out."""

    def __init__(self):
        text = (ROOT / "src/app/design.cpp").read_text(encoding="utf-8")
        main = text[text.index("mainWindow()"):text.index("setupWindow()")]
        self.controls = {}
        self.pages = []
        for line in main.splitlines():
            match = _CONTROL.search(line)
            if not match:
                continue
            name, kind, parent, rest = match.groups()
            self.controls[name] = {
                "kind": kind, "parent": parent,
                "left": _field(rest, "left"), "top": _field(rest, "top"),
                "width": _field(rest, "width"), "height": _field(rest, "height"),
            }
            if kind == "TabSheet":
                self.pages.append(name)

    def centre(self, name):
        """The control's centre in main-window coordinates."""
        control = self.controls[name]
        x = control["left"] + control["width"] // 2
        y = control["top"] + control["height"] // 2
        parent = control["parent"]
        while parent:
            outer = self.controls[parent]
            if outer["kind"] == "TabSheet":
                x += PAGE_ORIGIN[0]
                y += PAGE_ORIGIN[1]
                break
            if outer["kind"] == "Window":
                break
            x += outer["left"]
            y += outer["top"]
            parent = outer["parent"]
        return x, y

    def page_of(self, name):
        """The index of the tab sheet that holds the control, or None."""
        parent = self.controls[name]["parent"]
        while parent:
            if self.controls[parent]["kind"] == "TabSheet":
                return self.pages.index(parent)
            parent = self.controls[parent]["parent"]
        return None


# --------------------------------------------------------------------------
# Processes.

class Display:
    """A Xvfb of its own; Xvfb picks a free display number and reports it."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            number = reader.readline().strip()
        if not number:
            self.process.kill()
            fail("Xvfb did not start")
        self.name = f":{number}"

    def env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.name
        env.pop("WAYLAND_DISPLAY", None)
        env["QT_QPA_PLATFORM"] = "xcb"
        return env

    def xdotool(self, *args, timeout=10):
        result = subprocess.run(["xdotool", *args], env=self.env(), capture_output=True, text=True,
                                timeout=timeout)
        return result.stdout.split()

    def stop(self):
        stop_process(self.process)


def stop_process(process, sig=signal.SIGTERM):
    if process is None or process.poll() is not None:
        return
    process.send_signal(sig)
    try:
        process.wait(5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def write_hive(path, link, init="S7=60"):
    """A hive with one installed modem, COM1 on `link`, and that modem chosen
    with a TRVK2 of firmware 84a identified."""
    key = "\\" + CLASS_KEY + "\\0000"
    escape = lambda text: text.replace("\\", "\\\\").replace('"', '\\"')
    path.write_text(
        "Windows Registry Editor Version 5.00\n\n"
        f"[HKEY_LOCAL_MACHINE\\{CLASS_KEY}\\0000]\n"
        '"Model"="Brevant TRVK2 56k (simulated)"\n'
        f'"UserInit"="{escape(init)}"\n\n'
        "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n"
        f'"{escape(str(link))}"="COM1"\n\n'
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\LNTR]\n"
        f'"path"="{escape(key)}"\n'
        '"port"="1"\n'
        '"modem"="TRVK2"\n'
        f'"version"="{FIRMWARE}"\n',
        encoding="utf-8")


def hive_user_init(path):
    match = re.search(r'^"UserInit"="((?:[^"\\]|\\.)*)"', path.read_text(encoding="utf-8"),
                      re.IGNORECASE | re.MULTILINE)
    return match.group(1) if match else None


class Modem:
    """lintari-modemsim on a pseudo-terminal reached through `link`, logging
    what it receives and sends."""

    def __init__(self, build_dir, folder, link, faults=()):
        self.link = link
        self.received_log = folder / "modem-received.log"
        self.sent_log = folder / "modem-sent.log"
        if link.is_symlink() or link.exists():
            link.unlink()
        self.process = subprocess.Popen(
            [str(build_dir / "sim/lintari-modemsim"), "--link", str(link), "--firmware", FIRMWARE,
             "--log", str(self.received_log), "--log-sent", str(self.sent_log), "--exit-with-parent",
             *faults],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.device = self.process.stdout.readline().strip()
        if not self.device or not wait_until(link.exists, 5):
            fail("the modem simulator did not come up")

    def stop(self, sig=signal.SIGTERM):
        stop_process(self.process, sig)

    @staticmethod
    def _bytes(log):
        if not log.exists():
            return b""
        return bytes(int(line.split()[1], 16) for line in log.read_text().splitlines() if line.strip())

    def received(self):
        return self._bytes(self.received_log)

    def sent(self):
        return self._bytes(self.sent_log)


class Cost:
    """What a stretch of time cost a program: CPU ticks, wake-ups (by the
    name of the thread that woke), threads that ended or started."""

    def __init__(self, ticks, woken, ended, started):
        self.ticks, self.woken, self.ended, self.started = ticks, woken, ended, started
        self.wakeups = sum(woken.values())

    def text(self, seconds):
        text = f"{self.ticks} ticks, {self.wakeups} wake-ups"
        if self.woken:
            text += " (" + ", ".join(f"{name} {count}" for name, count in sorted(self.woken.items())) + ")"
        text += f" / {seconds:g} s"
        if self.ended or self.started:
            text += f"; {self.ended} threads ended, {self.started} started"
        return text


class Launched:
    """A program started on the display that prints "shown <ns>" on standard
    error when its main window is first exposed (LINTARI_REPORT_SHOWN=1 for
    lintari), and what it costs, from /proc."""

    def __init__(self, command, env, stderr_path):
        self.stderr_path = stderr_path
        with open(stderr_path, "w") as stderr:
            self.launched_ns = time.monotonic_ns()
            self.process = subprocess.Popen(command, env=env, stderr=stderr, stdout=subprocess.DEVNULL)
        self.pid = self.process.pid
        self.shown_ns = wait_until(self._shown, 60, 0.01)
        if self.shown_ns is None:
            self.stop()
            fail(f"the window of {Path(command[0]).name} did not appear")

    def _shown(self):
        match = re.search(r"^shown (\d+)$", self.stderr_path.read_text(), re.MULTILINE)
        return int(match.group(1)) if match else None

    def startup_ms(self):
        return (self.shown_ns - self.launched_ns) / 1e6

    def stop(self):
        stop_process(self.process)

    # What the process costs.

    def cpu_ticks(self):
        fields = Path(f"/proc/{self.pid}/stat").read_text().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])

    def cpu_ms(self):
        """CPU time of the threads alive now, to the nanosecond
        (/proc/<pid>/task/*/schedstat), where cpu_ticks() counts in whole
        ticks."""
        total = 0
        for task in Path(f"/proc/{self.pid}/task").iterdir():
            try:
                total += int((task / "schedstat").read_text().split()[0])
            except (FileNotFoundError, ProcessLookupError):
                pass
        return total / 1e6

    def thread_switches(self):
        """Context switches of each thread of the program, by thread id: each
        is a wake-up or a preemption."""
        return {tid: count for tid, (_, count) in self._threads().items()}

    def _threads(self):
        """Name and context switches of each thread, by thread id."""
        threads = {}
        for task in Path(f"/proc/{self.pid}/task").iterdir():
            try:
                name = (task / "comm").read_text().strip()
                lines = (task / "status").read_text().splitlines()
            except (FileNotFoundError, ProcessLookupError):
                continue
            threads[task.name] = (name, sum(int(line.split()[1]) for line in lines if "ctxt_switches:" in line))
        return threads

    def wakeups(self):
        return sum(self.thread_switches().values())

    def pooled_threads(self):
        """Threads of Qt's global thread pool. Qt starts some on the first
        input after a quiet spell (in a bare Qt program too) and ends them 30 s
        after their last task."""
        count = 0
        for task in Path(f"/proc/{self.pid}/task").iterdir():
            try:
                count += (task / "comm").read_text().strip() == "Thread (pooled)"
            except (FileNotFoundError, ProcessLookupError):
                pass
        return count

    def rss_kib(self):
        for line in Path(f"/proc/{self.pid}/status").read_text().splitlines():
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
        return 0

    def idle_cost(self, seconds):
        """What `seconds` in which nobody touches the program cost it."""
        start = self.begin_idle()
        time.sleep(seconds)
        return self.end_idle(start)

    def begin_idle(self):
        return self.cpu_ticks(), self._threads()

    def end_idle(self, start):
        """The cost since begin_idle(); a thread that ended takes its last
        wake-ups with it."""
        ticks, before = start
        after = self._threads()
        woken = {}
        for tid, (name, count) in after.items():
            delta = count - before[tid][1] if tid in before else count
            if delta:
                woken[name] = woken.get(name, 0) + delta
        return Cost(self.cpu_ticks() - ticks, woken, len(before.keys() - after.keys()),
                    len(after.keys() - before.keys()))

    def settle(self, quiet=0.5, limit=20.0):
        """Waits until no thread of the program has run for `quiet` seconds:
        a request has been sent and its answer handled."""
        last = self.wakeups()
        calm_since = time.monotonic()
        end = time.monotonic() + limit
        while time.monotonic() < end:
            time.sleep(0.05)
            now = self.wakeups()
            if now != last:
                last = now
                calm_since = time.monotonic()
            elif time.monotonic() - calm_since >= quiet:
                return True
        return False


class Lintari(Launched):
    """The program on the display, on `hive`, its boxes logged to a file."""

    def __init__(self, build_dir, display, folder, hive):
        self.display = display
        self.design = Design()
        self.page = 0
        self.message_log = folder / "messages.log"
        self.message_log.write_text("")
        env = display.env()
        env.update(LINTARI_REGISTRY=str(hive), LINTARI_MESSAGE_LOG=str(self.message_log),
                   LINTARI_REPORT_SHOWN="1")
        super().__init__([str(build_dir / "lintari")], env, folder / "lintari.stderr")
        found = wait_until(
            lambda: display.xdotool("search", "--onlyvisible", "--name", f"^{re.escape(TITLE)}$"), 10)
        if not found:
            self.stop()
            fail("the main window of lintari was not found on the display")
        self.window = found[0]

    # What the user does.

    def click(self, name):
        page = self.design.page_of(name)
        if page is not None and page != self.page:
            raise RuntimeError(f"{name} is on page {page + 1}, the drive is on page {self.page + 1}")
        x, y = self.design.centre(name)
        self.display.xdotool("mousemove", "--window", self.window, str(x), str(y), "click", "1")

    def next_page(self):
        """Ctrl+Tab: the tab control turns to the next page. Given right after
        a click on a button, whose focus passes the key on to the tab
        control (a drop-down list would take it as a search key)."""
        self.display.xdotool("key", "--clearmodifiers", "ctrl+Tab")
        self.page = (self.page + 1) % len(self.design.pages)

    def type_text(self, text):
        self.display.xdotool("type", "--delay", "20", text)

    # What the user is shown.

    def boxes(self):
        return [line.split("\t", 2) for line in self.message_log.read_text(encoding="utf-8").splitlines()]

    def open_boxes(self):
        return self.display.xdotool("search", "--onlyvisible", "--name", "^LTRI$")

    def dismiss_boxes(self, quiet=2.0, limit=120.0):
        """Presses Return on every box the program shows, until none has been
        open for `quiet` seconds; gives the number dismissed."""
        dismissed = 0
        calm_since = time.monotonic()
        end = time.monotonic() + limit
        while time.monotonic() < end:
            windows = self.open_boxes()
            if not windows:
                if time.monotonic() - calm_since >= quiet:
                    break
                time.sleep(0.1)
                continue
            for window in windows:
                self.display.xdotool("windowfocus", "--sync", window, timeout=5)
                self.display.xdotool("key", "--clearmodifiers", "Return")
                dismissed += 1
            wait_until(lambda: not self.open_boxes(), 2)
            calm_since = time.monotonic()
        return dismissed
