// zephrin-host: a sequencer on the command line. It drives any filter through
// the host's filter interface: playback of MIDI files, live input from text,
// and the settings as a project keeps them.
#include "tools/host/FileIo.h"
#include "tools/host/FilterLoader.h"
#include "tools/host/FilterSettings.h"
#include "tools/host/HostText.h"
#include "tools/host/Live.h"
#include "tools/host/MapWords.h"
#include "tools/host/PageSession.h"
#include "tools/host/Playback.h"
#include "tools/host/PlugInSettings.h"
#include "tools/host/SongFile.h"
#include "tools/host/Summary.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

namespace {

constexpr char kHelp[] = R"(zephrin-host: runs an MFX MIDI filter as a sequencer would.

  zephrin-host [options] play IN.mid [OUT.mid]
      Plays a Standard MIDI File (format 0 or 1) through the filter window by
      window and writes what comes out (default OUT: IN with .zephrin.mid).
      Prints what the filter did: which notes went, which controllers came,
      and what a later window sent a second time.
  zephrin-host [options] live [FILE]
      Reads short MIDI messages, hex bytes one message a line ("90 60 7F"),
      from FILE or standard input, passes them through the filter and prints
      what comes out in the same form. '#' starts a comment.
  zephrin-host [options] settings [--save FILE]
      Prints the settings the filter saves, as bytes and in words (Zephrin's
      and Zephrin Map's); --save also writes those bytes to FILE.

Options:
  --dll PATH      the filter's DLL, loaded through its own DllGetClassObject,
                  no registration needed (default: Zephrin.dll beside this
                  program). Without --clsid the tool asks the DLL for
                  Zephrin's filter class, then for Zephrin Map's, and takes
                  the first it has: Zephrin.dll and ZephrinMap.dll need none.
  --clsid GUID    the filter's class, {xxxxxxxx-...}; without --dll the filter
                  is created through COM from the registry
  --settings-file FILE
                  loads the bytes of FILE (as settings --save wrote them)
                  through the filter's IPersistStream before anything else,
                  and checks that the filter took them; any filter
Zephrin's settings (16 bytes):
  --key N         the key the filter converts (0-127)
  --cc N          the controller it produces (0-127)
Zephrin Map's settings:
  --map "SPEC"    one mapping, up to 8 times, in order; they replace the
                  filter's mappings, and those not given are off. SPEC is
                  words separated by spaces:
                    keys=60 or keys=36-51   the key or keys it takes (needed)
                    cc=64                   the controller it makes (needed)
                    ch=any or ch=1..16      the channel it listens to (live)
                    out=same or out=1..16   the channel it sends on (live)
                    mode=held or mode=latch held: on while the key is down;
                                            latch: each note flips it
                    on=N off=N              the controller's values (127, 0)
                    velocity                the on value scales with the
                                            note's velocity, from off to on
                    through                 the note passes too, before
                                            its controller
                  A wrong word, or a ninth --map, is a wrong command line.
                  In playback a mapping takes a note by its key alone: ch=
                  and out= apply to live input only.
Both:
  --fix on|off    the playback look-ahead fix
  (--key, --cc, --map and --fix are loaded as a project does: the settings
  the filter saves through its IPersistStream are changed, loaded back and
  checked. --map with --key or --cc, or with --clsid naming the other
  filter's class, is a wrong command line (exit 2); otherwise the tool knows
  which filter it has once it is loaded, from the class it reports, and
  --key or --cc for Zephrin Map, or --map for Zephrin, is an error (exit 1).)
Playback and live input:
  --window TICKS  playback window (default one beat)
  --batch N       live messages per OnInput call (default 1)
  --learn         live: press Zephrin's Learn Key button on its page first,
                  so that the next note-on becomes the key
  --learn N       live: press the Learn button of Zephrin Map's mapping N
                  (1-8) on its page first, so that the next note-on becomes
                  that mapping's key
  --help          this text

Errors name the file and the byte offset; the exit code is then 1 (2 for a
wrong command line), and no output file is left behind.
)";

struct Options {
    std::string command;
    std::vector<std::string> files;
    std::string dll;
    std::optional<CLSID> clsid;
    SettingsOptions settings;
    std::string settingsFile, saveFile;
    int32_t window = 0;
    size_t batch = 1;
    bool learn = false;
    int learnMapping = 0;  // the mapping to learn, from 1; 0: the plug-in's one key
};

int Fail(const std::string& message) {
    std::cerr << "zephrin-host: " << message << '\n';
    return 1;
}

int Usage(const std::string& message) {
    std::cerr << "zephrin-host: " << message << "\n(zephrin-host --help tells how it is used)\n";
    return 2;
}

// Returns 0 when the command line is good, otherwise the exit code.
int ParseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string text;
        long number = 0;
        if (arg == "--help" || arg == "-h") {
            std::cout << kHelp;
            return -1;
        } else if (arg == "--dll") {
            if (!value(options.dll)) return Usage("--dll needs a path");
        } else if (arg == "--clsid") {
            CLSID clsid;
            if (!value(text) || !ParseClsid(text, clsid))
                return Usage("--clsid needs a class identifier such as {C209D5E0-B7E8-47B1-807B-D3B0E8197A15}");
            options.clsid = clsid;
        } else if (arg == "--key" || arg == "--cc") {
            if (!value(text) || !ParseNumber(text, 0, 127, number))
                return Usage(arg + " needs a number from 0 to 127");
            (arg == "--key" ? options.settings.key : options.settings.cc) =
                static_cast<int32_t>(number);
        } else if (arg == "--map") {
            std::string error;
            if (!value(text)) return Usage("--map needs a mapping such as \"keys=96 cc=64\"");
            if (!AddMapSpec(text, options.settings.maps, error))
                return Usage("--map \"" + text + "\": " + error);
        } else if (arg == "--settings-file" || arg == "--save") {
            if (!value(arg == "--save" ? options.saveFile : options.settingsFile))
                return Usage(arg + " needs a file");
        } else if (arg == "--fix") {
            if (!value(text) || (text != "on" && text != "off")) return Usage("--fix needs on or off");
            options.settings.fix = text == "on" ? 1 : 0;
        } else if (arg == "--window") {
            if (!value(text) || !ParseNumber(text, 1, 0x7FFFFFFF, number))
                return Usage("--window needs a number of ticks, at least 1");
            options.window = static_cast<int32_t>(number);
        } else if (arg == "--batch") {
            if (!value(text) || !ParseNumber(text, 1, 1 << 20, number))
                return Usage("--batch needs a number of messages, at least 1");
            options.batch = static_cast<size_t>(number);
        } else if (arg == "--learn") {
            options.learn = true;
            // An optional mapping number: --learn 3.
            if (i + 1 < argc && ParseNumber(argv[i + 1], 1, MaxLearnMappings(), number)) {
                options.learnMapping = static_cast<int>(number);
                ++i;
            }
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            return Usage("unknown option " + arg);
        } else if (options.command.empty()) {
            options.command = arg;
        } else {
            options.files.push_back(arg);
        }
    }
    const size_t files = options.files.size();
    if (options.command == "play") {
        if (files < 1 || files > 2) return Usage("play needs IN.mid and at most one OUT.mid");
    } else if (options.command == "live") {
        if (files > 1) return Usage("live reads one file or standard input");
    } else if (options.command == "settings") {
        if (files) return Usage("settings takes no file");
    } else {
        return Usage(options.command.empty() ? "no command: play, live or settings"
                                             : "unknown command " + options.command);
    }
    if (options.learn && options.command != "live") return Usage("--learn is for live input");
    if (!options.saveFile.empty() && options.command != "settings")
        return Usage("--save is for the settings command");
    const unsigned given = options.settings.Given();
    if (!OnePlugInTakes(given)) return Usage(kMixedOptionsUsage);
    const PlugIn* named = options.clsid ? FindPlugIn(*options.clsid) : nullptr;
    if (named && (given & ~named->options)) return Usage(named->othersOptionsUsage);
    return 0;
}

