// The window-by-window playback loop.
#include "tools/host/Playback.h"

#include "tools/host/FilterLoader.h"
#include "tools/host/HostQueues.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int64_t kMaxWindows = 10'000'000;

}  // namespace

HRESULT PlaySong(IMfxEventFilter* filter, const SongRecords& song, int32_t windowTicks,
                 PlaybackOutput& output, std::string& error) {
    output = PlaybackOutput{};
    if (windowTicks <= 0) {
        error = "a window must be at least one tick long";
        return E_INVALIDARG;
    }
    const int64_t windows = static_cast<int64_t>(song.endTime) / windowTicks + 1;
    if (windows > kMaxWindows) {
        error = "the song needs " + std::to_string(windows) + " windows of " +
                std::to_string(windowTicks) + " ticks; choose a longer window";
        return E_INVALIDARG;
    }
    CHostEventQueue in;
    CHostEventQueue out;
    HRESULT hr = filter->OnStart(0, 0);
    if (FAILED(hr)) {
        error = "the filter failed OnStart: " + DescribeHresult(hr);
        return hr;
    }
    size_t next = 0;
    for (int64_t w = 0; w < windows; ++w) {
        const int64_t from = w * windowTicks;
        const int64_t thru =
            std::min<int64_t>(from + windowTicks - 1, std::numeric_limits<int32_t>::max());
        in.Clear();
        out.Clear();
        while (next < song.records.size() && song.records[next].time <= thru)
            in.Add(&song.records[next++]);
        hr = filter->OnEvents(static_cast<LONG>(from), static_cast<LONG>(thru), &in, &out);
        if (FAILED(hr)) {
            error = "the filter failed OnEvents for ticks " + std::to_string(from) + " to " +
                    std::to_string(thru) + ": " + DescribeHresult(hr);
            return hr;
        }
        for (const EventRecord& r : out.Records()) {
            output.records.push_back(r);
            output.windows.push_back(static_cast<int32_t>(w));
        }
    }
    output.windowCount = static_cast<int32_t>(windows);
    hr = filter->OnStop(song.endTime, 0);
    if (FAILED(hr)) {
        error = "the filter failed OnStop: " + DescribeHresult(hr);
        return hr;
    }
    return S_OK;
}
