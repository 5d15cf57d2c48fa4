// Zephrin's row in the host tool's table: its 16 bytes through the codec the
// filter itself uses, --key and --cc, and its one Learn Key button.
#include "tools/host/PlugIns.h"

#include "tools/host/FilterSettings.h"
#include "tools/host/HostText.h"
#include "tools/host/ZephrinWords.h"
#include "zephrin/filter/ZephrinIds.h"

namespace {

// Bytes that passed Check; the defaults for any others.
ZephrinSettings Decode(const SettingsBytes& bytes) {
    ZephrinSettings settings;
    DecodeZephrinSettings(bytes.data(), bytes.size(), settings);
    return settings;
}

std::string Check(const SettingsBytes& bytes) {
    ZephrinSettings unused;
    return DecodeZephrinSettings(bytes.data(), bytes.size(), unused) ? std::string()
                                                                     : "not Zephrin's 16";
}

SettingsBytes Apply(const SettingsBytes& saved, const SettingsOptions& options) {
    ZephrinSettings settings = Decode(saved);
    if (options.key) settings.keyIn = *options.key;
    if (options.cc) settings.ccOut = *options.cc;
    if (options.fix) settings.lookAheadFix = *options.fix;
    return ZephrinSettingsBytes(settings);
}

std::string Describe(const SettingsBytes& bytes) {
    return DescribeZephrinSettings(Decode(bytes)) + "\n";
}

std::string Learning(int) { return "the next note-on becomes the key"; }

std::string Learned(const SettingsBytes& before, const SettingsBytes& after, int) {
    const int32_t key = Decode(after).keyIn;
    if (key == Decode(before).keyIn) return {};
    return "learned key " + std::to_string(key) + " (" + NoteName(key) + ")";
}

}  // namespace

const PlugIn kZephrinPlugIn = {
    CLSID_ZephrinFilter,
    "Zephrin",
    kOptionKey | kOptionCc | kOptionFix,
    "--map is Zephrin Map's; Zephrin takes --key and --cc",
    "--map is for Zephrin Map; this filter keeps Zephrin's settings (--key, --cc)",
    {Check, Apply, Describe, nullptr},
    {"Learn Key", 0, "Zephrin learns its one key: --learn without a number", Learning, Learned},
    nullptr,
};
