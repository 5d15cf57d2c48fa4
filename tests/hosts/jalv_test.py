"""The live stream through an LV2 plug-in in jalv, on a private JACK server.

  jalv_test.py --lv2-path DIR[:DIR] passthrough
      The pass-through plug-in gives back every message of the stream at its
      frame, in order: the fixture and jalv keep frames exactly.
  jalv_test.py --lv2-path DIR[:DIR] map --controls EXE --win64-tree DIR
      Zephrin Map, set with jalv -c from the stream's --map words, gives what
      ZephrinMap.dll's live road gives through the host tool (under Wine),
      byte for byte, each output at its input's frame. Skipped, saying why,
      where Wine or the win64 tree's host tool and DLL are missing.
"""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import jackfixture as jf  # noqa: E402
import livestream  # noqa: E402

URIS = {"passthrough": "urn:quillfen:zephrin-passthrough", "map": "urn:quillfen:zephrin-map"}
PERIOD = 256


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("plugin", choices=sorted(URIS))
    parser.add_argument("--lv2-path", required=True)
    parser.add_argument("--controls")
    parser.add_argument("--win64-tree")
    args = parser.parse_args()
    lv2_path = ":".join(os.path.abspath(d) for d in args.lv2_path.split(":"))  # jalv needs it so

    jf.require("jalv")

    stream = livestream.load()
    started = time.monotonic()
    with jf.Deadline(100):
        if args.plugin == "map":
            expected = stream.expected(livestream.host_tool(args.win64_tree))
            controls = [f"{s}={v}" for s, v in stream.controls(args.controls).items()]
        else:
            expected, controls = stream.events, []
        expected_at = time.monotonic()

        name = f"zephrin-jalv-{os.getpid()}"
        argv = ["jalv", "-x", "-n", name]
        for control in controls:
            argv += ["-c", control]
        with jf.JackServer(period=PERIOD) as server, \
                server.start(argv + [URIS[args.plugin]], "jalv",
                             env={"LV2_PATH": lv2_path}) as jalv, \
                jf.MidiClient(server) as midi:
            midi.connect(*server.wait_for_midi_ports(name, jalv))
            got = midi.play(stream.events)
            jalv.check_alive()

    problems = livestream.compare(expected, got)
    what = "ZephrinMap.dll's live road" if args.plugin == "map" else "the stream itself"
    return livestream.report(problems, stream, "jalv", got, expected, what,
                             (expected_at - started, time.monotonic() - expected_at))

if __name__ == "__main__":
    sys.exit(main())
