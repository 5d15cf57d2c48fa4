"""The live stream through an LV2 plug-in on a MIDI track of Ardour 7, run
headless by ardour7-lua (ardour-session.lua) on a private JACK server;
hostrun.py gives the command line. Ardour sets the plug-in's controls, its
track monitors its input, and the fixture's sender and recorder are
connected to the track's MIDI input and output.

Ardour changes two things at a track's MIDI input, before any plug-in
(ardour_input): a note-on of velocity 0 becomes a note-off of velocity 64,
and active sensing is dropped; so the expected output is made from the
stream as that input hands it on. Ardour adds messages of its own only
when the session closes (controllers 64, 123 and 121 at 0 on every
channel), which is after the recording ends.
"""

import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import hostrun  # noqa: E402
import jackfixture as jf  # noqa: E402

SESSION_SCRIPT = os.path.join(HERE, "ardour-session.lua")


def ardour_input(events):
    """The events as Ardour's MIDI port hands them to a track
    (ARDOUR::MidiPort::get_midi_buffer)."""
    out = []
    for frame, data in events:
        if data[0] == 0xFE:
            continue
        if data[0] & 0xF0 == 0x90 and len(data) == 3 and data[2] == 0:
            data = bytes([0x80 | data[0] & 0x0F, data[1], 0x40])
        out.append((frame, data))
    return out


def port_indexes(uri, lv2_path):
    """{symbol: port index} of the plug-in as lilv, Ardour's LV2 loader,
    reads its bundle: Ardour's Lua sets a control by its index."""
    out = subprocess.run(["lv2info", uri], capture_output=True, text=True, timeout=30,
                         env=dict(os.environ, LV2_PATH=lv2_path))
    index, ports = None, {}
    for line in out.stdout.splitlines():
        words = line.split()
        if len(words) == 2 and words[0] == "Port" and words[1].endswith(":"):
            index = int(words[1][:-1])
        elif len(words) == 2 and words[0] == "Symbol:" and index is not None:
            ports[words[1]] = index
    if out.returncode != 0 or not ports:
        raise RuntimeError(f"lv2info {uri} gave no ports: {out.stderr.strip()}")
    return ports


def play(uri, lv2_path, controls, events):
    index = port_indexes(uri, lv2_path) if controls else {}
    client = f"zephrin-ardour-{os.getpid()}"
    with tempfile.TemporaryDirectory(prefix="zephrin-ardour-") as scratch, \
            jf.JackServer(period=hostrun.PERIOD) as server:
        argv = ["ardour7-lua", SESSION_SCRIPT, os.path.join(scratch, "session"), client,
                str(server.rate), uri, *(f"{index[s]}={v}" for s, v in controls.items())]
        # Ardour's configuration and list of recent sessions go to the
        # scratch folder, not the user's; it scans only the bundles tested.
        # Killed, it can leave the server stuck: it is given time to close.
        env = {"LV2_PATH": lv2_path, "XDG_CONFIG_HOME": scratch}
        with server.start(argv, "ardour", env=env, closing=30) as ardour:
            def ready():
                ardour.check_alive()
                line = next((line for line in ardour.output().splitlines()
                             if line.startswith("READY\t")), None)
                return line and line.split("\t")[1:]
            started = time.monotonic()
            host_in, host_out = jf.wait_until("Ardour's session", ready, 60)
            print(f"Ardour's session ready in {time.monotonic() - started:.1f} s")
            with jf.MidiClient(server) as midi:
                midi.connect(host_in, host_out)
                got = midi.play(events)
            ardour.check_alive()
            # Its input closed, it closes the session (Ardour deactivates and
            # frees the plug-in) and ends by itself.
            status = ardour.finish(30)
            if status != 0:
                raise RuntimeError(f"Ardour ended with status {status} closing its session")
    return got


if __name__ == "__main__":
    sys.exit(hostrun.main("Ardour", ["ardour7-lua", "lv2info"], play, ardour_input))
