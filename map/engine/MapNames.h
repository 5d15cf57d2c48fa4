// Names a person reads: the controllers the MIDI standard names. Plain
// ASCII, for every format's controls and the editor page alike.
#pragma once

// The controller's standard name ("Sustain pedal"), or null for one that
// has none.
const char* MapControllerName(int controller);
