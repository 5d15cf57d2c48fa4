// A filter's settings through its row of the plug-in table: read and checked,
// told in words, and changed by the command line's options and loaded back as
// a project is loaded.
#pragma once

#include "tools/host/PlugIns.h"

#include <string>

// What the filter saves, checked by plugIn's codec. Fails, with the reason in
// error, when the filter has no settings stream, when the bytes are not
// plugIn's settings, and always for a filter of no known class (plugIn null).
HRESULT ReadPlugInSettings(const PlugIn* plugIn, IUnknown* filter, SettingsBytes& bytes,
                           std::string& error);

// The settings in words, lines ending in '\n'; for bytes no codec reads, their
// size and that they are no plug-in's.
std::string SettingsWords(const PlugIn* plugIn, const SettingsBytes& bytes);

// Loads the bytes and checks that the filter saves them back: what a project
// restores must be what the filter then has. Any filter.
HRESULT LoadAndCheckSettings(IUnknown* filter, const SettingsBytes& wanted, std::string& error);

// The options given over what the filter saves, loaded back and checked;
// S_OK at once when none is given. Another plug-in's options are
// E_INVALIDARG with plugIn's words for it.
HRESULT ApplySettingsOptions(const PlugIn* plugIn, IUnknown* filter,
                             const SettingsOptions& options, std::string& error);
