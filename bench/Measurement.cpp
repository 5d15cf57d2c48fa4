// The single-call latency measurement.
#include "bench/Measurement.h"

#include "bench/Batches.h"
#include "tools/host/HostQueues.h"

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
