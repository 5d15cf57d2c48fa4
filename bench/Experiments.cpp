// The experiments: each sets up what goes on meanwhile, measures through
// bench/Measurement.h, and prints its figures.
#include "bench/Experiments.h"

#include "bench/Batches.h"
#include "bench/ImportCounter.h"
#include "bench/Measurement.h"
#include "bench/SettingsHammer.h"
#include "tools/host/HostQueues.h"

#include <intrin.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

namespace {

void PrintRatios(const char* road, const std::vector<Measured>& measured, const Ratios& r) {
    std::vector<const char*> names;
    for (const Measured& m : measured) names.push_back(m.name);
    PrintRatios(road, names, r);
}

void PrintLatencyHeading(const Plugin& plugin, const char* meanwhile) {
    std::printf("OnInput latency of %s, one message a call, %d calls in %d segments each, alone"
                " and %s:\n",
                plugin.name, kLatencyCalls * kLatencySegments, kLatencySegments, meanwhile);
}

void PrintLatency(const char* what, const Latency& l) {
    std::printf("  %-30s median %6.0f ns  p99 %6.0f ns  p99.9 %6.0f ns\n", what, l.median, l.p99,
                l.p999);
}

void PrintCalls(const char* what, const ImportCounts& c) {
    std::printf("  %-34s allocations %llu, locks %llu, waits %llu, sent messages %llu, posted %llu\n",
                what, static_cast<unsigned long long>(c[ImportKind::Allocation]),
                static_cast<unsigned long long>(c[ImportKind::Lock]),
                static_cast<unsigned long long>(c[ImportKind::Wait]),
                static_cast<unsigned long long>(c[ImportKind::SentMessage]),
                static_cast<unsigned long long>(c[ImportKind::PostedMessage]));
}

// An experiment that changed the plug-in's settings puts them back, so that
// the next one finds it as it was set up.
bool SetUpAgain(const Plugin& plugin) {
    std::string error;
    if (plugin.SetUp(error)) return true;
    std::printf("  %s could not be set up again: %s\n", plugin.name, error.c_str());
    return false;
}

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

}  // namespace

void PrintProcessor() {
    int regs[4];
    char brand[49] = {};
    __cpuid(regs, 0x80000000);
    if (static_cast<unsigned>(regs[0]) >= 0x80000004u) {
        for (int leaf = 0; leaf < 3; ++leaf) {
            __cpuid(regs, static_cast<int>(0x80000002u + leaf));
            memcpy(brand + 16 * leaf, regs, sizeof regs);
        }
    }
    const char* name = brand;
    while (*name == ' ') ++name;
    // The family and model as the vendors number them: the extended fields
    // count only past base family 15 (and, for the model, at family 6).
    __cpuid(regs, 1);
    const unsigned baseFamily = regs[0] >> 8 & 0xF, baseModel = regs[0] >> 4 & 0xF;
    const unsigned family = baseFamily == 0xF ? baseFamily + (regs[0] >> 20 & 0xFF) : baseFamily;
    const unsigned model = baseFamily == 0xF || baseFamily == 6
                               ? (regs[0] >> 16 & 0xF) << 4 | baseModel
                               : baseModel;
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    std::printf("Processor: %s (family %u, model %u), %lu logical processors\n",
                *name ? name : "no name given", family, model, system.dwNumberOfProcessors);
}

void Throughput(const std::vector<Plugin>& plugins, const CLoadedFilter& passThrough,
                const CLoadedFilter& copy) {
    std::vector<Measured> measured;
    for (const Plugin& plugin : plugins) measured.push_back({plugin.name, plugin.filter.get()});
    measured.push_back({"copy of the pass-through", copy.get()});
    std::printf("Throughput, batches of %d records; %d runs of %d rounds, each run's ratio "
                "from its median batch times:\n",
                kBatch, kRuns, kRounds);
    PrintRatios("OnEvents", measured,
                MeasureThroughput<CHostEventQueue>(
                    PlaybackBatch(), measured, passThrough.get(),
                    [](IMfxEventFilter* f, CHostEventQueue& in, CHostEventQueue& out) {
                        f->OnEvents(0, 0x7FFFFFFF, &in, &out);
                    }));
    PrintRatios("OnInput", measured,
                MeasureThroughput<CHostDataQueue>(
                    LiveBatch(), measured, passThrough.get(),
                    [](IMfxEventFilter* f, CHostDataQueue& in, CHostDataQueue& out) {
                        f->OnInput(&in, &out);
                    }));
}

bool LatencyWithPageWorked(const Plugin& plugin, double tscPerNs) {
    const std::string meanwhile =
        std::string("with its page's ") + plugin.control.what + " on the page's window thread";
    PrintLatencyHeading(plugin, meanwhile.c_str());
    double steps = 0;
    std::string error;
    const auto [alone, worked] =
        MeasureLatencyPair(plugin.filter.get(), tscPerNs, [&](const auto& measure) {
            CPageDrag drag(plugin.filter, plugin.control);
            if (!drag.Started(error)) return;
            measure();
            steps += drag.StepsPerSecond() / kLatencySegments;
        });
    if (!error.empty()) {
        std::printf("  not measured: %s\n", error.c_str());
        return false;
    }
    PrintLatency("alone", alone);
    PrintLatency("page worked meanwhile", worked);
    std::printf("    (%.0f steps/s handled by the window thread)\n"
                "    p99 worked / alone: %.2f\n",
                steps, worked.p99 / alone.p99);
    return SetUpAgain(plugin);
}

