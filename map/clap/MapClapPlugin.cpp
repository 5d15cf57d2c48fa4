// The plug-in's main-thread side: its life, its extensions, the parameters'
// info and values for the host, and its state as the settings stream.
#include "map/clap/MapClapPlugin.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A stream never longer than the settings' largest, and one byte more to
// tell a stream that goes on past them.
constexpr size_t kStateBufferBytes = kMapMaxStreamBytes + 1;

// Hosts may hand over fewer bytes a call than asked: reads until the buffer
// is full or the stream ends. -1 on a read error.
int64_t ReadAll(const clap_istream_t* stream, uint8_t* bytes, size_t size) {
    size_t length = 0;
    while (length < size) {
        const int64_t got = stream->read(stream, bytes + length, size - length);
        if (got < 0) return -1;
        if (got == 0) break;
        length += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(length);
}

bool WriteAll(const clap_ostream_t* stream, const uint8_t* bytes, size_t size) {
    while (size > 0) {
        const int64_t put = stream->write(stream, bytes, size);
        if (put <= 0) return false;
        bytes += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

}  // namespace

CMapClapPlugin::CMapClapPlugin(const clap_host_t* host)
    : m_plugin{},
      m_host(host),
      m_values(MapClapValues::Of(MapSettings::Defaults())),
      m_tables(CompileMapTables(m_values.settings)),
      m_shown({m_values, 0}),
      m_loaded(m_values.settings) {
    m_plugin.desc = &kMapClapDescriptor;
    m_plugin.plugin_data = this;
    m_plugin.init = [](const clap_plugin_t* p) { return Of(p).Init(); };
    m_plugin.destroy = [](const clap_plugin_t* p) {
        CMapClapPlugin* plugin = &Of(p);
        plugin->~CMapClapPlugin();
        std::free(plugin);  // made by the factory with malloc
    };
    m_plugin.activate = [](const clap_plugin_t* p, double, uint32_t, uint32_t) {
        return Of(p).Activate();
    };
    m_plugin.deactivate = [](const clap_plugin_t* p) { Of(p).Deactivate(); };
    m_plugin.start_processing = [](const clap_plugin_t*) { return true; };
    m_plugin.stop_processing = [](const clap_plugin_t*) {};
    m_plugin.reset = [](const clap_plugin_t* p) { Of(p).m_latches.Reset(); };
    m_plugin.process = [](const clap_plugin_t* p, const clap_process_t* process) {
        return Of(p).Process(process);
    };
    m_plugin.get_extension = [](const clap_plugin_t* p, const char* id) {
        return Of(p).Extension(id);
    };
    m_plugin.on_main_thread = [](const clap_plugin_t*) {};
}

bool CMapClapPlugin::Init() {
    m_hostLog = static_cast<const clap_host_log_t*>(m_host->get_extension(m_host, CLAP_EXT_LOG));
    m_hostParams =
        static_cast<const clap_host_params_t*>(m_host->get_extension(m_host, CLAP_EXT_PARAMS));
    return true;
}

// Latches start up, as a new instrument would have them.
bool CMapClapPlugin::Activate() {
    m_latches.Reset();
    m_active = true;
    return true;
}

void CMapClapPlugin::Deactivate() { m_active = false; }

const clap_plugin_params_t CMapClapPlugin::kParams = {
    [](const clap_plugin_t*) { return kMapClapParams; },
    [](const clap_plugin_t*, uint32_t index, clap_param_info_t* info) {
        return info && MapClapParamInfo(index, *info);
    },
    [](const clap_plugin_t* p, clap_id id, double* value) {
        return value && Of(p).GetValue(id, *value);
    },
    [](const clap_plugin_t*, clap_id id, double value, char* text, uint32_t size) {
        return text && MapClapValueText(id, value, text, size);
    },
    [](const clap_plugin_t*, clap_id id, const char* text, double* value) {
        return value && MapClapTextValue(id, text, *value);
    },
    [](const clap_plugin_t* p, const clap_input_events_t* in, const clap_output_events_t* out) {
        CMapClapPlugin& plugin = Of(p);
        plugin.TakeLoadedState();
        plugin.Events(in, out);
        if (plugin.m_changed) plugin.Publish();
    },
};

const clap_plugin_state_t CMapClapPlugin::kState = {
    [](const clap_plugin_t* p, const clap_ostream_t* stream) {
        return stream && Of(p).SaveState(stream);
    },
    [](const clap_plugin_t* p, const clap_istream_t* stream) {
        return stream && Of(p).LoadState(stream);
    },
};

// One MIDI port each way; the port's index in events is 0 both ways.
const clap_plugin_note_ports_t CMapClapPlugin::kNotePorts = {
    [](const clap_plugin_t*, bool) -> uint32_t { return 1; },
    [](const clap_plugin_t*, uint32_t index, bool input, clap_note_port_info_t* info) {
        if (index != 0 || !info) return false;
        *info = clap_note_port_info_t{};
        info->id = input ? 0 : 1;
        info->supported_dialects = CLAP_NOTE_DIALECT_MIDI;
        info->preferred_dialect = CLAP_NOTE_DIALECT_MIDI;
        std::snprintf(info->name, sizeof info->name, "%s", input ? "MIDI in" : "MIDI out");
        return true;
    },
};

// No audio at all: said outright, so that no host gives it channels.
const clap_plugin_audio_ports_t CMapClapPlugin::kAudioPorts = {
    [](const clap_plugin_t*, bool) -> uint32_t { return 0; },
    [](const clap_plugin_t*, uint32_t, bool, clap_audio_port_info_t*) { return false; },
};

const void* CMapClapPlugin::Extension(const char* id) const {
    if (!id) return nullptr;
    if (!std::strcmp(id, CLAP_EXT_PARAMS)) return &kParams;
    if (!std::strcmp(id, CLAP_EXT_STATE)) return &kState;
    if (!std::strcmp(id, CLAP_EXT_NOTE_PORTS)) return &kNotePorts;
    if (!std::strcmp(id, CLAP_EXT_AUDIO_PORTS)) return &kAudioPorts;
    return nullptr;
}

MapClapValues CMapClapPlugin::ShownValues() const {
    const Shown shown = m_shown.Read();
    if (shown.loadsTaken == m_loads.load(std::memory_order_relaxed)) return shown.values;
    MapClapValues values = MapClapValues::Of(m_loaded.Read());
    values.learning = shown.values.learning;
    return values;
}

bool CMapClapPlugin::GetValue(clap_id id, double& value) const {
    return ShownValues().Get(id, value);
}

bool CMapClapPlugin::SaveState(const clap_ostream_t* stream) const {
    uint8_t bytes[kMapMaxStreamBytes];
    const size_t size = EncodeMapSettings(ShownValues().settings, bytes);
    return WriteAll(stream, bytes, size);
}

// The stream is checked whole by the settings codec, as the MFX filter's
// is; one it refuses changes nothing, and the host's log says why.
bool CMapClapPlugin::LoadState(const clap_istream_t* stream) {
    uint8_t bytes[kStateBufferBytes];
    const int64_t length = ReadAll(stream, bytes, sizeof bytes);
    if (length < 0) {
        Log(CLAP_LOG_ERROR,
            "Zephrin Map: settings not loaded: the host's stream could not be read");
        return false;
    }
    MapSettings settings;
    const MapDecodeResult result = DecodeMapSettings(bytes, static_cast<size_t>(length), settings);
    if (!result.ok()) {
        char text[200];
        std::snprintf(text, sizeof text, "Zephrin Map: settings not loaded (byte %u): %s",
                      static_cast<unsigned>(result.offset), result.reason);
        Log(CLAP_LOG_ERROR, text);
        return false;
    }
    m_loaded.Publish(settings);
    m_loads.fetch_add(1, std::memory_order_release);
    if (m_active) {
        // The processing side takes it from its next call; a host that is
        // not processing now is asked for one.
        if (m_hostParams) m_hostParams->request_flush(m_host);
    } else {
        TakeLoadedState();
        Publish();
    }
    if (m_hostParams) m_hostParams->rescan(m_host, CLAP_PARAM_RESCAN_VALUES);
    return true;
}

void CMapClapPlugin::Log(clap_log_severity severity, const char* text) const {
    if (m_hostLog) m_hostLog->log(m_host, severity, text);
}
