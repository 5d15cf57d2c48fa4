// zephrin-host.exe as a user runs it: exit codes, the one-line errors that
// name file and byte, and no output file left by a failed run.
#include "bench/passthrough/PassThroughIds.h"
#include "common/UniqueHandle.h"
#include "tests/tools/MidiTestData.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

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

size_t Lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

const Bytes kSong = Cat({Header(0, 1, 96), Track({0x00, 0x90, 96, 100, 0x60, 0x80, 96, 0,
                                                   0x00, 0xFF, 0x2F, 0x00})});

}  // namespace

TEST(HostTool, HelpAndCommandLineMistakes) {
    ToolRun help = RunTool("--help");
    EXPECT_EQ(help.exitCode, 0u);
    for (const char* words : {"play IN.mid", "live [FILE]", "settings", "--dll", "--learn", "--window"})
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
    };
    for (const auto& m : mistakes) {
        SCOPED_TRACE(m.arguments);
        const ToolRun run = RunTool(m.arguments);
        EXPECT_EQ(run.exitCode, 2u);
        EXPECT_NE(run.err.find(m.words), std::string::npos) << run.err;
    }
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
    std::vector<uint8_t> bytes;
    {
        std::ifstream in("example-out.mid", std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    midifile::MidiSong out;
    midifile::ParseError error;
    ASSERT_TRUE(midifile::ReadMidiFile(bytes, out, error)) << error.message;
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
