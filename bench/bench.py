#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Speed and memory of wavpress-cli against the reference command-line encoders.

Builds a release wavpress-cli (build/bench), synthesizes a 3-minute and a 30-minute
44.1 kHz 16-bit stereo WAVE file, and measures on the same input:
  MP3:        wavpress-cli with the first-start defaults (128 kbit/s CBR, quality code 2,
              no bit reservoir)            against  lame -b 128 -q 2 --nores
  Ogg Vorbis: wavpress-cli -t ogg (quality 0.5)  against  oggenc -q 5
printing the median wall and CPU time of several runs (taken by turns) and the ratios, then
the peak resident memory of wavpress-cli for both inputs (/usr/bin/time -v). Last, the
window's case: the 3-minute file converted through the progress window offscreen
(wavpress-window-bench, as "変換" runs it) against wavpress-cli on the same file and settings;
the bar must not slow the job (at most 1.05 times the time).

The batch case converts 8 files of 30 seconds with -j 1, -j 2 and -j set to the number of
processors, printing the median wall times and the speed-up over -j 1, then the peak resident
memory of -j 4 on 8 files of 30 seconds and on 8 files of 10 minutes.

The formats case converts a 60-second 24-bit 96 kHz stereo file and a 60-second 32-bit float
48 kHz stereo file (the same music, made by sox) with wavpress-cli -j 1 on its first-start
defaults (MP3 resampled to 44.1 kHz) against lame -b 128 -q 2 --nores --resample 44.1 and
oggenc -q 5 on the same files, each at most 1.05 times the reference's time.

The window's batch converts 8 files of 20 seconds through the window with Jobs 1 and Jobs set
to the number of processors, against wavpress-cli -j 1 and -j N (the window timed from "変換",
its whole process beside it), and compares the outputs (Ogg Vorbis without the serial numbers).
The window runs offscreen, then under an Xvfb server of the bench's own, without and with
at-spi2-core's accessibility bus (a session bus of its own, Qt's bridge forced on); these runs
need xvfb, dbus-daemon and at-spi2-core, and are left out with a note where they are missing.

The ReplayGain case converts 10 files of 60 seconds with -j 1, with --replaygain and without,
MP3 and Ogg Vorbis: measuring the loudness must take at most 1.05 times the time.

    python3 bench/bench.py [--runs N] [--keep] [--window-only | --batch-only |
                            --window-batch-only | --formats-only | --replaygain-only]
