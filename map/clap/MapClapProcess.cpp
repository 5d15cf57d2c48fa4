// The plug-in's processing side: the host's events in order through the
// values and the live rules, each event made at its input event's time.
// Real-time code: no allocation, no lock, no system call.
#include "map/clap/MapClapPlugin.h"

namespace {

clap_event_midi_t MidiEvent(uint32_t time, MidiMessage message) {
    clap_event_midi_t event{};
    event.header = {sizeof event, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_MIDI, 0};
    event.port_index = 0;
    event.data[0] = message.status;
    event.data[1] = message.data1;
    event.data[2] = message.data2;
    return event;
}

// Tells the host a value the plug-in changed itself, so that its controls
// and its undo follow.
void PushValue(const clap_output_events_t* out, uint32_t time, clap_id id, double value) {
    clap_event_param_value_t event{};
    event.header = {sizeof event, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = id;
    event.note_id = -1;
    event.port_index = -1;
    event.channel = -1;
    event.key = -1;
    event.value = value;
    out->try_push(out, &event.header);
}

}  // namespace

clap_process_status CMapClapPlugin::Process(const clap_process_t* process) {
    TakeLoadedState();
    Events(process->in_events, process->out_events);
    if (m_changed) Publish();
    return CLAP_PROCESS_CONTINUE;
}

void CMapClapPlugin::TakeLoadedState() {
    m_changed = false;
    const uint32_t loads = m_loads.load(std::memory_order_acquire);
    if (loads == m_loadsTaken) return;
    const int32_t learning = m_values.learning;
    m_values = MapClapValues::Of(m_loaded.Read());
    m_values.learning = learning;
    m_loadsTaken = loads;
    m_tablesStale = m_changed = true;
}

void CMapClapPlugin::Events(const clap_input_events_t* in, const clap_output_events_t* out) {
    if (!in || !out) return;
    const uint32_t count = in->size(in);
    for (uint32_t i = 0; i < count; ++i) {
        const clap_event_header_t* header = in->get(in, i);
        if (!header) continue;
        if (header->space_id != CLAP_CORE_EVENT_SPACE_ID) {
            out->try_push(out, header);
            continue;
        }
        switch (header->type) {
        case CLAP_EVENT_PARAM_VALUE: {
            const auto& event = *reinterpret_cast<const clap_event_param_value_t*>(header);
            if (m_values.Set(event.param_id, event.value)) m_tablesStale = m_changed = true;
            break;
        }
        case CLAP_EVENT_MIDI:
            Midi(*reinterpret_cast<const clap_event_midi_t*>(header), out);
            break;
        case CLAP_EVENT_PARAM_MOD:
        case CLAP_EVENT_PARAM_GESTURE_BEGIN:
        case CLAP_EVENT_PARAM_GESTURE_END:
        case CLAP_EVENT_TRANSPORT:
            break;  // for the plug-in alone
        default:
            out->try_push(out, header);  // notes of another dialect, system-exclusive, MIDI 2
            break;
        }
    }
}

void CMapClapPlugin::Midi(const clap_event_midi_t& event, const clap_output_events_t* out) {
    const MidiMessage in{event.data[0], event.data[1], event.data[2]};
    const uint32_t time = event.header.time;
    if (m_values.learning != 0 && MapLearnTakes(in)) {
        m_values.Learn(in.data1, in.status & 0x0F,
                       [&](clap_id id, double value) { PushValue(out, time, id, value); });
        m_tablesStale = m_changed = true;
        return;  // the note-on that taught the key is swallowed
    }
    if (m_tablesStale) {
        m_tables = CompileMapTables(m_values.settings);
        m_tablesStale = false;
    }
    const uint8_t takers = MapLiveTakers(m_tables, in);
    if (!takers) {
        out->try_push(out, &event.header);
        return;
    }
    MidiMessage made[2];
    const int count = MapLiveMessage(m_tables, m_latches, in, takers, made);
    for (int i = 0; i < count; ++i) {
        const clap_event_midi_t result = MidiEvent(time, made[i]);
        out->try_push(out, &result.header);
    }
}
