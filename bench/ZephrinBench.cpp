// zephrin-bench: measures both plug-ins through their DLLs as a host drives
// them, next to the pass-through filter in the same run, and a second copy of
// the pass-through as a check of the method. The queues are the host tool's,
// compiled in their own translation unit and reached by the filters through
// their vtables only. Run by scripts/bench.sh.
#include "bench/BenchClock.h"
#include "bench/ImportCounter.h"
#include "bench/SliderDrag.h"
#include "bench/passthrough/PassThroughIds.h"
#include "map/engine/MapSettings.h"
#include "map/mfx/MapIds.h"
#include "zephrin/filter/ZephrinIds.h"
#include "tools/host/FilterLoader.h"
#include "tools/host/FilterSettings.h"
#include "tools/host/HostQueues.h"
#include "tools/host/PageSession.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int32_t kBatch = 100000;      // records in a throughput batch
constexpr int kRounds = 41;             // batches per filter, interleaved, in one run
constexpr int kRuns = 9;                // runs, each giving one ratio per road
constexpr int kLatencyCalls = 200000;   // single-message OnInput calls a segment
constexpr int kLatencySegments = 4;
constexpr uint8_t kPedalKey = 96;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A song's worth of playback: notes of every length, 3 % of them on the
// pedal key, controllers, pitch bend and program changes among them.
std::vector<EventRecord> PlaybackBatch() {
    std::mt19937 random(1);
    std::vector<EventRecord> records;
    int32_t time = 0;
    for (int32_t i = 0; i < kBatch; ++i) {
        EventRecord r{};
        time += static_cast<int32_t>(random() % 60);
        r.time = time;
        r.host12 = static_cast<uint8_t>(random() % 16);
        const unsigned pick = random() % 100;
        if (pick < 3) {
            r.type = kEventNote;
            r.number = kPedalKey;
            r.value = 100;
            r.duration = 480 + static_cast<int32_t>(random() % 1920);
        } else if (pick < 85) {
            r.type = kEventNote;
            r.number = static_cast<uint8_t>(36 + random() % 60);
            r.value = static_cast<uint8_t>(40 + random() % 80);
            r.duration = 60 + static_cast<int32_t>(random() % 900);
        } else {
            r.type = pick < 95 ? kEventController : pick < 98 ? 5 : 3;
            r.number = static_cast<uint8_t>(random() % 120);
            r.value = static_cast<uint8_t>(random() % 128);
        }
        records.push_back(r);
    }
    return records;
}

// Live playing: each note's on and off as they come, interleaved with the
// notes around it, 3 % on the pedal key, controllers in between.
std::vector<DataItem> LiveBatch() {
    std::mt19937 random(2);
    std::vector<DataItem> items;
    std::vector<DataItem> sounding;
    while (items.size() < static_cast<size_t>(kBatch)) {
        const unsigned pick = random() % 100;
        DataItem d{};
        if (pick < 12 && !sounding.empty()) {
            const size_t at = random() % sounding.size();
            d = sounding[at];
            d.status = static_cast<uint8_t>(0x80 | (d.status & 0x0F));
            d.data2 = random() % 2 ? 0 : 64;
            if (d.data2 == 0) d.status = static_cast<uint8_t>(0x90 | (d.status & 0x0F));
            sounding.erase(sounding.begin() + static_cast<std::ptrdiff_t>(at));
        } else if (pick < 24) {
            d.status = static_cast<uint8_t>(0xB0 | random() % 16);
            d.data1 = static_cast<uint8_t>(random() % 120);
            d.data2 = static_cast<uint8_t>(random() % 128);
        } else if (pick < 26) {
            d.status = static_cast<uint8_t>(0xE0 | random() % 16);
            d.data1 = 0;
            d.data2 = static_cast<uint8_t>(random() % 128);
        } else {
            d.status = static_cast<uint8_t>(0x90 | random() % 16);
            d.data1 = random() % 100 < 6 ? kPedalKey : static_cast<uint8_t>(36 + random() % 60);
            d.data2 = static_cast<uint8_t>(1 + random() % 126);
            sounding.push_back(d);
        }
        items.push_back(d);
    }
    return items;
}

