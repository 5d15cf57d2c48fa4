#!/usr/bin/env python3
"""Writes the example songs, eight bars of piano in C (C, Am, F, G, twice)
and a flute melody:
- sustain-song.mid, in which key 96 (C6) is played as a sustain pedal,
  pressed just after each bar line and let go just before the next, with two
  quick catches inside one beat;
- three-pedals.mid, in which three keys are played as a piano's three
  pedals: key 96 (C6) the sustain pedal in every bar, key 98 (D6) the
  sostenuto pedal held over the first chord of bars 1-2 and 5-6, and key 100
  (E6) the soft pedal over the quiet last two bars.

Standard library only; the file is written with running status and with
note-ons of velocity 0 as note-offs, as many sequencers write them, so that
the example also exercises the reader. Run it again to get the same bytes:
    python3 examples/make-example.py
"""
import os
import struct

PPQ = 480
BAR = 4 * PPQ
PEDAL_KEY = 96
SOSTENUTO_KEY, SOFT_KEY = 98, 100
PIANO, MELODY = 0, 1  # channels 1 and 2

CHORDS = [  # (bass, chord tones) per bar
    (36, (60, 64, 67)), (45, (57, 60, 64)), (41, (57, 60, 65)), (43, (59, 62, 67)),
    (36, (60, 64, 67)), (45, (57, 60, 64)), (41, (57, 60, 65)), (43, (59, 62, 67)),
]
MELODY_NOTES = [  # (bar, beat, key, beats)
    (0, 0, 76, 2), (0, 2, 79, 2), (1, 0, 76, 1), (1, 1, 72, 3),
    (2, 0, 77, 2), (2, 2, 76, 1), (2, 3, 74, 1), (3, 0, 74, 4),
    (4, 0, 76, 2), (4, 2, 79, 2), (5, 0, 81, 2), (5, 2, 79, 2),
    (6, 0, 77, 1), (6, 1, 76, 1), (6, 2, 74, 2), (7, 0, 72, 4),
]


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def track(events):
    """events: (tick, order, bytes); channel messages use running status."""
    body, now, running = bytearray(), 0, None
    for tick, _, data in sorted(events, key=lambda e: (e[0], e[1])):
        body += vlq(tick - now)
        now = tick
        status = data[0]
        if 0x80 <= status < 0xF0 and status == running:
            body += data[1:]
        else:
            body += data
            running = status if 0x80 <= status < 0xF0 else None
    body += b"\x00\xFF\x2F\x00"
    return b"MTrk" + struct.pack(">I", len(body)) + body


def meta(kind, payload):
    return bytes([0xFF, kind]) + vlq(len(payload)) + payload


def note(events, channel, key, start, length, velocity):
    # Offs sort before ons at the same tick (order 0), so repeated keys re-strike.
    events.append((start, 1, bytes([0x90 | channel, key, velocity])))
    events.append((start + length, 0, bytes([0x90 | channel, key, 0])))


def conductor(title):
    return track([
        (0, 0, meta(0x03, title)),
        (0, 1, meta(0x51, (500000).to_bytes(3, "big"))),  # 120 beats a minute
        (0, 2, meta(0x58, bytes([4, 2, 24, 8]))),  # 4/4
        (0, 3, meta(0x59, bytes([0, 0]))),  # C major
        (4 * BAR, 4, meta(0x06, b"Again")),
        (8 * BAR, 5, meta(0x06, b"End")),
    ])


def piano_start(name):
    return [(0, 0, meta(0x03, name)),
            (0, 1, bytes([0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7])),  # General MIDI on
            (0, 2, bytes([0xC0 | PIANO, 0])),  # Acoustic Grand Piano
            (0, 3, bytes([0xB0 | PIANO, 7, 100]))]  # volume


def piano():
    events = piano_start(b"Piano and pedal key")
    for bar, (bass, tones) in enumerate(CHORDS):
        start = bar * BAR
        note(events, PIANO, bass, start, BAR - 60, 70)
        for beat in range(4):
            for key in tones:
                note(events, PIANO, key, start + beat * PPQ, PPQ - 40, 62 if beat else 74)
        # The pedal key: down just after the bar line, up just before the next.
        if bar in (3, 7):
            # A quick catch on the last beat of a phrase, inside one beat.
            note(events, PIANO, PEDAL_KEY, start + 20, 2 * PPQ, 100)
            note(events, PIANO, PEDAL_KEY, start + 3 * PPQ + 20, PPQ - 80, 100)
        else:
            note(events, PIANO, PEDAL_KEY, start + 20, BAR - 60, 100)
    events.append((2 * BAR, 4, bytes([0xE0 | PIANO, 0x00, 0x40])))  # pitch wheel centred
    return track(events)


def melody():
    events = [(0, 0, meta(0x03, b"Melody")), (0, 1, bytes([0xC0 | MELODY, 73]))]  # flute
    for bar, beat, key, beats in MELODY_NOTES:
        note(events, MELODY, key, bar * BAR + beat * PPQ, beats * PPQ - 30, 88)
    return track(events)


def three_pedals_piano():
    events = piano_start(b"Piano and three pedal keys")
    for bar, (bass, tones) in enumerate(CHORDS):
        start = bar * BAR
        quiet = bar >= 6  # the last two bars, under the soft pedal
        note(events, PIANO, bass, start, BAR - 60, 56 if quiet else 70)
        for beat in range(4):
            for key in tones:
                note(events, PIANO, key, start + beat * PPQ, PPQ - 40,
                     50 if quiet else 62 if beat else 74)
        note(events, PIANO, PEDAL_KEY, start + 20, BAR - 60, 100)
        if bar in (0, 4):
            # Sostenuto: caught after the first chord sounds, held two bars,
            # so that chord rings on while the sustain pedal changes.
            note(events, PIANO, SOSTENUTO_KEY, start + 60, 2 * BAR - 120, 100)
    note(events, PIANO, SOFT_KEY, 6 * BAR + 10, 2 * BAR - 50, 100)
    return track(events)


def write(path, tracks):
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), PPQ)
    with open(path, "wb") as out:
        out.write(header + b"".join(tracks))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write(os.path.join(here, "sustain-song.mid"),
          [conductor(b"Zephrin example: key 96 as a sustain pedal"), piano(), melody()])
    write(os.path.join(here, "three-pedals.mid"),
          [conductor(b"Zephrin example: keys 96, 98 and 100 as the three piano pedals"),
           three_pedals_piano(), melody()])


if __name__ == "__main__":
    main()
