// A minimal CLAP host for one plug-in instance: the host structure with the
// log, params and state extensions, its event lists and state streams, and
// the instance's life from create to destroy. The loader program and the
// plug-in's tests drive plug-ins through it.
#pragma once

#include "tools/claphost/ClapLibrary.h"

#include <clap/clap.h>

#include <cstdint>
#include <string>
#include <vector>

// Room for any event the host sends or keeps.
union ClapEvent {
    clap_event_header_t header;
    clap_event_midi_t midi;
    clap_event_param_value_t param;
    clap_event_note_t note;
    clap_event_midi_sysex_t sysex;
    clap_event_midi2_t midi2;
};

ClapEvent MidiAt(uint32_t time, uint8_t status, uint8_t data1, uint8_t data2);
ClapEvent ParamAt(uint32_t time, clap_id id, double value);

// The events of one call, in time order, as the host hands them over.
class CClapInputEvents {
public:
    CClapInputEvents();
    void Add(const ClapEvent& event) { m_events.push_back(event); }
    void Clear() { m_events.clear(); }
    const clap_input_events_t* List() const { return &m_list; }

private:
    std::vector<ClapEvent> m_events;
    clap_input_events_t m_list;
};

// The events a plug-in gives. The room is made up front, so that a push
// never allocates inside the plug-in's process; past it a push fails.
class CClapOutputEvents {
public:
    explicit CClapOutputEvents(size_t capacity = 4096);
    void Clear() { m_events.clear(); }
    const clap_output_events_t* List() const { return &m_list; }
    const std::vector<ClapEvent>& Events() const { return m_events; }

private:
    std::vector<ClapEvent> m_events;
    clap_output_events_t m_list;
};

class CClapSession {
public:
    explicit CClapSession(const CClapLibrary& library);
    ~CClapSession();
    CClapSession(const CClapSession&) = delete;
    CClapSession& operator=(const CClapSession&) = delete;

    // The factory's first plug-in, or the one of that id: created and
    // initialised. False with error set otherwise.
    bool Create(const char* id, std::string& error);
    const clap_plugin_t* Plugin() const { return m_plugin; }
    template <typename Extension>
    const Extension* Get(const char* id) const {
        return static_cast<const Extension*>(m_plugin->get_extension(m_plugin, id));
    }

    // activate and start_processing; stop_processing and deactivate.
    bool Start(std::string& error);
    void Stop();
    // One process call of frames, as a free-running host makes it.
    clap_process_status Process(const CClapInputEvents& in, CClapOutputEvents& out,
                                uint32_t frames);

    // The state through the plug-in's state extension; a stream that moves
    // at most chunk bytes a call, as some hosts' do.
    bool SaveState(std::vector<uint8_t>& bytes, size_t chunk = 1u << 20);
    bool LoadState(const std::vector<uint8_t>& bytes, size_t chunk = 1u << 20);

    // What the plug-in told the host.
    std::vector<std::string> logs;
    int valueRescans = 0;
    int flushRequests = 0;

private:
    const CClapLibrary& m_library;
    clap_host_t m_host;
    const clap_plugin_t* m_plugin = nullptr;
    bool m_active = false;
    bool m_processing = false;
    int64_t m_steadyTime = 0;
};
