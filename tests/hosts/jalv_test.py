"""The live stream through an LV2 plug-in in jalv, on a private JACK server
(hostrun.py gives the command line): the pass-through gives back every
message at its frame, in order, so the fixture and jalv keep frames exactly;
Zephrin Map, set with jalv -c, gives what ZephrinMap.dll's live road gives.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostrun  # noqa: E402
import jackfixture as jf  # noqa: E402


def play(uri, lv2_path, controls, events):
    name = f"zephrin-jalv-{os.getpid()}"
    argv = ["jalv", "-x", "-n", name]
    for symbol, value in controls.items():
        argv += ["-c", f"{symbol}={value}"]
    with jf.JackServer(period=hostrun.PERIOD) as server, \
            server.start(argv + [uri], "jalv", env={"LV2_PATH": lv2_path}) as jalv, \
            jf.MidiClient(server) as midi:
        midi.connect(*server.wait_for_midi_ports(name, jalv))
        got = midi.play(events)
        jalv.check_alive()
    return got


if __name__ == "__main__":
    sys.exit(hostrun.main("jalv", ["jalv"], play))