// Zephrin.dll beside the program, as installed, or in the build tree's
// plugins folder beside the tools folder.
std::string DefaultDll() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, length);
    const size_t slash = dir.find_last_of("\\/");
    dir = slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
    const std::string beside = dir + "Zephrin.dll";
    const std::string built = dir + "..\\plugins\\Zephrin.dll";
    return GetFileAttributesA(beside.c_str()) == INVALID_FILE_ATTRIBUTES &&
                   GetFileAttributesA(built.c_str()) != INVALID_FILE_ATTRIBUTES
               ? built
               : beside;
}

HRESULT LoadFilter(const Options& options, CLoadedFilter& filter, std::string& error) {
    if (options.dll.empty() && options.clsid)
        return CLoadedFilter::FromClsid(*options.clsid, filter, error);
    const std::string dll = options.dll.empty() ? DefaultDll() : options.dll;
    if (options.clsid) return CLoadedFilter::FromDll(dll, *options.clsid, filter, error);
    const HRESULT hr = CLoadedFilter::FromDll(dll, PlugInClasses(), filter, error);
    if (hr == CLASS_E_CLASSNOTAVAILABLE)
        error = dll + ": has " + NeitherPlugIn() + " filter class; name its class with --clsid";
    return hr;
}

// The settings file first, as it is; then the settings given on the command
// line over what the filter has.
HRESULT ApplySettings(const Options& options, const PlugIn* plugIn, IMfxEventFilter* filter,
                      std::string& error) {
    if (!options.settingsFile.empty()) {
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(options.settingsFile, bytes, error)) return E_FAIL;
        const HRESULT hr = LoadAndCheckSettings(filter, bytes, error);
        if (FAILED(hr)) {
            error = options.settingsFile + ": " + error;
            return hr;
        }
    }
    return ApplySettingsOptions(plugIn, filter, options.settings, error);
}

