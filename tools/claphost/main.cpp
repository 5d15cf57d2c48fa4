// zephrin-clap-host: a minimal CLAP host on the command line. It loads a
// plug-in file, makes the plug-in, and passes live MIDI through its process
// call, with its state loaded and saved as a host's project keeps it.
#include "map/engine/MapSettings.h"
#include "tools/claphost/ClapHost.h"
#include "tools/host/FileIo.h"
#include "tools/host/HostText.h"
#include "tools/host/MapWords.h"
#include "tools/midifile/LiveLine.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

constexpr char kHelp[] = R"(zephrin-clap-host: runs a CLAP note effect as a host would.

  zephrin-clap-host PLUGIN.clap [options] info
      Prints the plug-in's descriptor, its note ports and its parameters.
  zephrin-clap-host PLUGIN.clap [options] live [FILE]
      Reads short MIDI messages, hex bytes one message a line ("90 60 7F",
      '#' starts a comment), from FILE or standard input: message n goes at
      frame n, in process calls of --block frames. Prints the MIDI that comes
      out in the same form, and on standard error each parameter the plug-in
      changed itself.

Options:
  --settings-file FILE  loads FILE's bytes as the plug-in's state first
  --map "SPEC"          Zephrin Map's mappings in zephrin-host's words, up to
                        8 times: they replace the mappings (those not given
                        are off), loaded as the plug-in's state after FILE
  --save FILE           saves the plug-in's state to FILE at the end
  --learn N             sets the parameter Learn to N before the first message
  --set ID=VALUE        sets parameter ID to VALUE before the first message
  --block N             frames a process call (default 64)
Exit codes: 0 done, 1 the plug-in or a file failed, 2 a wrong command line.
)";

struct Options {
    std::string plugin;
    std::string command;
    std::string input;
    std::string settingsFile;
    std::string saveFile;
    std::vector<MapMapping> maps;
    std::vector<std::pair<clap_id, double>> params;
    uint32_t block = 64;
};

int Usage(const std::string& why) {
    std::cerr << "zephrin-clap-host: " << why << "\n(zephrin-clap-host --help tells the options)\n";
    return 2;
}

int Fail(const std::string& why) {
    std::cerr << "zephrin-clap-host: " << why << "\n";
    return 1;
}

// Parses the command line; 0 when it is right, else the exit code to give.
int ParseOptions(int argc, char** argv, Options& options) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        long number = 0;
        if (arg == "--help") {
            std::cout << kHelp;
            return -1;
        } else if (arg == "--settings-file" && hasValue) {
            options.settingsFile = args[++i];
        } else if (arg == "--map" && hasValue) {
            MapMapping mapping;
            std::string error;
            if (!ParseMapSpec(args[++i], mapping, error))
                return Usage("--map \"" + args[i] + "\": " + error);
            if (options.maps.size() == kMapMaxMappings)
                return Usage("Zephrin Map has 8 mappings, not more");
            options.maps.push_back(mapping);
        } else if (arg == "--save" && hasValue) {
            options.saveFile = args[++i];
        } else if (arg == "--learn" && hasValue && ParseNumber(args[i + 1], 0, 8, number)) {
            options.params.emplace_back(2, static_cast<double>(number));  // Learn's fixed id
            ++i;
        } else if (arg == "--set" && hasValue) {
            const std::string& set = args[++i];
            const size_t equals = set.find('=');
            if (equals == std::string::npos ||
                !ParseNumber(set.substr(0, equals), 0, 0x7FFFFFFF, number))
                return Usage("--set " + set + ": give ID=VALUE");
            options.params.emplace_back(static_cast<clap_id>(number),
                                        std::atof(set.c_str() + equals + 1));
        } else if (arg == "--block" && hasValue && ParseNumber(args[i + 1], 1, 4096, number)) {
            options.block = static_cast<uint32_t>(number);
            ++i;
        } else if (arg.rfind("--", 0) == 0) {
            return Usage("unknown option or missing value: " + arg);
        } else if (options.plugin.empty()) {
            options.plugin = arg;
        } else if (options.command.empty()) {
            options.command = arg;
        } else if (options.command == "live" && options.input.empty()) {
            options.input = arg;
        } else {
            return Usage("unexpected argument: " + arg);
        }
    }
    if (options.plugin.empty() || (options.command != "info" && options.command != "live"))
        return Usage("give a plug-in file and a command, info or live");
    return 0;
}

std::string ParamText(const clap_plugin_params_t* params, const clap_plugin_t* plugin, clap_id id,
                      double value) {
    char text[256] = "";
    params->value_to_text(plugin, id, value, text, sizeof text);
    return text;
}

