// zephrin-bench: measures the plug-in through its DLL as a host drives it,
// next to the pass-through filter in the same run. The queues are the host
// tool's, compiled in their own translation unit and reached by the filters
// through their vtables only. Run by scripts/bench.sh.
#include "bench/ImportCounter.h"
#include "bench/passthrough/PassThroughIds.h"
#include "filter/ZephrinIds.h"
#include "tools/host/FilterLoader.h"
#include "tools/host/FilterSettings.h"
#include "tools/host/HostQueues.h"
#include "tools/host/PageSession.h"

#include <intrin.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int32_t kBatch = 100000;      // records in a throughput batch
constexpr int kRounds = 41;             // batches per filter, interleaved
constexpr int kLatencyCalls = 400000;   // single-message OnInput calls
constexpr uint8_t kPedalKey = 96;

double Seconds() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

// Time-stamp counter ticks per nanosecond, measured against the performance
// counter; single calls are too short for the performance counter's 100 ns.
double TscPerNanosecond() {
    const double start = Seconds();
    const uint64_t tscStart = __rdtsc();
    while (Seconds() - start < 0.2) {
    }
    return static_cast<double>(__rdtsc() - tscStart) / ((Seconds() - start) * 1e9);
}

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

struct Throughput {
    double zephrin;      // events per second
    double passThrough;
};

// The same host loop for both filters, batches alternating between them.
template <typename Queue, typename Record, typename Call>
Throughput Measure(const std::vector<Record>& batch, IMfxEventFilter* zephrin,
                   IMfxEventFilter* passThrough, Call call) {
    Queue in, out;
    in.Reserve(batch.size());
    out.Reserve(batch.size() * 2);
    for (const Record& r : batch) in.Add(&r);
    std::vector<double> times[2];
    IMfxEventFilter* filters[2] = {zephrin, passThrough};
    for (int round = 0; round < kRounds + 1; ++round) {
        for (int f = 0; f < 2; ++f) {
            out.Clear();
            filters[f]->OnStart(0, 0);
            const double start = Seconds();
            call(filters[f], in, out);
            const double took = Seconds() - start;
            if (round > 0) times[f].push_back(took);  // the first round warms up
        }
    }
    return {static_cast<double>(batch.size()) / Median(times[0]),
            static_cast<double>(batch.size()) / Median(times[1])};
}

struct Latency {
    double median, p99, p999;  // nanoseconds
};

Latency MeasureLatency(IMfxEventFilter* filter, double tscPerNs) {
    CHostDataQueue in, out;
    in.Reserve(1);
    out.Reserve(4);
    DataItem items[4] = {{{}, 0x90, kPedalKey, 100, 0}, {{}, 0x80, kPedalKey, 0, 0},
                         {{}, 0x91, 60, 90, 0}, {{}, 0xB0, 7, 100, 0}};
    std::vector<uint64_t> ticks(kLatencyCalls);
    for (int i = 0; i < kLatencyCalls; ++i) {
        in.Clear();
        out.Clear();
        in.Add(&items[i % 4]);
        const uint64_t start = __rdtsc();
        filter->OnInput(&in, &out);
        ticks[static_cast<size_t>(i)] = __rdtsc() - start;
    }
    std::sort(ticks.begin(), ticks.end());
    auto at = [&](double q) {
        return static_cast<double>(ticks[static_cast<size_t>(q * (kLatencyCalls - 1))]) / tscPerNs;
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

int main(int argc, char** argv) {
    if (argc != 3) return Fail("usage: zephrin-bench Zephrin.dll PassThrough.dll");
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 0;
    {
        CLoadedFilter zephrin, passThrough;
        std::string error;
        if (FAILED(CLoadedFilter::FromDll(argv[1], CLSID_ZephrinFilter, zephrin, error)) ||
            FAILED(CLoadedFilter::FromDll(argv[2], CLSID_PassThroughFilter, passThrough, error)))
            return Fail(error);

        const double tscPerNs = TscPerNanosecond();
        std::printf("Throughput, batches of %d records, median of %d rounds:\n", kBatch, kRounds);
        const Throughput events = Measure<CHostEventQueue>(
            PlaybackBatch(), zephrin.get(), passThrough.get(),
            [](IMfxEventFilter* f, CHostEventQueue& in, CHostEventQueue& out) {
                f->OnEvents(0, 0x7FFFFFFF, &in, &out);
            });
        const Throughput input = Measure<CHostDataQueue>(
            LiveBatch(), zephrin.get(), passThrough.get(),
            [](IMfxEventFilter* f, CHostDataQueue& in, CHostDataQueue& out) { f->OnInput(&in, &out); });
        for (const auto& [name, t] : {std::pair{"OnEvents", events}, std::pair{"OnInput ", input}})
            std::printf("  %s  Zephrin %6.1f M events/s (%.1f ns each)   pass-through %6.1f M events/s "
                        "(%.1f ns each)   Zephrin takes %.2fx the time of copying alone\n",
                        name, t.zephrin / 1e6, 1e9 / t.zephrin, t.passThrough / 1e6,
                        1e9 / t.passThrough, t.passThrough / t.zephrin);

        std::printf("OnInput latency, one message a call, %d calls:\n", kLatencyCalls);
        const Latency quiet = MeasureLatency(zephrin.get(), tscPerNs);
        std::printf("  alone                          median %6.0f ns  p99 %6.0f ns  p99.9 %6.0f ns\n",
                    quiet.median, quiet.p99, quiet.p999);
        double loads = 0;
        Latency busy{};
        {
            CSettingsHammer hammer(zephrin.get());
            busy = MeasureLatency(zephrin.get(), tscPerNs);
            loads = hammer.LoadsPerSecond();
        }
        std::printf("  settings written meanwhile     median %6.0f ns  p99 %6.0f ns  p99.9 %6.0f ns\n"
                    "    (another thread: IPersistStream::Load in a loop, %.2f M loads/s,"
                    " %.1f M SetParam/s)\n",
                    busy.median, busy.p99, busy.p999, loads / 1e6, 4 * loads / 1e6);

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
