// An LV2 plug-in that only copies its input MIDI sequence to its output,
// event by event through the forge, as any MIDI plug-in's run loop does:
// the benchmark's baseline for Zephrin Map's LV2 plug-in, and a host for
// the real-host fixture to be tried on without the real plug-in.
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/urid/urid.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr char kUri[] = "urn:quillfen:zephrin-passthrough";

enum Port : uint32_t { kMidiIn = 0, kMidiOut = 1 };

struct PassThrough {
    const LV2_Atom_Sequence* in = nullptr;
    LV2_Atom_Sequence* out = nullptr;
    LV2_URID midiEvent = 0;
    LV2_Atom_Forge forge;
};

LV2_Handle Instantiate(const LV2_Descriptor*, double, const char*,
                       const LV2_Feature* const* features) {
    const LV2_URID_Map* map = nullptr;
    for (int i = 0; features && features[i]; ++i)
        if (!std::strcmp(features[i]->URI, LV2_URID__map))
            map = static_cast<const LV2_URID_Map*>(features[i]->data);
    if (!map) return nullptr;  // the host must offer urid:map, as the Turtle says
    auto* self = new (std::nothrow) PassThrough;
    if (!self) return nullptr;
    self->midiEvent = map->map(map->handle, LV2_MIDI__MidiEvent);
    lv2_atom_forge_init(&self->forge, const_cast<LV2_URID_Map*>(map));
    return self;
}

void ConnectPort(LV2_Handle instance, uint32_t port, void* data) {
    auto* self = static_cast<PassThrough*>(instance);
    if (port == kMidiIn) self->in = static_cast<const LV2_Atom_Sequence*>(data);
    if (port == kMidiOut) self->out = static_cast<LV2_Atom_Sequence*>(data);
}

void Run(LV2_Handle instance, uint32_t) {
    auto* self = static_cast<PassThrough*>(instance);
    // The host gives the output's capacity in its atom's size.
    const uint32_t capacity = self->out->atom.size;
    lv2_atom_forge_set_buffer(&self->forge, reinterpret_cast<uint8_t*>(self->out), capacity);
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_sequence_head(&self->forge, &frame, 0);
    LV2_ATOM_SEQUENCE_FOREACH (self->in, ev) {
        if (ev->body.type != self->midiEvent) continue;
        if (!lv2_atom_forge_frame_time(&self->forge, ev->time.frames)) break;
        if (!lv2_atom_forge_atom(&self->forge, ev->body.size, ev->body.type)) break;
        if (!lv2_atom_forge_write(&self->forge, LV2_ATOM_BODY_CONST(&ev->body), ev->body.size))
            break;
    }
    lv2_atom_forge_pop(&self->forge, &frame);
}

void Cleanup(LV2_Handle instance) { delete static_cast<PassThrough*>(instance); }

const LV2_Descriptor kDescriptor = {
    kUri, Instantiate, ConnectPort, nullptr, Run, nullptr, Cleanup, nullptr,
};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
