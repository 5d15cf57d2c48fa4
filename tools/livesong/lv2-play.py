"""Plays a song's messages through Zephrin Map's LV2 plug-in in jalv, on a
private JACK server, and writes what came out as a song, with the host
tool's summary. What scripts/main.sh --lv2 runs.

    lv2-play.py NATIVE_TREE IN.mid OUT.mid [--map "SPEC"]...

The song's ticks become frames at 48 kHz (zephrin-live-song frames), the
mappings the plug-in's controls (zephrin-map-controls, given to jalv -c),
and the messages go in at their frames through the real-host fixture's
jalv (tests/hosts/jalv_test.py). The server freewheels: its cycles run back to
back, as fast as jalv and the fixture's clients get through them, instead
of at the dummy backend's real-time pace, and each cycle still carries
exactly its frames, so each message keeps its place.
"""

import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "hosts"))
import jackfixture as jf  # noqa: E402
import jalv_test  # noqa: E402
import livestream  # noqa: E402

RATE = 48000
PERIOD = 1024


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    tree, song, out, rest = os.path.abspath(argv[0]), argv[1], argv[2], argv[3:]
    maps = [rest[i + 1] for i in range(0, len(rest) - 1, 2) if rest[i] == "--map"]
    live_song = os.path.join(tree, "tools", "livesong", "zephrin-live-song")
    converter = os.path.join(tree, "tools", "controls", "zephrin-map-controls")
    map_args = [a for spec in maps for a in ("--map", spec)]

    frames = subprocess.run([live_song, "frames", song, "--rate", str(RATE)], capture_output=True,
                            text=True)
    if frames.returncode != 0:
        sys.stderr.write(frames.stderr)
        return frames.returncode
    events = livestream.parse(frames.stdout, song).events
    try:
        controls = livestream.Stream(maps, []).controls(converter)
    except livestream.StreamError as e:
        print(e, file=sys.stderr)
        return 2

    started = time.monotonic()
    length = (events[-1][0] if events else 0) / RATE
    with jf.deadline(int(60 + 4 * length)):
        played = jalv_test.play("urn:quillfen:zephrin-map", os.path.join(tree, "lv2"), controls,
                                events, PERIOD, RATE, freewheel=True, timeout=30 + 4 * length)
    took = time.monotonic() - started

    with tempfile.NamedTemporaryFile("w", suffix=".played", delete=False) as f:
        f.writelines(f"{frame} {livestream.hex_bytes(data)}\n" for frame, data in played)
    try:
        cycles = (events[-1][0] // PERIOD + 1) if events else 0
        finish = subprocess.run([live_song, "finish", song, f.name, out, "--rate", str(RATE),
                                 "--period", str(PERIOD), "--cycles", str(max(cycles, 1)),
                                 *map_args])
    finally:
        os.unlink(f.name)
    if finish.returncode == 0:
        print(f"  jalv played {length:.1f} s of music in {took:.1f} s, on a JACK server of its own")
    return finish.returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
