// Throughput side by side: plug-ins measured against a baseline that only
// copies, their batches interleaved in a rotating order, the figures taken
// from each run's median batch times. No host's types: the MFX benchmark
// under Wine and the LV2 benchmark natively measure the same way.
#pragma once

#include <cstddef>
#include <vector>

constexpr int kRounds = 41;  // batches per plug-in, interleaved, in one run
constexpr int kRuns = 9;     // runs, each giving one ratio per plug-in

double Median(std::vector<double> values);

struct Ratios {
    std::vector<std::vector<double>> ratios;  // per measured plug-in, one per run
    std::vector<double> nanoseconds;          // per record, median run; the baseline's last
};

// timed(i) passes the batch of `records` through plug-in i once (0 to
// count - 1, the baseline last) and returns the seconds that took. The
// first round warms up and is not counted.
template <typename Timed>
Ratios MeasureRatios(size_t count, size_t records, Timed timed) {
    Ratios result;
    result.ratios.resize(count - 1);
    std::vector<std::vector<double>> perRecord(count);
    for (int run = 0; run < kRuns; ++run) {
        std::vector<std::vector<double>> times(count);
        for (int round = 0; round < kRounds + 1; ++round) {
            for (size_t k = 0; k < count; ++k) {
                const size_t f = (static_cast<size_t>(round) + k) % count;
                const double took = timed(f);
                if (round > 0) times[f].push_back(took);
            }
        }
        std::vector<double> median(count);
        for (size_t f = 0; f < count; ++f) {
            median[f] = Median(times[f]);
            perRecord[f].push_back(median[f] * 1e9 / static_cast<double>(records));
        }
        for (size_t f = 0; f + 1 < count; ++f)
            result.ratios[f].push_back(median[f] / median[count - 1]);
    }
    for (size_t f = 0; f < count; ++f) result.nanoseconds.push_back(Median(perRecord[f]));
    return result;
}

// The baseline's time a record, then a line for each measured plug-in (by
// name, in order): its time a record and its ratio, median and range of the
// runs. The last one measured must be a copy of the baseline: where it is
// not at 1.0 the line says so.
void PrintRatios(const char* road, const std::vector<const char*>& names, const Ratios& r);
