"""ZephrinMap.clap built for Windows, run by the project's own CLAP host
(zephrin-clap-host) under Wine: the shared live stream (tests/hosts/
live-stream.txt) with a learn into mapping 2 gives exactly what the native
build gives, each output at its input's frame.

  loader_test.py --run WINE-RUN --loader EXE --clap CLAP --native-tree DIR [--dll-tree DIR]

With --dll-tree (the 64-bit run) it also gives exactly what ZephrinMap.dll's
live road gives through the host tool, and a settings file the host tool
saved loads into the CLAP plug-in and saves back as the same bytes, under
Wine and natively. Exit 77 (skipped) where the runner says the programs
cannot run here.
"""

import argparse
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "hosts"))
import livestream  # noqa: E402

LEARN = ["--learn", "2"]


def main():
    parser = argparse.ArgumentParser()
    for option in ("--run", "--loader", "--clap", "--native-tree"):
        parser.add_argument(option, required=True)
    parser.add_argument("--dll-tree")
    parser.add_argument("--timeout", type=int, default=240)
    args = parser.parse_args()
    native = [os.path.join(args.native_tree, "tools", "claphost", "zephrin-clap-host"),
              os.path.join(args.native_tree, "plugins", "ZephrinMap.clap")]
    for path in native:
        if not os.path.isfile(path):
            print(f"FAIL: {path} is missing: build the native tree (preset native) first")
            return 1
    windows = [args.run, args.loader, args.clap]

    stream = livestream.load()
    started = time.monotonic()
    under_wine = stream.expected(windows, args.timeout, LEARN)
    took = time.monotonic() - started
    problems = [f"native: {p}" for p in
                livestream.compare(stream.expected(native, 60, LEARN), under_wine)]
    said = (f"{len(stream.events)} messages and a learn: {len(under_wine)} out under Wine "
            f"({took:.1f} s), the same as the native build's")

    if args.dll_tree:
        host = [args.run, os.path.join(args.dll_tree, "tools", "zephrin-host.exe"),
                "--dll", os.path.join(args.dll_tree, "plugins", "ZephrinMap.dll")]
        problems += [f"ZephrinMap.dll: {p}" for p in
                     livestream.compare(stream.expected(host, args.timeout, LEARN), under_wine)]
        said += " and ZephrinMap.dll's live road's"
        with tempfile.TemporaryDirectory() as work:
            saved, again = os.path.join(work, "host.zmap"), os.path.join(work, "again.zmap")
            livestream.run([*host, *stream.map_args(), "settings", "--save", saved], args.timeout)
            for who, loader in (("under Wine", windows), ("natively", native)):
                livestream.run([*loader, "--settings-file", saved, "--save", again, "info"],
                               args.timeout)
                with open(saved, "rb") as a, open(again, "rb") as b:
                    if a.read() != b.read():
                        problems.append(f"the host tool's settings file does not save back "
                                        f"as it was {who}")
        said += "; the host tool's settings file loads and saves back as it was"

    for line in problems[:20]:
        print(line)
    print(said if not problems else f"{len(problems)} differences")
    print(f"({time.monotonic() - started:.1f} s in all)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
