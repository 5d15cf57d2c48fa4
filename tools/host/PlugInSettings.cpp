// A filter's settings read, told, changed and loaded back through its plug-in.
#include "tools/host/PlugInSettings.h"

#include "tools/host/FilterSettings.h"

HRESULT ReadPlugInSettings(const PlugIn* plugIn, IUnknown* filter, SettingsBytes& bytes,
                           std::string& error) {
    const HRESULT hr = SaveFilterSettings(filter, bytes, error);
    if (FAILED(hr)) return hr;
    const std::string isNot =
        plugIn ? plugIn->codec.check(bytes) : "and its class is " + NeitherPlugIn();
    if (isNot.empty()) return S_OK;
    error = "the filter saves " + std::to_string(bytes.size()) + " bytes of settings, " + isNot;
    return E_FAIL;
}

std::string SettingsWords(const PlugIn* plugIn, const SettingsBytes& bytes) {
    const std::string size = std::to_string(bytes.size()) + " bytes: ";
    if (!plugIn) return size + "neither Zephrin's 16 bytes nor Zephrin Map's settings\n";
    const std::string isNot = plugIn->codec.check(bytes);
    return isNot.empty() ? plugIn->codec.describe(bytes) : size + isNot + "\n";
}

HRESULT LoadAndCheckSettings(IUnknown* filter, const SettingsBytes& wanted, std::string& error) {
    std::string said;
    HRESULT hr = LoadFilterSettings(filter, wanted, said);
    if (FAILED(hr)) {
        error = said;
        return hr;
    }
    SettingsBytes kept;
    if (FAILED(hr = SaveFilterSettings(filter, kept, error))) return hr;
    if (kept == wanted) return S_OK;
    error = "the filter did not take the settings it was given";
    const std::string why = ExplainSettings(wanted);
    if (!why.empty()) error += " (" + why + ")";
    if (!said.empty()) error += "; " + said;
    return E_FAIL;
}

HRESULT ApplySettingsOptions(const PlugIn* plugIn, IUnknown* filter,
                             const SettingsOptions& options, std::string& error) {
    const unsigned given = options.Given();
    if (!given) return S_OK;
    SettingsBytes saved;
    const HRESULT hr = ReadPlugInSettings(plugIn, filter, saved, error);
    if (FAILED(hr)) return hr;  // plugIn is known past here
    if (given & ~plugIn->options) {
        error = plugIn->othersOptionsError;
        return E_INVALIDARG;
    }
    return LoadAndCheckSettings(filter, plugIn->codec.apply(saved, options), error);
}
