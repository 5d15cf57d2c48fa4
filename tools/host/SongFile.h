// A Standard MIDI File read whole from a path, its fault told as the tools
// tell it: "PATH: byte N: what". Inline, so that each program reads through
// the FileIo of its own platform.
#pragma once

#include "tools/host/FileIo.h"
#include "tools/midifile/MidiFile.h"

#include <string>

inline bool ReadSongFile(const std::string& path, midifile::MidiSong& song, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, error)) return false;
    midifile::ParseError parse;
    if (midifile::ReadMidiFile(bytes, song, parse)) return true;
    error = path + ": byte " + std::to_string(parse.offset) + ": " + parse.message;
    return false;
}