void PrintInfo(const CClapSession& session) {
    const clap_plugin_t* plugin = session.Plugin();
    const clap_plugin_descriptor_t& d = *plugin->desc;
    std::cout << "id: " << d.id << "\nname: " << d.name << "\nvendor: " << d.vendor
              << "\nversion: " << d.version << "\nfeatures:";
    for (const char* const* f = d.features; f && *f; ++f) std::cout << ' ' << *f;
    std::cout << '\n';
    if (const auto* ports = session.Get<clap_plugin_note_ports_t>(CLAP_EXT_NOTE_PORTS)) {
        for (const bool input : {true, false}) {
            clap_note_port_info_t info{};
            for (uint32_t i = 0;
                 i < ports->count(plugin, input) && ports->get(plugin, i, input, &info); ++i)
                std::cout << (input ? "note input " : "note output ") << info.id << ": "
                          << info.name << ", dialects " << info.supported_dialects << '\n';
        }
    }
    if (const auto* params = session.Get<clap_plugin_params_t>(CLAP_EXT_PARAMS)) {
        clap_param_info_t info{};
        for (uint32_t i = 0; i < params->count(plugin) && params->get_info(plugin, i, &info); ++i) {
            double value = 0;
            params->get_value(plugin, info.id, &value);
            std::cout << "parameter " << info.id << ": " << info.name << " = "
                      << ParamText(params, plugin, info.id, value) << '\n';
        }
    }
}

// The messages through process, block by block; what comes out printed.
int PlayLive(CClapSession& session, const Options& options, std::istream& in) {
    std::vector<midifile::ShortMessage> messages;
    midifile::CLiveLineReader reader(in);
    midifile::ShortMessage message;
    midifile::ParseError parseError;
    midifile::LineResult line;
    while ((line = reader.Next(message, parseError)) == midifile::LineResult::Message)
        messages.push_back(message);
    if (line == midifile::LineResult::Error)
        return Fail((options.input.empty() ? "standard input" : options.input) + ": byte " +
                    std::to_string(parseError.offset) + ": " + parseError.message);

    const auto* params = session.Get<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    std::string error;
    if (!session.Start(error)) return Fail(error);
    CClapInputEvents events;
    CClapOutputEvents out;
    for (const auto& [id, value] : options.params) events.Add(ParamAt(0, id, value));
    const size_t total = messages.size();
    for (size_t first = 0; first == 0 || first < total; first += options.block) {
        for (size_t i = first; i < total && i < first + options.block; ++i) {
            const uint8_t* b = messages[i].bytes;
            events.Add(MidiAt(static_cast<uint32_t>(i - first), b[0], b[1], b[2]));
        }
        out.Clear();
        if (session.Process(events, out, options.block) == CLAP_PROCESS_ERROR)
            return Fail("the plug-in's process failed");
        events.Clear();
        for (const ClapEvent& e : out.Events()) {
            if (e.header.type == CLAP_EVENT_MIDI)
                std::cout << midifile::FormatShortMessage(e.midi.data[0], e.midi.data[1],
                                                          e.midi.data[2])
                          << '\n';
            else if (e.header.type == CLAP_EVENT_PARAM_VALUE && params)
                std::cerr << "zephrin-clap-host: the plug-in set parameter " << e.param.param_id
                          << " to "
                          << ParamText(params, session.Plugin(), e.param.param_id, e.param.value)
                          << '\n';
        }
    }
    session.Stop();
    return 0;
}

int Run(const Options& options) {
    std::string error;
    CClapLibrary library;
    if (!library.Load(options.plugin, error)) return Fail(error);
    CClapSession session(library);
    if (!session.Create(nullptr, error)) return Fail(options.plugin + ": " + error);
    if (!options.settingsFile.empty()) {
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(options.settingsFile, bytes, error)) return Fail(error);
        if (!session.LoadState(bytes)) {
            std::string said;
            for (const std::string& log : session.logs)
                said += "; the plug-in said \"" + log + "\"";
            return Fail(options.settingsFile + ": the plug-in did not load it" + said);
        }
    }
    if (!options.maps.empty()) {
        // As the host tool does it: the mappings into the saved settings,
        // loaded back as a project is.
        std::vector<uint8_t> bytes;
        MapSettings settings;
        if (!session.SaveState(bytes) ||
            !DecodeMapSettings(bytes.data(), bytes.size(), settings).ok())
            return Fail("--map is for Zephrin Map, whose settings this plug-in does not save");
        ApplyMapSpecs(options.maps, settings);
        bytes.resize(kMapMaxStreamBytes);
        bytes.resize(EncodeMapSettings(settings, bytes.data()));
        if (!session.LoadState(bytes)) return Fail("the plug-in did not load the mappings");
    }
    int status = 0;
    if (options.command == "info") {
        PrintInfo(session);
    } else if (options.input.empty()) {
        status = PlayLive(session, options, std::cin);
    } else {
        std::ifstream file(options.input, std::ios::binary);
        if (!file) return Fail(options.input + ": cannot read it");
        status = PlayLive(session, options, file);
    }
    if (status == 0 && !options.saveFile.empty()) {
        std::vector<uint8_t> bytes;
        if (!session.SaveState(bytes)) return Fail("the plug-in did not save its state");
        if (!WriteWholeFile(options.saveFile, bytes, error)) return Fail(error);
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Lines end as they do natively, so that both builds' output compares.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::ios::sync_with_stdio(false);
    Options options;
    const int parsed = ParseOptions(argc, argv, options);
    if (parsed != 0) return parsed < 0 ? 0 : parsed;
    return Run(options);
}
