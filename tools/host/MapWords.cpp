// Reading --map's words into a mapping, and telling mappings back in words.
#include "tools/host/MapWords.h"

#include "tools/host/HostText.h"

#include <iterator>
#include <sstream>

namespace {

constexpr long kMaxData = 127;
constexpr long kMaxChannel = 16;

// Each reader takes a word's value into the mapping, or says what is wrong
// with it.
using ValueReader = const char* (*)(const std::string& value, MapMapping& mapping);

const char* ReadData(const std::string& value, uint8_t& field) {
    long number = 0;
    if (!ParseNumber(value, 0, kMaxData, number)) return "must be 0 to 127";
    field = static_cast<uint8_t>(number);
    return nullptr;
}

// 0 stands for the word that means "no channel of its own" (any, same).
const char* ReadChannel(const std::string& value, const char* none, uint8_t& field) {
    long number = 0;
    if (value == none) number = 0;
    else if (!ParseNumber(value, 1, kMaxChannel, number)) return "must be a channel, 1 to 16";
    field = static_cast<uint8_t>(number);
    return nullptr;
}

const char* ReadKeys(const std::string& value, MapMapping& mapping) {
    const size_t dash = value.find('-');
    long low = 0, high = 0;
    if (!ParseNumber(value.substr(0, dash), 0, kMaxData, low) ||
        (dash != std::string::npos && !ParseNumber(value.substr(dash + 1), 0, kMaxData, high)))
        return "must be a key or the lowest-highest keys, each 0 to 127";
    if (dash == std::string::npos) high = low;
    if (high < low) return "the lowest key comes first";
    mapping.lowKey = static_cast<uint8_t>(low);
    mapping.highKey = static_cast<uint8_t>(high);
    return nullptr;
}

struct WordRule {
    const char* name;
    bool takesValue;
    ValueReader read;
};

const WordRule kWords[] = {
    {"keys", true, ReadKeys},
    {"cc", true, [](const std::string& v, MapMapping& m) { return ReadData(v, m.controller); }},
    {"ch", true,
     [](const std::string& v, MapMapping& m) { return ReadChannel(v, "any", m.inChannel); }},
    {"out", true,
     [](const std::string& v, MapMapping& m) { return ReadChannel(v, "same", m.outChannel); }},
    {"mode", true,
     [](const std::string& v, MapMapping& m) -> const char* {
         if (v != "held" && v != "latch") return "must be held or latch";
         m.mode = v == "held" ? MapMode::kHeld : MapMode::kLatch;
         return nullptr;
     }},
    {"on", true, [](const std::string& v, MapMapping& m) { return ReadData(v, m.onValue); }},
    {"off", true, [](const std::string& v, MapMapping& m) { return ReadData(v, m.offValue); }},
    {"velocity", false,
     [](const std::string&, MapMapping& m) -> const char* {
         m.velocity = true;
         return nullptr;
     }},
    {"through", false,
     [](const std::string&, MapMapping& m) -> const char* {
         m.through = true;
         return nullptr;
     }},
};
constexpr size_t kKeysWord = 0, kCcWord = 1;

}  // namespace

bool ParseMapSpec(const std::string& spec, MapMapping& mapping, std::string& error) {
    MapMapping parsed;
    parsed.on = true;
    bool given[std::size(kWords)] = {};
    std::istringstream words(spec);
    std::string word;
    while (words >> word) {
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const WordRule* rule = nullptr;
        for (const WordRule& r : kWords)
            if (name == r.name) rule = &r;
        if (!rule) {
            error = word + ": unknown word (keys= cc= ch= out= mode= on= off= velocity through)";
            return false;
        }
        const char* reason = nullptr;
        if (given[rule - kWords]) reason = "given twice";
        else if (rule->takesValue && equals == std::string::npos) reason = "needs a value after =";
        else if (!rule->takesValue && equals != std::string::npos) reason = "takes no value";
        else reason = rule->read(rule->takesValue ? word.substr(equals + 1) : "", parsed);
        if (reason) {
            error = word + ": " + reason;
            return false;
        }
        given[rule - kWords] = true;
    }
    for (size_t required : {kKeysWord, kCcWord}) {
        if (given[required]) continue;
        error = std::string(kWords[required].name) + "= is missing";
        return false;
    }
    mapping = parsed;
    return true;
}

bool AddMapSpec(const std::string& spec, std::vector<MapMapping>& maps, std::string& error) {
    MapMapping mapping;
    if (!ParseMapSpec(spec, mapping, error)) return false;
    if (maps.size() == kMapMaxMappings) {
        error = "Zephrin Map has 8 mappings, this is a ninth";
        return false;
    }
    maps.push_back(mapping);
    return true;
}

void ApplyMapSpecs(const std::vector<MapMapping>& maps, MapSettings& settings) {
    if (maps.empty()) return;
    settings.count = static_cast<int>(maps.size());
    for (int i = 0; i < kMapMaxMappings; ++i)
        settings.mappings[i] = i < settings.count ? maps[static_cast<size_t>(i)] : MapMapping{};
}

std::string MapKeysText(const MapMapping& m) {
    if (m.lowKey == m.highKey)
        return "key " + std::to_string(m.lowKey) + " (" + NoteName(m.lowKey) + ")";
    return "keys " + std::to_string(m.lowKey) + "-" + std::to_string(m.highKey) + " (" +
           NoteName(m.lowKey) + "-" + NoteName(m.highKey) + ")";
}

std::string DescribeMapMapping(const MapMapping& m) {
    std::string text = std::string(m.on ? "on" : "off") + ", " + MapKeysText(m) + ", " +
                       (m.inChannel ? "channel " + std::to_string(m.inChannel) : "any channel") +
                       " -> " + ControllerText(m.controller) + ", " +
                       (m.mode == MapMode::kLatch ? "latch" : "held") + ", on " +
                       std::to_string(m.onValue) + (m.velocity ? " scaled by velocity" : "") +
                       ", off " + std::to_string(m.offValue) + ", out on " +
                       (m.outChannel ? "channel " + std::to_string(m.outChannel)
                                     : std::string("the note's channel"));
    if (m.through) text += ", the note passes too";
    return text;
}

std::string DescribeMapSettings(const MapSettings& settings) {
    std::string text = std::string("look-ahead fix ") + (settings.lookAheadFix ? "on" : "off") +
                       ", " + Plural(static_cast<size_t>(settings.count), "mapping", "mappings") +
                       " in the stream\n";
    for (int i = 0; i < kMapMaxMappings; ++i) {
        text += "mapping " + std::to_string(i + 1) + ": ";
        text += i < settings.count ? DescribeMapMapping(settings.mappings[i])
                                   : "off (not in the stream)";
        text += '\n';
    }
    return text;
}