// The filters measured side by side, each against the pass-through, which is
// the baseline; the same pass-through from a copy of its DLL must come out
// at 1.0 against it if the method is fair.
struct Measured {
    const char* name;
    IMfxEventFilter* filter;
};

struct Ratios {
    std::vector<std::vector<double>> ratios;  // per measured filter, one per run
    std::vector<double> nanoseconds;          // per record, median run; the baseline's last
};

// The same host loop for every filter, batches alternating between them in
// a rotating order; the median batch time of each run gives its ratios.
template <typename Queue, typename Record, typename Call>
Ratios Measure(const std::vector<Record>& batch, const std::vector<Measured>& measured,
               IMfxEventFilter* baseline, Call call) {
    Queue in, out;
    in.Reserve(batch.size());
    out.Reserve(batch.size() * 3);
    for (const Record& r : batch) in.Add(&r);
    std::vector<IMfxEventFilter*> filters;
    for (const Measured& m : measured) filters.push_back(m.filter);
    filters.push_back(baseline);
    const size_t count = filters.size();
    Ratios result;
    result.ratios.resize(measured.size());
    std::vector<std::vector<double>> perRecord(count);
    for (int run = 0; run < kRuns; ++run) {
        std::vector<std::vector<double>> times(count);
        for (int round = 0; round < kRounds + 1; ++round) {
            for (size_t k = 0; k < count; ++k) {
                const size_t f = (static_cast<size_t>(round) + k) % count;
                out.Clear();
                filters[f]->OnStart(0, 0);
                const double start = Seconds();
                call(filters[f], in, out);
                const double took = Seconds() - start;
                if (round > 0) times[f].push_back(took);  // the first round warms up
            }
        }
        std::vector<double> median(count);
        for (size_t f = 0; f < count; ++f) {
            median[f] = Median(times[f]);
            perRecord[f].push_back(median[f] * 1e9 / static_cast<double>(batch.size()));
        }
        for (size_t f = 0; f + 1 < count; ++f) result.ratios[f].push_back(median[f] / median[count - 1]);
    }
    for (size_t f = 0; f < count; ++f) result.nanoseconds.push_back(Median(perRecord[f]));
    return result;
}

void PrintRatios(const char* road, const std::vector<Measured>& measured, const Ratios& r) {
    std::printf("  %s (pass-through %.2f ns a record)\n", road, r.nanoseconds.back());
    for (size_t f = 0; f < measured.size(); ++f) {
        const std::vector<double>& v = r.ratios[f];
        std::printf("    %-30s %6.2f ns a record, / pass-through: median %.3f  (runs %.3f to %.3f)\n",
                    measured[f].name, r.nanoseconds[f], Median(v),
                    *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()));
    }
    // Two copies of one filter measuring apart means the process's layout
    // favours one DLL over another (code placement, predictor aliasing): the
    // ratios of this process are off by as much. The copy is the last one.
    const double copy = Median(r.ratios.back());
    if (copy < 0.97 || copy > 1.03)
        std::printf("    the copy is not at 1.0 in this process: its ratios are off by as much;"
                    " run again\n");
}

struct Latency {
    double median, p99, p999;  // nanoseconds
};

// Appends the time-stamp ticks of kLatencyCalls single-message calls.
void MeasureLatency(IMfxEventFilter* filter, std::vector<uint64_t>& ticks) {
    CHostDataQueue in, out;
    in.Reserve(1);
    out.Reserve(4);
    DataItem items[4] = {{{}, 0x90, kPedalKey, 100, 0}, {{}, 0x80, kPedalKey, 0, 0},
                         {{}, 0x91, 60, 90, 0}, {{}, 0xB0, 7, 100, 0}};
    ticks.reserve(ticks.size() + kLatencyCalls);
    for (int i = 0; i < kLatencyCalls; ++i) {
        in.Clear();
        out.Clear();
        in.Add(&items[i % 4]);
        const uint64_t start = __rdtsc();
        filter->OnInput(&in, &out);
        ticks.push_back(__rdtsc() - start);
    }
}

