// Zephrin Map with eight mappings of every kind, as every benchmark of it
// (the MFX filter's and the LV2 plug-in's) sets it up. No host's types.
#pragma once

#include "map/engine/MapSettings.h"

// The pedal key, a drum pad pair on channel 10 (36 and 37, the only range
// the batches' mix plays much besides the pedal key), and six more on keys
// and channels the mix rarely or never plays, held and latching, with
// velocity, through and output channels.
MapSettings BenchEightMappings();
