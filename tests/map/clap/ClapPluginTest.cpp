// ZephrinMap.clap as a host sees it: what it says it is, its parameters,
// live MIDI through it against the engine's own live road, learn, and its
// state as the settings stream.
#include "tests/map/clap/ClapFixture.h"

#include "map/engine/MapEngine.h"
#include "map/engine/MapSetups.h"

#include <cstdio>
#include <tuple>

namespace {

// Events as text, so that a table reads as what a host sees and a failure
// prints it: "TIME: B0407F" for MIDI, "TIME: ID=VALUE" for a parameter.
std::string Midi(uint32_t time, uint32_t bytes) {
    char text[24];
    std::snprintf(text, sizeof text, "%u: %06X", time, bytes);
    return text;
}
std::string Param(uint32_t time, clap_id id, double value) {
    return std::to_string(time) + ": " + std::to_string(id) + "=" + std::to_string(value);
}

std::vector<std::string> Summary(const std::vector<ClapEvent>& events) {
    std::vector<std::string> made;
    for (const ClapEvent& e : events) {
        const uint8_t* d = e.midi.data;
        if (e.header.type == CLAP_EVENT_MIDI)
            made.push_back(Midi(e.header.time, d[0] << 16 | d[1] << 8 | d[2]));
        else if (e.header.type == CLAP_EVENT_PARAM_VALUE)
            made.push_back(Param(e.header.time, e.param.param_id, e.param.value));
        else
            made.push_back(std::to_string(e.header.time) + ": type " +
                           std::to_string(e.header.type));
    }
    return made;
}

ClapEvent Bytes(uint32_t time, uint32_t bytes) {
    return MidiAt(time, static_cast<uint8_t>(bytes >> 16), static_cast<uint8_t>(bytes >> 8),
                  static_cast<uint8_t>(bytes));
}

// The three pedals, a latch listening on channel 2 sent on channel 9, drum
// pads 36-51 by velocity with the note let through.
MapSettings Bank() {
    MapSettings settings = MapSetup(1, true);
    MapMapping& latch = settings.mappings[3] = MapHeld(60, 60, 80);
    latch.mode = MapMode::kLatch;
    latch.inChannel = 2;
    latch.outChannel = 9;
    MapMapping& pads = settings.mappings[4] = MapHeld(36, 51, 1);
    pads.velocity = true;
    pads.through = true;
    return settings;
}

using ClapPlugin = ClapFixture;

TEST_F(ClapPlugin, DescribesItselfAsANoteEffectWithOneMidiPortEachWay) {
    const clap_plugin_descriptor_t& d = *m_session.Plugin()->desc;
    EXPECT_EQ(
        std::string(d.id) + "|" + d.name + "|" + d.vendor + "|" + d.version + "|" + d.features[0],
        "quillfen.zephrin-map|Zephrin Map|Quillfen|" ZEPHRIN_VERSION "|note-effect");
    const auto* ports = m_session.Get<clap_plugin_note_ports_t>(CLAP_EXT_NOTE_PORTS);
    ASSERT_NE(ports, nullptr);
    for (const bool input : {true, false}) {
        clap_note_port_info_t info{};
        EXPECT_EQ(ports->count(m_session.Plugin(), input), 1u);
        ASSERT_TRUE(ports->get(m_session.Plugin(), 0, input, &info));
        EXPECT_EQ(info.supported_dialects, unsigned(CLAP_NOTE_DIALECT_MIDI));
    }
}

// The ids are the contract: checked against the scheme written out (so
// each is one of its own), not against the code's own arithmetic.
TEST_F(ClapPlugin, ParametersHaveFixedIdsAndTheControlsNamesRangesAndTexts) {
    const clap_plugin_t* plugin = m_session.Plugin();
    ASSERT_EQ(m_params->count(plugin), 90u);
    for (uint32_t i = 0; i < 90; ++i) {
        clap_param_info_t info{};
        ASSERT_TRUE(m_params->get_info(plugin, i, &info));
        SCOPED_TRACE(info.name);
        EXPECT_TRUE(info.flags & CLAP_PARAM_IS_STEPPED);
        if (i < 88) {
            const int mapping = static_cast<int>(i / 11);
            const auto control = static_cast<MapControl>(i % 11);
            EXPECT_EQ(info.id, 100u * (mapping + 1) + i % 11);
            char name[64];
            MapControlName(mapping, control, name, sizeof name);
            EXPECT_STREQ(info.name, name);
            const MapControlInfo& about = MapControlAbout(control);
            EXPECT_EQ(info.min_value, about.min);
            EXPECT_EQ(info.max_value, about.max);
            EXPECT_EQ(info.default_value, MapControlDefault(mapping, control));
            EXPECT_EQ((info.flags & CLAP_PARAM_IS_ENUM) != 0,
                      about.kind == MapControlKind::kChoice);
        }
        // Every value's text reads back as that value.
        for (int v = static_cast<int>(info.min_value); v <= static_cast<int>(info.max_value); ++v) {
            char text[64] = "";
            double back = -1;
            ASSERT_TRUE(m_params->value_to_text(plugin, info.id, v, text, sizeof text));
            EXPECT_TRUE(m_params->text_to_value(plugin, info.id, text, &back)) << text;
            EXPECT_EQ(back, v) << text;
        }
    }
    // The whole filter's setting and Learn, last.
    for (const auto& [index, id, name] :
         {std::tuple{88u, 1u, "Look-ahead fix"}, {89u, 2u, "Learn"}}) {
        clap_param_info_t info{};
        ASSERT_TRUE(m_params->get_info(plugin, index, &info));
        EXPECT_EQ(info.id, id);
        EXPECT_STREQ(info.name, name);
        EXPECT_EQ(Value(id), index == 88 ? 1 : 0);
    }
    char text[64];
    EXPECT_TRUE(m_params->value_to_text(plugin, 102, 59.6, text, sizeof text));
    EXPECT_STREQ(text, "C3 (60)") << "a host's number is rounded, as the LV2 ports' are";
    EXPECT_FALSE(m_params->value_to_text(plugin, 111, 0, text, sizeof text)) << "no such id";
    EXPECT_FALSE(m_params->get_info(plugin, 90, nullptr));
}

// A long stream through the plug-in, one message a frame across blocks,
// comes out exactly as the engine's live road makes it, each event at its
// message's frame.
TEST_F(ClapPlugin, LiveMidiComesOutAsTheEnginesLiveRoadMakesItAtEachMessagesTime) {
    ASSERT_TRUE(Load(Bank()));
    CMapEngine engine;
    engine.Replace(Bank());
    std::string error;
    ASSERT_TRUE(m_session.Start(error)) << error;
    uint32_t seed = 12345;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    const uint8_t keys[] = {96, 98, 100, 60, 36, 44, 51, 52, 61, 20};
    for (int block = 0; block < 40; ++block) {
        std::vector<ClapEvent> in;
        std::vector<std::string> expected;
        CMapEngine::CLiveCall call(engine);
        for (uint32_t frame = 0; frame < 64; frame += 1 + next() % 3) {
            const uint8_t kinds[] = {0x80, 0x90, 0x90, 0xB0, 0xE0};
            const MidiMessage m{static_cast<uint8_t>(kinds[next() % 5] | next() % 4),
                                keys[next() % sizeof keys], static_cast<uint8_t>(next() % 128)};
            in.push_back(MidiAt(frame, m.status, m.data1, m.data2));
            MidiMessage out[2];
            const int count = call.Message(m, out);
            if (count == kMapPass) out[0] = m;
            for (int i = 0; i < (count == kMapPass ? 1 : count); ++i)
                expected.push_back(
                    Midi(frame, out[i].status << 16 | out[i].data1 << 8 | out[i].data2));
        }
        SCOPED_TRACE(block);
        ASSERT_EQ(Summary(Process(in, 64)), expected);
    }
}

TEST_F(ClapPlugin, ParameterEventsApplyFromTheirTimeAndOtherEventsPassAsTheyCame) {
    std::string error;
    ASSERT_TRUE(m_session.Start(error)) << error;
    const uint8_t sysex[] = {0xF0, 0x7E, 0xF7};
    ClapEvent exclusive{};
    exclusive.sysex.header = {sizeof(clap_event_midi_sysex_t), 7, CLAP_CORE_EVENT_SPACE_ID,
                              CLAP_EVENT_MIDI_SYSEX, 0};
    exclusive.sysex.buffer = sysex;
    exclusive.sysex.size = 3;
    const auto& out =
        Process({Bytes(0, 0x906040), ParamAt(3, 104, 11), ParamAt(3, 105, 1), Bytes(5, 0x916040),
                 exclusive, Bytes(8, 0x916040), ParamAt(9, 1, 0)});
    EXPECT_EQ(Summary(out), (std::vector<std::string>{Midi(0, 0xB0407F), Midi(5, 0xB10B7F),
                                                       "7: type 11", Midi(8, 0xB10B00)}));
    EXPECT_EQ(out[2].sysex.buffer, sysex);
    EXPECT_EQ(Value(104), 11);
    EXPECT_EQ(Value(1), 0);
    const std::vector<uint8_t> saved = Saved();
    ASSERT_EQ(saved.size(), 72u);
    EXPECT_EQ(saved[6], 0) << "the look-ahead fix is saved off";
    EXPECT_EQ(saved[8 + 0], 0x03) << "mapping 1: on, latch";
    EXPECT_EQ(saved[8 + 4], 11);
}

// Learning into mapping 2, which listens on channel 3: the note-on on
// channel 5 is swallowed, and the host is told every changed parameter at
// the note's time, Learn going back off last.
TEST_F(ClapPlugin, LearnTakesTheNextNoteOnAndTellsTheHostWhatChanged) {
    std::string error;
    ASSERT_TRUE(m_session.Start(error)) << error;
    const auto& out = Process({ParamAt(0, 200, 1), ParamAt(0, 201, 3), ParamAt(0, 2, 2),
                               Bytes(2, 0xB00102), Bytes(4, 0x943278), Bytes(6, 0x943270)});
    EXPECT_EQ(Summary(out),
              (std::vector<std::string>{Midi(2, 0xB00102), Param(4, 201, 5), Param(4, 202, 50),
                                 Param(4, 203, 50), Param(4, 2, 0), Midi(6, 0xB4407F)}));
    EXPECT_EQ(Value(202), 50);
    EXPECT_EQ(Value(2), 0);
    EXPECT_EQ(Summary(Process({Bytes(1, 0x903270)})), std::vector<std::string>{Midi(1, 0x903270)})
        << "mapping 2 now listens on channel 5 only";
}

// The settings stream is ZephrinMap.dll's, byte for byte: a new plug-in
// saves the README's 72 bytes, the host tool's example loads (read one byte
// at a time) and saves back as it was, and a refused stream changes nothing
// and says why in the host's log.
TEST_F(ClapPlugin, StateIsTheSettingsStreamAndARefusedOneChangesNothing) {
    std::vector<uint8_t> defaults = {0x5A, 0x4D, 0x61, 0x70, 1,    0, 1,    8,
                                     1,    0,    0x60, 0x60, 0x40, 0, 0x7F, 0};
    for (int i = 1; i < 8; ++i)
        defaults.insert(defaults.end(), {0, 0, 0x60, 0x60, 0x40, 0, 0x7F, 0});
    EXPECT_EQ(Saved(), defaults);
    const std::vector<uint8_t> example = {0x5A, 0x4D, 0x61, 0x70, 1,    0, 1,    2,
                                          1,    0,    0x60, 0x60, 0x40, 0, 0x7F, 0,
                                          7,    10,   0x24, 0x33, 1,    0, 0x7F, 0};
    ASSERT_TRUE(m_session.LoadState(example, 1));
    EXPECT_EQ(Saved(), example);
    EXPECT_EQ(Value(201), 10);
    EXPECT_EQ(Value(205), 1) << "mapping 2 latches";
    EXPECT_EQ(Value(300), 0) << "mappings past the stream's are off";
    EXPECT_EQ(m_session.valueRescans, 1);

    struct Refused {
        const char* what;
        size_t at;
        uint8_t value;
        size_t length;
        const char* said;
    } const refused[] = {
        {"another tag", 0, 'X', 24, "(byte 0): not Zephrin Map's settings"},
        {"a newer version", 4, 2, 24, "(byte 4): saved by a newer version"},
        {"crossed keys", 19, 0x20, 24, "(byte 19): the highest key must be the lowest to 127"},
        {"too short", 0, 'Z', 20, "(byte 20): the settings end in a mapping"},
        {"too long", 0, 'Z', 25, "(byte 24): bytes follow the last mapping"},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.what);
        std::vector<uint8_t> bytes = example;
        bytes[r.at] = r.value;
        bytes.resize(r.length, 0);
        m_session.logs.clear();
        EXPECT_FALSE(m_session.LoadState(bytes));
        ASSERT_EQ(m_session.logs.size(), 1u);
        EXPECT_NE(m_session.logs[0].find(r.said), std::string::npos) << m_session.logs[0];
        EXPECT_EQ(Saved(), example);
    }
}

// Loaded on the main thread while active: the host sees the new values at
// once, is asked for a flush, and the next process call uses them.
TEST_F(ClapPlugin, AStateLoadedWhileActiveReachesTheNextProcessCall) {
    std::string error;
    ASSERT_TRUE(m_session.Start(error)) << error;
    EXPECT_EQ(Summary(Process({Bytes(0, 0x906040)})), std::vector<std::string>{Midi(0, 0xB0407F)});
    MapSettings soft = MapSettings::Defaults();
    soft.mappings[0].controller = 67;
    ASSERT_TRUE(Load(soft));
    EXPECT_EQ(m_session.flushRequests, 1);
    EXPECT_EQ(Value(104), 67);
    EXPECT_EQ(Summary(Process({Bytes(0, 0x906000)})), std::vector<std::string>{Midi(0, 0xB04300)});
    EXPECT_EQ(Value(104), 67);
}

}  // namespace
