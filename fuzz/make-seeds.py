#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora into fuzz/corpus/<target>/: the example
song, small MIDI files at the reader's edges (formats 0 and 1, running status,
system-exclusive and meta events, SMPTE time, truncated and unknown chunks,
times at the host's limit), live lines and Zephrin Map's settings streams,
accepted and refused. A seed that is refused still teaches the fuzzer the
shape of the check that refuses it.

Standard library only; run it again to get the same bytes:
    python3 fuzz/make-seeds.py
"""
import importlib.util
import os
import shutil
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

# The example song's own helpers: vlq(), meta() and track() (running status
# for channel messages, an end of track appended).
sys.dont_write_bytecode = True  # nothing left beside the example
_spec = importlib.util.spec_from_file_location(
    "make_example", os.path.join(ROOT, "examples", "make-example.py"))
example = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(example)
vlq, meta, track = example.vlq, example.meta, example.track


def header(fmt, tracks, division=480, length=6, extra=b""):
    return b"MThd" + struct.pack(">IHHH", length, fmt, tracks, division) + extra


def chunk(tag, body, length=None):
    return tag + struct.pack(">I", len(body) if length is None else length) + body


def midi_seeds():
    notes = track([(0, 0, bytes([0x90, 60, 100])), (0, 1, bytes([0x90, 64, 100])),
                   (240, 2, bytes([0x90, 60, 0])), (240, 3, bytes([0x90, 64, 0])),
                   (240, 4, bytes([0xC0, 5])), (300, 5, bytes([0xC0, 6])),
                   (300, 6, bytes([0xD0, 40])), (480, 7, bytes([0xA0, 60, 30])),
                   (480, 8, bytes([0xB0, 64, 127])), (960, 9, bytes([0xE0, 0, 64])),
                   (960, 10, bytes([0x80, 60, 64]))])
    conductor = track([(0, 0, meta(0x03, b"Conductor")),
                       (0, 1, meta(0x51, (500000).to_bytes(3, "big"))),
                       (0, 2, meta(0x58, bytes([3, 2, 24, 8]))),
                       (1920, 3, meta(0x06, b"Marker"))])
    sysex = track([(0, 0, bytes([0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7])),
                   (10, 1, bytes([0xF0, 0x02, 0x43, 0x10])),  # continued below
                   (20, 2, bytes([0xF7, 0x02, 0x4C, 0xF7])),
                   (30, 3, bytes([0xF7, 0x01, 0xFA])),  # an escaped real-time byte
                   (30, 4, bytes([0x91, 0x40, 0x50])), (40, 5, bytes([0x40, 0x00]))])
    end = b"\x00\xFF\x2F\x00"
    yield "format0-running-status.mid", header(0, 1) + notes
    yield "format1-meta-sysex.mid", header(1, 3, 96) + conductor + notes + sysex
    yield "smpte-division.mid", header(0, 1, 0xE728) + notes  # 25 frames, 40 ticks each
    yield "header-longer.mid", header(1, 1, 480, 8, b"\x12\x34") + notes
    yield "unknown-chunk.mid", header(1, 2) + notes + chunk(b"XFIH", b"\x01\x02\x03") + sysex
    yield "zero-tracks.mid", header(1, 0)
    yield "empty-track.mid", header(1, 2) + chunk(b"MTrk", b"") + chunk(b"MTrk", end)
    yield "no-end-of-track.mid", header(0, 1) + chunk(b"MTrk", b"\x00\x90\x3C\x40\x60\x3C\x00")
    yield "bytes-after-end.mid", header(0, 1) + chunk(b"MTrk", end + b"\x00\x90\x3C\x40")
    # Four-byte deltas, the longest there are: one between two notes, then
    # eight that with seven ticks more reach 0x7FFFFFFF, the host's last time.
    longest = vlq(0x0FFFFFFF)
    yield "long-delta.mid", header(0, 1) + chunk(b"MTrk", b"\x00\x90\x3C\x40" + longest + b"\x3C\x00" + end)
    eight = (longest + meta(0x01, b"")) * 8
    yield "time-at-limit.mid", header(0, 1) + chunk(b"MTrk", eight + vlq(7) + end[1:])
    yield "time-past-limit.mid", header(0, 1) + chunk(b"MTrk", eight + vlq(8) + end[1:])
    yield "five-byte-delta.mid", header(0, 1) + chunk(b"MTrk", b"\x81\x80\x80\x80\x00" + end)
    yield "truncated-chunk.mid", header(0, 1) + chunk(b"MTrk", end, length=100)
    yield "truncated-event.mid", header(0, 1) + chunk(b"MTrk", b"\x00\x90\x3C")
    yield "truncated-sysex.mid", header(0, 1) + chunk(b"MTrk", b"\x00\xF0\x10\x01\x02")
    yield "truncated-header.mid", header(1, 1)[:11]
    yield "short-header.mid", header(1, 1, 480, 4)[:12] + notes
    yield "missing-track.mid", header(1, 3) + notes
    yield "data-without-status.mid", header(0, 1) + chunk(b"MTrk", b"\x00\x3C\x40" + end)
    yield "status-in-data.mid", header(0, 1) + chunk(b"MTrk", b"\x00\x90\x3C\x90\x40" + end)
    yield "system-status.mid", header(0, 1) + chunk(b"MTrk", b"\x00\xF2\x00\x00" + end)
    yield "format2.mid", header(2, 1) + notes
    yield "format0-two-tracks.mid", header(0, 2) + notes + notes
    yield "division-zero.mid", header(0, 1, 0) + notes
    yield "not-midi.mid", b"RIFF\x00\x00\x00\x04RMID"


LIVE_SEEDS = {
    "messages.txt": b"90 3C 64\n80 3c 00\n# a comment line\n\nB0 40 7F  # pedal down\n"
                    b"0xC0 0x05\nD0,40\nE0\t00\t40\nA0 3C 10\nF1 20\nF2 00 40\nF3 01\n"
                    b"F6\nF8\nFA\nFF\n0X90 0x3c 0X7f\n",
    "crlf.txt": b"90 3C 64\r\n80 3C 00\r\n\r\n",
    "no-final-newline.txt": b"B0 07 64",
    "errors.txt": b"3C 40\nF0 7E\nF7\nF4\n90 3C\n90 3C 40 00\n90 80 40\n123\n0x\nzz\n90 3G 40\n"
                  b"0x1 0x2 0x3\n#only a comment\n   \n",
}


def map_stream(count=8, fix=1, version=1, mappings=None):
    default = bytes([0x00, 0x00, 0x60, 0x60, 0x40, 0x00, 0x7F, 0x00])
    if mappings is None:
        mappings = [bytes([0x01]) + default[1:]] + [default] * 7
    return b"ZMap" + struct.pack("<H", version) + bytes([fix, count]) + b"".join(mappings[:count])


def map_seeds():
    default = map_stream()
    yield "default.zmap", default
    yield "no-mappings.zmap", map_stream(count=0, fix=0)
    every = [bytes([flags, flags + 1, flags * 8, 127, flags * 8, 16 - flags, 127 - flags, flags])
             for flags in (0, 3, 5, 6, 9, 10, 12, 15)]
    yield "every-flag.zmap", map_stream(mappings=every)
    yield "extremes.zmap", map_stream(count=3, mappings=[bytes([f, 16, 0, 0, 127, 16, 0, 127])
                                                         for f in (1, 7, 15)])
    yield "bad-tag.zmap", b"ZMaq" + default[4:]
    yield "newer-version.zmap", map_stream(version=2)
    yield "version-zero.zmap", map_stream(version=0)
    yield "bad-fix.zmap", map_stream(fix=2)
    yield "too-many.zmap", default[:7] + b"\x09" + default[8:] + default[8:16]
    yield "too-short.zmap", default[:-1]
    yield "too-long.zmap", default + b"\x00"
    yield "tag-only.zmap", b"ZMa"
    for name, offset, value in (("bad-flags", 0, 0x10), ("bad-channel", 1, 17), ("bad-low-key", 2, 128),
                                ("crossed-keys", 3, 0x5F), ("bad-controller", 4, 128),
                                ("bad-out-channel", 5, 17), ("bad-on-value", 6, 128),
                                ("bad-off-value", 7, 128)):
        stream = bytearray(default)
        stream[8 + 8 * 3 + offset] = value  # in the fourth mapping
        yield name + ".zmap", bytes(stream)


def write(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds:
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


def main():
    write("midifile", midi_seeds())
    shutil.copyfile(os.path.join(ROOT, "examples", "sustain-song.mid"),
                    os.path.join(HERE, "corpus", "midifile", "sustain-song.mid"))
    write("liveline", LIVE_SEEDS.items())
    write("mapsettings", map_seeds())


if __name__ == "__main__":
    main()
