"""One real host's test of the live stream: the command line every host's
test takes, the expected output, the comparison and its one-line verdict.
A host's test (jalv_test.py, ardour_test.py) gives only how that host runs
a plug-in and plays events through it:

  HOST_test.py --lv2-path DIR[:DIR] passthrough
      The pass-through plug-in gives back every message of the stream, as
      the host's input hands it on, at its frame, in order.
  HOST_test.py --lv2-path DIR[:DIR] map --controls EXE --win64-tree DIR
      Zephrin Map, its controls set by the host from the stream's --map
      words, gives what ZephrinMap.dll's live road gives through the host
      tool (under Wine) for the same messages, byte for byte, each output at
      its input's frame. Skipped, saying why, where Wine or the win64 tree's
      host tool and DLL are missing.
"""

import argparse
import os
import subprocess
import time

import jackfixture as jf
import livestream

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
URIS = {"passthrough": "urn:quillfen:zephrin-passthrough", "map": "urn:quillfen:zephrin-map"}
PERIOD = 256


def host_tool(tree):
    """The command that runs the win64 tree's host tool on ZephrinMap.dll,
    or skips the test, saying what is missing."""
    exe = os.path.join(tree, "tools", "zephrin-host.exe")
    dll = os.path.join(tree, "plugins", "ZephrinMap.dll")
    for path in (exe, dll):
        if not os.path.isfile(path):
            jf.skip(f"{path} is not built (the win64 preset builds it), so there is no "
                    "expected output to compare with")
    wine = subprocess.run(["bash", "-c", f". '{ROOT}/scripts/wine-env.sh' && zephrin_find_wine"],
                          capture_output=True, text=True)
    if wine.returncode != 0:
        jf.skip(f"no Wine to run the host tool: {wine.stderr.strip()}")
    # --test: run once more if Wine ends it before it prints (as it now and
    # then does to a new process); its standard error joins its output.
    return [os.path.join(ROOT, "scripts", "wine-run"), "--test", exe, "--dll", dll]


def main(host, programs, play, heard=None):
    """Runs the test and returns its exit status. `programs`: what the host
    needs installed. `play(uri, lv2_path, controls, events)`: runs the
    plug-in in the host with its controls ({symbol: value text}), plays the
    events through it and returns what came out, [(frame, bytes)].
    `heard(events)`: the events as the host's input hands them to a
    plug-in, where it changes some."""
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("plugin", choices=sorted(URIS))
    parser.add_argument("--lv2-path", required=True)
    parser.add_argument("--controls")
    parser.add_argument("--win64-tree")
    args = parser.parse_args()
    lv2_path = ":".join(os.path.abspath(d) for d in args.lv2_path.split(":"))  # jalv needs it so

    jf.require(*programs)

    stream = livestream.load()
    given = livestream.Stream(stream.maps, heard(stream.events)) if heard else stream
    started = time.monotonic()
    with jf.Deadline(100):
        if args.plugin == "map":
            expected = given.expected(host_tool(args.win64_tree))
            controls = given.controls(args.controls)
        else:
            expected, controls = given.events, {}
        expected_at = time.monotonic()
        got = play(URIS[args.plugin], lv2_path, controls, stream.events)

    problems = livestream.compare(expected, got)
    for line in problems[:20]:
        print(line)
    what = f"the stream as {host}'s input hands it on" if heard else "the stream itself"
    if args.plugin == "map":
        what = "ZephrinMap.dll's live road" + (f" on {what}" if heard else "")
    verdict = f"{len(problems)} differ" if problems else "identical, frames included"
    print(f"{len(stream.events)} messages in {len(stream.maps)} mappings' stream, "
          f"{len(got)} out of {host}, {len(expected)} from {what}: {verdict} (expected output "
          f"{expected_at - started:.1f} s, {host} {time.monotonic() - expected_at:.1f} s)")
    return 1 if problems else 0
