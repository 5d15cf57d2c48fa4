// The table of the plug-ins the host tool knows, and finding a filter's row.
#include "tools/host/PlugIns.h"

#include "common/ComPtr.h"

#include <algorithm>

namespace {

// In the order a DLL is asked for their classes.
const PlugIn* const kPlugIns[] = {&kZephrinPlugIn, &kMapPlugIn};

}  // namespace

const char kMixedOptionsUsage[] =
    "--map is Zephrin Map's, --key and --cc are Zephrin's: give one or the other";

unsigned SettingsOptions::Given() const {
    return (key ? kOptionKey : 0u) | (cc ? kOptionCc : 0u) | (maps.empty() ? 0u : kOptionMap) |
           (fix ? kOptionFix : 0u);
}

const PlugIn* FindPlugIn(REFCLSID clsid) {
    for (const PlugIn* plugIn : kPlugIns)
        if (IsEqualCLSID(plugIn->clsid, clsid)) return plugIn;
    return nullptr;
}

const PlugIn* FindPlugIn(IUnknown* filter) {
    CComPtr<IPersistStream> persist;
    CLSID clsid;
    if (FAILED(filter->QueryInterface(IID_IPersistStream, persist.put_void())) || !persist ||
        FAILED(persist->GetClassID(&clsid)))
        return nullptr;
    return FindPlugIn(clsid);
}

std::vector<CLSID> PlugInClasses() {
    std::vector<CLSID> classes;
    for (const PlugIn* plugIn : kPlugIns) classes.push_back(plugIn->clsid);
    return classes;
}

std::string NeitherPlugIn() {
    std::string text;
    for (const PlugIn* plugIn : kPlugIns)
        text += (text.empty() ? "neither " : " nor ") + std::string(plugIn->name) + "'s";
    return text;
}

bool OnePlugInTakes(unsigned options) {
    return std::any_of(std::begin(kPlugIns), std::end(kPlugIns),
                       [&](const PlugIn* plugIn) { return !(options & ~plugIn->options); });
}

int MaxLearnMappings() {
    int most = 0;
    for (const PlugIn* plugIn : kPlugIns) most = std::max(most, plugIn->learn.mappings);
    return most;
}

std::string ExplainSettings(const SettingsBytes& bytes) {
    for (const PlugIn* plugIn : kPlugIns) {
        if (!plugIn->codec.explain) continue;
        const std::string why = plugIn->codec.explain(bytes);
        if (!why.empty()) return why;
    }
    return {};
}