"""

import argparse
import contextlib
import math
import os
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import time
from array import array

RATE = 44100
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def build():
    build_dir = os.path.join(ROOT, "build", "bench")
    subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja",
                    "-DCMAKE_BUILD_TYPE=Release", "-DWAVPRESS_TESTS=OFF"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "--", "-j2"], check=True,
                   stdout=subprocess.DEVNULL)
    return os.path.join(build_dir, "bin")


def music_block(seconds):
    """A block of a few seconds: a moving chord with some noise, so the encoders work."""
    frames = int(RATE * seconds)
    samples = array("h", bytes(4 * frames))
    seed = 12345
    for i in range(frames):
        t = i / RATE
        swell = 0.6 + 0.4 * math.sin(2 * math.pi * 0.5 * t)
        chord = (math.sin(2 * math.pi * 220.0 * t) + 0.6 * math.sin(2 * math.pi * 277.2 * t)
                 + 0.4 * math.sin(2 * math.pi * 329.6 * t + 0.3))
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        noise = (seed / 0x7FFFFFFF - 0.5) * 0.15
        left = swell * chord * 0.3 + noise
        right = swell * (chord * 0.25 + 0.2 * math.sin(2 * math.pi * 1760.0 * t)) - noise
        samples[2 * i] = int(max(-1.0, min(1.0, left)) * 32767)
        samples[2 * i + 1] = int(max(-1.0, min(1.0, right)) * 32767)
    if sys.byteorder != "little":
        samples.byteswap()
    return samples.tobytes()


def write_wave(path, block, seconds):
    """Tiles the block up to the length; the header is the canonical 44-byte one."""
    repeats = math.ceil(seconds * RATE * 4 / len(block))
    data_bytes = repeats * len(block)
    with open(path, "wb") as out:
        out.write(b"RIFF" + struct.pack("<I", 36 + data_bytes) + b"WAVE")
        out.write(b"fmt " + struct.pack("<IHHIIHH", 16, 1, 2, RATE, RATE * 4, 4, 16))
        out.write(b"data" + struct.pack("<I", data_bytes))
        for _ in range(repeats):
            out.write(block)


def timed_run(command, env=None):
    """Wall time and CPU time (user + system) of one run."""
    before = os.times()
    start = time.perf_counter()
    subprocess.run(command, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   env=env)
    wall = time.perf_counter() - start
    after = os.times()
    cpu = (after.children_user - before.children_user
           + after.children_system - before.children_system)
    return wall, cpu


def timed_turns(first, second, runs):
    """Wall and CPU times of each run of two commands, run by turns so that a load on the
    machine weighs on both alike."""
    timed_run(first)  # warm the caches
    timed_run(second)
    samples = ([], [])
    for _ in range(runs):
        samples[0].append(timed_run(first))
        samples[1].append(timed_run(second))
    return samples


def median_times(first, second, runs):
    """Medians of wall and CPU time of two commands, run by turns."""
    return [(statistics.median(wall for wall, _ in runs_of),
             statistics.median(cpu for _, cpu in runs_of))
            for runs_of in timed_turns(first, second, runs)]


def peak_memory_kib(command):
    result = subprocess.run(["/usr/bin/time", "-v"] + command, check=True,
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    for line in result.stderr.splitlines():
        if "Maximum resident set size" in line:
            return int(line.split(":")[1])
    raise RuntimeError("no peak memory in the output of /usr/bin/time -v")


def window_case(window, cli, out, wav, runs):
    """The window's conversion of the file (from "変換" to the end of the batch, as the program
    reports it) against the whole wavpress-cli process on the same file, taken by turns; and
    the whole window process, start of the window system included."""
    print(f"the window against wavpress-cli, 3-minute input, median of {runs} runs each "
          "(best: the fastest run of each, which a busy machine disturbs least)")
    print(f"{'encoder':<12}{'wall: window':>13}{'cli':>9}{'ratio':>7}"
          f"{'cpu: window':>12}{'cli':>9}{'ratio':>7}{'best ratio':>12}{'window process':>16}")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", QT_LOGGING_RULES="default.warning=false")

    def window_run(kind):
        before = time.perf_counter()
        result = subprocess.run([window, kind, out, "1", wav], check=True, env=env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, text=True)
        process = time.perf_counter() - before
        wall, cpu = (float(field) for field in result.stdout.split())
        return wall, cpu, process

    for kind, name in (("mp3", "MP3"), ("ogg", "Ogg Vorbis")):
        cli_command = [cli, "-q", "-y", "-t", kind, "-o", out, wav]
        window_run(kind)  # warm the caches
        timed_run(cli_command)
        windows, clis = [], []
        for _ in range(runs):
            windows.append(window_run(kind))
            clis.append(timed_run(cli_command))
        win_wall, win_cpu, win_process = (statistics.median(run[i] for run in windows)
                                          for i in range(3))
        cli_wall, cli_cpu = (statistics.median(run[i] for run in clis) for i in range(2))
        best = min(run[0] for run in windows) / min(run[0] for run in clis)
        print(f"{name:<12}{win_wall:>12.3f}s{cli_wall:>8.3f}s{win_wall / cli_wall:>7.3f}"
              f"{win_cpu:>11.3f}s{cli_cpu:>8.3f}s{win_cpu / cli_cpu:>7.3f}{best:>12.3f}"
              f"{win_process:>15.3f}s")


def batch_inputs(folder, block, seconds, count=8, copies=False):
    """count inputs of the given length as links to one file (the disk holds one copy), or as
    copies where each must be a file of its own (the window's list takes a file once)."""
    os.mkdir(folder)
    first = os.path.join(folder, "01.wav")
    write_wave(first, block, seconds)
    paths = [first]
    for number in range(2, count + 1):
        path = os.path.join(folder, f"{number:02}.wav")
        (shutil.copyfile if copies else os.link)(first, path)
        paths.append(path)
    return paths


def batch_case(ours, work, block, runs):
    processors = os.cpu_count() or 1
    short_batch = batch_inputs(os.path.join(work, "batch-30s"), block, 30)
    jobs = sorted({1, 2, processors})
    print(f"batch of 8 files of 30 s, 44.1 kHz stereo, {processors} processors, "
          f"load average {os.getloadavg()[0]:.2f} at the start, median of {runs} runs each")
    print(f"{'encoder':<12}" + "".join(f"{'-j ' + str(j):>10}{'speed-up':>10}" for j in jobs))
    for kind, name in (("mp3", "MP3"), ("ogg", "Ogg Vorbis")):
        commands = [ours(kind, short_batch, j) for j in jobs]
        for command in commands:
            timed_run(command)  # warm the caches
        walls = {j: [] for j in jobs}
        for _ in range(runs):
            for j, command in zip(jobs, commands):
                walls[j].append(timed_run(command)[0])
        medians = {j: statistics.median(walls[j]) for j in jobs}
        print(f"{name:<12}" + "".join(f"{medians[j]:>9.3f}s{medians[1] / medians[j]:>9.2f}x"
                                      for j in jobs))
    print(f"load average {os.getloadavg()[0]:.2f} at the end")

    long_batch = batch_inputs(os.path.join(work, "batch-10min"), block, 600)
    print("\npeak resident memory of wavpress-cli -j 4")
    print(f"{'encoder':<12}{'8 x 30 s':>12}{'8 x 10 min':>12}{'difference':>12}")
    for kind, name in (("mp3", "MP3"), ("ogg", "Ogg Vorbis")):
        short_kib = peak_memory_kib(ours(kind, short_batch, 4))
        long_kib = peak_memory_kib(ours(kind, long_batch, 4))
        print(f"{name:<12}{short_kib:>9} KiB{long_kib:>8} KiB{long_kib - short_kib:>8} KiB")


AT_SPI_BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


class DisplayServer:
    """An Xvfb server of the bench's own, on the first free display number."""

    def __enter__(self):
        read, write = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(write,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as numbers:
            number = numbers.readline().strip()
        if not number:
            self.process.wait()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        return self

    def __exit__(self, *_):
        self.process.terminate()
        self.process.wait()


class AccessibilityBus:
    """A session bus of the bench's own with at-spi2-core's accessibility bus on it. Qt turns
    its accessibility bridge on only where org.a11y.Bus is already there when it starts (it
    does not have it started), and only on a real display: offscreen it has no bridge."""

    def __enter__(self):
        session = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                                  "--print-pid=1"], check=True, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.PIPE, text=True)
        self.address, pid = session.stdout.split()
        self.bus_pid = int(pid)
        env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=self.address)
        self.launcher = subprocess.Popen([AT_SPI_BUS_LAUNCHER], env=env,
                                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL)
        asked = ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                 "/org/a11y/bus", "org.a11y.Bus.GetAddress"]
        deadline = time.monotonic() + 10
        while subprocess.run(asked, env=env, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL).returncode != 0:
            if time.monotonic() > deadline:
                self.__exit__()
                raise RuntimeError("the accessibility bus did not start")
            time.sleep(0.1)
        return self

    def __exit__(self, *_):
        # The accessibility bus and its registry end with the launcher.
        self.launcher.terminate()
        self.launcher.wait()
        os.kill(self.bus_pid, signal.SIGTERM)


