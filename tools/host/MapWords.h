// Zephrin Map's mappings in words: the --map argument read into a mapping,
// and settings told back as a musician reads them. No Windows header.
#pragma once

#include "map/engine/MapSettings.h"

#include <string>
#include <vector>

// SPEC is words separated by spaces: keys=60 or keys=36-51 and cc=64, both
// needed; ch=any|1-16, out=same|1-16, mode=held|latch, on=N, off=N,
// velocity, through, each at most once. The mapping comes out on, with a new
// mapping's values where the words say nothing. On a fault mapping is left
// as it was and error names the word: "keys=61-60: the lowest key comes
// first".
bool ParseMapSpec(const std::string& spec, MapMapping& mapping, std::string& error);

// One more --map: parsed and added after the others, or error says why not
// (its word, or that it would be a ninth mapping) and maps stays as it was.
bool AddMapSpec(const std::string& spec, std::vector<MapMapping>& maps, std::string& error);

// The mappings given with --map, in order, over settings: they replace every
// mapping, and those not given are off. None given leaves settings alone.
void ApplyMapSpecs(const std::vector<MapMapping>& maps, MapSettings& settings);

// "key 96 (C6)" or "keys 36-51 (C1-D#2)".
std::string MapKeysText(const MapMapping& mapping);

// "on, key 96 (C6), any channel -> controller 64 (sustain pedal), held,
// on 127, off 0, out on the note's channel"
std::string DescribeMapMapping(const MapMapping& mapping);

// One line for the fix and the count, then one a mapping:
// "mapping 1: on, key 96 ...". Mappings past the count are off.
std::string DescribeMapSettings(const MapSettings& settings);
