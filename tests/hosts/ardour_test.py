"""The live stream through an LV2 plug-in on a MIDI track of Ardour 7, run
headless by ardour7-lua (ardour-session.lua) on a private JACK server;
hostrun.py gives the command line. Ardour sets the plug-in's controls and
monitors the track's input; the fixture's sender and recorder are
connected to the track's MIDI input and output. Ardour adds messages of its
own (controllers 64, 123 and 121 at 0) only as the session closes, after
the recording.
"""

import os
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import hostrun  # noqa: E402
import jackfixture as jf  # noqa: E402


def ardour_input(events):
    """The events as Ardour's MIDI input hands them to a track, before any
    plug-in (ARDOUR::MidiPort::get_midi_buffer): a note-on of velocity 0
    becomes a note-off of velocity 64, and active sensing is dropped."""
    out = []
    for frame, data in events:
        if data[0] & 0xF0 == 0x90 and len(data) == 3 and data[2] == 0:
            data = bytes([0x80 | data[0] & 0x0F, data[1], 0x40])
        if data[0] != 0xFE:
            out.append((frame, data))
    return out


def port_indexes(uri, lv2_path):
    """{symbol: port index} as lilv, Ardour's LV2 loader, reads the bundle:
    Ardour's Lua sets a control by its index."""
    out = subprocess.run(["lv2info", uri], capture_output=True, text=True, timeout=30,
                         env=dict(os.environ, LV2_PATH=lv2_path))
    ports = {symbol: int(index) for index, symbol in
             re.findall(r"^\tPort (\d+):.*?^\t\tSymbol:\s+(\S+)", out.stdout, re.S | re.M)}
    if out.returncode != 0 or not ports:
        raise RuntimeError(f"lv2info {uri} gave no ports: {out.stderr.strip()}")
    return ports


def play(uri, lv2_path, controls, events):
    index = port_indexes(uri, lv2_path) if controls else {}
    client = f"zephrin-ardour-{os.getpid()}"
    with tempfile.TemporaryDirectory(prefix="zephrin-ardour-") as scratch, \
            jf.JackServer(hostrun.PERIOD) as server:
        argv = ["ardour7-lua", os.path.join(HERE, "ardour-session.lua"),
                os.path.join(scratch, "session"), client, str(server.rate), uri,
                *(f"{index[s]}={v}" for s, v in controls.items())]
        # Ardour's configuration and recent sessions go to the scratch folder,
        # and it scans only the bundles tested. Killed, it can leave the
        # server stuck: it is given time to close.
        env = {"LV2_PATH": lv2_path, "XDG_CONFIG_HOME": scratch}
        with server.start(argv, "ardour", env=env, closing=30) as ardour:
            def ready():
                ardour.check_alive()
                line = re.search(r"^READY\t(.*)$", ardour.output(), re.M)
                return line and line.group(1).split("\t")
            started = time.monotonic()
            host_in, host_out = jf.wait_until("Ardour's session", ready, 60)
            print(f"Ardour's session ready in {time.monotonic() - started:.1f} s")
            with jf.MidiClient(server) as midi:
                midi.connect(host_in, host_out)
                got = midi.play(events)
            ardour.check_alive()
            # Its input closed, it closes the session (Ardour deactivates and
            # frees the plug-in) and ends by itself.
            if (status := ardour.finish(30)) != 0:
                raise RuntimeError(f"Ardour ended with status {status} closing its session")
    return got


if __name__ == "__main__":
    sys.exit(hostrun.main("Ardour", ["ardour7-lua", "lv2info"], play, ardour_input))
