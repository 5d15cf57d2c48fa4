"""One LV2 host's test of the live stream: the command line, the expected
output, the comparison and its verdict. A host's test (jalv_test.py,
ardour_test.py) gives only how that host plays events through a plug-in.

  HOST_test.py --lv2-path DIR[:DIR] passthrough
      The pass-through plug-in gives back every message of the stream, as
      the host's input hands it on, at its frame, in order.
  HOST_test.py --lv2-path DIR[:DIR] map --controls EXE --win64-tree DIR
      Zephrin Map, its controls set by the host from the stream's --map
      words, gives what ZephrinMap.dll's live road gives through the host
      tool (under Wine), byte for byte, each output at its input's frame.
"""

import argparse
import os
import time

import jackfixture as jf
import livestream

URIS = {"passthrough": "urn:quillfen:zephrin-passthrough", "map": "urn:quillfen:zephrin-map"}
PERIOD = 256


def main(host, programs, play, heard=None):
    """The test's exit status. `programs`: what the host needs installed.
    `play(uri, lv2_path, controls, events)`: what came out of the plug-in
    in the host, [(frame, bytes)], its controls {symbol: value text}.
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
    with jf.deadline(100):
        if args.plugin == "map":
            expected = given.expected(livestream.host_tool(args.win64_tree))
            controls = given.controls(args.controls)
        else:
            expected, controls = given.events, {}
        expected_at = time.monotonic()
        got = play(URIS[args.plugin], lv2_path, controls, stream.events)

    what = f"the stream as {host}'s input hands it on" if heard else "the stream itself"
    if args.plugin == "map":
        what = "ZephrinMap.dll's live road" + (f" on {what}" if heard else "")
    return livestream.report(livestream.compare(expected, got), stream, host, got, expected,
                             what, (expected_at - started, time.monotonic() - expected_at))