Latency Percentiles(std::vector<uint64_t> ticks, double tscPerNs) {
    if (ticks.empty()) return {};
    std::sort(ticks.begin(), ticks.end());
    auto at = [&](double q) {
        return static_cast<double>(ticks[static_cast<size_t>(q * static_cast<double>(ticks.size() - 1))]) /
               tscPerNs;
    };
    return {at(0.5), at(0.99), at(0.999)};
}

// Loads settings as fast as it can, the way a host restores a project, two
// saved streams in turn.
class CSettingsHammer {
public:
    CSettingsHammer(IMfxEventFilter* filter, std::vector<uint8_t> first, std::vector<uint8_t> second)
        : m_filter(filter), m_bytes{std::move(first), std::move(second)} {
        m_thread = std::thread([this] { Run(); });
        while (!m_started) std::this_thread::yield();
    }
    ~CSettingsHammer() {
        m_stop = true;
        m_thread.join();
    }
    CSettingsHammer(const CSettingsHammer&) = delete;
    CSettingsHammer& operator=(const CSettingsHammer&) = delete;
    double LoadsPerSecond() const { return m_loads / (Seconds() - m_startTime); }

private:
    void Run() {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            CComPtr<IPersistStream> persist;
            CComPtr<IStream> streams[2];
            m_filter->QueryInterface(IID_IPersistStream, persist.put_void());
            for (int i = 0; i < 2; ++i) {
                CreateStreamOnHGlobal(nullptr, TRUE, streams[i].put());
                streams[i]->Write(m_bytes[i].data(), static_cast<ULONG>(m_bytes[i].size()), nullptr);
            }
            m_startTime = Seconds();
            m_started = true;
            const LARGE_INTEGER zero{};
            for (uint64_t n = 0; !m_stop; ++n) {
                IStream* stream = streams[n & 1].get();
                stream->Seek(zero, STREAM_SEEK_SET, nullptr);
                persist->Load(stream);
                m_loads = static_cast<double>(n + 1);
            }
        }
        CoUninitialize();
    }

    IMfxEventFilter* m_filter;
    std::vector<uint8_t> m_bytes[2];
    std::thread m_thread;
    std::atomic<bool> m_started{false}, m_stop{false};
    std::atomic<double> m_loads{0};
    double m_startTime = 0;
};

// The page on a window thread of its own, Learn Key pressed there, then the
// thread blocked without handling messages while OnInput learns a key.
struct LearnResult {
    double onInputMicroseconds = -1;
    int32_t learnedKey = -1;
    bool pageCaughtUp = false;
    ImportCounts calls;  // what the learning OnInput called out to
    std::string error;
};

LearnResult MeasureLearnWithBlockedPage(const CLoadedFilter& filter) {
    LearnResult result;
    CUniqueHandleObj ready(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    CUniqueHandleObj release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread window([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            CPageSession page;
            std::string error;
            if (FAILED(page.Open(filter, error)) || !page.PressButton("Learn Key", error)) {
                result.error = error;
                SetEvent(ready.get());
            } else {
                SetEvent(ready.get());
                // Busy with something else: no messages handled for up to 2 s.
                WaitForSingleObject(release.get(), 2000);
                MSG msg;
                const double until = Seconds() + 1;
                while (Seconds() < until && !page.FindButton("Learn Key")) {
                    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
                    Sleep(1);
                }
                result.pageCaughtUp = page.FindButton("Learn Key") != nullptr;
            }
        }
        CoUninitialize();
    });
    WaitForSingleObject(ready.get(), INFINITE);
    if (result.error.empty()) {
        CHostDataQueue in, out;
        const DataItem note{{}, 0x90, 72, 90, 0};
        in.Add(&note);
        out.Reserve(4);
        const ImportCounts before = CImportCounter::Now();
        const double start = Seconds();
        filter->OnInput(&in, &out);
        result.onInputMicroseconds = (Seconds() - start) * 1e6;
        result.calls = CImportCounter::Now() - before;
        SetEvent(release.get());
        std::vector<uint8_t> bytes;
        ZephrinSettings settings;
        std::string error;
        if (SUCCEEDED(SaveFilterSettings(filter.get(), bytes, error)) &&
            DecodeZephrinSettings(bytes.data(), bytes.size(), settings))
            result.learnedKey = settings.keyIn;
    }
    window.join();
    return result;
}

