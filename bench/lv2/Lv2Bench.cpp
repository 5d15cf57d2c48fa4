// zephrin-lv2-bench: Zephrin Map's LV2 plug-in against the pass-through LV2
// plug-in, both loaded as a host loads them, in one process: run on blocks
// of 100,000 events of the live mix the MFX benchmark plays (bench/Batches),
// with the default mapping and with the MFX benchmark's eight.
//   zephrin-lv2-bench MAP.so PASSTHROUGH.so PASSTHROUGH-COPY.so
#include "bench/Batches.h"
#include "bench/EightMappings.h"
#include "bench/Ratios.h"
#include "map/lv2/MapLv2Ports.h"
#include "tools/lv2host/Lv2Instance.h"

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

// The live mix as one block: each message an event of its own frame.
Lv2Words LiveBlock(CUridMap& map) {
    const LV2_URID midi = map.Urid(LV2_MIDI__MidiEvent);
    std::vector<Lv2Event> events;
    for (const DataItem& item : LiveBatch())
        events.push_back({static_cast<int64_t>(events.size()), midi,
                          {item.status, item.data1, item.data2}});
    return ForgeSequence(map, events);
}

struct Candidate {
    const char* name;
    std::unique_ptr<CLv2Instance> instance;
    float controls[kMapAllControls];
    Lv2Words out;
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

size_t EventCount(Lv2Words& sequence) { return ReadSequence(Lv2Sequence(sequence)).size(); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: zephrin-lv2-bench MAP.so PASSTHROUGH.so PASSTHROUGH-COPY.so\n");
        return 2;
    }
    std::printf("Processor: %s\n", Processor().c_str());
    CUridMap map;
    Lv2Words in = LiveBlock(map);
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
        c.out.resize(in.size() * 2 + 4);
        const bool isMap = i < 2;
        c.instance->Connect(isMap ? kMapLv2MidiIn : kPassThroughIn, in.data());
        c.instance->Connect(isMap ? kMapLv2MidiOut : kPassThroughOut, c.out.data());
    }
    const uint32_t frames = static_cast<uint32_t>(kBatch);
    auto runOnce = [&](size_t f) {
        Candidate& c = candidates[f];
        // As a host does before each run: the output's capacity in its atom.
        Lv2Sequence(c.out)->atom = {static_cast<uint32_t>(c.out.size() * 8 - sizeof(LV2_Atom)), 0};
        const auto start = std::chrono::steady_clock::now();
        c.instance->Run(frames);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    for (size_t f = 0; f < candidates.size(); ++f) runOnce(f);
    for (Candidate& c : candidates)
        std::printf("  %-30s %zu events in, %zu out\n", c.name, EventCount(in),
                    EventCount(c.out));
    if (EventCount(candidates.back().out) != EventCount(in)) {
        std::fprintf(stderr, "zephrin-lv2-bench: the pass-through lost events\n");
        return 1;
    }
    std::printf("Throughput, blocks of %d events; %d runs of %d rounds, each run's ratio from its "
                "median block times:\n",
                kBatch, kRuns, kRounds);
    PrintRatios("run", std::vector<const char*>(names, names + 3),
                MeasureRatios(candidates.size(), in.size() ? kBatch : 0, runOnce));
    return 0;
}
