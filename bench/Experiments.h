// The benchmark's experiments, one function each: it measures the plug-in,
// or the plug-ins, it is given and prints its own section. Those that
// return false could not measure and have said why.
#pragma once

#include "bench/Plugins.h"

#include <string>
#include <vector>

// The processor the figures were taken on, since they differ from one to
// another: its name as CPUID gives it, family, model and logical processors.
void PrintProcessor();

// OnEvents and OnInput throughput of every plug-in against the
// pass-through, and of the pass-through's copy as the check of the method.
void Throughput(const std::vector<Plugin>& plugins, const CLoadedFilter& passThrough,
                const CLoadedFilter& copy);

// OnInput latency alone and while the plug-in's page is worked on the
// page's own window thread.
bool LatencyWithPageWorked(const Plugin& plugin, double tscPerNs);
// OnInput latency alone and while other threads load its settings.
bool LatencyWithSettingsWritten(const Plugin& plugin, double tscPerNs);
// What the MIDI paths call out of the plug-in's DLL, by its import table.
void CallsOut(const Plugin& plugin);
// A key learned by OnInput while the page's window thread handles no
// messages, Learn having been pressed there.
bool LearnWithPageBlocked(const Plugin& plugin);

void DllSizes(const std::vector<std::string>& paths);