long long FileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

void PrintCalls(const char* what, const ImportCounts& c) {
    std::printf("  %-34s allocations %llu, locks %llu, waits %llu, sent messages %llu, posted %llu\n",
                what, static_cast<unsigned long long>(c[ImportKind::Allocation]),
                static_cast<unsigned long long>(c[ImportKind::Lock]),
                static_cast<unsigned long long>(c[ImportKind::Wait]),
                static_cast<unsigned long long>(c[ImportKind::SentMessage]),
                static_cast<unsigned long long>(c[ImportKind::PostedMessage]));
}

// One more pass of each MIDI path, apart from the timed ones, with the
// plug-in's imports counted.
void CountCalls(IMfxEventFilter* filter, const std::vector<EventRecord>& playback,
                const std::vector<DataItem>& live) {
    CHostEventQueue eventsIn, eventsOut;
    CHostDataQueue dataIn, dataOut;
    eventsOut.Reserve(playback.size() * 2);
    dataOut.Reserve(live.size());
    for (const EventRecord& r : playback) eventsIn.Add(&r);
    for (const DataItem& d : live) dataIn.Add(&d);

    ImportCounts before = CImportCounter::Now();
    filter->OnEvents(0, 0x7FFFFFFF, &eventsIn, &eventsOut);
    PrintCalls("one OnEvents of the batch:", CImportCounter::Now() - before);
    before = CImportCounter::Now();
    filter->OnInput(&dataIn, &dataOut);
    PrintCalls("one OnInput of the batch:", CImportCounter::Now() - before);
    before = CImportCounter::Now();
    for (size_t i = 0; i < 10000; ++i) {
        CHostDataQueue one, result;
        one.Add(&live[i]);
        result.Reserve(2);
        filter->OnInput(&one, &result);
    }
    PrintCalls("10000 OnInput calls of one message:", CImportCounter::Now() - before);
}

// Eight mappings of every kind on the same mix: the pedal key, a drum pad
// pair on channel 10 (36 and 37, the only range the mix plays much besides
// the pedal key), and six more on keys and channels the mix rarely or never
// plays, held and latching, with velocity, through and output channels.
MapSettings EightMappings() {
    MapSettings settings = MapSettings::Defaults();
    auto add = [&](int index, uint8_t low, uint8_t high, uint8_t controller, uint8_t channel,
                   MapMode mode) -> MapMapping& {
        MapMapping& m = settings.mappings[index];
        m.on = true;
        m.lowKey = low;
        m.highKey = high;
        m.controller = controller;
        m.inChannel = channel;
        m.mode = mode;
        return m;
    };
    add(1, 97, 97, 66, 1, MapMode::kLatch);
    add(2, 98, 98, 67, 2, MapMode::kHeld).velocity = true;
    MapMapping& pads = add(3, 36, 37, 1, 10, MapMode::kHeld);
    pads.velocity = true;
    pads.outChannel = 1;
    add(4, 100, 100, 11, 0, MapMode::kHeld).through = true;
    add(5, 101, 103, 7, 16, MapMode::kLatch).outChannel = 5;
    MapMapping& inverted = add(6, 104, 104, 10, 0, MapMode::kHeld);
    inverted.onValue = 0;
    inverted.offValue = 127;
    MapMapping& last = add(7, 105, 105, 71, 3, MapMode::kLatch);
    last.velocity = true;
    last.through = true;
    return settings;
}

