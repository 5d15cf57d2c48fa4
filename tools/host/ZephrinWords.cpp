// Zephrin's settings in words.
#include "tools/host/ZephrinWords.h"

#include "tools/host/HostText.h"

std::string DescribeZephrinSettings(const ZephrinSettings& settings) {
    return "key " + std::to_string(settings.keyIn) + " (" + NoteName(settings.keyIn) +
           "), controller " + std::to_string(settings.ccOut) + ", look-ahead fix " +
           (settings.lookAheadFix ? "on" : "off") + " (" +
           std::to_string(settings.lookAheadFix) + "), reserved " +
           std::to_string(settings.reserved);
}
