// zephrin-host.exe as a user runs it: exit codes, the one-line errors that
// name file and byte, and no output file left by a failed run.
#include "bench/passthrough/PassThroughIds.h"
#include "common/UniqueHandle.h"
#include "tests/tools/MidiTestData.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

namespace {

using CUniqueFile = CUniqueHandle<HANDLE, CloseHandle, LONG_PTR{-1}>;

// Build paths are the build machine's; under Wine its root is drive Z:.
std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

const std::string kPassThrough = "--dll \"" + WindowsPath(ZEPHRIN_PASSTHROUGH_DLL) +
                                 "\" --clsid {6B1E2F0A-3C5D-4E7F-9A1B-2C3D4E5F6A7B}";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

struct ToolRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out, err;
};

// Runs the tool with its standard streams in files, standard input from one.
ToolRun RunTool(const std::string& arguments, const std::string& input = "") {
    // Fresh names for every run, in this process and the test processes before
    // it: Wine may close a finished child's handles late.
    static int runs = 0;
    const std::string name =
        "host-tool-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++runs);
    const std::string in = name + ".in", out = name + ".out", err = name + ".err";
    std::ofstream(in, std::ios::binary) << input;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    auto open = [&](const std::string& path, bool write) {
        return CUniqueFile(CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                       write ? CREATE_ALWAYS : OPEN_EXISTING, 0, nullptr));
    };
    ToolRun run;
    {
        CUniqueFile stdIn = open(in, false), stdOut = open(out, true), stdErr = open(err, true);
        if (!stdIn || !stdOut || !stdErr) {
            ADD_FAILURE() << "cannot open the files for the standard streams (error "
                          << GetLastError() << ")";
            return run;
        }
        STARTUPINFOA start{};
        start.cb = sizeof start;
        start.dwFlags = STARTF_USESTDHANDLES;
        start.hStdInput = stdIn.get();
        start.hStdOutput = stdOut.get();
        start.hStdError = stdErr.get();
        std::string command = "\"" + WindowsPath(ZEPHRIN_HOST_EXE) + "\" " + arguments;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                            &start, &process)) {
            ADD_FAILURE() << "cannot start " << command << " (error " << GetLastError() << ")";
            return run;
        }
        CUniqueHandleObj processHandle(process.hProcess), thread(process.hThread);
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
    }
    run.out = ReadText(out);
    run.err = ReadText(err);
    for (const std::string& file : {in, out, err}) DeleteFileA(file.c_str());
    return run;
}

midifile::MidiSong ReadSong(const std::string& path) {
    const std::string text = ReadText(path);
    midifile::MidiSong song;
    midifile::ParseError error;
    EXPECT_TRUE(midifile::ReadMidiFile(std::vector<uint8_t>(text.begin(), text.end()), song, error))
        << path << ": " << error.message;
    return song;
}

size_t Lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

const Bytes kSong = Cat({Header(0, 1, 96), Track({0x00, 0x90, 96, 100, 0x60, 0x80, 96, 0,
                                                   0x00, 0xFF, 0x2F, 0x00})});

}  // namespace

TEST(HostTool, HelpAndCommandLineMistakes) {
    ToolRun help = RunTool("--help");
    EXPECT_EQ(help.exitCode, 0u);
    for (const char* words : {"play IN.mid", "live [FILE]", "settings", "--dll", "--learn", "--window",
                              "--map \"SPEC\"", "--settings-file FILE", "--save FILE"})
        EXPECT_NE(help.out.find(words), std::string::npos) << words;

    const struct {
        const char* arguments;
        const char* words;
    } mistakes[] = {
        {"", "no command"},
        {"dance", "unknown command dance"},
        {"play", "play needs IN.mid"},
        {"--key 128 play a.mid", "--key needs a number from 0 to 127"},
        {"--fix maybe play a.mid", "--fix needs on or off"},
        {"--window 0 play a.mid", "--window needs"},
        {"--clsid nonsense settings", "--clsid needs a class identifier"},
        {"--learn play a.mid", "--learn is for live input"},
        {"--frobnicate settings", "unknown option --frobnicate"},
        {"--map \"keys=60\" settings", "--map \"keys=60\": cc= is missing"},
        {"--map \"keys=60 cc=1 ch=17\" settings", "--map \"keys=60 cc=1 ch=17\": ch=17: must be a channel"},
        {"--map \"keys=60 cc=1\" --key 60 settings", "give one or the other"},
        {"--clsid {B82780CD-E069-4512-8A9A-C88661E75605} --cc 1 settings", "Zephrin Map takes --map"},
        {"--save saved.bin play a.mid", "--save is for the settings command"},
    };
    for (const auto& m : mistakes) {
        SCOPED_TRACE(m.arguments);
        const ToolRun run = RunTool(m.arguments);
        EXPECT_EQ(run.exitCode, 2u);
        EXPECT_NE(run.err.find(m.words), std::string::npos) << run.err;
    }
    std::string nine;
    for (int i = 0; i < 9; ++i) nine += " --map \"keys=" + std::to_string(60 + i) + " cc=1\"";
    const ToolRun ninth = RunTool(nine + " settings");
    EXPECT_EQ(ninth.exitCode, 2u);
    EXPECT_NE(ninth.err.find("--map \"keys=68 cc=1\": Zephrin Map has 8 mappings, this is a ninth"),
              std::string::npos) << ninth.err;
}

