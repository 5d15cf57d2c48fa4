// Zephrin Map's LV2 plug-in as a host drives it: loaded from its shared
// object, streams of events through it block by block, and what comes out,
// at which frames and in which order.
#include "tests/map/lv2/Lv2TestHost.h"

#include <gtest/gtest.h>
#include <lv2/midi/midi.h>

#include <algorithm>

namespace {

constexpr uint8_t kOn = 0x90, kOff = 0x80, kCc = 0xB0;
constexpr MapControl kOnOff = MapControl::kOn, kChannel = MapControl::kChannel,
                     kLow = MapControl::kLowKey, kHigh = MapControl::kHighKey,
                     kController = MapControl::kController, kMode = MapControl::kMode,
                     kOnValue = MapControl::kOnValue, kOffValue = MapControl::kOffValue,
                     kVelocity = MapControl::kVelocity, kThrough = MapControl::kThrough,
                     kOut = MapControl::kOutChannel;

// An event of the tables: MIDI, or of the type named.
struct Ev {
    int64_t frame;
    std::vector<uint8_t> bytes;
    const char* type = nullptr;
};

struct Set {
    int mapping;
    MapControl control;
    float number;
};

struct Block {
    std::vector<Set> set;  // before the block
    std::vector<Ev> in;
    std::vector<Ev> out;
    bool reactivate = false;  // deactivate and activate before the block
};

std::vector<Lv2Event> Events(CMapLv2Instance& plugin, const std::vector<Ev>& table) {
    std::vector<Lv2Event> events;
    for (const Ev& e : table) {
        events.push_back({e.frame, plugin.Map(e.type ? e.type : LV2_MIDI__MidiEvent), e.bytes});
    }
    return events;
}

TEST(MapLv2Plugin, IsFoundByItsUriAndNeedsTheHostsUridMap) {
    CLv2Instance plugin;
    std::string error;
    ASSERT_TRUE(plugin.Open(ZEPHRIN_MAP_LV2_SO, "urn:quillfen:zephrin-map", error)) << error;
    EXPECT_EQ(plugin.Descriptor(1), nullptr);
    EXPECT_FALSE(plugin.Instantiate(nullptr, error));
}

TEST(MapLv2Rules, StreamsComeOutAsTheLiveRulesMakeThemAtTheirFrames) {
    const char* kInt = "http://lv2plug.in/ns/ext/atom#Int";
    const std::vector<uint8_t> sysex = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    struct Case {
        const char* name;
        std::vector<Set> set;
        std::vector<Block> blocks;
    } const cases[] = {
        {"three pedals, everything else in its place; a note-on of velocity 0 is a note-off",
         {{1, kOnOff, 1}, {1, kLow, 98}, {1, kHigh, 98}, {1, kController, 66},
          {2, kOnOff, 1}, {2, kLow, 100}, {2, kHigh, 100}, {2, kController, 67}},
         {{{},
           {{0, {kOn | 1, 96, 100}}, {3, {kOn, 60, 90}}, {5, {kOn, 98, 80}},
            {7, {kOff | 1, 96, 64}}, {9, {kOn, 100, 0}}, {9, sysex}, {12, {0xC0, 5}},
            {12, {kOn, 97, 1}}},
           {{0, {kCc | 1, 64, 127}}, {3, {kOn, 60, 90}}, {5, {kCc, 66, 127}},
            {7, {kCc | 1, 64, 0}}, {9, {kCc, 67, 0}}, {9, sysex}, {12, {0xC0, 5}},
            {12, {kOn, 97, 1}}}}}},
        {"a latch on channel 2 lasts from block to block until the plug-in is activated again",
         {{0, kChannel, 2}, {0, kMode, 1}},
         {{{},
           {{1, {kOn | 1, 96, 100}}, {2, {kOff | 1, 96, 0}}, {3, {kOn, 96, 100}}},
           {{1, {kCc | 1, 64, 127}}, {3, {kOn, 96, 100}}}},
          {{}, {{0, {kOn | 1, 96, 90}}}, {{0, {kCc | 1, 64, 0}}}},
          {{}, {{4, {kOn | 1, 96, 90}}}, {{4, {kCc | 1, 64, 127}}}},
          {{}, {{0, {kOn | 1, 96, 90}}}, {{0, {kCc | 1, 64, 127}}}, true}}},
        {"drum pads 36-51 to modulation by velocity, between off 20 and on 100",
         {{0, kLow, 36}, {0, kHigh, 51}, {0, kController, 1}, {0, kVelocity, 1},
          {0, kOnValue, 100}, {0, kOffValue, 20}},
         {{{},
           {{0, {kOn | 9, 36, 127}}, {1, {kOn | 9, 40, 64}}, {2, {kOn | 9, 51, 1}},
            {3, {kOff | 9, 36, 0}}, {4, {kOn | 9, 52, 100}}, {4, {kOn | 9, 35, 100}}},
           {{0, {kCc | 9, 1, 100}}, {1, {kCc | 9, 1, 60}}, {2, {kCc | 9, 1, 21}},
            {3, {kCc | 9, 1, 20}}, {4, {kOn | 9, 52, 100}}, {4, {kOn | 9, 35, 100}}}}}},
        {"through puts the note first, the controller on output channel 5",
         {{0, kLow, 60}, {0, kHigh, 60}, {0, kController, 11}, {0, kThrough, 1}, {0, kOut, 5}},
         {{{},
           {{4, {kOn, 60, 100}}, {6, {kOff, 60, 64}}},
           {{4, {kOn, 60, 100}}, {4, {kCc | 4, 11, 127}}, {6, {kOff, 60, 64}},
            {6, {kCc | 4, 11, 0}}}}}},
        {"crossed keys take nothing",
         {{0, kLow, 70}, {0, kHigh, 60}},
         {{{},
           {{0, {kOn, 65, 100}}, {1, {kOn, 96, 100}}, {2, {kOn, 70, 1}}},
           {{0, {kOn, 65, 100}}, {1, {kOn, 96, 100}}, {2, {kOn, 70, 1}}}}}},
        {"numbers are rounded and clamped, never trusted",
         {{0, kOnOff, 0.7f}, {0, kChannel, -3}, {0, kLow, 59.6f}, {0, kHigh, 60.4f},
          {0, kController, 300}, {0, kOnValue, 126.6f}, {0, kOut, 16.4f}},
         {{{},
           {{0, {kOn | 3, 60, 100}}, {1, {kOn, 61, 100}}, {1, {kOn, 59, 100}}},
           {{0, {kCc | 15, 127, 127}}, {1, {kOn, 61, 100}}, {1, {kOn, 59, 100}}}}}},
        {"a changed control applies from the next block",
         {},
         {{{}, {{0, {kOn, 96, 100}}}, {{0, {kCc, 64, 127}}}},
          {{{0, kController, 11}, {0, kLow, 60}, {0, kHigh, 60}},
           {{0, {kOn, 96, 100}}, {1, {kOn, 60, 100}}},
           {{0, {kOn, 96, 100}}, {1, {kCc, 11, 127}}}},
          {{{0, kOnOff, 0}}, {{0, {kOn, 60, 100}}}, {{0, {kOn, 60, 100}}}}}},
        {"events of other types and other MIDI pass unchanged, in their places",
         {},
         {{{},
           {{0, {1, 0, 0, 0}, kInt}, {2, {kOn, 96, 100}}, {2, {1, 2, 3, 4, 5}, "urn:example:other"},
            {7, {0xF8}}, {8, {kOff, 96, 0, 0}}},
           {{0, {1, 0, 0, 0}, kInt}, {2, {kCc, 64, 127}}, {2, {1, 2, 3, 4, 5}, "urn:example:other"},
            {7, {0xF8}}, {8, {kOff, 96, 0, 0}}}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMapLv2Instance plugin;
        for (const Set& s : c.set) plugin.Control(s.mapping, s.control) = s.number;
        for (size_t b = 0; b < c.blocks.size(); ++b) {
            SCOPED_TRACE("block " + std::to_string(b + 1));
            const Block& block = c.blocks[b];
            for (const Set& s : block.set) plugin.Control(s.mapping, s.control) = s.number;
            if (block.reactivate) plugin.Reactivate();
            EXPECT_EQ(plugin.Run(Events(plugin, block.in)), Events(plugin, block.out));
        }
    }
}

// However small the host's buffer, the plug-in writes within it a sequence
// that is the first events of what a large one gets, and never a note let
// through without its controller.
TEST(MapLv2Output, AFullBufferDropsTheRestOfTheBlockAndIsNeverOverrun) {
    std::vector<Ev> in;
    for (int i = 0; i < 6; ++i) {
        in.push_back({i, {kOn, 60, 100}});
        in.push_back({i, {0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 0xF7}});
    }
    auto run = [&](uint32_t capacity) {
        CMapLv2Instance plugin;
        plugin.Control(0, kLow) = plugin.Control(0, kHigh) = 60;
        plugin.Control(0, kThrough) = 1;
        return plugin.Run(Events(plugin, in), capacity);
    };
    const std::vector<Lv2Event> all = run(8192);
    ASSERT_EQ(all.size(), 18u);
    // From the smallest a host can give: the atom's header, which holds its size.
    for (uint32_t capacity = 8; capacity <= 400; ++capacity) {
        SCOPED_TRACE("capacity " + std::to_string(capacity));
        const std::vector<Lv2Event> out = run(capacity);
        ASSERT_LE(out.size(), all.size());
        EXPECT_TRUE(std::equal(out.begin(), out.end(), all.begin()));
        if (!out.empty()) {
            EXPECT_NE(out.back().body[0], kOn) << "a note without its controller";
        }
    }
}

}  // namespace
