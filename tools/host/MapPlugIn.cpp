// Zephrin Map's row in the host tool's table: its stream through the engine's
// codec, --map, a Learn button for each mapping, and the summary mapping by
// mapping.
#include "tools/host/PlugIns.h"

#include "map/mfx/MapIds.h"
#include "tools/host/FilterSettings.h"
#include "tools/host/HostText.h"
#include "tools/host/MapSummary.h"
#include "tools/host/MapWords.h"

namespace {

// Bytes that passed Check; a new filter's settings for any others.
MapSettings Decode(const SettingsBytes& bytes) {
    MapSettings settings = MapSettings::Defaults();
    DecodeMapSettings(bytes.data(), bytes.size(), settings);
    return settings;
}

std::string Fault(const MapDecodeResult& result) {
    return "byte " + std::to_string(result.offset) + ": " + result.reason;
}

std::string Check(const SettingsBytes& bytes) {
    MapSettings unused;
    const MapDecodeResult result = DecodeMapSettings(bytes.data(), bytes.size(), unused);
    return result.ok() ? std::string() : "not Zephrin Map's stream (" + Fault(result) + ")";
}

SettingsBytes Apply(const SettingsBytes& saved, const SettingsOptions& options) {
    MapSettings settings = Decode(saved);
    ApplyMapSpecs(options.maps, settings);
    if (options.fix) settings.lookAheadFix = *options.fix != 0;
    return MapSettingsBytes(settings);
}

std::string Describe(const SettingsBytes& bytes) { return DescribeMapSettings(Decode(bytes)); }

// The stream tells where it is wrong, not only that it is, once its tag
// says it is Zephrin Map's.
std::string Explain(const SettingsBytes& bytes) {
    MapSettings unused;
    const MapDecodeResult result = DecodeMapSettings(bytes.data(), bytes.size(), unused);
    return result.ok() || result.status == MapDecodeStatus::kBadTag ? std::string() : Fault(result);
}

std::string Learning(int mapping) {
    return "the next note-on becomes mapping " + std::to_string(mapping) + "'s key";
}

std::string Learned(const SettingsBytes& before, const SettingsBytes& after, int mapping) {
    const MapMapping m = Decode(after).mappings[mapping - 1];
    if (m == Decode(before).mappings[mapping - 1]) return {};
    std::string text = "mapping " + std::to_string(mapping) + " learned key " +
                       std::to_string(m.lowKey) + " (" + NoteName(m.lowKey) + ")";
    if (m.inChannel) text += " on channel " + std::to_string(m.inChannel);
    return text;
}

std::string Summarize(const SongRecords& input, const PlaybackOutput& output,
                      const SettingsBytes& settings) {
    return SummarizeMapPlayback(input, output, Decode(settings));
}

}  // namespace

const PlugIn kMapPlugIn = {
    CLSID_ZephrinMapFilter,
    "Zephrin Map",
    kOptionMap | kOptionFix,
    "--key and --cc are Zephrin's; Zephrin Map takes --map",
    "--key and --cc are for Zephrin; this filter keeps Zephrin Map's settings (--map)",
    {Check, Apply, Describe, Explain},
    {"Learn", kMapMaxMappings, "Zephrin Map learns into a mapping: --learn N, N from 1 to 8",
     Learning, Learned},
    Summarize,
};