TEST(HostTool, BadSongsFailOnOneLineAndLeaveNoOutput) {
    const struct {
        const char* name;
        Bytes bytes;
        const char* words;
    } cases[] = {
        {"not-midi.mid", {'h', 'e', 'l', 'l', 'o'}, "not-midi.mid: byte 0: not a MIDI file"},
        {"truncated.mid", Cat({Header(0, 1, 96), {'M', 'T', 'r', 'k', 0, 0, 1, 0, 0}}),
         "truncated.mid: byte 14: truncated chunk"},
        {"no-status.mid", Cat({Header(0, 1, 96), Track({0x00, 60, 100})}),
         "no-status.mid: byte 23: data byte 0x3C with no running status"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(c.name, c.bytes);
        DeleteFileA("out.mid");
        const ToolRun run = RunTool(kPassThrough + " play " + c.name + " out.mid");
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_EQ(Lines(run.err), 1u) << run.err;
        EXPECT_NE(run.err.find(c.words), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_FALSE(Exists("out.mid"));
        EXPECT_FALSE(Exists("out.mid.part"));
    }
    // A file already there stays as it was when a run fails.
    WriteBytes("out.mid", {'o', 'l', 'd'});
    EXPECT_EQ(RunTool(kPassThrough + " play not-midi.mid out.mid").exitCode, 1u);
    EXPECT_EQ(ReadText("out.mid"), "old");
    // So does everything when the filter cannot be loaded.
    WriteBytes("good.mid", kSong);
    const ToolRun missing = RunTool("--dll no-such-filter.dll play good.mid out.mid");
    EXPECT_EQ(missing.exitCode, 1u);
    EXPECT_NE(missing.err.find("no-such-filter.dll: cannot load it"), std::string::npos) << missing.err;
    EXPECT_EQ(ReadText("out.mid"), "old");
    // The system's failures read as words.
    for (const auto& [song, words] : {std::pair{"no-such-song.mid", "cannot open it: no such file"},
                                      std::pair{"no-such-folder\\song.mid", "cannot open it: no such folder"}}) {
        const ToolRun run = RunTool(kPassThrough + " play " + song + " out.mid");
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_NE(run.err.find(words), std::string::npos) << run.err;
    }
}

TEST(HostTool, PlaysThroughAFilterDllAndWritesBesideTheSong) {
    WriteBytes("song.mid", kSong);
    DeleteFileA("song.zephrin.mid");
    const ToolRun run = RunTool(kPassThrough + " play song.mid");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_NE(run.out.find("song.mid -> song.zephrin.mid"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("no note became anything else"), std::string::npos) << run.out;
    const std::string written = ReadText("song.zephrin.mid");
    // The note comes back as a note-on/note-off pair, explicit statuses.
    const Bytes expected = Cat({Header(0, 1, 96), Track({0x00, 0x90, 96, 100, 0x60, 0x80, 96, 64,
                                                         0x00, 0xFF, 0x2F, 0x00})});
    EXPECT_EQ(written, std::string(expected.begin(), expected.end()));

    const ToolRun settings = RunTool(kPassThrough + " --key 60 play song.mid");
    EXPECT_EQ(settings.exitCode, 1u);
    EXPECT_NE(settings.err.find("no settings stream"), std::string::npos) << settings.err;
}

TEST(HostTool, LiveLinesFromAFileOrStandardInput) {
    std::ofstream("live.txt", std::ios::binary) << "90 3C 64\n# a comment\nB0 07 64\n";
    const ToolRun run = RunTool(kPassThrough + " live live.txt");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.out, "90 3C 64\nB0 07 64\n");

    const ToolRun piped = RunTool(kPassThrough + " --batch 2 live", "c0 05\n80 3c 00\nF8\n");
    EXPECT_EQ(piped.exitCode, 0u) << piped.err;
    EXPECT_EQ(piped.out, "C0 05\n80 3C 00\nF8\n");

    // A faulty file plays nothing at all; standard input plays what came first.
    std::ofstream("bad-live.txt", std::ios::binary) << "90 3C 64\n90 3C\n";
    const ToolRun bad = RunTool(kPassThrough + " live bad-live.txt");
    EXPECT_EQ(bad.exitCode, 1u);
    EXPECT_TRUE(bad.out.empty()) << bad.out;
    EXPECT_EQ(Lines(bad.err), 1u);
    EXPECT_NE(bad.err.find("bad-live.txt: byte 9: line 2: a note-on has 3 bytes, this line 2"),
              std::string::npos) << bad.err;

    const ToolRun badPipe = RunTool(kPassThrough + " live", "90 3C 64\nZZ\n");
    EXPECT_EQ(badPipe.exitCode, 1u);
    EXPECT_EQ(badPipe.out, "90 3C 64\n");
    EXPECT_NE(badPipe.err.find("standard input: byte 9: line 2"), std::string::npos) << badPipe.err;
}

#ifdef ZEPHRIN_PLUGIN_DLL
namespace {
const std::string kPlugIn = "--dll \"" + WindowsPath(ZEPHRIN_PLUGIN_DLL) + "\"";
}

TEST(HostToolWithPlugIn, SettingsAreLoadedAsAProjectLoadsThem) {
    const ToolRun defaults = RunTool(kPlugIn + " settings");
    EXPECT_EQ(defaults.exitCode, 0u) << defaults.err;
    EXPECT_EQ(defaults.out, "60 00 00 00 40 00 00 00 01 00 00 00 80 00 00 00\n"
                            "key 96 (C6), controller 64, look-ahead fix on (1), reserved 128\n");
    const ToolRun changed = RunTool(kPlugIn + " --key 60 --cc 66 --fix off settings");
    EXPECT_EQ(changed.exitCode, 0u) << changed.err;
    EXPECT_EQ(changed.out, "3C 00 00 00 42 00 00 00 00 00 00 00 80 00 00 00\n"
                           "key 60 (C3), controller 66, look-ahead fix off (0), reserved 128\n");
}

TEST(HostToolWithPlugIn, LearnTakesTheNextNoteOnThroughThePage) {
    const ToolRun run = RunTool(kPlugIn + " live --learn", "B0 07 64\n91 48 5A\n81 48 00\n90 60 64\n");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    // The learned note-on is taken; its note-off is already the pedal.
    EXPECT_EQ(run.out, "B0 07 64\nB1 40 00\n90 60 64\n");
    EXPECT_NE(run.err.find("learned key 72 (C4)"), std::string::npos) << run.err;

    const ToolRun none = RunTool(kPlugIn + " live --learn", "80 3C 00\n");
    EXPECT_EQ(none.out, "80 3C 00\n");  // a note-off never teaches a key
    EXPECT_NE(none.err.find("still learning"), std::string::npos) << none.err;
}

TEST(HostToolWithPlugIn, TheExampleSongGetsItsPedal) {
    const std::string song = WindowsPath(ZEPHRIN_EXAMPLE_SONG);
    const ToolRun run = RunTool(kPlugIn + " play \"" + song + "\" example-out.mid");
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_NE(run.out.find("10 notes of key 96 (C6) became 28 controller events on controller 64"),
              std::string::npos) << run.out;
    const midifile::MidiSong out = ReadSong("example-out.mid");
    size_t pedalNotes = 0, down = 0, up = 0;
    for (const auto& track : out.tracks)
        for (const auto& e : track.events) {
            if ((e.Kind() == 0x9 || e.Kind() == 0x8) && e.data1 == 96) ++pedalNotes;
            if (e.Kind() == 0xB && e.data1 == 64) ++(e.data2 ? down : up);
        }
    EXPECT_EQ(pedalNotes, 0u);
    EXPECT_EQ(down, 10u);
    EXPECT_EQ(up, 18u);  // each of the ten, and eight sent again by the look-ahead fix
}
#endif

#if defined(ZEPHRIN_MAP_DLL) && defined(ZEPHRIN_PLUGIN_DLL)
namespace {
const std::string kMap = "--dll \"" + WindowsPath(ZEPHRIN_MAP_DLL) + "\"";
}

TEST(HostToolWithMap, ThreePedalsComeFromTheirKeys) {
    const ToolRun run =
        RunTool(kMap + " --map \"keys=96 cc=64\" --map \"keys=98 cc=66\" --map \"keys=100 cc=67\"" +
                " play \"" + WindowsPath(ZEPHRIN_THREE_PEDALS_SONG) + "\" three-pedals-out.mid");
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    for (const char* words :
         {"mapping 1, key 96 (C6) to controller 64 (sustain pedal), held: took 8 notes, made 24 "
          "controller events (8 sent again by the look-ahead fix)\n",
          "mapping 2, key 98 (D6) to controller 66 (sostenuto pedal), held: took 2 notes, made 6 "
          "controller events (2 sent again by the look-ahead fix)\n",
          "mapping 3, key 100 (E6) to controller 67 (soft pedal), held: took 1 note, made 3 "
          "controller events (1 sent again by the look-ahead fix)\n"})
        EXPECT_NE(run.out.find(words), std::string::npos) << words << "\n" << run.out;
    EXPECT_EQ(run.out.find("no mapping accounts for"), std::string::npos) << run.out;

    // Worked out from the song itself: each pedal key's note becomes its
    // controller at 127 where it starts and at 0 a tick before it ends, and
    // the 0 comes a second time when that tick lies in a later beat's window.
    using Event = std::tuple<size_t, uint32_t, uint8_t, uint8_t, uint8_t>;  // track, tick, status, d1, d2
    const std::map<uint8_t, uint8_t> pedals = {{96, 64}, {98, 66}, {100, 67}};
    const midifile::MidiSong in = ReadSong(ZEPHRIN_THREE_PEDALS_SONG);
    std::multiset<Event> expected, got;
    for (size_t t = 0; t < in.tracks.size(); ++t) {
        std::map<uint8_t, uint32_t> down;
        for (const auto& e : in.tracks[t].events) {
            const auto pedal = pedals.find(e.data1);
            if (pedal == pedals.end() || (e.Kind() != 0x8 && e.Kind() != 0x9)) continue;
            const uint8_t status = static_cast<uint8_t>(0xB0 | e.Channel());
            if (e.Kind() == 0x9 && e.data2) {
                down[e.data1] = e.tick;
                continue;
            }
            const uint32_t up = e.tick - 1;
            expected.insert({t, down[e.data1], status, pedal->second, 127});
            expected.insert({t, up, status, pedal->second, 0});
            if (up / 480 > down[e.data1] / 480) expected.insert({t, up, status, pedal->second, 0});
        }
    }
    ASSERT_EQ(expected.size(), 33u);
    const midifile::MidiSong out = ReadSong("three-pedals-out.mid");
    for (size_t t = 0; t < out.tracks.size(); ++t)
        for (const auto& e : out.tracks[t].events) {
            EXPECT_FALSE(e.Kind() == 0x9 && pedals.count(e.data1)) << "a pedal key's note at " << e.tick;
            if (e.Kind() == 0xB && e.data1 != 7) got.insert({t, e.tick, e.status, e.data1, e.data2});
        }
    EXPECT_TRUE(got == expected);

    // Out of the box, found in the DLL without --clsid, Map does what Zephrin does.
    const std::string song = " play \"" + WindowsPath(ZEPHRIN_EXAMPLE_SONG) + "\" ";
    ASSERT_EQ(RunTool(kMap + song + "map-default.mid").exitCode, 0u);
    ASSERT_EQ(RunTool(kPlugIn + song + "zephrin.mid").exitCode, 0u);
    EXPECT_EQ(ReadText("map-default.mid"), ReadText("zephrin.mid"));
}

TEST(HostToolWithMap, SettingsFromTheCommandLineAndFromFiles) {
    DeleteFileA("pedals.zmap");
    const ToolRun saved = RunTool(kMap + " --fix off --map \"keys=36-51 cc=1 ch=10 out=2 mode=latch "
                                         "on=100 off=20 velocity through\" --map \"cc=64 keys=96\" "
                                         "settings --save pedals.zmap");
    EXPECT_EQ(saved.exitCode, 0u) << saved.err;
    const std::string printed =
        "5A 4D 61 70 01 00 00 02 0F 0A 24 33 01 02 64 14 01 00 60 60 40 00 7F 00\n"
        "look-ahead fix off, 2 mappings in the stream\n"
        "mapping 1: on, keys 36-51 (C1-D#2), channel 10 -> controller 1 (modulation), latch, "
        "on 100 scaled by velocity, off 20, out on channel 2, the note passes too\n"
        "mapping 2: on, key 96 (C6), any channel -> controller 64 (sustain pedal), held, on 127, "
        "off 0, out on the note's channel\n"
        "mapping 3: off (not in the stream)\nmapping 4: off (not in the stream)\n"
        "mapping 5: off (not in the stream)\nmapping 6: off (not in the stream)\n"
        "mapping 7: off (not in the stream)\nmapping 8: off (not in the stream)\n";
    EXPECT_EQ(saved.out, printed + "saved to pedals.zmap\n");
    const std::string file = ReadText("pedals.zmap");
    EXPECT_EQ(file, std::string("ZMap\x01\x00\x00\x02\x0F\x0A\x24\x33\x01\x02\x64\x14"
                                "\x01\x00\x60\x60\x40\x00\x7F\x00", 24));
    const ToolRun loaded = RunTool(kMap + " --settings-file pedals.zmap settings");
    EXPECT_EQ(loaded.exitCode, 0u) << loaded.err;
    EXPECT_EQ(loaded.out, printed);

    // A file the filter refuses: it says so in a message box, which is
    // closed, and the run stops on one line with the byte at fault.
    WriteBytes("short.zmap", Bytes(file.begin(), file.begin() + 20));
    const ToolRun damaged = RunTool(kMap + " --settings-file short.zmap play nothing.mid");
    EXPECT_EQ(damaged.exitCode, 1u);
    EXPECT_TRUE(damaged.out.empty()) << damaged.out;
    EXPECT_EQ(Lines(damaged.err), 1u) << damaged.err;
    EXPECT_NE(damaged.err.find("short.zmap: the filter did not take the settings it was given (byte 20: "
                               "the settings end in a mapping); the filter said \"Load for Quillfen "
                               "Zephrin Map settings failed.\""), std::string::npos) << damaged.err;

    // Any filter's stream goes to and from files; each filter's own options
    // are refused for the other once it is loaded.
    ASSERT_EQ(RunTool(kPlugIn + " --key 60 settings --save zephrin.bin").exitCode, 0u);
    const ToolRun zephrin = RunTool(kPlugIn + " --settings-file zephrin.bin --cc 66 settings");
    EXPECT_NE(zephrin.out.find("key 60 (C3), controller 66"), std::string::npos) << zephrin.out;
    const struct {
        std::string arguments;
        const char* words;
    } others[] = {
        {kPlugIn + " --settings-file pedals.zmap settings", "pedals.zmap: the filter did not take"},
        {kMap + " --settings-file zephrin.bin settings", "zephrin.bin: the filter did not take"},
        {kMap + " --key 60 settings", "--key and --cc are for Zephrin"},
        {kPlugIn + " --map \"keys=60 cc=1\" settings", "--map is for Zephrin Map"},
    };
    for (const auto& o : others) {
        SCOPED_TRACE(o.arguments);
        const ToolRun run = RunTool(o.arguments);
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_NE(run.err.find(o.words), std::string::npos) << run.err;
    }
}

// Map's page has a Learn button per mapping: --learn N presses mapping N's.
TEST(HostToolWithMap, LearnIntoAMappingThroughThePage) {
    const std::string maps = kMap + " --map \"keys=60 cc=64\" --map \"keys=62 cc=1 ch=3\"";
    const ToolRun run = RunTool(maps + " live --learn 2", "90 48 5A\n80 48 00\n80 3C 00\n99 48 64\n");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    // Mapping 2 listens on one channel, so it learns the note's channel too.
    EXPECT_EQ(run.out, "B0 01 00\nB0 40 00\n99 48 64\n");
    EXPECT_NE(run.err.find("mapping 2 learned key 72 (C4) on channel 1"), std::string::npos) << run.err;

    const ToolRun wrong = RunTool(kMap + " live --learn", "90 48 5A\n");
    EXPECT_EQ(wrong.exitCode, 1u);
    EXPECT_NE(wrong.err.find("--learn N"), std::string::npos) << wrong.err;
}
#endif
