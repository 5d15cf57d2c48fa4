// zephrin-map-ttl BUNDLE BINARY: writes the LV2 bundle's Turtle into the
// folder BUNDLE (manifest.ttl, zephrin-map.ttl with every port, presets.ttl
// with the ready set-ups), all from the engine's own tables, so that the
// ports' names, ranges, defaults and choices and the presets never drift
// from what the plug-in does. BINARY is the shared object's file name.
#include "map/engine/MapControls.h"
#include "map/engine/MapSetups.h"
#include "map/lv2/MapLv2Ports.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <string>

namespace {

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, CloseFile>;

const char kPrefixes[] =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

// A Turtle string literal.
std::string Quoted(const char* text) {
    std::string quoted = "\"";
    for (const char* c = text; *c; ++c) {
        if (*c == '"' || *c == '\\') quoted += '\\';
        quoted += *c;
    }
    return quoted + '"';
}

// A preset's URI from its name: "Three pedals on C6, D6, E6" ends in
// three-pedals-on-c6-d6-e6. Hosts save the presets chosen by these.
std::string PresetUri(const char* name) {
    std::string slug;
    for (const char* c = name; *c; ++c) {
        const unsigned char ch = static_cast<unsigned char>(*c);
        if (ch < 0x80 && std::isalnum(ch))
            slug += static_cast<char>(std::tolower(ch));
        else if (!slug.empty() && slug.back() != '-')
            slug += '-';
    }
    while (!slug.empty() && slug.back() == '-') slug.pop_back();
    return std::string("<") + kMapLv2Uri + ":preset:" + slug + ">";
}

std::string GroupUri(int mapping) {
    return std::string("<") + kMapLv2Uri + ":mapping" + std::to_string(mapping + 1) + ">";
}

void WriteManifest(std::FILE* out, const char* binary) {
    std::fputs(kPrefixes, out);
    std::fprintf(
        out, "<%s>\n\ta lv2:Plugin ;\n\tlv2:binary <%s> ;\n\trdfs:seeAlso <zephrin-map.ttl> .\n",
        kMapLv2Uri, binary);
    for (int i = 0; i < kMapSetups; ++i)
        std::fprintf(
            out,
            "\n%s\n\ta pset:Preset ;\n\tlv2:appliesTo <%s> ;\n\trdfs:seeAlso <presets.ttl> .\n",
            PresetUri(kMapSetupNames[i]).c_str(), kMapLv2Uri);
}

void WriteAtomPort(std::FILE* out, uint32_t index, bool input) {
    std::fprintf(out,
                 "[\n\t\ta lv2:%s , atom:AtomPort ;\n\t\tatom:bufferType atom:Sequence ;\n"
                 "\t\tatom:supports midi:MidiEvent ;\n%s\t\tlv2:index %u ;\n"
                 "\t\tlv2:symbol \"%s\" ;\n\t\tlv2:name \"%s\"\n\t]",
                 input ? "InputPort" : "OutputPort",
                 input ? "\t\tlv2:designation lv2:control ;\n" : "", index,
                 input ? "midi_in" : "midi_out", input ? "MIDI in" : "MIDI out");
}

// A choice whose every value has a name is an enumeration, shown as a list;
// the controller's, where the standard names only some numbers, lists each
// number with its name where it has one.
void WriteScalePoints(std::FILE* out, MapControl control) {
    const MapControlInfo& about = MapControlAbout(control);
    for (int value = about.min; value <= about.max; ++value) {
        const char* name = MapControlChoice(control, value);
        std::string label = control == MapControl::kController ? std::to_string(value) : "";
        if (name) label += label.empty() ? name : std::string(" ") + name;
        std::fprintf(out, "%s[ rdfs:label %s ; rdf:value %d ]", value == about.min ? " " : " , ",
                     Quoted(label.c_str()).c_str(), value);
    }
}

void WriteControlPort(std::FILE* out, int mapping, MapControl control) {
    const MapControlInfo& about = MapControlAbout(control);
    char symbol[32];
    char name[64];
    MapControlSymbol(mapping, control, symbol, sizeof symbol);
    MapControlName(mapping, control, name, sizeof name);
    std::fprintf(out,
                 "[\n\t\ta lv2:InputPort , lv2:ControlPort ;\n\t\tlv2:index %u ;\n"
                 "\t\tlv2:symbol \"%s\" ;\n\t\tlv2:name %s ;\n\t\tpg:group %s ;\n"
                 "\t\tlv2:default %d ;\n\t\tlv2:minimum %d ;\n\t\tlv2:maximum %d ;\n",
                 MapLv2ControlPort(mapping, control), symbol, Quoted(name).c_str(),
                 GroupUri(mapping).c_str(), MapControlDefault(mapping, control), about.min,
                 about.max);
    if (control == MapControl::kLowKey || control == MapControl::kHighKey)
        std::fputs("\t\tunits:unit units:midiNote ;\n", out);
    switch (about.kind) {
        case MapControlKind::kToggle:
            std::fputs("\t\tlv2:portProperty lv2:toggled\n\t]", out);
            break;
        case MapControlKind::kInteger:
            std::fputs("\t\tlv2:portProperty lv2:integer\n\t]", out);
            break;
        case MapControlKind::kChoice:
            std::fputs("\t\tlv2:portProperty lv2:integer , lv2:enumeration ;\n\t\tlv2:scalePoint",
                       out);
            WriteScalePoints(out, control);
            std::fputs("\n\t]", out);
            break;
    }
}

void WritePlugin(std::FILE* out, const char*) {
    std::fputs(kPrefixes, out);
    // Each mapping's controls as a group, under its name (hosts read either
    // property).
    for (int i = 0; i < kMapMaxMappings; ++i)
        std::fprintf(out,
                     "%s\n\ta pg:Group ;\n\tlv2:symbol \"mapping%d\" ;\n"
                     "\tlv2:name \"Mapping %d\" ;\n\trdfs:label \"Mapping %d\" .\n\n",
                     GroupUri(i).c_str(), i + 1, i + 1, i + 1);
    std::fprintf(
        out,
        "<%s>\n\ta lv2:Plugin , lv2:MIDIPlugin , doap:Project ;\n\tdoap:name \"Zephrin Map\" ;\n"
        "\tdoap:maintainer [\n\t\tfoaf:name \"Quillfen\"\n\t] ;\n"
        "\trdfs:comment \"Turns keys into MIDI controllers: up to eight mappings, each a key "
        "or a range of keys, on any channel or one, to a controller, held or latching, at "
        "fixed values or by velocity, the note let through or not. Everything else passes "
        "unchanged.\" ;\n"
        "\tlv2:requiredFeature urid:map ;\n\tlv2:optionalFeature lv2:hardRTCapable ;\n"
        "\tlv2:port ",
        kMapLv2Uri);
    WriteAtomPort(out, kMapLv2MidiIn, true);
    std::fputs(" , ", out);
    WriteAtomPort(out, kMapLv2MidiOut, false);
    for (int i = 0; i < kMapMaxMappings; ++i)
        for (int c = 0; c < kMapControls; ++c) {
            std::fputs(" , ", out);
            WriteControlPort(out, i, static_cast<MapControl>(c));
        }
    std::fputs(" .\n", out);
}

// Each set-up sets every control of every mapping, as choosing it on the
// editor page replaces every mapping.
void WritePresets(std::FILE* out, const char*) {
    std::fputs(kPrefixes, out);
    for (int s = 0; s < kMapSetups; ++s) {
        const MapSettings setup = MapSetup(s, true);
        std::fprintf(
            out, "%s\n\ta pset:Preset ;\n\tlv2:appliesTo <%s> ;\n\trdfs:label %s ;\n\tlv2:port",
            PresetUri(kMapSetupNames[s]).c_str(), kMapLv2Uri, Quoted(kMapSetupNames[s]).c_str());
        for (int i = 0; i < kMapMaxMappings; ++i) {
            float numbers[kMapControls];
            MapControlsFromMapping(setup.mappings[i], numbers);
            for (int c = 0; c < kMapControls; ++c) {
                char symbol[32];
                MapControlSymbol(i, static_cast<MapControl>(c), symbol, sizeof symbol);
                // A decimal, which hosts read as a float, as they read ports.
                std::fprintf(out, "%s[ lv2:symbol \"%s\" ; pset:value %d.0 ]",
                             i + c == 0 ? " " : " ,\n\t\t", symbol, static_cast<int>(numbers[c]));
            }
        }
        std::fputs(" .\n\n", out);
    }
}

bool Write(const std::string& path, void (*write)(std::FILE*, const char*), const char* binary) {
    UniqueFile out(std::fopen(path.c_str(), "w"));
    if (!out) {
        std::perror(path.c_str());
        return false;
    }
    write(out.get(), binary);
    if (std::ferror(out.get()) || std::fclose(out.release()) != 0) {
        std::fprintf(stderr, "zephrin-map-ttl: %s could not be written\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zephrin-map-ttl BUNDLE BINARY\n");
        return 2;
    }
    const std::string bundle = std::string(argv[1]) + "/";
    const bool written = Write(bundle + "manifest.ttl", WriteManifest, argv[2]) &&
                         Write(bundle + "zephrin-map.ttl", WritePlugin, argv[2]) &&
                         Write(bundle + "presets.ttl", WritePresets, argv[2]);
    return written ? 0 : 1;
}
