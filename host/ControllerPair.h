// The two controller records a playback note becomes: the note's record is
// rewritten into the controller at the note's start, and its copy at the
// note's end (start + duration - 1) is the controller's release. Type 2, the
// controller number and the two values are set; the host's bytes and the
// duration carry over unchanged.
#pragma once

#include "host/MfxRecords.h"
#include "host/RecordWords.h"

inline void BuildControllerPair(EventRecord& note, EventRecord& off, uint8_t controller,
                                uint8_t onValue, uint8_t offValue) {
    note.type = kEventController;
    note.number = controller;
    note.value = onValue;
    off = note;
    off.time = NoteEnd(note.time, note.duration);
    off.value = offValue;
}
