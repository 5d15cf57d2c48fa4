// zephrin-bench: measures the plug-ins through their DLLs as a host drives
// them, next to the pass-through filter in the same run, and a second copy of
// the pass-through as a check of the method. The queues are the host tool's,
// compiled in their own translation unit and reached by the filters through
// their vtables only. Run by scripts/bench.sh.
#include "bench/BenchClock.h"
#include "bench/Experiments.h"
#include "bench/passthrough/PassThroughIds.h"

#include <cstdio>

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "zephrin-bench: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // --throughput measures the ratios only: the quick loop while a mapping
    // is being worked on.
    const bool throughputOnly = argc == 6 && std::string(argv[5]) == "--throughput";
    if (argc != 5 && !throughputOnly)
        return Fail("usage: zephrin-bench Zephrin.dll ZephrinMap.dll PassThrough.dll "
                    "CopyOfPassThrough.dll [--throughput]");
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool measured = true;
    {
        std::vector<Plugin> plugins = BenchPlugins(argv[1], argv[2]);
        CLoadedFilter passThrough, copy;
        std::string error;
        for (Plugin& plugin : plugins)
            if (!plugin.Load(error)) return Fail(std::string(plugin.name) + ": " + error);
        if (FAILED(CLoadedFilter::FromDll(argv[3], CLSID_PassThroughFilter, passThrough, error)) ||
            FAILED(CLoadedFilter::FromDll(argv[4], CLSID_PassThroughFilter, copy, error)))
            return Fail(error);
        if (passThrough.Module() == copy.Module())
            return Fail("the copy of the pass-through must be a DLL file of its own");

        PrintProcessor();
        Throughput(plugins, passThrough, copy);
        if (!throughputOnly) {
            const double tscPerNs = TscPerNanosecond();
            for (const Plugin& plugin : plugins) measured &= LatencyWithPageWorked(plugin, tscPerNs);
            for (const Plugin& plugin : plugins) measured &= LatencyWithSettingsWritten(plugin, tscPerNs);
            for (const Plugin& plugin : plugins) CallsOut(plugin);
            for (const Plugin& plugin : plugins) measured &= LearnWithPageBlocked(plugin);
            DllSizes({argv[1], argv[2], argv[3]});
        }
    }
    CoUninitialize();
    return measured ? 0 : 1;
}
