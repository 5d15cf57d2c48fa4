// A plug-in made and its settings moved through the host tool's calls, as
// a host's project does it. Apart from bench/Plugins.cpp: the tool's header
// has settings helpers of its own under the names of the plug-ins' codecs.
#include "bench/Plugins.h"

#include "tools/host/FilterSettings.h"

bool Plugin::Load(std::string& error) {
    return SUCCEEDED(CLoadedFilter::FromDll(dll, clsid, filter, error)) && SetUp(error);
}

bool Plugin::SetUp(std::string& error) const {
    return LoadFilterSettings(filter.get(), settings, error) == S_OK;
}

bool Plugin::Save(std::vector<uint8_t>& bytes, std::string& error) const {
    return SUCCEEDED(SaveFilterSettings(filter.get(), bytes, error));
}