int32_t DefaultWindow(uint16_t division) {
    if (!(division & 0x8000)) return division;  // one beat
    const int frames = -static_cast<int8_t>(division >> 8);
    return frames * (division & 0xFF);          // SMPTE: one second
}

std::string DefaultOutput(const std::string& in) {
    const size_t slash = in.find_last_of("\\/");
    const size_t dot = in.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? in.substr(0, dot) : in) + ".zephrin.mid";
}

int Play(const Options& options, const PlugIn* plugIn, IMfxEventFilter* filter) {
    const std::string& inPath = options.files[0];
    const std::string outPath = options.files.size() > 1 ? options.files[1] : DefaultOutput(inPath);
    std::string error;
    midifile::MidiSong song;
    if (!ReadSongFile(inPath, song, error)) return Fail(error);

    const SongRecords records = SongToRecords(song);
    const int32_t window = options.window ? options.window : DefaultWindow(song.division);
    PlaybackOutput output;
    if (FAILED(PlaySong(filter, records, window, output, error))) return Fail(error);
    SongWriteReport report;
    const midifile::MidiSong result = RecordsToSong(records, output, report);
    if (!WriteWholeFile(outPath, midifile::WriteMidiFile(result), error)) return Fail(error);

    std::cout << inPath << " -> " << outPath << '\n'
              << SummarizePlayback(records, output, window);
    // Playback changes no setting: what the filter saves now is what played.
    SettingsBytes settings;
    if (plugIn && plugIn->summarize &&
        SUCCEEDED(ReadPlugInSettings(plugIn, filter, settings, error)))
        std::cout << plugIn->summarize(records, output, settings);
    if (report.droppedRecords)
        std::cout << "  note: " << report.droppedRecords
                  << " records of kinds this host does not know were left out\n";
    return 0;
}

