// zephrin-lv2-bench: Zephrin Map's LV2 plug-in against the pass-through LV2
// plug-in, both loaded as a host loads them, in one process: run on blocks
// of 100,000 events of the live mix the MFX benchmark plays (bench/Batches),
// with the default mapping and with the MFX benchmark's eight.
//   zephrin-lv2-bench MAP.so PASSTHROUGH.so PASSTHROUGH-COPY.so
#include "bench/Batches.h"
#include "bench/EightMappings.h"
#include "bench/Ratios.h"
#include "bench/lv2/Lv2Instance.h"
#include "map/lv2/MapLv2Ports.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr char kPassThroughUri[] = "urn:quillfen:zephrin-passthrough";
constexpr uint32_t kPassThroughIn = 0, kPassThroughOut = 1;

// A sequence buffer, 8-byte aligned as atoms are.
struct Sequence {
    std::vector<uint64_t> words;
    LV2_Atom_Sequence* get() { return reinterpret_cast<LV2_Atom_Sequence*>(words.data()); }
};

// The live mix as one block: each message an event of its own frame.
Sequence LiveBlock(CUridMap& map) {
    const std::vector<DataItem> items = LiveBatch();
    struct Event {
        LV2_Atom_Event event;
        uint8_t bytes[8];
    };
    Sequence s;
    s.words.resize((sizeof(LV2_Atom_Sequence) + items.size() * sizeof(Event)) / 8);
    LV2_Atom_Sequence* seq = s.get();
    const size_t body = sizeof(LV2_Atom_Sequence_Body) + items.size() * sizeof(Event);
    seq->atom = {static_cast<uint32_t>(body), map.Urid(LV2_ATOM__Sequence)};
    seq->body = {0, 0};
    auto* events = reinterpret_cast<Event*>(seq + 1);
    const LV2_URID midi = map.Urid(LV2_MIDI__MidiEvent);
    for (size_t i = 0; i < items.size(); ++i)
        events[i] = {{static_cast<int64_t>(i), {3, midi}},
                     {items[i].status, items[i].data1, items[i].data2}};
    return s;
}

struct Candidate {
    const char* name;
    std::unique_ptr<CLv2Instance> instance;
    float controls[kMapAllControls];
    Sequence out;
};

// Zephrin Map with the settings, as a host's control ports hold them.
bool LoadMap(Candidate& c, const std::string& binary, const MapSettings& settings,
             CUridMap& map, std::string& error) {
    for (int m = 0; m < kMapMaxMappings; ++m) {
        float numbers[kMapControls];
        MapControlsFromMapping(settings.mappings[m], numbers);
        std::memcpy(&c.controls[m * kMapControls], numbers, sizeof numbers);
    }
    if (!c.instance->Load(binary, kMapLv2Uri, map, error)) return false;
    for (int i = 0; i < kMapAllControls; ++i)
        c.instance->Connect(kMapLv2FirstControl + static_cast<uint32_t>(i), &c.controls[i]);
    return true;
}

std::string Processor() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line, model = "unknown";
    int count = 0;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0) model = line.substr(line.find(':') + 2);
        if (line.rfind("processor", 0) == 0) ++count;
    }
    return model + ", " + std::to_string(count) + " logical processors";
}

uint32_t EventCount(const LV2_Atom_Sequence* seq) {
    uint32_t count = 0;
    LV2_ATOM_SEQUENCE_FOREACH(seq, ev) ++count;
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: zephrin-lv2-bench MAP.so PASSTHROUGH.so PASSTHROUGH-COPY.so\n");
        return 2;
    }
    std::printf("Processor: %s\n", Processor().c_str());
    CUridMap map;
    Sequence in = LiveBlock(map);
    std::vector<Candidate> candidates(4);
    const char* names[] = {"Map, default mapping", "Map, eight mappings",
                           "copy of the pass-through", "pass-through"};
    std::string error;
    bool loaded = true;
    for (size_t i = 0; i < candidates.size(); ++i) {
        Candidate& c = candidates[i];
        c.name = names[i];
        c.instance = std::make_unique<CLv2Instance>();
        if (i < 2) {
            const MapSettings settings = i == 0 ? MapSettings::Defaults() : BenchEightMappings();
            loaded = loaded && LoadMap(c, argv[1], settings, map, error);
        } else {
            loaded = loaded && c.instance->Load(argv[i == 2 ? 3 : 2], kPassThroughUri, map, error);
        }
        if (!loaded) {
            std::fprintf(stderr, "zephrin-lv2-bench: %s\n", error.c_str());
            return 1;
        }
        // Room for two events out of every one in: a note let through and its controller.
        c.out.words.resize(in.words.size() * 2 + 4);
        const bool isMap = i < 2;
        c.instance->Connect(isMap ? kMapLv2MidiIn : kPassThroughIn, in.get());
        c.instance->Connect(isMap ? kMapLv2MidiOut : kPassThroughOut, c.out.get());
    }
    const uint32_t frames = static_cast<uint32_t>(kBatch);
    auto runOnce = [&](size_t f) {
        Candidate& c = candidates[f];
        // As a host does before each run: the output's capacity in its atom.
        c.out.get()->atom = {static_cast<uint32_t>(c.out.words.size() * 8 - sizeof(LV2_Atom)), 0};
        const auto start = std::chrono::steady_clock::now();
        c.instance->Run(frames);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    for (size_t f = 0; f < candidates.size(); ++f) runOnce(f);
    for (Candidate& c : candidates)
        std::printf("  %-30s %u events in, %u out\n", c.name, EventCount(in.get()),
                    EventCount(c.out.get()));
    if (EventCount(candidates.back().out.get()) != EventCount(in.get())) {
        std::fprintf(stderr, "zephrin-lv2-bench: the pass-through lost events\n");
        return 1;
    }
    std::printf("Throughput, blocks of %d events; %d runs of %d rounds, each run's ratio from its "
                "median block times:\n",
                kBatch, kRuns, kRounds);
    PrintRatios("run", std::vector<const char*>(names, names + 3),
                MeasureRatios(candidates.size(), in.words.size() ? kBatch : 0, runOnce));
    return 0;
}
