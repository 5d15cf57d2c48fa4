"""The live stream every real-host test plays (live-stream.txt beside this
file), what Zephrin Map must make of it, and the one comparison every host's
test makes.

    import livestream
    stream = livestream.load()                       # maps and timed messages
    symbols = stream.controls(converter)             # {"m1_on": "1", ...} for a host's controls
    expected = stream.expected(host_tool)            # [(frame, bytes)] as ZephrinMap.dll gives it
    got = midi.play(stream.events)                   # jackfixture.MidiClient, through the host
    problems = livestream.compare(expected, got)     # [] when identical, frames included

`converter` is the native program zephrin-map-controls (tools/controls/),
which turns the --map words into every mapping's control values with the
host tool's own parser; `host_tool` is the command that runs the Windows
host tool on ZephrinMap.dll, host_tool(WIN64_TREE) (which skips the test,
saying why, where that tree's host tool or Wine is missing).
The expected output is never written by hand: the host tool plays the
messages with a marker after each (F9, which every plug-in passes as it
is), so each output group is known to come from its input message and gets
that message's frame.
"""

import os
import subprocess
import tempfile

import jackfixture

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DEFAULT = os.path.join(HERE, "live-stream.txt")
MARKER = bytes([0xF9])


class StreamError(ValueError):
    def __init__(self, message, status=None):
        super().__init__(message)
        self.status = status  # the program's exit status, where one failed


def hex_bytes(data):
    return " ".join(f"{b:02X}" for b in data)


class Stream:
    def __init__(self, maps, events):
        self.maps = maps        # --map specs, in order
        self.events = events    # [(frame, bytes)], frames never going back

    def map_args(self):
        return [a for spec in self.maps for a in ("--map", spec)]

    def controls(self, converter):
        """The control values the mappings are as a host's controls, by
        symbol, from the converter program: {symbol: value text}."""
        out = subprocess.run([converter, *self.map_args()], capture_output=True, text=True,
                             timeout=30)
        if out.returncode != 0:
            raise StreamError(out.stderr.strip())
        values = {}
        for line in out.stdout.split():
            symbol, _, value = line.partition("=")
            values[symbol] = value
        return values

    def live_text(self):
        """The host tool's live file: each message, then the marker."""
        return "".join(f"{hex_bytes(data)}\n{hex_bytes(MARKER)}\n" for _, data in self.events)

    def expected(self, host_tool, timeout=120, options=()):
        """What the host tool's live road makes of the stream, each output at
        its input message's frame, in order: [(frame, bytes)]. options go
        before the command (["--learn", "2"]); any program that takes the
        host tool's --map words and live files will do (zephrin-clap-host)."""
        with tempfile.NamedTemporaryFile("w", suffix=".live", delete=False) as f:
            f.write(self.live_text())
        try:
            out = subprocess.run([*host_tool, *self.map_args(), *options, "live", f.name],
                                 capture_output=True, text=True, timeout=timeout)
        finally:
            os.unlink(f.name)
        if out.returncode != 0:
            raise StreamError(f"host tool failed ({out.returncode}): {out.stderr.strip()}"
                              f"{out.stdout.strip()}", out.returncode)
        groups, group = [], []
        for line in out.stdout.splitlines():
            try:
                data = bytes.fromhex(line)
            except ValueError:
                raise StreamError(f"host tool: not a message: {line!r}") from None
            if data == MARKER:
                groups.append(group)
                group = []
            else:
                group.append(data)
        if group or len(groups) != len(self.events):
            raise StreamError(f"host tool gave {len(groups)} groups for {len(self.events)} "
                              f"messages:\n{out.stdout}")
        return [(frame, data) for (frame, _), group in zip(self.events, groups) for data in group]


def host_tool(tree):
    """The command that runs the win64 tree's host tool on ZephrinMap.dll,
    or skips the test, saying what is missing."""
    exe = os.path.join(tree, "tools", "zephrin-host.exe")
    dll = os.path.join(tree, "plugins", "ZephrinMap.dll")
    for path in (exe, dll):
        if not os.path.isfile(path):
            jackfixture.skip(f"{path} is not built (the win64 preset builds it), so there is "
                             "no expected output to compare with")
    wine = subprocess.run(["bash", "-c", f". '{ROOT}/scripts/wine-env.sh' && zephrin_find_wine"],
                          capture_output=True, text=True)
    if wine.returncode != 0:
        jackfixture.skip(f"no Wine to run the host tool: {wine.stderr.strip()}")
    # --test: run once more if Wine ends it before it prints (as it now and
    # then does to a new process); its standard error joins its output.
    return [os.path.join(ROOT, "scripts", "wine-run"), "--test", exe, "--dll", dll]


def parse(text, where="stream"):
    maps, events = [], []
    last = 0
    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.split("#", 1)[0].strip()
        if not line:
            continue
        if line.startswith("map "):
            maps.append(line[4:].strip())
            continue
        frame, _, rest = line.partition(" ")
        try:
            frame = int(frame)
            data = bytes.fromhex(rest)
        except ValueError:
            raise StreamError(f"{where}:{number}: not a frame and hex bytes: {raw!r}") from None
        if frame < last:
            raise StreamError(f"{where}:{number}: frame {frame} comes before {last}")
        if not data or data[0] < 0x80 or MARKER in data:
            raise StreamError(f"{where}:{number}: not a message of the stream: {raw!r}")
        last = frame
        events.append((frame, data))
    return Stream(maps, events)


def load(path=DEFAULT):
    with open(path) as f:
        return parse(f.read(), path)


def compare(expected, got, latency=0):
    """Every difference between the expected [(frame, bytes)] and what a host
    gave, whose frames may all be later by `latency` frames; [] when they
    are the same events in the same order at the same frames."""
    problems = []
    shifted = [(frame - latency, data) for frame, data in got]
    for i in range(max(len(expected), len(shifted))):
        want = expected[i] if i < len(expected) else None
        have = shifted[i] if i < len(shifted) else None
        if want != have:
            problems.append(f"event {i}: expected {describe(want)}, got {describe(have)}")
    return problems


def report(problems, stream, host, got, expected, what, times):
    """Prints the differences (the first 20) and one line of what was
    compared; the test's exit status. times: (expected output, host) in s."""
    for line in problems[:20]:
        print(line)
    print(f"{len(stream.events)} messages in {len(stream.maps)} mappings' stream, "
          f"{len(got)} out of {host}, {len(expected)} from {what}: "
          + ("identical, frames included" if not problems else f"{len(problems)} differ")
          + f" (expected output {times[0]:.1f} s, {host} {times[1]:.1f} s)")
    return 1 if problems else 0


def describe(event):
    return "nothing" if event is None else f"[{hex_bytes(event[1])}] at frame {event[0]}"


def sorted_by_frame(events):
    """A recording in frame order, events at one frame in the order they came."""
    return sorted(events, key=lambda e: e[0])