bool LoadMap(const CLoadedFilter& filter, const MapSettings& settings, std::string& error) {
    return SUCCEEDED(LoadFilterSettings(filter.get(), MapSettingsBytes(settings), error));
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "zephrin-bench: %s\n", message.c_str());
    return 1;
}

}  // namespace

// OnInput latency alone and with something else going on, in segments that
// alternate between the two so that the machine's own ups and downs fall on
// both alike.
template <typename Busy>
std::pair<Latency, Latency> MeasureLatencyPair(IMfxEventFilter* filter, double tscPerNs,
                                               Busy busy) {
    std::vector<uint64_t> quiet, loaded;
    for (int segment = 0; segment < kLatencySegments; ++segment) {
        MeasureLatency(filter, quiet);
        busy([&] { MeasureLatency(filter, loaded); });
    }
    return {Percentiles(quiet, tscPerNs), Percentiles(loaded, tscPerNs)};
}

void PrintLatency(const char* what, const Latency& l) {
    std::printf("  %-30s median %6.0f ns  p99 %6.0f ns  p99.9 %6.0f ns\n", what, l.median, l.p99,
                l.p999);
}

int main(int argc, char** argv) {
    // --throughput measures the ratios only: the quick loop while a mapping
    // is being worked on.
    const bool throughputOnly = argc == 6 && std::string(argv[5]) == "--throughput";
    if (argc != 5 && !throughputOnly)
        return Fail("usage: zephrin-bench Zephrin.dll ZephrinMap.dll PassThrough.dll "
                    "CopyOfPassThrough.dll [--throughput]");
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 0;
    {
        CLoadedFilter zephrin, map, map8, passThrough, copy;
        std::string error;
        if (FAILED(CLoadedFilter::FromDll(argv[1], CLSID_ZephrinFilter, zephrin, error)) ||
            FAILED(CLoadedFilter::FromDll(argv[2], CLSID_ZephrinMapFilter, map, error)) ||
            FAILED(CLoadedFilter::FromDll(argv[2], CLSID_ZephrinMapFilter, map8, error)) ||
            FAILED(CLoadedFilter::FromDll(argv[3], CLSID_PassThroughFilter, passThrough, error)) ||
            FAILED(CLoadedFilter::FromDll(argv[4], CLSID_PassThroughFilter, copy, error)) ||
            !LoadMap(map8, EightMappings(), error))
            return Fail(error);
        if (passThrough.Module() == copy.Module())
            return Fail("the copy of the pass-through must be a DLL file of its own");

        const double tscPerNs = TscPerNanosecond();
        const std::vector<Measured> measured = {{"Zephrin", zephrin.get()},
                                                {"Map, the default mapping", map.get()},
                                                {"Map, eight mappings", map8.get()},
                                                {"copy of the pass-through", copy.get()}};
        std::printf("Throughput, batches of %d records; %d runs of %d rounds, each run's ratio "
                    "from its median batch times:\n",
                    kBatch, kRuns, kRounds);
        PrintRatios("OnEvents", measured,
                    Measure<CHostEventQueue>(PlaybackBatch(), measured, passThrough.get(),
                                             [](IMfxEventFilter* f, CHostEventQueue& in, CHostEventQueue& out) {
                                                 f->OnEvents(0, 0x7FFFFFFF, &in, &out);
                                             }));
        PrintRatios("OnInput", measured,
                    Measure<CHostDataQueue>(LiveBatch(), measured, passThrough.get(),
                                            [](IMfxEventFilter* f, CHostDataQueue& in, CHostDataQueue& out) {
                                                f->OnInput(&in, &out);
                                            }));
        if (throughputOnly) return 0;

        std::printf("OnInput latency, one message a call, %d calls in %d segments each:\n",
                    kLatencyCalls * kLatencySegments, kLatencySegments);
        double steps = 0;
        std::string dragError;
        const auto [alone, dragged] =
            MeasureLatencyPair(zephrin.get(), tscPerNs, [&](const auto& measure) {
                CSliderDrag drag(zephrin);
                if (!drag.Started(dragError)) return;
                measure();
                steps += drag.StepsPerSecond() / kLatencySegments;
            });
        if (!dragError.empty()) {
            std::printf("  slider drag: not measured: %s\n", dragError.c_str());
            code = 1;
        } else {
            PrintLatency("alone", alone);
            PrintLatency("page's slider dragged", dragged);
            std::printf("    (the page on its own window thread, Key In dragged across its range:"
                        " %.0f steps/s)\n"
                        "    p99 dragged / alone: %.2f\n",
                        steps, dragged.p99 / alone.p99);
        }
        double loads = 0;
        const auto [alone2, written] =
            MeasureLatencyPair(zephrin.get(), tscPerNs, [&](const auto& measure) {
                CSettingsHammer hammer(zephrin.get(), ZephrinSettingsBytes({kPedalKey, 64, 1, 128}),
                                       ZephrinSettingsBytes({kPedalKey, 65, 1, 128}));
                measure();
                loads += hammer.LoadsPerSecond() / kLatencySegments;
            });
        PrintLatency("Zephrin alone", alone2);
        PrintLatency("settings written meanwhile", written);
        std::printf("    (another thread: IPersistStream::Load in a loop, %.2f M loads/s,"
                    " %.1f M SetParam/s)\n",
                    loads / 1e6, 4 * loads / 1e6);

        // Map's mappings changed and loaded by two threads at once: one
        // changes a single mapping back and forth, as an editor does, the
        // other loads whole sets of eight, as a host restoring projects.
        MapSettings edited = MapSettings::Defaults();
        edited.mappings[0].controller = 66;
        double mapLoads = 0;
        const auto [mapAlone, mapWritten] =
            MeasureLatencyPair(map.get(), tscPerNs, [&](const auto& measure) {
                CSettingsHammer editor(map.get(), MapSettingsBytes(MapSettings::Defaults()), MapSettingsBytes(edited));
                CSettingsHammer loader(map.get(), MapSettingsBytes(EightMappings()), MapSettingsBytes(MapSettings{}));
                measure();
                mapLoads += (editor.LoadsPerSecond() + loader.LoadsPerSecond()) / kLatencySegments;
            });
        LoadMap(map, MapSettings::Defaults(), error);
        PrintLatency("Map alone", mapAlone);
        PrintLatency("mappings changed meanwhile", mapWritten);
        std::printf("    (two more threads: one mapping changed back and forth, and whole sets of"
                    " eight loaded, %.2f M changes/s together)\n"
                    "    p99 changed / alone: %.2f\n",
                    mapLoads / 1e6, mapWritten.p99 / mapAlone.p99);

        for (const CLoadedFilter* plugin : {&zephrin, &map8}) {
            CImportCounter counter(plugin->Module());
            std::printf("Calls out of %s (%zu of its imports counted):\n",
                        plugin == &zephrin ? "Zephrin" : "Map with eight mappings", counter.Hooked());
            CountCalls(plugin->get(), PlaybackBatch(), LiveBatch());
        }

        const LearnResult learn = MeasureLearnWithBlockedPage(zephrin);
        if (!learn.error.empty()) {
            std::printf("Learn with the page's window thread blocked: not measured: %s\n",
                        learn.error.c_str());
            code = 1;
        } else {
            std::printf("Learn with the page's window thread blocked for 2 s:\n"
                        "  OnInput took %.1f us, learned key %d, page caught up afterwards: %s\n",
                        learn.onInputMicroseconds, learn.learnedKey,
                        learn.pageCaughtUp ? "yes" : "no");
            PrintCalls("the learning OnInput:", learn.calls);
        }

        std::printf("DLL sizes (this target):\n");
        for (int i = 1; i <= 3; ++i) std::printf("  %-60s %8lld bytes\n", argv[i], FileSize(argv[i]));
    }
    CoUninitialize();
    return code;
}
