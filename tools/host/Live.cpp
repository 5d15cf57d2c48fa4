// The live-input loop.
#include "tools/host/Live.h"

#include "tools/host/FilterLoader.h"
#include "tools/host/HostQueues.h"

using midifile::LineResult;
using midifile::ShortMessage;

namespace {

HRESULT PassBatch(IMfxEventFilter* filter, CHostDataQueue& in, CHostDataQueue& out,
                  std::ostream& print, std::string& error) {
    out.Clear();
    const HRESULT hr = filter->OnInput(&in, &out);
    in.Clear();
    if (FAILED(hr)) {
        error = "the filter failed OnInput: " + DescribeHresult(hr);
        return hr;
    }
    for (const DataItem& item : out.Records())
        print << midifile::FormatShortMessage(item.status, item.data1, item.data2) << '\n';
    print.flush();
    return S_OK;
}

}  // namespace

bool ReadLiveMessages(std::istream& in, std::vector<ShortMessage>& messages,
                      midifile::ParseError& error) {
    midifile::CLiveLineReader reader(in);
    ShortMessage message;
    LineResult result;
    while ((result = reader.Next(message, error)) == LineResult::Message) messages.push_back(message);
    return result != LineResult::Error;
}

DataItem MakeLiveItem(const ShortMessage& message, uint32_t sequence) {
    DataItem item{};
    for (int i = 0; i < 4; ++i) item.host0[i] = static_cast<uint8_t>(sequence >> (8 * i));
    item.status = message.bytes[0];
    item.data1 = message.bytes[1];
    item.data2 = message.bytes[2];
    return item;
}

HRESULT PlayLive(IMfxEventFilter* filter, const std::vector<DataItem>& items, size_t batch,
                 std::ostream& out, std::string& error) {
    CHostDataQueue in, result;
    for (size_t i = 0; i < items.size(); ++i) {
        in.Add(&items[i]);
        const bool full = (i + 1) % batch == 0 || i + 1 == items.size();
        if (!full) continue;
        const HRESULT hr = PassBatch(filter, in, result, out, error);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT StreamLive(IMfxEventFilter* filter, std::istream& in, size_t batch, std::ostream& out,
                   std::string& error, midifile::ParseError& parseError, bool& parseFailed) {
    parseFailed = false;
    midifile::CLiveLineReader reader(in);
    CHostDataQueue pending, result;
    ShortMessage message;
    LineResult line;
    uint32_t sequence = 0;
    while ((line = reader.Next(message, parseError)) == LineResult::Message) {
        const DataItem item = MakeLiveItem(message, sequence++);
        pending.Add(&item);
        if (pending.Records().size() < batch) continue;
        const HRESULT hr = PassBatch(filter, pending, result, out, error);
        if (FAILED(hr)) return hr;
    }
    // What arrived before the end or the fault is still played.
    if (!pending.Records().empty()) {
        const HRESULT hr = PassBatch(filter, pending, result, out, error);
        if (FAILED(hr)) return hr;
    }
    parseFailed = line == LineResult::Error;
    return S_OK;
}
