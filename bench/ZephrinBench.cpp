// zephrin-bench: measures the plug-in through its DLL as a host drives it,
// next to the pass-through filter in the same run, and a second copy of the
// pass-through as a check of the method. The queues are the host tool's,
// compiled in their own translation unit and reached by the filters through
// their vtables only. Run by scripts/bench.sh.
#include "bench/BenchClock.h"
#include "bench/ImportCounter.h"
#include "bench/SliderDrag.h"
#include "bench/passthrough/PassThroughIds.h"
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

// The filters measured side by side: the plug-in, the pass-through that is
// the baseline, and the same pass-through from a copy of its DLL, which
// must come out at 1.0 against it if the method is fair.
enum Filter { kZephrin, kPassThrough, kCopy, kFilters };

struct Ratios {
    std::vector<double> zephrin, copy;  // time against the pass-through, one per run
    double zephrinNs = 0, passThroughNs = 0, copyNs = 0;  // per record, median run
};

// The same host loop for every filter, batches alternating between them in
// a rotating order; the median batch time of each run gives its ratios.
template <typename Queue, typename Record, typename Call>
Ratios Measure(const std::vector<Record>& batch, IMfxEventFilter* const (&filters)[kFilters],
               Call call) {
    Queue in, out;
    in.Reserve(batch.size());
    out.Reserve(batch.size() * 2);
    for (const Record& r : batch) in.Add(&r);
    Ratios ratios;
    std::vector<double> perRecord[kFilters];
    for (int run = 0; run < kRuns; ++run) {
        std::vector<double> times[kFilters];
        for (int round = 0; round < kRounds + 1; ++round) {
            for (int k = 0; k < kFilters; ++k) {
                const int f = (round + k) % kFilters;
                out.Clear();
                filters[f]->OnStart(0, 0);
                const double start = Seconds();
                call(filters[f], in, out);
                const double took = Seconds() - start;
                if (round > 0) times[f].push_back(took);  // the first round warms up
            }
        }
        double median[kFilters];
        for (int f = 0; f < kFilters; ++f) {
            median[f] = Median(times[f]);
            perRecord[f].push_back(median[f] * 1e9 / static_cast<double>(batch.size()));
        }
        ratios.zephrin.push_back(median[kZephrin] / median[kPassThrough]);
        ratios.copy.push_back(median[kCopy] / median[kPassThrough]);
    }
    ratios.zephrinNs = Median(perRecord[kZephrin]);
    ratios.passThroughNs = Median(perRecord[kPassThrough]);
    ratios.copyNs = Median(perRecord[kCopy]);
    return ratios;
}

void PrintRatios(const char* road, const Ratios& r) {
    auto spread = [](const std::vector<double>& v) {
        return std::pair{*std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end())};
    };
    const auto [zLow, zHigh] = spread(r.zephrin);
    const auto [cLow, cHigh] = spread(r.copy);
    std::printf("  %s  Zephrin %.2f ns, pass-through %.2f ns, copy %.2f ns a record\n"
                "            Zephrin / pass-through: median %.3f  (runs %.3f to %.3f)\n"
                "            copy / pass-through:    median %.3f  (runs %.3f to %.3f)\n",
                road, r.zephrinNs, r.passThroughNs, r.copyNs, Median(r.zephrin), zLow, zHigh,
                Median(r.copy), cLow, cHigh);
    // Two copies of one filter measuring apart means the process's layout
    // favours one DLL over another (code placement, predictor aliasing): the
    // ratios of this process are off by as much.
    if (Median(r.copy) < 0.97 || Median(r.copy) > 1.03)
        std::printf("            the copy is not at 1.0 in this process: its ratios are off by "
                    "as much; run again\n");
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

// Writes settings as fast as it can, the way a host restores a project: the
// filter's Load stores each of the four values through SetParam.
class CSettingsHammer {
public:
    explicit CSettingsHammer(IMfxEventFilter* filter) : m_filter(filter) {
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
                const ZephrinSettings settings{kPedalKey, 64 + i, 1, 128};
                const std::vector<uint8_t> bytes = settings.ToBytes();
                CreateStreamOnHGlobal(nullptr, TRUE, streams[i].put());
                streams[i]->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
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
            ZephrinSettings::FromBytes(bytes, settings))
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
    // --throughput measures the two ratios only: the quick loop while the
    // mapping is being worked on.
    const bool throughputOnly = argc == 5 && std::string(argv[4]) == "--throughput";
    if (argc != 4 && !throughputOnly)
        return Fail("usage: zephrin-bench Zephrin.dll PassThrough.dll CopyOfPassThrough.dll "
                    "[--throughput]");
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 0;
    {
        CLoadedFilter zephrin, passThrough, copy;
        std::string error;
        if (FAILED(CLoadedFilter::FromDll(argv[1], CLSID_ZephrinFilter, zephrin, error)) ||
            FAILED(CLoadedFilter::FromDll(argv[2], CLSID_PassThroughFilter, passThrough, error)) ||
            FAILED(CLoadedFilter::FromDll(argv[3], CLSID_PassThroughFilter, copy, error)))
            return Fail(error);
        if (passThrough.Module() == copy.Module())
            return Fail("the copy of the pass-through must be a DLL file of its own");

        const double tscPerNs = TscPerNanosecond();
        IMfxEventFilter* const filters[kFilters] = {zephrin.get(), passThrough.get(), copy.get()};
        std::printf("Throughput, batches of %d records; %d runs of %d rounds, each run's ratio "
                    "from its median batch times:\n",
                    kBatch, kRuns, kRounds);
        PrintRatios("OnEvents", Measure<CHostEventQueue>(
                                    PlaybackBatch(), filters,
                                    [](IMfxEventFilter* f, CHostEventQueue& in, CHostEventQueue& out) {
                                        f->OnEvents(0, 0x7FFFFFFF, &in, &out);
                                    }));
        PrintRatios("OnInput ", Measure<CHostDataQueue>(
                                    LiveBatch(), filters,
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
                CSettingsHammer hammer(zephrin.get());
                measure();
                loads += hammer.LoadsPerSecond() / kLatencySegments;
            });
        PrintLatency("alone", alone2);
        PrintLatency("settings written meanwhile", written);
        std::printf("    (another thread: IPersistStream::Load in a loop, %.2f M loads/s,"
                    " %.1f M SetParam/s)\n",
                    loads / 1e6, 4 * loads / 1e6);

        CImportCounter counter(zephrin.Module());
        std::printf("Calls out of the plug-in (%zu of its imports counted):\n", counter.Hooked());
        CountCalls(zephrin.get(), PlaybackBatch(), LiveBatch());

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

        std::printf("DLL sizes (this target):\n  %-60s %8lld bytes\n  %-60s %8lld bytes\n", argv[1],
                    FileSize(argv[1]), argv[2], FileSize(argv[2]));
    }
    CoUninitialize();
    return code;
}
