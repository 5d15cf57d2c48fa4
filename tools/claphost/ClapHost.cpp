// The minimal CLAP host: its extensions, event lists, streams and calls.
#include "tools/claphost/ClapHost.h"

#include <algorithm>
#include <cstring>

namespace {

CClapSession& SessionOf(const clap_host_t* host) {
    return *static_cast<CClapSession*>(host->host_data);
}

const clap_host_log_t kLog = {
    [](const clap_host_t* host, clap_log_severity, const char* text) {
        SessionOf(host).logs.push_back(text ? text : "");
    },
};

const clap_host_params_t kParams = {
    [](const clap_host_t* host, clap_param_rescan_flags flags) {
        if (flags & CLAP_PARAM_RESCAN_VALUES) ++SessionOf(host).valueRescans;
    },
    [](const clap_host_t*, clap_id, clap_param_clear_flags) {},
    [](const clap_host_t* host) { ++SessionOf(host).flushRequests; },
};

const clap_host_state_t kState = {[](const clap_host_t*) {}};

struct Reader {
    const std::vector<uint8_t>& bytes;
    size_t at;
    size_t chunk;
};

struct Writer {
    std::vector<uint8_t>& bytes;
    size_t chunk;
};

}  // namespace

ClapEvent MidiAt(uint32_t time, uint8_t status, uint8_t data1, uint8_t data2) {
    ClapEvent event{};
    event.midi.header = {sizeof(clap_event_midi_t), time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_MIDI,
                         0};
    event.midi.data[0] = status;
    event.midi.data[1] = data1;
    event.midi.data[2] = data2;
    return event;
}

ClapEvent ParamAt(uint32_t time, clap_id id, double value) {
    ClapEvent event{};
    event.param.header = {sizeof(clap_event_param_value_t), time, CLAP_CORE_EVENT_SPACE_ID,
                          CLAP_EVENT_PARAM_VALUE, 0};
    event.param.param_id = id;
    event.param.note_id = -1;
    event.param.port_index = event.param.channel = event.param.key = -1;
    event.param.value = value;
    return event;
}

CClapInputEvents::CClapInputEvents() : m_list{} {
    m_list.ctx = this;
    m_list.size = [](const clap_input_events_t* list) {
        return static_cast<uint32_t>(
            static_cast<const CClapInputEvents*>(list->ctx)->m_events.size());
    };
    m_list.get = [](const clap_input_events_t* list, uint32_t index) -> const clap_event_header_t* {
        const auto& events = static_cast<const CClapInputEvents*>(list->ctx)->m_events;
        return index < events.size() ? &events[index].header : nullptr;
    };
}

CClapOutputEvents::CClapOutputEvents(size_t capacity) : m_list{} {
    m_events.reserve(capacity);
    m_list.ctx = this;
    m_list.try_push = [](const clap_output_events_t* list, const clap_event_header_t* event) {
        auto& events = static_cast<CClapOutputEvents*>(list->ctx)->m_events;
        if (!event || event->size > sizeof(ClapEvent) || events.size() == events.capacity())
            return false;
        ClapEvent copy{};
        std::memcpy(&copy, event, event->size);
        events.push_back(copy);
        return true;
    };
}

CClapSession::CClapSession(const CClapLibrary& library) : m_library(library), m_host{} {
    m_host.clap_version = CLAP_VERSION;
    m_host.host_data = this;
    m_host.name = "zephrin-clap-host";
    m_host.vendor = "Quillfen";
    m_host.url = "";
    m_host.version = "1";
    m_host.get_extension = [](const clap_host_t*, const char* id) -> const void* {
        if (!std::strcmp(id, CLAP_EXT_LOG)) return &kLog;
        if (!std::strcmp(id, CLAP_EXT_PARAMS)) return &kParams;
        if (!std::strcmp(id, CLAP_EXT_STATE)) return &kState;
        return nullptr;
    };
    m_host.request_restart = [](const clap_host_t*) {};
    m_host.request_process = [](const clap_host_t*) {};
    m_host.request_callback = [](const clap_host_t*) {};
}

CClapSession::~CClapSession() {
    Stop();
    if (m_plugin) m_plugin->destroy(m_plugin);
}

bool CClapSession::Create(const char* id, std::string& error) {
    const auto* factory =
        static_cast<const clap_plugin_factory_t*>(m_library.Factory(CLAP_PLUGIN_FACTORY_ID));
    if (!factory || factory->get_plugin_count(factory) == 0) {
        error = "the file has no plug-in factory, or no plug-in in it";
        return false;
    }
    if (!id) id = factory->get_plugin_descriptor(factory, 0)->id;
    m_plugin = factory->create_plugin(factory, &m_host, id);
    if (!m_plugin) {
        error = std::string("the factory made no plug-in ") + id;
        return false;
    }
    if (!m_plugin->init(m_plugin)) {
        error = std::string("the plug-in's init failed");
        m_plugin->destroy(m_plugin);
        m_plugin = nullptr;
        return false;
    }
    return true;
}

bool CClapSession::Start(std::string& error) {
    if (!m_plugin->activate(m_plugin, 48000, 1, 4096)) {
        error = "the plug-in did not activate";
        return false;
    }
    m_active = true;
    if (!m_plugin->start_processing(m_plugin)) {
        error = "the plug-in did not start processing";
        return false;
    }
    m_processing = true;
    return true;
}

void CClapSession::Stop() {
    if (m_processing) m_plugin->stop_processing(m_plugin);
    if (m_active) m_plugin->deactivate(m_plugin);
    m_processing = m_active = false;
}

clap_process_status CClapSession::Process(const CClapInputEvents& in, CClapOutputEvents& out,
                                          uint32_t frames) {
    clap_process_t process{};
    process.steady_time = m_steadyTime;
    process.frames_count = frames;
    process.in_events = in.List();
    process.out_events = out.List();
    m_steadyTime += frames;
    return m_plugin->process(m_plugin, &process);
}

bool CClapSession::SaveState(std::vector<uint8_t>& bytes, size_t chunk) {
    const auto* state = Get<clap_plugin_state_t>(CLAP_EXT_STATE);
    if (!state) return false;
    bytes.clear();
    Writer writer{bytes, chunk};
    clap_ostream_t stream{&writer, [](const clap_ostream_t* s, const void* buffer, uint64_t size) {
                              Writer& w = *static_cast<Writer*>(s->ctx);
                              const size_t n =
                                  static_cast<size_t>(std::min<uint64_t>(size, w.chunk));
                              const auto* from = static_cast<const uint8_t*>(buffer);
                              w.bytes.insert(w.bytes.end(), from, from + n);
                              return static_cast<int64_t>(n);
                          }};
    return state->save(m_plugin, &stream);
}

bool CClapSession::LoadState(const std::vector<uint8_t>& bytes, size_t chunk) {
    const auto* state = Get<clap_plugin_state_t>(CLAP_EXT_STATE);
    if (!state) return false;
    Reader reader{bytes, 0, chunk};
    clap_istream_t stream{&reader, [](const clap_istream_t* s, void* buffer, uint64_t size) {
                              Reader& r = *static_cast<Reader*>(s->ctx);
                              const size_t n = static_cast<size_t>(
                                  std::min<uint64_t>({size, r.chunk, r.bytes.size() - r.at}));
                              if (n) std::memcpy(buffer, r.bytes.data() + r.at, n);
                              r.at += n;
                              return static_cast<int64_t>(n);
                          }};
    return state->load(m_plugin, &stream);
}
