// The plug-ins the benchmark measures, one row each: the DLL and class it
// is made from, the settings it is set up with, and what the experiments
// do to it: the control of its page worked on the page's window thread,
// the threads that write its settings meanwhile, the Learn button pressed
// on its page and where the learned key shows in its settings.
#pragma once

#include "bench/PageThread.h"
#include "tools/host/FilterLoader.h"

#include <cstdint>
#include <string>
#include <vector>

// A thread that loads two settings streams in turn.
struct SettingsWriter {
    const char* what;
    std::vector<uint8_t> first, second;
};

struct Plugin {
    const char* name;
    std::string dll;
    CLSID clsid;
    std::vector<uint8_t> settings;  // what it is set up with, as its stream
    PageControl control;
    std::vector<SettingsWriter> writers;
    const char* learnButton;  // its caption, the first of the page's buttons of that caption
    int32_t (*LearnedKey)(const std::vector<uint8_t>& settings);  // -1 when not readable
    CLoadedFilter filter;

    // Makes the filter from its DLL, then sets it up.
    bool Load(std::string& error);
    // Loads its settings again, after an experiment that changed them.
    bool SetUp(std::string& error) const;
    // Its settings as it saves them.
    bool Save(std::vector<uint8_t>& bytes, std::string& error) const;
};

// Zephrin; Map with its default mapping; Map with eight mappings.
std::vector<Plugin> BenchPlugins(const std::string& zephrinDll, const std::string& mapDll);
