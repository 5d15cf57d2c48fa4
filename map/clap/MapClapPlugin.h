// CMapClapPlugin: Zephrin Map as a CLAP note effect. An adapter: it turns
// the host's events into the engine's live rules and back, its parameters
// into settings, and its state into the settings stream; the rules decide.
//
// Threads, as CLAP has them: the processing side (process and flush while
// active, on the audio thread; flush on the main thread while inactive) owns
// the values and the compiled tables, and publishes the values after each
// change for the main thread to read (get_value, state save). A state loaded
// on the main thread while active is handed over through a published slot
// and taken by the next process or flush. Neither side ever waits for the
// other: no lock, no allocation and no system call on the processing side.
#pragma once

#include "common/PublishedValue.h"
#include "map/clap/MapClapParams.h"
#include "map/engine/MapRules.h"

#include <clap/clap.h>

#include <atomic>
#include <cstdint>

extern const clap_plugin_descriptor_t kMapClapDescriptor;

class CMapClapPlugin {
public:
    explicit CMapClapPlugin(const clap_host_t* host);
    CMapClapPlugin(const CMapClapPlugin&) = delete;
    CMapClapPlugin& operator=(const CMapClapPlugin&) = delete;

    const clap_plugin_t* Plugin() const { return &m_plugin; }

private:
    // What the processing side publishes for the main thread.
    struct Shown {
        MapClapValues values;
        uint32_t loadsTaken;  // the state loads applied, so far
    };

    static CMapClapPlugin& Of(const clap_plugin_t* plugin) {
        return *static_cast<CMapClapPlugin*>(plugin->plugin_data);
    }
    static const clap_plugin_params_t kParams;
    static const clap_plugin_state_t kState;
    static const clap_plugin_note_ports_t kNotePorts;
    static const clap_plugin_audio_ports_t kAudioPorts;

    // The plug-in's calls (MapClapPlugin.cpp).
    bool Init();
    bool Activate();
    void Deactivate();
    const void* Extension(const char* id) const;
    bool GetValue(clap_id id, double& value) const;
    bool SaveState(const clap_ostream_t* stream) const;
    bool LoadState(const clap_istream_t* stream);
    void Log(clap_log_severity severity, const char* text) const;
    // The values as the main thread sees them: the processing side's last,
    // or a state loaded since that it has not taken yet.
    MapClapValues ShownValues() const;

    // The processing side (MapClapProcess.cpp).
    clap_process_status Process(const clap_process_t* process);
    // Walks the host's events in order: parameters change the values, MIDI
    // goes through the rules, the rest passes as it came.
    void Events(const clap_input_events_t* in, const clap_output_events_t* out);
    void Midi(const clap_event_midi_t& event, const clap_output_events_t* out);
    void TakeLoadedState();
    void Publish() { m_shown.Publish({m_values, m_loadsTaken}); }

    clap_plugin_t m_plugin;
    const clap_host_t* m_host;
    const clap_host_log_t* m_hostLog = nullptr;
    const clap_host_params_t* m_hostParams = nullptr;

    // The processing side's own.
    MapClapValues m_values;
    MapTables m_tables;
    bool m_tablesStale = false;
    bool m_changed = false;  // the values changed during this call
    MapLiveLatches m_latches;
    uint32_t m_loadsTaken = 0;

    // Between the sides.
    CPublishedValue<Shown> m_shown;
    CPublishedValue<MapSettings> m_loaded;
    std::atomic<uint32_t> m_loads{0};

    // The main thread's own.
    bool m_active = false;
};
