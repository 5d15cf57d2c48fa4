"""main.sh --lv2's road on the three-pedals example: every pedal note of the
song is taken by its mapping and made two controllers (held: down and up),
each where the summary, worked out from what went in and what came out,
expects it, on the channel its mapping sends on.

    lv2_play_test.py NATIVE_TREE OUT_DIR
"""

import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
import jackfixture as jf  # noqa: E402
import livestream  # noqa: E402

PEDALS = {96: "keys=96 cc=64", 98: "keys=98 cc=66", 100: "keys=100 cc=67 out=3"}


def main(tree, out_dir):
    jf.require("jalv")
    song = os.path.join(ROOT, "examples", "three-pedals.mid")
    out = os.path.join(out_dir, "three-pedals.zephrin-lv2.mid")
    frames = subprocess.run([os.path.join(tree, "tools", "livesong", "zephrin-live-song"),
                             "frames", song], capture_output=True, text=True, check=True).stdout
    notes = {key: 0 for key in PEDALS}
    for _, data in livestream.parse(frames).events:
        if data[0] >> 4 == 9 and data[2] and data[1] in notes:
            notes[data[1]] += 1
    maps = [a for spec in PEDALS.values() for a in ("--map", spec)]
    run = subprocess.run([sys.executable, os.path.join(ROOT, "tools", "livesong", "lv2-play.py"),
                          tree, song, out, *maps], capture_output=True, text=True, timeout=100)
    print(run.stdout + run.stderr)
    if run.returncode == jf.SKIP:
        return jf.SKIP
    made = {int(m[0]): (int(m[1]), int(m[2])) for m in re.findall(
        r"key (\d+) \(\S+\) to controller \d+ \([^)]*\), held: took (\d+) notes?, "
        r"made (\d+) controller events?", run.stdout)}
    want = {key: (count, 2 * count) for key, count in notes.items()}
    ok = run.returncode == 0 and made == want and "accounts for" not in run.stdout \
        and os.path.isfile(out) and min(notes.values()) > 0
    if not ok:
        print(f"FAILED: mappings took and made {made}, the song's pedal notes ask for {want}")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
