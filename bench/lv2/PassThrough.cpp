// An LV2 plug-in that only copies its input sequence to its output, event by
// event through the forge, as any MIDI plug-in's run loop does:
// the benchmark's baseline for Zephrin Map's LV2 plug-in, and a host for
// the real-host fixture to be tried on without the real plug-in.
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/core/lv2_util.h>
#include <lv2/urid/urid.h>

#include <new>

namespace {

constexpr char kUri[] = "urn:quillfen:zephrin-passthrough";

enum Port : uint32_t { kMidiIn = 0, kMidiOut = 1 };

struct PassThrough {
    const LV2_Atom_Sequence* in = nullptr;
    LV2_Atom_Sequence* out = nullptr;
    LV2_Atom_Forge forge;
};

LV2_Handle Instantiate(const LV2_Descriptor*, double, const char*,
                       const LV2_Feature* const* features) {
    // The forge needs the host's URID map, as the Turtle says.
    auto* map = static_cast<LV2_URID_Map*>(lv2_features_data(features, LV2_URID__map));
    if (!map) return nullptr;
    auto* self = new (std::nothrow) PassThrough;
    if (self) lv2_atom_forge_init(&self->forge, map);
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
    lv2_atom_forge_set_buffer(&self->forge, reinterpret_cast<uint8_t*>(self->out),
                              self->out->atom.size);
    LV2_Atom_Forge_Frame frame;
    if (!lv2_atom_forge_sequence_head(&self->forge, &frame, self->in->body.unit)) return;
    LV2_ATOM_SEQUENCE_FOREACH (self->in, ev) {
        // Each event whole, its time and atom in one write.
        const uint32_t bytes = sizeof(LV2_Atom_Event) + ev->body.size;
        if (self->forge.offset + lv2_atom_pad_size(bytes) > self->forge.size) break;
        lv2_atom_forge_write(&self->forge, ev, bytes);
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
