"""The live stream through ZephrinMap.clap in Carla, a real CLAP host, on a
private JACK server.

  carla_test.py --carla DIR --clap FILE --controls EXE --win64-tree DIR
      Carla's backend (built by build-carla.sh into DIR) runs the plug-in in
      a process of its own, its controls set from the stream's --map words
      and Learn set to mapping 2: the stream comes out exactly as
      ZephrinMap.dll's live road gives it with --learn 2, each output at its
      input's frame, and Carla's controls show the key learned.
  carla_test.py host --carla DIR --clap FILE --name NAME [INDEX=VALUE]...
      The host process: Carla's JACK engine with the plug-in as the client
      NAME, its parameters set by index, until standard input closes; then
      it prints every parameter's "value INDEX VALUE".

Carla drops incoming controllers, pressure, pitch bend and programme
changes unless the plug-in's options say to send them, and writes every
MIDI output event as three bytes (C2 05 becomes C2 05 00), which the test
takes off before comparing.
"""

import argparse
import os
import select
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import jackfixture as jf  # noqa: E402
import livestream  # noqa: E402

LEARN = 2                    # the mapping Learn is set to
LEARN_INDEX = 89             # Learn's index among the plug-in's parameters (id 2)


def unpadded(events):
    """Carla's three-byte events as the messages they carry: only zero
    padding is taken off, so anything else in it still shows as a difference."""
    def length(status):
        if status < 0xF0:
            return 2 if 0xC0 <= status < 0xE0 else 3
        return {0xF1: 2, 0xF2: 3, 0xF3: 2}.get(status, 1)
    out = []
    for frame, data in events:
        n = length(data[0])
        out.append((frame, data[:n] if len(data) == 3 and not any(data[n:]) else data))
    return out


def carla_host(args):
    """The host process: runs until its standard input closes."""
    sys.path.insert(0, os.path.join(args.carla, "source", "frontend"))
    import carla_backend as cb

    host = cb.CarlaHostDLL(os.path.join(args.carla, "bin", "libcarla_standalone2.so"), False)
    host.set_engine_option(cb.ENGINE_OPTION_PROCESS_MODE,
                           cb.ENGINE_PROCESS_MODE_MULTIPLE_CLIENTS, "")
    host.set_engine_option(cb.ENGINE_OPTION_PREFER_PLUGIN_BRIDGES, 0, "")
    if not host.engine_init("JACK", args.name + "-engine"):
        print(f"carla: the JACK engine did not start: {host.get_last_error()}", flush=True)
        return 1
    # Every MIDI message of the stream reaches the plug-in: Carla keeps
    # controllers and the rest back unless its options say to send them.
    send = (cb.PLUGIN_OPTION_SEND_CONTROL_CHANGES | cb.PLUGIN_OPTION_SEND_CHANNEL_PRESSURE |
            cb.PLUGIN_OPTION_SEND_NOTE_AFTERTOUCH | cb.PLUGIN_OPTION_SEND_PITCHBEND |
            cb.PLUGIN_OPTION_SEND_PROGRAM_CHANGES)
    if not host.add_plugin(cb.BINARY_NATIVE, cb.PLUGIN_CLAP, args.clap, args.name,
                           "quillfen.zephrin-map", 0, None, send):
        print(f"carla: the plug-in did not load: {host.get_last_error()}", flush=True)
        return 1
    for setting in args.values:
        index, _, value = setting.partition("=")
        host.set_parameter_value(0, int(index), float(value))
    host.set_active(0, True)
    print(f"carla: ready, {host.get_parameter_count(0)} parameters", flush=True)

    while not select.select([sys.stdin], [], [], 0.02)[0] or sys.stdin.readline():
        host.engine_idle()
    for i in range(host.get_parameter_count(0)):
        print(f"value {i} {host.get_current_parameter_value(0, i):g}", flush=True)
    host.engine_close()
    return 0


def main():
    parser = argparse.ArgumentParser()
    for option in ("--carla", "--clap"):
        parser.add_argument(option, required=True)
    if sys.argv[1:2] == ["host"]:
        parser.add_argument("role")
        parser.add_argument("--name", required=True)
        parser.add_argument("values", nargs="*")
        return carla_host(parser.parse_intermixed_args())
    for option in ("--controls", "--win64-tree"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    jf.require()
    library = os.path.join(args.carla, "bin", "libcarla_standalone2.so")
    if not os.path.isfile(library):
        print(f"FAIL: {library} is not built (hosts.carla_backend_built builds it)")
        return 1

    stream = livestream.load()
    started = time.monotonic()
    with jf.deadline(150):
        # Without wine-run's --test, which joins the standard error (where the
        # host tool says what it learns) to the output.
        dll_road = [a for a in livestream.host_tool(args.win64_tree) if a != "--test"]
        expected = stream.expected(dll_road, options=["--learn", str(LEARN)])
        # The controls by index: zephrin-map-controls prints them in the plug-in's order.
        controls = stream.controls(args.controls).values()
        values = [f"{i}={v}" for i, v in enumerate(controls)] + [f"{LEARN_INDEX}={LEARN}"]
        expected_at = time.monotonic()

        name = f"zephrin-carla-{os.getpid()}"
        argv = [sys.executable, os.path.abspath(__file__), "host", "--carla", args.carla,
                "--clap", os.path.abspath(args.clap), "--name", name, *values]
        with jf.JackServer() as server, server.start(argv, "carla") as carla, \
                jf.MidiClient(server) as midi:
            jf.wait_until("Carla's plug-in", lambda: carla.check_alive() or
                          "carla: ready" in carla.output(), 60)
            midi.connect(*server.wait_for_midi_ports(name, carla))
            got = unpadded(sorted(midi.play(stream.events), key=lambda e: e[0]))
            # Carla closes its engine as its input closes; killed, it left the
            # synchronous server waiting for its clients.
            if carla.finish(20) is None:
                raise TimeoutError("Carla did not end within 20 s of its input closing")
            shown = carla.output()

    problems = livestream.compare(expected, got)
    # Mapping 2's keys are the note-on learned (the stream's first, key 96),
    # and Learn is off again.
    values = dict(line.split()[1:] for line in shown.splitlines() if line.startswith("value "))
    for index, want in ((11 + 2, "96"), (11 + 3, "96"), (LEARN_INDEX, "0")):
        if values.get(str(index)) != want:
            problems.append(f"Carla shows parameter {index} as {values.get(str(index))}, "
                            f"not {want}")
    return livestream.report(problems, stream, "Carla", got, expected,
                             "ZephrinMap.dll's live road with --learn 2",
                             (expected_at - started, time.monotonic() - expected_at))


if __name__ == "__main__":
    sys.exit(main())
