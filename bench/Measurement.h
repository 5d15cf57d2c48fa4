// How the benchmark measures: throughput as the ratio of a filter's batch
// time to the pass-through's, the batches of all filters interleaved; and
// OnInput latency of single calls, alone and with something else going on.
#pragma once

#include "bench/BenchClock.h"
#include "bench/Ratios.h"
#include "host/MfxHost.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

constexpr int kLatencyCalls = 200000;  // single-message OnInput calls a segment
constexpr int kLatencySegments = 4;

// The filters measured side by side, each against the pass-through, which is
// the baseline.
struct Measured {
    const char* name;
    IMfxEventFilter* filter;
};

// The same host loop for every filter, batches alternating between them in
// a rotating order; the median batch time of each run gives its ratios.
template <typename Queue, typename Record, typename Call>
Ratios MeasureThroughput(const std::vector<Record>& batch, const std::vector<Measured>& measured,
                         IMfxEventFilter* baseline, Call call) {
    Queue in, out;
    in.Reserve(batch.size());
    out.Reserve(batch.size() * 3);
    for (const Record& r : batch) in.Add(&r);
    std::vector<IMfxEventFilter*> filters;
    for (const Measured& m : measured) filters.push_back(m.filter);
    filters.push_back(baseline);
    return MeasureRatios(filters.size(), batch.size(), [&](size_t f) {
        out.Clear();
        filters[f]->OnStart(0, 0);
        const double start = Seconds();
        call(filters[f], in, out);
        return Seconds() - start;
    });
}

struct Latency {
    double median, p99, p999;  // nanoseconds
};

// Appends the time-stamp ticks of kLatencyCalls single-message calls.
void MeasureLatency(IMfxEventFilter* filter, std::vector<uint64_t>& ticks);
Latency Percentiles(std::vector<uint64_t> ticks, double tscPerNs);

// OnInput latency alone and with something else going on, in segments that
// alternate between the two so that the machine's own ups and downs fall on
// both alike. busy is given the measurement to run while it is going on.
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