def window_modes(stack):
    """The displays the window's batch runs on, as (name, environment) pairs: offscreen, then
    under Xvfb without and with the accessibility bus where Xvfb and at-spi2-core are there."""
    quiet = {"QT_LOGGING_RULES": "default.warning=false"}
    base = {name: value for name, value in os.environ.items()
            if name not in ("DBUS_SESSION_BUS_ADDRESS", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON",
                            "QT_ACCESSIBILITY", "DISPLAY", "WAYLAND_DISPLAY")}
    modes = [("offscreen", dict(base, QT_QPA_PLATFORM="offscreen", **quiet))]
    missing = [tool for tool in ("Xvfb", "dbus-daemon", "dbus-send")
               if shutil.which(tool) is None]
    if "Xvfb" in missing:
        print("Xvfb is missing: the window runs offscreen only (apt-get install xvfb)")
        return modes
    display = stack.enter_context(DisplayServer()).display
    xcb = dict(base, QT_QPA_PLATFORM="xcb", DISPLAY=display, **quiet)
    modes.append(("Xvfb", xcb))
    if missing or not os.access(AT_SPI_BUS_LAUNCHER, os.X_OK):
        print("dbus-daemon or at-spi2-core is missing: no run with the accessibility bus "
              "(apt-get install dbus-daemon at-spi2-core)")
        return modes
    bus = stack.enter_context(AccessibilityBus())
    modes.append(("Xvfb + accessibility bus",
                  dict(xcb, DBUS_SESSION_BUS_ADDRESS=bus.address,
                       QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")))
    return modes


def window_batch_case(window, cli, work, block, runs):
    """8 files of 20 s through the window with Jobs 1 and Jobs N (the processors), offscreen
    and under Xvfb without and with the accessibility bus, against wavpress-cli -j 1 and -j N,
    all taken by turns: the window's time from "変換" to the end of the batch (as it reports
    it; its whole process beside it) against the whole wavpress-cli process; then the outputs
    of every window run and of wavpress-cli compared byte for byte."""
    processors = os.cpu_count() or 1
    wavs = batch_inputs(os.path.join(work, "window-batch"), block, 20, copies=True)
    with contextlib.ExitStack() as stack:
        modes = window_modes(stack)
        print(f"the window's batch: 8 files of 20 s, {processors} processors, load average "
              f"{os.getloadavg()[0]:.2f} at the start, median of {runs} runs each; ratios to "
              "wavpress-cli -j 1; cpu: the ratio of the CPU times to wavpress-cli with as many "
              "jobs, which a busy machine disturbs less; (process): the whole window process")
        print(f"{'encoder':<12}{'display':<26}{'cli -j 1':>10}{'cli -j ' + str(processors):>10}"
              f"{'window 1':>10}{'ratio':>7}{'cpu':>7}{'(process)':>11}"
              f"{'window ' + str(processors):>10}{'ratio':>7}{'cpu':>7}{'(process)':>11}"
              f"{'same outputs':>14}")
        for kind, name in (("mp3", "MP3"), ("ogg", "Ogg Vorbis")):
            window_batch_runs(window, cli, work, wavs, kind, name, modes, runs)
    print(f"load average {os.getloadavg()[0]:.2f} at the end")


def window_batch_runs(window, cli, work, wavs, kind, name, modes, runs):
    """One encoder's rows of the window's batch table."""
    processors = os.cpu_count() or 1
    commands = {}
    envs = {}
    outs = {}
    for label, jobs in (("cli1", 1), ("cliN", processors)):
        outs[label] = os.path.join(work, f"window-batch-{kind}-{label}")
        commands[label] = [cli, "-q", "-y", "-j", str(jobs), "-t", kind, "-o",
                           outs[label]] + wavs
        envs[label] = modes[0][1]
    for number, (_, env) in enumerate(modes):
        for jobs in (1, processors):
            label = f"{number}-{jobs}"
            outs[label] = os.path.join(work, f"window-batch-{kind}-{label}")
            commands[label] = [window, kind, outs[label], str(jobs)] + wavs
            envs[label] = env
    for folder in outs.values():
        os.makedirs(folder, exist_ok=True)

    def run(label):
        """Wall and CPU seconds, and the whole window process's wall seconds."""
        if label.startswith("cli"):
            return timed_run(commands[label], envs[label]) + (None,)
        start = time.perf_counter()
        result = subprocess.run(commands[label], check=True, env=envs[label],
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, text=True)
        wall, cpu = (float(field) for field in result.stdout.split())
        return wall, cpu, time.perf_counter() - start

    for label in commands:
        run(label)  # warm the caches
    times = {label: [] for label in commands}
    for _ in range(runs):
        for label in commands:
            times[label].append(run(label))
    med = {label: statistics.median(run[0] for run in times[label]) for label in times}
    cpu = {label: statistics.median(run[1] for run in times[label]) for label in times}
    process = {label: statistics.median(run[2] for run in times[label])
               for label in times if not label.startswith("cli")}
    for number, (mode, _) in enumerate(modes):
        one, many = f"{number}-1", f"{number}-{processors}"
        same = all(comparable(os.path.join(outs["cli1"], f)) ==
                   comparable(os.path.join(outs[label], f))
                   for label in ("cliN", one, many) for f in os.listdir(outs["cli1"]))
        print(f"{name:<12}{mode:<26}{med['cli1']:>9.3f}s{med['cliN']:>9.3f}s"
              f"{med[one]:>9.3f}s{med[one] / med['cli1']:>7.3f}{cpu[one] / cpu['cli1']:>7.3f}"
              f"{process[one]:>10.3f}s{med[many]:>9.3f}s{med[many] / med['cli1']:>7.3f}"
              f"{cpu[many] / cpu['cliN']:>7.3f}{process[many]:>10.3f}s"
              f"{'yes' if same else 'NO':>14}")


def formats_case(ours, work, out, block, runs):
    """The high-resolution and float inputs against lame and oggenc, by turns."""
    block_wav = os.path.join(work, "block.wav")
    write_wave(block_wav, block, len(block) / 4 / RATE)
    repeats = math.ceil(60 * RATE * 4 / len(block)) - 1
    inputs = []
    for name, options in (("24bit 96 kHz", ["-r", "96000", "-b", "24"]),
                          ("float 48 kHz", ["-r", "48000", "-e", "floating-point", "-b", "32"])):
        path = os.path.join(work, name.replace(" ", "-") + ".wav")
        subprocess.run(["sox", block_wav] + options + [path, "repeat", str(repeats)], check=True)
        inputs.append((name, path))
    print(f"60-second inputs, wavpress-cli -j 1 against the reference, median of {runs} runs "
          f"each, load average {os.getloadavg()[0]:.2f} at the start")
    print(f"{'input':<14}{'encoder':<12}{'wall: ours':>11}{'reference':>11}{'ratio':>7}"
          f"{'cpu: ours':>11}{'reference':>11}{'ratio':>7}")
    for name, path in inputs:
        pairs = [
            ("MP3", ours("mp3", [path]),
             ["lame", "--quiet", "-b", "128", "-q", "2", "--nores", "--resample", "44.1", path,
              os.path.join(out, "reference.mp3")]),
            ("Ogg Vorbis", ours("ogg", [path]),
             ["oggenc", "-Q", "-q", "5", "-o", os.path.join(out, "reference.ogg"), path]),
        ]
        for encoder, our_command, reference_command in pairs:
            (our_wall, our_cpu), (ref_wall, ref_cpu) = median_times(
                our_command, reference_command, runs)
            print(f"{name:<14}{encoder:<12}{our_wall:>10.3f}s{ref_wall:>10.3f}s"
                  f"{our_wall / ref_wall:>7.3f}{our_cpu:>10.3f}s{ref_cpu:>10.3f}s"
                  f"{our_cpu / ref_cpu:>7.3f}")
    print(f"load average {os.getloadavg()[0]:.2f} at the end")


def replaygain_case(ours, work, block, runs):
    """The same batch with and without the loudness measured, by turns; best: the fastest run
    of each, which a busy machine disturbs least (the meter works on a thread of its own, which
    gains only where a processor is free)."""
    batch = batch_inputs(os.path.join(work, "replaygain-60s"), block, 60, count=10)
    print(f"batch of 10 files of 60 s, 44.1 kHz stereo, wavpress-cli -j 1, median of {runs} "
          f"runs each, load average {os.getloadavg()[0]:.2f} at the start")
    print(f"{'encoder':<12}{'wall: without':>14}{'with':>10}{'ratio':>7}"
          f"{'cpu: without':>14}{'with':>10}{'ratio':>7}{'best ratio':>12}")
    for kind, name in (("mp3", "MP3"), ("ogg", "Ogg Vorbis")):
        plain, gain = timed_turns(ours(kind, batch, 1) + ["--no-replaygain"],
                                  ours(kind, batch, 1) + ["--replaygain"], runs)
        plain_wall, gain_wall = (statistics.median(wall for wall, _ in s) for s in (plain, gain))
        plain_cpu, gain_cpu = (statistics.median(cpu for _, cpu in s) for s in (plain, gain))
        best = min(wall for wall, _ in gain) / min(wall for wall, _ in plain)
        print(f"{name:<12}{plain_wall:>13.3f}s{gain_wall:>9.3f}s{gain_wall / plain_wall:>7.3f}"
              f"{plain_cpu:>13.3f}s{gain_cpu:>9.3f}s{gain_cpu / plain_cpu:>7.3f}{best:>12.3f}")
    print(f"load average {os.getloadavg()[0]:.2f} at the end")


def comparable(path):
    """The file's bytes; of an Ogg file, with each page's stream serial number and checksum
    set to zero: the serial comes from the clock's second at the job's start."""
    with open(path, "rb") as file:
        data = bytearray(file.read())
    if not path.endswith(".ogg"):
        return bytes(data)
    at = 0
    while at + 27 <= len(data) and data[at:at + 4] == b"OggS":
        data[at + 14:at + 18] = bytes(4)
        data[at + 22:at + 26] = bytes(4)
        segments = data[at + 26]
        at += 27 + segments + sum(data[at + 27:at + 27 + segments])
    if at != len(data):
        raise RuntimeError(f"{path}: not a sequence of Ogg pages")
    return bytes(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5, help="timed runs per command (5)")
    parser.add_argument("--keep", action="store_true", help="keep the work folder")
    only = parser.add_mutually_exclusive_group()
    only.add_argument("--window-only", action="store_true",
                      help="only the window against wavpress-cli")
    only.add_argument("--batch-only", action="store_true",
                      help="only the batch with -j 1, -j 2 and -j the processor count")
    only.add_argument("--window-batch-only", action="store_true",
                      help="only the window's batch with Jobs 1 and N against -j 1 and -j N")
    only.add_argument("--formats-only", action="store_true",
                      help="only the 24-bit 96 kHz and float 48 kHz inputs")
    only.add_argument("--replaygain-only", action="store_true",
                      help="only the batch with and without --replaygain")
    args = parser.parse_args()

    for tool in ("lame", "oggenc", "sox", "/usr/bin/time"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is missing: run scripts/install-deps.sh")

    bin_dir = build()
    work = tempfile.mkdtemp(prefix="wavpress-bench-")
    try:
        # A folder of its own without opt.ini: the program runs on its first-start defaults.
        app = os.path.join(work, "app")
        os.mkdir(app)
        for name in ("wavpress-cli", "wavpress-window-bench", "lame_enc.so"):
            shutil.copy2(os.path.join(bin_dir, name), app)
        cli = os.path.join(app, "wavpress-cli")
        window = os.path.join(app, "wavpress-window-bench")
        out = os.path.join(work, "out")
        os.mkdir(out)

        block = music_block(3.0)

        def ours(kind, wavs, jobs=1):
            return [cli, "-q", "-y", "-j", str(jobs), "-t", kind, "-o", out] + wavs

        if args.batch_only:
            batch_case(ours, work, block, args.runs)
            return
        if args.window_batch_only:
            window_batch_case(window, cli, work, block, args.runs)
            return
        if args.formats_only:
            formats_case(ours, work, out, block, args.runs)
            return
        if args.replaygain_only:
            replaygain_case(ours, work, block, args.runs)
            return
        short_wav = os.path.join(work, "three-minutes.wav")
        long_wav = os.path.join(work, "thirty-minutes.wav")
        write_wave(short_wav, block, 180)
        if args.window_only:
            window_case(window, cli, out, short_wav, args.runs)
            return
        write_wave(long_wav, block, 1800)

        pairs = [
            ("MP3", ours("mp3", [short_wav]),
             ["lame", "--quiet", "-b", "128", "-q", "2", "--nores", short_wav,
              os.path.join(out, "reference.mp3")]),
            ("Ogg Vorbis", ours("ogg", [short_wav]),
             ["oggenc", "-Q", "-q", "5", "-o", os.path.join(out, "reference.ogg"), short_wav]),
        ]
        print(f"3-minute 44.1 kHz stereo input, median of {args.runs} runs each")
        print(f"{'encoder':<12}{'wall: ours':>11}{'reference':>11}{'ratio':>7}"
              f"{'cpu: ours':>11}{'reference':>11}{'ratio':>7}")
        for name, our_command, reference_command in pairs:
            (our_wall, our_cpu), (ref_wall, ref_cpu) = median_times(
                our_command, reference_command, args.runs)
            print(f"{name:<12}{our_wall:>10.3f}s{ref_wall:>10.3f}s{our_wall / ref_wall:>7.3f}"
                  f"{our_cpu:>10.3f}s{ref_cpu:>10.3f}s{our_cpu / ref_cpu:>7.3f}")

        print("\npeak resident memory of wavpress-cli")
        print(f"{'encoder':<12}{'3 minutes':>12}{'30 minutes':>12}{'difference':>12}")
        for kind, name in (("mp3", "MP3"), ("ogg", "Ogg Vorbis")):
            short_kib = peak_memory_kib(ours(kind, [short_wav]))
            long_kib = peak_memory_kib(ours(kind, [long_wav]))
            print(f"{name:<12}{short_kib:>9} KiB{long_kib:>8} KiB{long_kib - short_kib:>8} KiB")
        print()
        window_case(window, cli, out, short_wav, args.runs)
        print()
        batch_case(ours, work, block, args.runs)
        print()
        window_batch_case(window, cli, work, block, args.runs)
        print()
        formats_case(ours, work, out, block, args.runs)
        print()
        replaygain_case(ours, work, block, args.runs)
    finally:
        if args.keep:
            print(f"\nwork folder kept: {work}")
        else:
            shutil.rmtree(work)


if __name__ == "__main__":
    main()
