"""The live stream through an LV2 plug-in in jalv, on a private JACK server
(hostrun.py gives the command line); play() also serves main.sh --lv2
(tools/livesong/lv2-play.py).
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostrun  # noqa: E402
import jackfixture as jf  # noqa: E402


def play(uri, lv2_path, controls, events, period=hostrun.PERIOD, rate=48000, freewheel=False,
         timeout=None):
    """What came out of the plug-in in jalv, its controls set with -c. With
    freewheel the server runs its cycles back to back, each still carrying
    its frames."""
    name = f"zephrin-jalv-{os.getpid()}"
    argv = ["jalv", "-x", "-n", name, *(a for s, v in controls.items() for a in ("-c", f"{s}={v}"))]
    with jf.JackServer(period, rate) as server, \
            server.start(argv + [uri], "jalv", env={"LV2_PATH": lv2_path}) as jalv, \
            jf.MidiClient(server) as midi:
        midi.connect(*server.wait_for_midi_ports(name, jalv))
        if freewheel:
            server.freewheel(True)
        got = midi.play(events, timeout)
        if freewheel:
            server.freewheel(False)
        jalv.check_alive()
    return got


if __name__ == "__main__":
    sys.exit(hostrun.main("jalv", ["jalv"], play))
