// The median the figures are taken by, and the ratios printed.
#include "bench/Ratios.h"

#include <algorithm>
#include <cstdio>

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void PrintRatios(const char* road, const std::vector<const char*>& names, const Ratios& r) {
    std::printf("  %s (pass-through %.2f ns a record)\n", road, r.nanoseconds.back());
    for (size_t f = 0; f < names.size(); ++f) {
        const std::vector<double>& v = r.ratios[f];
        std::printf("    %-30s %6.2f ns a record, / pass-through: median %.3f"
                    "  (runs %.3f to %.3f)\n",
                    names[f], r.nanoseconds[f], Median(v), *std::min_element(v.begin(), v.end()),
                    *std::max_element(v.begin(), v.end()));
    }
    // Two copies of one plug-in measuring apart means the process's layout
    // favours one module over another (code placement, predictor aliasing):
    // the ratios of this process are off by as much. The copy is the last one.
    const double copy = Median(r.ratios.back());
    if (copy < 0.97 || copy > 1.03)
        std::printf("    the copy is not at 1.0 in this process: its ratios are off by as much;"
                    " run again\n");
}