bool LatencyWithSettingsWritten(const Plugin& plugin, double tscPerNs) {
    PrintLatencyHeading(plugin, "while its settings are written by other threads");
    std::vector<double> loads(plugin.writers.size());
    const auto [alone, written] =
        MeasureLatencyPair(plugin.filter.get(), tscPerNs, [&](const auto& measure) {
            std::vector<std::unique_ptr<CSettingsHammer>> writers;
            for (const SettingsWriter& w : plugin.writers)
                writers.push_back(std::make_unique<CSettingsHammer>(plugin.filter.get(), w.first, w.second));
            measure();
            for (size_t i = 0; i < writers.size(); ++i)
                loads[i] += writers[i]->LoadsPerSecond() / kLatencySegments;
        });
    PrintLatency("alone", alone);
    PrintLatency("settings written meanwhile", written);
    for (size_t i = 0; i < plugin.writers.size(); ++i)
        std::printf("    (a thread: %s, %.0f loads/s)\n", plugin.writers[i].what, loads[i]);
    std::printf("    p99 written / alone: %.2f\n", written.p99 / alone.p99);
    return SetUpAgain(plugin);
}

// One more pass of each MIDI path, apart from the timed ones, with the
// plug-in's imports counted.
void CallsOut(const Plugin& plugin) {
    CImportCounter counter(plugin.filter.Module());
    std::printf("Calls out of %s (%zu of its imports counted):\n", plugin.name, counter.Hooked());
    const std::vector<EventRecord> playback = PlaybackBatch();
    const std::vector<DataItem> live = LiveBatch();
    CHostEventQueue eventsIn, eventsOut;
    CHostDataQueue dataIn, dataOut;
    eventsOut.Reserve(playback.size() * 2);
    dataOut.Reserve(live.size());
    for (const EventRecord& r : playback) eventsIn.Add(&r);
    for (const DataItem& d : live) dataIn.Add(&d);

    ImportCounts before = CImportCounter::Now();
    plugin.filter->OnEvents(0, 0x7FFFFFFF, &eventsIn, &eventsOut);
    PrintCalls("one OnEvents of the batch:", CImportCounter::Now() - before);
    before = CImportCounter::Now();
    plugin.filter->OnInput(&dataIn, &dataOut);
    PrintCalls("one OnInput of the batch:", CImportCounter::Now() - before);
    before = CImportCounter::Now();
    for (size_t i = 0; i < 10000; ++i) {
        CHostDataQueue one, result;
        one.Add(&live[i]);
        result.Reserve(2);
        plugin.filter->OnInput(&one, &result);
    }
    PrintCalls("10000 OnInput calls of one message:", CImportCounter::Now() - before);
}

// The page on a window thread of its own, Learn pressed there, then the
// thread blocked without handling messages for up to 2 s while OnInput
// learns a key; afterwards the thread handles its messages again until the
// button shows its caption once more. The plug-in's imports are counted
// meanwhile, for what the learning OnInput calls out to.
bool LearnWithPageBlocked(const Plugin& plugin) {
    CImportCounter counter(plugin.filter.Module());
    std::string error;
    bool caughtUp = false;
    CUniqueHandleObj ready(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    CUniqueHandleObj release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread window([&] {
        WithPage(plugin.filter, error, [&](CPageSession& page) {
            HWND button = page.FindButton(plugin.learnButton);
            if (!page.PressButton(plugin.learnButton, error)) return;
            SetEvent(ready.get());
            WaitForSingleObject(release.get(), 2000);
            const auto showsCaption = [&] {
                char text[64] = {};
                GetWindowTextA(button, text, sizeof text);
                return lstrcmpA(text, plugin.learnButton) == 0;
            };
            MSG msg;
            const double until = Seconds() + 1;
            while (Seconds() < until && !showsCaption()) {
                while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
                Sleep(1);
            }
            caughtUp = showsCaption();
        });
        SetEvent(ready.get());  // when the page could not be opened or pressed
    });
    WaitForSingleObject(ready.get(), INFINITE);
    if (!error.empty()) {
        window.join();
        std::printf("Learn with the page's window thread blocked, %s: not measured: %s\n",
                    plugin.name, error.c_str());
        return false;
    }
    CHostDataQueue in, out;
    const DataItem note{{}, 0x90, 72, 90, 0};
    in.Add(&note);
    out.Reserve(4);
    const ImportCounts before = CImportCounter::Now();
    const double start = Seconds();
    plugin.filter->OnInput(&in, &out);
    const double took = Seconds() - start;
    const ImportCounts calls = CImportCounter::Now() - before;
    SetEvent(release.get());
    std::vector<uint8_t> bytes;
    const int32_t learned = plugin.Save(bytes, error)
                                ? plugin.LearnedKey(bytes)
                                : -1;
    window.join();
    std::printf("Learn with the page's window thread blocked for 2 s, %s (%s pressed):\n"
                "  OnInput took %.1f us, learned key %d, page caught up afterwards: %s\n",
                plugin.name, plugin.learnButton, took * 1e6, learned, caughtUp ? "yes" : "no");
    PrintCalls("the learning OnInput:", calls);
    return SetUpAgain(plugin);
}

void DllSizes(const std::vector<std::string>& paths) {
    std::printf("DLL sizes (this target):\n");
    for (const std::string& path : paths)
        std::printf("  %-60s %8lld bytes\n", path.c_str(), FileSize(path));
}