int Live(const Options& options, const PlugIn* plugIn, const CLoadedFilter& filter) {
    std::string error;
    CPageSession page;
    // Learning presses the page's Learn button, as a user would: the plug-in's
    // one button, or the Nth of its buttons for mapping N.
    SettingsBytes before;
    if (options.learn) {
        if (FAILED(ReadPlugInSettings(plugIn, filter.get(), before, error)))
            return Fail("learn: " + error);
        const PlugInLearn& learn = plugIn->learn;  // known: its settings were read
        if ((learn.mappings != 0) != (options.learnMapping != 0) ||
            options.learnMapping > learn.mappings)
            return Fail(std::string("learn: ") + learn.misuse);
        if (FAILED(page.Open(filter, error)) ||
            !page.PressButton(learn.button, error, std::max(options.learnMapping - 1, 0)))
            return Fail("learn: " + error);
        std::cerr << "zephrin-host: learning: " << learn.learning(options.learnMapping) << "\n";
    }

    HRESULT hr;
    if (options.files.empty()) {
        midifile::ParseError parse;
        bool parseFailed = false;
        hr = StreamLive(filter.get(), std::cin, options.batch, std::cout, error, parse, parseFailed);
        if (SUCCEEDED(hr) && parseFailed)
            return Fail("standard input: byte " + std::to_string(parse.offset) + ": " + parse.message);
    } else {
        const std::string& path = options.files[0];
        std::ifstream in(path, std::ios::binary);
        if (!in) return Fail(path + ": cannot open it");
        std::vector<midifile::ShortMessage> messages;
        midifile::ParseError parse;
        // A file is checked whole first: a faulty one plays nothing.
        if (!ReadLiveMessages(in, messages, parse))
            return Fail(path + ": byte " + std::to_string(parse.offset) + ": " + parse.message);
        std::vector<DataItem> items;
        for (size_t i = 0; i < messages.size(); ++i)
            items.push_back(MakeLiveItem(messages[i], static_cast<uint32_t>(i)));
        hr = PlayLive(filter.get(), items, options.batch, std::cout, error);
    }
    if (FAILED(hr)) return Fail(error);

    if (options.learn) {
        SettingsBytes after;
        if (FAILED(ReadPlugInSettings(plugIn, filter.get(), after, error))) return Fail(error);
        const std::string learned = plugIn->learn.learned(before, after, options.learnMapping);
        std::cerr << "zephrin-host: " << (learned.empty() ? "still learning: no note-on came" : learned)
                  << "\n";
    }
    return 0;
}

int Settings(const Options& options, const PlugIn* plugIn, IMfxEventFilter* filter) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (FAILED(SaveFilterSettings(filter, bytes, error))) return Fail(error);
    for (size_t i = 0; i < bytes.size(); ++i) std::printf(i ? " %02X" : "%02X", bytes[i]);
    std::printf("\n");
    std::printf("%s", SettingsWords(plugIn, bytes).c_str());
    if (options.saveFile.empty()) return 0;
    if (!WriteWholeFile(options.saveFile, bytes, error)) return Fail(error);
    std::printf("saved to %s\n", options.saveFile.c_str());
    return 0;
}

class CComInit {
public:
    CComInit() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CComInit() {
        if (SUCCEEDED(m_hr)) CoUninitialize();
    }
    CComInit(const CComInit&) = delete;
    CComInit& operator=(const CComInit&) = delete;
    HRESULT Result() const { return m_hr; }

private:
    HRESULT m_hr;
};

}  // namespace

int main(int argc, char** argv) {
    // Lines end in LF as they came, and byte offsets on standard input are
    // the bytes as sent, carriage returns included.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    Options options;
    if (const int code = ParseArguments(argc, argv, options)) return code < 0 ? 0 : code;

    CComInit com;
    if (FAILED(com.Result())) return Fail("cannot start COM: " + DescribeHresult(com.Result()));
    CLoadedFilter filter;
    std::string error;
    if (FAILED(LoadFilter(options, filter, error)) || FAILED(filter->Connect(nullptr)))
        return Fail(error.empty() ? "the filter refused Connect" : error);
    const PlugIn* plugIn = FindPlugIn(filter.get());  // null: a filter of another class
    int code = 1;
    if (SUCCEEDED(ApplySettings(options, plugIn, filter.get(), error))) {
        if (options.command == "play") code = Play(options, plugIn, filter.get());
        else if (options.command == "live") code = Live(options, plugIn, filter);
        else code = Settings(options, plugIn, filter.get());
    } else {
        Fail(error);
    }
    filter->Disconnect();
    return code;
}
