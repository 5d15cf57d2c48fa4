// zephrin-map-controls: Zephrin Map's mappings, given in the host tool's
// --map words, as the values of the plug-in's controls by symbol, one a
// line ("m1_on=1"), every control of all eight mappings: what a test or a
// script hands a host of another format (jalv -c SYMBOL=VALUE) so that it
// runs the settings the host tool runs ZephrinMap.dll with.
#include "map/engine/MapControls.h"
#include "tools/host/MapWords.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<MapMapping> maps;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string error;
        if (arg != "--map" || i + 1 >= argc) {
            std::fprintf(stderr, "usage: zephrin-map-controls [--map \"SPEC\"]... (up to 8)\n");
            return 2;
        }
        const std::string spec = argv[++i];
        if (!AddMapSpec(spec, maps, error)) {
            std::fprintf(stderr, "zephrin-map-controls: --map \"%s\": %s\n", spec.c_str(),
                         error.c_str());
            return 2;
        }
    }
    // What a new plug-in has, as the host tool's filter before its --map.
    MapSettings settings = MapSettings::Defaults();
    ApplyMapSpecs(maps, settings);
    for (int m = 0; m < kMapMaxMappings; ++m) {
        float numbers[kMapControls];
        MapControlsFromMapping(settings.mappings[m], numbers);
        if (m >= settings.count) numbers[static_cast<int>(MapControl::kOn)] = 0;
        for (int c = 0; c < kMapControls; ++c) {
            char symbol[32];
            MapControlSymbol(m, static_cast<MapControl>(c), symbol, sizeof symbol);
            std::printf("%s=%d\n", symbol, static_cast<int>(numbers[c]));
        }
    }
    return 0;
}
