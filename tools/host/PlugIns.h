// The plug-ins the host tool knows, one row each, found by the class their
// filter reports: the options each takes, its settings codec, its learn
// button and its summary after play. A filter of any other class is driven
// as any MFX filter is, through what needs no codec.
#pragma once

#include "map/engine/MapSettings.h"

#include <objbase.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SongRecords;
struct PlaybackOutput;

using SettingsBytes = std::vector<uint8_t>;

// The plug-in settings a command line can give, as bits.
enum SettingsOption : unsigned {
    kOptionKey = 1u << 0,  // --key
    kOptionCc = 1u << 1,   // --cc
    kOptionMap = 1u << 2,  // --map
    kOptionFix = 1u << 3,  // --fix
};

struct SettingsOptions {
    std::optional<int32_t> key, cc, fix;  // fix: 0 off, 1 on
    std::vector<MapMapping> maps;

    unsigned Given() const;  // the SettingsOption bits of those given
};

// The plug-in's settings stream and the options on it.
struct PlugInCodec {
    // Empty when the bytes are this plug-in's settings, otherwise what they
    // are not: "not Zephrin's 16".
    std::string (*check)(const SettingsBytes& bytes);
    // These three take bytes that passed the check.
    SettingsBytes (*apply)(const SettingsBytes& saved, const SettingsOptions& options);
    std::string (*describe)(const SettingsBytes& bytes);  // lines, each ending in '\n'
    // Where bytes that claim to be this plug-in's by their own tag break its
    // format ("byte 20: ..."), empty otherwise; null for a format with no tag.
    std::string (*explain)(const SettingsBytes& bytes);
};

// The Learn button on the plug-in's page.
struct PlugInLearn {
    const char* button;  // its caption
    int mappings;        // 0: one key, --learn alone; N: --learn 1..N presses the Nth button
    const char* misuse;  // when --learn is given the other way
    std::string (*learning)(int mapping);  // "the next note-on becomes the key"
    // What the run taught, from the settings before and after (both
    // checked); empty when no key came.
    std::string (*learned)(const SettingsBytes& before, const SettingsBytes& after, int mapping);
};

struct PlugIn {
    const CLSID& clsid;  // its filter's, as IPersistStream::GetClassID reports it
    const char* name;
    unsigned options;    // the SettingsOption bits it takes
    // Another plug-in's options given: on the command line when --clsid names
    // this class (exit 2), and once a filter of this class is loaded (exit 1).
    const char* othersOptionsUsage;
    const char* othersOptionsError;
    PlugInCodec codec;
    PlugInLearn learn;
    // The lines play adds after every filter's summary, from the settings
    // the filter saved (checked); null when it adds none.
    std::string (*summarize)(const SongRecords& input, const PlaybackOutput& output,
                             const SettingsBytes& settings);
};

extern const PlugIn kZephrinPlugIn;
extern const PlugIn kMapPlugIn;

// Both plug-ins' options on one command line.
extern const char kMixedOptionsUsage[];

// The row of that class, or null.
const PlugIn* FindPlugIn(REFCLSID clsid);
// The row of the class the filter reports through IPersistStream::GetClassID;
// null when it reports none or a class of no row.
const PlugIn* FindPlugIn(IUnknown* filter);
// The rows' classes in the table's order: what a DLL is asked for when the
// command line names no class.
std::vector<CLSID> PlugInClasses();
// "neither Zephrin's nor Zephrin Map's"
std::string NeitherPlugIn();
// Whether one plug-in takes all of the SettingsOption bits (true for none).
bool OnePlugInTakes(unsigned options);
// The most mappings any plug-in's --learn N picks from.
int MaxLearnMappings();
// What the first plug-in whose format the bytes claim says is wrong with
// them; empty when none says anything.
std::string ExplainSettings(const SettingsBytes& bytes);
