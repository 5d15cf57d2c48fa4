"""The live stream every real-host test plays (live-stream.txt beside this
file), what Zephrin Map must make of it, and the one comparison every host's
test makes.

The expected output is never written by hand: the host tool plays the
messages with a marker after each (F9, which every plug-in passes as it
is), so each output group is known to come from its input message and gets
that message's frame.
"""

import itertools
import os
import subprocess
import sys
import tempfile

import jackfixture

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
MARKER = bytes([0xF9])


class StreamError(ValueError):
    pass


def hex_bytes(data):
    return " ".join(f"{b:02X}" for b in data)


def run(argv, timeout):
    """A program's standard output. Exit 77 (a runner that cannot run here)
    skips the test, saying why; any other failure raises StreamError."""
    out = subprocess.run(argv, capture_output=True, text=True, timeout=timeout)
    if out.returncode not in (0, jackfixture.SKIP) and not out.stdout and not out.stderr:
        # Wine now and then ends a new process before it prints anything;
        # a program that failed on its own says why, so only a silent
        # failure is run once more.
        print(f"{argv[0]} ended silently ({out.returncode}); running it once more",
              file=sys.stderr)
        out = subprocess.run(argv, capture_output=True, text=True, timeout=timeout)
    if out.returncode == jackfixture.SKIP:
        jackfixture.skip(out.stderr.strip())
    if out.returncode != 0:
        raise StreamError(f"{' '.join(argv)} failed ({out.returncode}): "
                          f"{out.stderr.strip()}{out.stdout.strip()}")
    return out.stdout


class Stream:
    def __init__(self, maps, events):
        self.maps = maps        # --map specs, in order
        self.events = events    # [(frame, bytes)], frames never going back

    def map_args(self):
        return [a for spec in self.maps for a in ("--map", spec)]

    def controls(self, converter):
        """The mappings as a host's control values, {symbol: value text}, by
        zephrin-map-controls (tools/controls), the host tool's own parser."""
        out = run([converter, *self.map_args()], 30)
        return dict(line.partition("=")[::2] for line in out.split())

    def expected(self, host_tool, timeout=120, options=()):
        """What the host tool's live road (or any program taking its --map
        words and live files: zephrin-clap-host) makes of the stream, each
        output at its input message's frame: [(frame, bytes)]. options go
        before the command (["--learn", "2"])."""
        with tempfile.NamedTemporaryFile("w", suffix=".live", delete=False) as f:
            f.write("".join(f"{hex_bytes(data)}\n{hex_bytes(MARKER)}\n"
                            for _, data in self.events))
        try:
            out = run([*host_tool, *self.map_args(), *options, "live", f.name], timeout)
        finally:
            os.unlink(f.name)
        groups, group = [], []
        for line in out.splitlines():
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
                              f"messages:\n{out}")
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
    """A stream's text: "map SPEC" lines, then "FRAME HEX-BYTES" lines."""
    maps, events = [], []
    last = 0
    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.split("#", 1)[0].strip()
        if line.startswith("map "):
            maps.append(line[4:].strip())
        elif line:
            frame, _, rest = line.partition(" ")
            try:
                frame, data = int(frame), bytes.fromhex(rest)
            except ValueError:
                raise StreamError(f"{where}:{number}: not a frame and hex bytes: {raw!r}") from None
            if frame < last:
                raise StreamError(f"{where}:{number}: frame {frame} comes before {last}")
            if not data or data[0] < 0x80 or MARKER in data:
                raise StreamError(f"{where}:{number}: not a message of the stream: {raw!r}")
            last = frame
            events.append((frame, data))
    return Stream(maps, events)


def load():
    path = os.path.join(HERE, "live-stream.txt")
    with open(path) as f:
        return parse(f.read(), path)


def compare(expected, got):
    """Every difference between two [(frame, bytes)]: [] when they are the
    same events in the same order at the same frames."""
    def describe(event):
        return "nothing" if event is None else f"[{hex_bytes(event[1])}] at frame {event[0]}"
    return [f"event {i}: expected {describe(want)}, got {describe(have)}"
            for i, (want, have) in enumerate(itertools.zip_longest(expected, got))
            if want != have]


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
